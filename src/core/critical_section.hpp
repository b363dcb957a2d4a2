// CriticalSection: the per-object lock of one object (or two) held from construction to
// destruction, on a build without the interpreter lock, where it is how the host's own containers
// are read in place (items borrowed, the length re-read) while other threads may change them. With
// the interpreter lock it is nothing: that lock gives the same exclusion.
//
// Like the host's own sections, it is suspended while its thread blocks (waiting for another lock,
// or to attach): another thread may then change the object, as another thread may run whenever
// the interpreter lock is let go. So what is read before a call that can run Python code is read
// again after it, as with the lock; and a section is never nested to hold two objects (the inner
// one may suspend the outer): `CriticalSection2` holds both.
#pragma once

#include <Python.h>

namespace brisko {

class CriticalSection {
public:
    explicit CriticalSection([[maybe_unused]] PyObject* op) noexcept {
#ifdef Py_GIL_DISABLED
        PyCriticalSection_Begin(&section_, op);
#endif
    }
    ~CriticalSection() {
#ifdef Py_GIL_DISABLED
        PyCriticalSection_End(&section_);
#endif
    }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

private:
#ifdef Py_GIL_DISABLED
    PyCriticalSection section_;
#endif
};

class CriticalSection2 {
public:
    CriticalSection2([[maybe_unused]] PyObject* a, [[maybe_unused]] PyObject* b) noexcept {
#ifdef Py_GIL_DISABLED
        PyCriticalSection2_Begin(&section_, a, b);
#endif
    }
    ~CriticalSection2() {
#ifdef Py_GIL_DISABLED
        PyCriticalSection2_End(&section_);
#endif
    }
    CriticalSection2(const CriticalSection2&) = delete;
    CriticalSection2& operator=(const CriticalSection2&) = delete;

private:
#ifdef Py_GIL_DISABLED
    PyCriticalSection2 section_;
#endif
};

}  // namespace brisko
