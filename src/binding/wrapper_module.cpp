// A wrapper's `__module__`, read through the function it wraps.
#include "wrapper_module.hpp"

#include "../core/owned.hpp"
#include "../core/recursion_guard.hpp"

namespace brisko {

PyObject* wrapper_attr(PyObject* self, PyObject* name, PyObject* wrapped) {
    if (wrapped && PyUnicode_Check(name) && PyUnicode_EqualToUTF8(name, "__module__")) {
        // The function's lookup may run user code: the function is held for its whole duration.
        Owned func = Owned::borrow(wrapped);
        // A wrapper over a wrapper asks the one below it: a deep stack raises RecursionError.
        RecursionGuard guard(" while reading __module__");
        if (!guard) return nullptr;
        PyObject* module = nullptr;
        int found = PyObject_GetOptionalAttr(func.get(), name, &module);
        if (found != 0) return found > 0 ? module : nullptr;
    }
    return PyObject_GenericGetAttr(self, name);
}

}  // namespace brisko
