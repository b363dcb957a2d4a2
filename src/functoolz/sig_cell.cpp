// The one lookup behind a curry chain's signature.
#include "sig_cell.hpp"

#include <pythread.h>

#include "../utils/cached_attr.hpp"
#include "../utils/call.hpp"

namespace brisko {

SigCell::~SigCell() { clear(); }

void SigCell::clear() noexcept {
    PyObject* v = value_.exchange(nullptr, std::memory_order_acq_rel);
    if (v && v != no_signature()) Py_DECREF(v);
}

int SigCell::resolve_slow(PyObject* func, PyObject*& sig) {
    unsigned long me = PyThread_get_thread_ident();
    if (owner_.load(std::memory_order_relaxed) == me) {
        // inspect.signature(func) came back to this very curry: waiting on ourselves would hang.
        PyErr_SetString(PyExc_RuntimeError, "recursive signature lookup of the same curry");
        return -1;
    }
    PyMutex_Lock(&mutex_);
    owner_.store(me, std::memory_order_relaxed);
    struct Unlock {
        SigCell* cell;
        ~Unlock() {
            cell->owner_.store(0, std::memory_order_relaxed);
            PyMutex_Unlock(&cell->mutex_);
        }
    } guard{this};

    if (PyObject* v = value_.load(std::memory_order_acquire)) {  // another thread got there first
        sig = v == no_signature() ? nullptr : v;
        return 0;
    }
    PyObject* signature = cached_attr(SIGNATURE);
    if (!signature) return -1;
    Owned found = Owned::steal(call_one(signature, func));
    if (!found) {
        if (!PyErr_ExceptionMatches(PyExc_ValueError) && !PyErr_ExceptionMatches(PyExc_TypeError)) return -1;
        PyErr_Clear();  // no signature metadata, or not a callable: calls go straight through
    }
    sig = found.get();
    value_.store(found ? found.release() : no_signature(), std::memory_order_release);
    return 0;
}

}  // namespace brisko
