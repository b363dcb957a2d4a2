// Waiting for an iterator's turn.
#include "turn.hpp"

#include <sched.h>

#include <algorithm>
#include <ctime>

namespace brisko {

// The holder is another thread inside the step: with the lock, one whose step runs Python code
// that let the lock go; without it, one that runs alongside. Each round lets this thread's lock go
// (so that the holder, or the collector's stop-the-world, can go ahead), yields, then sleeps ever
// longer up to a millisecond: a step that runs for long costs the waiter little, and one that ends
// soon is followed within microseconds. A pending signal's handler runs between rounds (on the main
// thread), so Ctrl-C reaches a thread that waits behind a step that never ends.
bool Turn::wait_for_turn(PyThreadState* me) noexcept {
    for (unsigned round = 0;; ++round) {
        if (holder() == me) {
            already_executing();
            return false;
        }
        PyThreadState* saved = PyEval_SaveThread();
        if (round < 16) {
            sched_yield();
        } else {
            const timespec pause{0, (1L << std::min(round - 16, 10U)) * 1000};  // 1 us up to about 1 ms
            nanosleep(&pause, nullptr);
        }
        PyEval_RestoreThread(saved);
        if (PyErr_CheckSignals() < 0) return false;
        if (claim(me)) return true;
    }
}

}  // namespace brisko
