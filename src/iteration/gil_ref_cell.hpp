// GilRefCell: an iterator's mutable state behind a borrow, which one thread at a time holds: the
// state is read and written only under it. Another thread that borrows meanwhile waits for its turn;
// reentrant use from the same thread (a user callable advancing the iterator that is calling it)
// gets "iterator already executing".
#pragma once

#include <Python.h>

#include <utility>

#include "../core/gc_visit.hpp"
#include "turn.hpp"

namespace brisko {

template <class T>
class GilRefCell {
public:
    template <class... A>
    explicit GilRefCell(A&&... args) : value_(std::forward<A>(args)...) {}

    // Releases the borrow on every exit from the guarded code.
    class Guard {
    public:
        explicit Guard(GilRefCell* cell) noexcept : cell_(cell) {}
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;
        ~Guard() {
            if (cell_) cell_->turn_.give_back();
        }
        explicit operator bool() const noexcept { return cell_ != nullptr; }
        T* operator->() const noexcept { return &cell_->value_; }
        T& operator*() const noexcept { return cell_->value_; }

    private:
        GilRefCell* cell_;
    };

    // An empty guard, with the exception set, when the calling thread borrows it already (or a
    // signal's handler raised while it waited for its turn).
    [[nodiscard]] Guard borrow() noexcept { return Guard(turn_.take() ? this : nullptr); }

    // An empty guard, with nothing set, when the cell is borrowed by anyone: for the collector's
    // clear, which must neither wait nor leave an exception behind.
    [[nodiscard]] Guard try_borrow() noexcept { return Guard(turn_.try_take() ? this : nullptr); }

    // For the collector only: it reads the state without a borrow (see GcVisit).
    int traverse(const GcVisit& visit) const { return visit(value_); }

private:
    T value_;
    Turn turn_;
};

}  // namespace brisko
