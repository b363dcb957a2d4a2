// OnceCell: a process-wide cell holding one strong reference, filled at most once.
// Type objects, cached host lookups and once-computed flags live in these.
#pragma once

#include <Python.h>

#include <atomic>

#include "owned.hpp"

namespace brisko {

class OnceCell {
public:
    constexpr OnceCell() noexcept = default;
    OnceCell(const OnceCell&) = delete;
    OnceCell& operator=(const OnceCell&) = delete;

    // Borrowed; null while the cell is empty.
    PyObject* get() const noexcept { return value_.load(std::memory_order_acquire); }

    // Returns the stored object, running `init` (-> Owned) when the cell is empty. A null from
    // `init` leaves its exception set and the cell empty, so the next call tries again.
    // A thread that must wait for another thread's `init` is detached from the interpreter
    // while it waits (PyMutex_Lock does that), so an `init` that imports cannot deadlock with it.
    template <class Init>
    PyObject* get_or_init(Init&& init) {
        if (PyObject* v = get()) return v;
        return init_slow(init);
    }

private:
    bool enter();  // false (exception set) when this thread is already running `init`
    void leave() noexcept;

    template <class Init>
    PyObject* init_slow(Init& init) {
        if (!enter()) return nullptr;
        struct Leave {
            OnceCell* cell;
            ~Leave() { cell->leave(); }
        } guard{this};
        if (PyObject* v = get()) return v;
        Owned made = init();
        if (!made) return nullptr;
        PyObject* v = made.release();  // the cell keeps it for the rest of the process
        value_.store(v, std::memory_order_release);
        return v;
    }

    std::atomic<PyObject*> value_{nullptr};
    PyMutex mutex_{};
    std::atomic<unsigned long> owner_{0};
};

}  // namespace brisko
