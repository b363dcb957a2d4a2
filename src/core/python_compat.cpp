// Classes made from specs alike on every supported interpreter.
#include "python_compat.hpp"

#include <array>
#include <cstdint>

#if PY_VERSION_HEX < 0x030E0000 && defined(__linux__)
#include <pthread.h>
#define BRISKO_NATIVE_STACK_CHECK 1
#endif

namespace brisko {

#ifdef BRISKO_NATIVE_STACK_CHECK

namespace {

// Room kept free below the deepest call allowed: what raising and reporting the error, and the
// host code it runs on the way out, need.
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
    if (rc != 0 || size <= 2 * STACK_MARGIN) return 0;
    return reinterpret_cast<std::uintptr_t>(base) + STACK_MARGIN;
}

}  // namespace

int enter_recursive_call(const char* where) noexcept {
    thread_local const std::uintptr_t floor = stack_floor();
    if (reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)) < floor) {
        PyErr_Format(PyExc_RecursionError, "maximum recursion depth exceeded%s", where);
        return -1;
    }
    return Py_EnterRecursiveCall(where);
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
