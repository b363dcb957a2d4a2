// OnceCell locking: the mutex detaches a waiting thread; a recursive `init` is refused, not deadlocked.
#include "once_cell.hpp"

#include <pythread.h>

namespace brisko {

bool OnceCell::enter(const char* recursion_message) {
    unsigned long me = PyThread_get_thread_ident();
    if (owner_.load(std::memory_order_relaxed) == me) {
        PyErr_SetString(PyExc_RuntimeError, recursion_message);
        return false;
    }
    PyMutex_Lock(&mutex_);
    owner_.store(me, std::memory_order_relaxed);
    return true;
}

void OnceCell::leave() noexcept {
    owner_.store(0, std::memory_order_relaxed);
    PyMutex_Unlock(&mutex_);
}

}  // namespace brisko
