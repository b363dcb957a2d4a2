// Callable classes whose instances carry their own vectorcall pointer.
#pragma once

#include <Python.h>

#include <concepts>
#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

#include "../core/gc_visit.hpp"
#include "../core/panic.hpp"
#include "../core/recursion_guard.hpp"
#include "class_def.hpp"
#include "collected_object.hpp"
#include "wrapper_module.hpp"

namespace brisko {

// A ClassDef install hook: calls of T's instances (which start with a CallableHead) go through the
// head's vectorcall pointer, while the class's tp_call (PyVectorcall_Call in its slot table) serves
// tuple-and-dict callers with the same function. The offset is set here rather than through a
// `__vectorcalloffset__` member, so the class shows no such attribute.
template <class T>
int install_vectorcall(PyTypeObject* type) noexcept {
    static_assert(std::is_standard_layout_v<T>, "offsetof needs a standard-layout object struct");
    type->tp_vectorcall_offset = Py_ssize_t(offsetof(T, head) + offsetof(CallableHead, vectorcall));
    type->tp_flags |= Py_TPFLAGS_HAVE_VECTORCALL;
    return 0;
}

// Fields of a wrapper over one function, which it lends through `static PyObject* wrapped(const
// Fields&)` (borrowed): its instances answer that function's `__module__`.
template <class Fields>
concept WrapsOneFunction = requires(const Fields& fields) {
    { Fields::wrapped(fields) } -> std::same_as<PyObject*>;
};

// Such a wrapper that also shows its function as `__wrapped__` (Fields::SHOWS_WRAPPED), as the
// standard library's wrappers that keep their function's parameters do: inspect.signature, and so
// curry, then read the function's.
template <class Fields>
concept ShowsWrapped = WrapsOneFunction<Fields> && Fields::SHOWS_WRAPPED;

// A class whose instances can only be called: no constructor, no attributes of their own (a
// single-function wrapper's `__module__` and `__wrapped__` aside), no docstring. Fields supplies NAME,
// `static PyObject* call(Fields&, args, nargsf, kwnames)` and `traverse`; the fields are set once,
// when a factory makes the object, and never change until the collector clears them or the object
// dies.
template <class Fields>
struct CallOnly {
    using Object = CollectedObject<CallableHead, Fields>;

    // The class's type object (borrowed, made on first use), or null with an exception.
    static PyTypeObject* type() noexcept { return class_type(CLASS); }

    // The fields of an instance, for a reader outside the call path (pickling); null with
    // ReferenceError once the collector has cleared them.
    static const Fields* fields_of(PyObject* self) noexcept {
        if (const Fields* fields = live_fields(self)) return fields;
        cleared_object(self);
        return nullptr;
    }
    // The same, null with no exception once cleared.
    static const Fields* live_fields(PyObject* self) noexcept {
        return Object::is_live(self) ? &Object::object(self)->fields : nullptr;
    }

    // The call may go on into another of our callables: a deep chain of them raises RecursionError.
    static PyObject* vectorcall(PyObject* self, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) noexcept {
        return boundary([&]() -> PyObject* {
            if (!Object::is_live(self)) return cleared_object(self);
            RecursionGuard guard(" while calling a Python object");
            if (!guard) return nullptr;
            return Fields::call(Object::object(self)->fields, args, nargsf, kwnames);
        });
    }

    static PyObject* wrapped_of(PyObject* self) noexcept {
        if constexpr (WrapsOneFunction<Fields>) {
            if (Object::is_live(self)) return Fields::wrapped(Object::object(self)->fields);
        }
        return nullptr;
    }

    static PyObject* get_wrapped(PyObject* self, void*) noexcept {
        PyObject* func = wrapped_of(self);
        return func ? Py_NewRef(func) : cleared_object(self);
    }
    static inline PyGetSetDef shown_wrapped[] = {{"__wrapped__", &get_wrapped, nullptr, nullptr, nullptr}, {}};
    static inline PyGetSetDef no_attributes[] = {{}};

    static inline auto slots = collected_slots<Object>({
        {Py_tp_call, reinterpret_cast<void*>(&PyVectorcall_Call)},
        {Py_tp_getattro, WrapsOneFunction<Fields> ? reinterpret_cast<void*>(&wrapper_getattro<&wrapped_of>)
                                                  : reinterpret_cast<void*>(&PyObject_GenericGetAttr)},
        {Py_tp_getset, ShowsWrapped<Fields> ? shown_wrapped : no_attributes},
    });
    static inline PyType_Spec spec = {Fields::NAME, sizeof(Object), 0, COLLECTED_CLASS_FLAGS, slots.data()};
    static inline ClassDef CLASS{&spec, &install_vectorcall<Object>};

    // A new instance owning `fields` (moved in, so a failure releases what they hold).
    static PyObject* new_instance(Fields fields) {
        auto* self = alloc_instance<Object>(CLASS);
        if (!self) return nullptr;
        self->head.vectorcall = &vectorcall;
        return Object::build(self, std::move(fields));
    }
};

}  // namespace brisko
