// OnceCell: a cell holding one strong reference, filled at most once. Each interpreter's type
// objects, cached host lookups and once-computed flags live in such cells (interpreter_cell.hpp); a
// curry chain's signature in one of its own.
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

    // A cell filled from the start (it keeps `value`).
    explicit OnceCell(Owned value) noexcept : value_(value.release()) {}

    // Returns the stored object, running `init` (-> Owned) when the cell is empty. A null from
    // `init` leaves its exception set and the cell empty, so the next call tries again.
    // A thread that must wait for another thread's `init` is detached from the interpreter
    // while it waits (PyMutex_Lock does that), so an `init` that imports cannot deadlock with it.
    // An `init` that comes back to the same cell on its own thread fails with RuntimeError
    // `recursion_message` instead of waiting on itself.
    template <class Init>
    PyObject* get_or_init(Init&& init, const char* recursion_message = "recursive initialisation of a cached value") {
        if (PyObject* v = get()) return v;
        return init_slow(init, recursion_message);
    }

    // Empties the cell, releasing what it held: when the object holding the cell goes, or the
    // interpreter whose value it holds.
    void clear() noexcept { Py_XDECREF(value_.exchange(nullptr, std::memory_order_acq_rel)); }

private:
    bool enter(const char* recursion_message);  // false (exception set) when this thread runs `init`
    void leave() noexcept;

    template <class Init>
    PyObject* init_slow(Init& init, const char* recursion_message) {
        if (!enter(recursion_message)) return nullptr;
        struct Leave {
            OnceCell* cell;
            ~Leave() { cell->leave(); }
        } guard{this};
        if (PyObject* v = get()) return v;
        Owned made = init();
        if (!made) return nullptr;
        PyObject* v = made.release();  // the cell keeps it until cleared
        value_.store(v, std::memory_order_release);
        return v;
    }

    std::atomic<PyObject*> value_{nullptr};
    PyMutex mutex_{};
    std::atomic<unsigned long> owner_{0};
};

}  // namespace brisko
