// GilRefCell: an iterator's mutable state behind a borrow counter. The interpreter lock gives mutual
// exclusion between threads; the counter only catches reentrant use from the same thread (a user
// callable advancing the iterator that is calling it), which gets "iterator already executing".
#pragma once

#include <Python.h>

#include <utility>

#include "../core/gc_visit.hpp"

namespace brisko {

[[gnu::cold]] inline void already_executing() noexcept {
    PyErr_SetString(PyExc_ValueError, "iterator already executing");
}

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
            if (cell_) cell_->flag_ += 1;
        }
        explicit operator bool() const noexcept { return cell_ != nullptr; }
        T* operator->() const noexcept { return &cell_->value_; }
        T& operator*() const noexcept { return cell_->value_; }

    private:
        GilRefCell* cell_;
    };

    // An empty guard (ValueError set) when the cell is already borrowed.
    [[nodiscard]] Guard borrow() noexcept {
        if (flag_ != 0) {
            already_executing();
            return Guard(nullptr);
        }
        return try_borrow();
    }

    // An empty guard, with nothing set, when the cell is already borrowed: for the collector's
    // clear, which must leave no exception behind.
    [[nodiscard]] Guard try_borrow() noexcept {
        if (flag_ != 0) return Guard(nullptr);
        flag_ = -1;
        return Guard(this);
    }

    // For the collector only: it reads the state without a borrow (see GcVisit).
    int traverse(const GcVisit& visit) const { return visit(value_); }

private:
    T value_;
    Py_ssize_t flag_ = 0;  // 0 idle, -1 borrowed
};

}  // namespace brisko
