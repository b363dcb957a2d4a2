// Turn: whose turn it is to run an iterator's step. One thread at a time runs it; another thread
// that asks meanwhile waits for its turn (as the host's own iterators do, through their critical
// sections), while the thread running it that asks again, from a user callable inside the step,
// gets "iterator already executing".
#pragma once

#include <Python.h>

#ifdef Py_GIL_DISABLED
#include <atomic>
#endif

namespace brisko {

[[gnu::cold]] inline void already_executing() noexcept {
    PyErr_SetString(PyExc_ValueError, "iterator already executing");
}

class Turn {
public:
    Turn() noexcept = default;
    // An iterator's state moves only while the iterator is built, never while borrowed: the moved
    // turn is idle, and so is the new one.
    Turn(Turn&&) noexcept {}
    Turn& operator=(Turn&&) = delete;

    // True when the calling thread (attached) now holds the turn. False, with ValueError "iterator
    // already executing", when it holds it already; or, after waiting, with the exception of a
    // signal handler that raised meanwhile.
    [[nodiscard]] bool take() noexcept {
        PyThreadState* me = PyThreadState_GetUnchecked();
        return claim(me) || wait_for_turn(me);
    }

    // True when the turn was free and is now the caller's; false, with nothing set, when anyone
    // holds it: for the collector's clear, which must neither wait nor leave an exception behind.
    [[nodiscard]] bool try_take() noexcept { return claim(PyThreadState_GetUnchecked()); }

    void give_back() noexcept {
#ifdef Py_GIL_DISABLED
        holder_.store(nullptr, std::memory_order_release);
#else
        holder_ = nullptr;
#endif
    }

private:
    bool claim(PyThreadState* me) noexcept {
#ifdef Py_GIL_DISABLED
        PyThreadState* idle = nullptr;
        return holder_.compare_exchange_strong(idle, me, std::memory_order_acquire, std::memory_order_relaxed);
#else
        if (holder_) return false;
        holder_ = me;
        return true;
#endif
    }

    PyThreadState* holder() const noexcept {
#ifdef Py_GIL_DISABLED
        return holder_.load(std::memory_order_relaxed);
#else
        return holder_;
#endif
    }

    [[gnu::cold]] bool wait_for_turn(PyThreadState* me) noexcept;

    // The thread state running the step, or null. Guard: with the interpreter lock, that lock (the
    // object's interpreter's, held whenever the word is read or written); without it, an atomic
    // whose acquire and release order the step's state between the threads that take turns.
#ifdef Py_GIL_DISABLED
    std::atomic<PyThreadState*> holder_{nullptr};
#else
    PyThreadState* holder_ = nullptr;
#endif
};

}  // namespace brisko
