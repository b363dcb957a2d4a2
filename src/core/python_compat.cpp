// Classes made from specs alike on every supported interpreter.
#include "python_compat.hpp"

#include <array>
#include <cstdint>
#include <cstdlib>

#ifdef BRISKO_NATIVE_STACK_CHECK
#include <pthread.h>
#endif

namespace brisko {

#ifdef BRISKO_NATIVE_STACK_CHECK

namespace {

// Room kept free below the deepest call allowed: what raising and reporting the error, and the
// host code it runs on the way out, need. A small stack keeps a quarter of itself, so that the
// check still leaves most of it to use: a thread can be given as little as 32 KiB.
constexpr std::uintptr_t STACK_MARGIN = std::uintptr_t(128) << 10;

// The lowest address this thread's calls may reach before refusing (the stack grows down), found
// once per thread; 0 when the thread's stack is unknown.
std::uintptr_t stack_floor() noexcept {
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) != 0) return 0;
    void* base = nullptr;
    std::size_t size = 0;
    int rc = pthread_attr_getstack(&attr, &base, &size);
    pthread_attr_destroy(&attr);
    if (rc != 0) return 0;
    std::uintptr_t margin = size / 4 < STACK_MARGIN ? size / 4 : STACK_MARGIN;
    return reinterpret_cast<std::uintptr_t>(base) + margin;
}

bool native_stack_low() noexcept {
    // Guard: thread-local, a number.
    thread_local const std::uintptr_t floor = stack_floor();
    return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)) < floor;
}

// Guard: thread-local. The deallocations under way on this thread, and those put off until the
// outermost one ends. The queue holds objects only while that outermost deallocation runs, and
// only of its thread state's interpreter: a deallocation running in another interpreter meanwhile
// (a finalizer may enter one) goes at once, so that no object is freed where its interpreter is
// not the running one. The queue is a plain array, freed once drained: a thread_local with a
// destructor would make the module ask the C library for thread-exit hooks newer than the oldest
// glibc the wheels are built for.
thread_local int deallocating = 0;
thread_local bool draining = false;
thread_local PyThreadState* outermost = nullptr;
thread_local PyObject** put_off = nullptr;
thread_local std::size_t put_off_count = 0;
thread_local std::size_t put_off_room = 0;

bool put_off_push(PyObject* self) noexcept {
    if (put_off_count == put_off_room) {
        std::size_t room = put_off_room == 0 ? 64 : 2 * put_off_room;
        auto* grown = static_cast<PyObject**>(std::realloc(put_off, room * sizeof(PyObject*)));
        if (grown == nullptr) return false;
        put_off = grown;
        put_off_room = room;
    }
    put_off[put_off_count++] = self;
    return true;
}

}  // namespace

int enter_recursive_call(const char* where) noexcept {
    if (native_stack_low()) {
        PyErr_Format(PyExc_RecursionError, "maximum recursion depth exceeded%s", where);
        return -1;
    }
    return Py_EnterRecursiveCall(where);
}

bool begin_deallocation(PyObject* self) noexcept {
    // With no room to put it off, it goes now, as it would without the check.
    if (deallocating == 0) {
        outermost = PyThreadState_GetUnchecked();
    } else if (native_stack_low() && PyThreadState_GetUnchecked() == outermost && put_off_push(self)) {
        return false;
    }
    ++deallocating;
    return true;
}

void end_deallocation() noexcept {
    if (--deallocating > 0 || draining || put_off == nullptr) return;
    // The outermost deallocation frees what was put off, one at a time from this shallow frame;
    // each may put off more, which this loop takes too.
    draining = true;
    while (put_off_count > 0) {
        PyObject* next = put_off[--put_off_count];
        Py_TYPE(next)->tp_dealloc(next);
    }
    std::free(put_off);
    put_off = nullptr;
    put_off_room = 0;
    draining = false;
}

#else

int enter_recursive_call(const char* where) noexcept { return Py_EnterRecursiveCall(where); }

#endif

#ifdef BRISKO_VECTORCALL_SLOT_AFTER_CREATION

PyObject* type_from_spec(PyObject* module, PyType_Spec* spec) noexcept {
    std::array<PyType_Slot, 64> slots{};  // brisko's specs name a dozen at most
    std::size_t n = 0;
    void* vectorcall = nullptr;
    for (PyType_Slot* slot = spec->slots; slot->slot; ++slot) {
        if (slot->slot == Py_tp_vectorcall) {
            vectorcall = slot->pfunc;
        } else if (n + 1 < slots.size()) {
            slots[n++] = *slot;
        } else {
            PyErr_Format(PyExc_SystemError, "%s: too many slots", spec->name);
            return nullptr;
        }
    }
    PyType_Spec without = *spec;
    without.slots = slots.data();
    PyObject* type = PyType_FromMetaclass(nullptr, module, &without, nullptr);
    if (type && vectorcall)
        reinterpret_cast<PyTypeObject*>(type)->tp_vectorcall = reinterpret_cast<vectorcallfunc>(vectorcall);
    return type;
}

#else

PyObject* type_from_spec(PyObject* module, PyType_Spec* spec) noexcept {
    return PyType_FromMetaclass(nullptr, module, spec, nullptr);
}

#endif

}  // namespace brisko
