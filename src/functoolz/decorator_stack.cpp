// Stacks of single-function decorators: which objects top one, and what a new decorator stands on.
#include "functoolz.hpp"

namespace brisko {
namespace {

PyTypeObject* curry_type() noexcept { return class_type(CURRY_CLASS); }

struct Kind {
    PyTypeObject* (*type)() noexcept;
    const DecoratorStack* (*stack)(PyObject*) noexcept;
};
constexpr Kind KINDS[] = {
    {&curry_type, &curry_stack},
    {&memoize_type, &memoize_stack},
    {&complement_type, &complement_stack},
    {&excepts_type, &excepts_stack},
};

}  // namespace

const DecoratorStack* decorator_stack(PyObject* obj) {
    for (const Kind& kind : KINDS) {
        PyTypeObject* type = kind.type();
        if (!type) return nullptr;
        // The classes cannot be subclassed: the exact type decides.
        if (Py_IS_TYPE(obj, type)) return kind.stack(obj);
    }
    return nullptr;
}

int stack_over(PyObject* func, DecoratorStack& out) {
    const DecoratorStack* below = decorator_stack(func);
    if (!below) {
        if (PyErr_Occurred()) return -1;
        out = DecoratorStack{Owned::borrow(func), 1};
        return 0;
    }
    out = DecoratorStack{Owned::borrow(below->bottom.get()), below->height + 1};
    return 0;
}

}  // namespace brisko
