// NothingType: the Option value holding nothing. Instances are fresh objects, all equal.
#include "option.hpp"

#include "../binding/class_def.hpp"
#include "../core/call.hpp"
#include "../binding/function_def.hpp"

namespace brisko {
namespace {

constexpr Signature NOTHING_NEW_SIG = Signature::method("NothingType", "__new__", {});
PyObject* nothing_new(Args<NOTHING_NEW_SIG>&) { return new_nothing(); }

// map, and_then and filter never look at their argument.
constexpr Signature MAP_SIG = Signature::method("NothingType", "map", {"f"});
PyObject* map(PyObject*, Args<MAP_SIG>&) { return new_nothing(); }

constexpr Signature AND_THEN_SIG = Signature::method("NothingType", "and_then", {"f"});
PyObject* and_then(PyObject*, Args<AND_THEN_SIG>&) { return new_nothing(); }

constexpr Signature FILTER_SIG = Signature::method("NothingType", "filter", {"pred"});
PyObject* filter(PyObject*, Args<FILTER_SIG>&) { return new_nothing(); }

constexpr Signature UNWRAP_SIG = Signature::method("NothingType", "unwrap", {});
PyObject* unwrap(PyObject*, Args<UNWRAP_SIG>&) {
    PyErr_SetString(PyExc_ValueError, "called `unwrap` on Nothing");
    return nullptr;
}

constexpr Signature UNWRAP_OR_SIG = Signature::method("NothingType", "unwrap_or", {"default"});
PyObject* unwrap_or(PyObject*, Args<UNWRAP_OR_SIG>& a) { return Py_NewRef(a[0]); }

constexpr Signature UNWRAP_OR_ELSE_SIG = Signature::method("NothingType", "unwrap_or_else", {"f"});
PyObject* unwrap_or_else(PyObject*, Args<UNWRAP_OR_ELSE_SIG>& a) { return PyObject_CallNoArgs(a[0]); }

constexpr Signature OK_OR_SIG = Signature::method("NothingType", "ok_or", {"err"});
PyObject* ok_or(PyObject*, Args<OK_OR_SIG>& a) { return new_err(Owned::borrow(a[0])); }

constexpr Signature IS_SOME_SIG = Signature::method("NothingType", "is_some", {});
PyObject* is_some(PyObject*, Args<IS_SOME_SIG>&) { Py_RETURN_FALSE; }

constexpr Signature IS_NONE_SIG = Signature::method("NothingType", "is_none", {});
PyObject* is_none(PyObject*, Args<IS_NONE_SIG>&) { Py_RETURN_TRUE; }

PyObject* nothing_repr(PyObject*) noexcept {
    return boundary([] { return PyUnicode_FromString("Nothing"); });
}

int nothing_bool(PyObject*) noexcept { return 0; }

PyObject* nothing_richcompare(PyObject* self, PyObject* other, int op) noexcept {
    return boundary([&]() -> PyObject* {
        if (op != Py_EQ && op != Py_NE) Py_RETURN_NOTIMPLEMENTED;
        bool equal = Py_IS_TYPE(other, Py_TYPE(self));
        return Py_NewRef(equal == (op == Py_EQ) ? Py_True : Py_False);
    });
}

void nothing_dealloc(PyObject* self) noexcept { free_instance(self); }

PyMethodDef nothing_methods[] = {
    method_def<MAP_SIG, map>("map($self, f)\n--\n\n"),
    method_def<AND_THEN_SIG, and_then>("and_then($self, f)\n--\n\n"),
    method_def<FILTER_SIG, filter>("filter($self, pred)\n--\n\n"),
    method_def<UNWRAP_SIG, unwrap>("unwrap($self)\n--\n\n"),
    method_def<UNWRAP_OR_SIG, unwrap_or>("unwrap_or($self, default)\n--\n\n"),
    method_def<UNWRAP_OR_ELSE_SIG, unwrap_or_else>("unwrap_or_else($self, f)\n--\n\n"),
    method_def<OK_OR_SIG, ok_or>("ok_or($self, err)\n--\n\n"),
    method_def<IS_SOME_SIG, is_some>("is_some($self)\n--\n\n"),
    method_def<IS_NONE_SIG, is_none>("is_none($self)\n--\n\n"),
    {nullptr, nullptr, 0, nullptr},
};

constexpr char nothing_doc[] = "NothingType()\n--\n\n";

// Holding nothing, an instance can be part of no cycle: the class stays outside the collector.
PyType_Slot nothing_slots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(&nothing_dealloc)},
    {Py_tp_new, reinterpret_cast<void*>(&new_through_vectorcall)},
    {Py_tp_vectorcall, reinterpret_cast<void*>(&constructor_entry<NOTHING_NEW_SIG, nothing_new>)},
    {Py_nb_bool, reinterpret_cast<void*>(&nothing_bool)},
    {Py_tp_repr, reinterpret_cast<void*>(&nothing_repr)},
    {Py_tp_richcompare, reinterpret_cast<void*>(&nothing_richcompare)},
    {Py_tp_methods, nothing_methods},
    {Py_tp_doc, const_cast<char*>(nothing_doc)},
    {0, nullptr},
};

PyType_Spec nothing_spec = {
    "brisko._brisko.NothingType", sizeof(PyObject), 0, Py_TPFLAGS_DEFAULT, nothing_slots,
};

ClassDef NOTHING_CLASS{&nothing_spec};

}  // namespace

PyTypeObject* nothing_type() noexcept { return class_type(NOTHING_CLASS); }

PyObject* new_nothing() {
    PyTypeObject* type = nothing_type();
    if (!type) return nullptr;
    return PyObject_New(PyObject, type);
}

}  // namespace brisko
