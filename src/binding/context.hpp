// Context: what a body runs in, the module of its function or the class of its method, static
// method or constructor. Every body reaches its module, and so the module's state, through it.
#pragma once

#include <Python.h>

namespace brisko {

class Context {
public:
    // A module-level function's: the module the function object was made for.
    static Context of_module(PyObject* module) noexcept { return Context(module, nullptr); }
    // A method's, a static method's or a constructor's: the class.
    static Context of_class(PyTypeObject* cls) noexcept { return Context(nullptr, cls); }

    // The module (borrowed), or null with an exception: a class answers with the module it was made
    // for, which the host records when a class is made from its module.
    PyObject* module() const noexcept { return module_ ? module_ : PyType_GetModule(cls_); }

private:
    Context(PyObject* module, PyTypeObject* cls) noexcept : module_(module), cls_(cls) {}

    PyObject* module_;
    PyTypeObject* cls_;
};

}  // namespace brisko
