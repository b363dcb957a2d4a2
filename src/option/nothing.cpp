// NothingType: the Option value holding nothing. Instances are fresh objects, all equal.
#include "option.hpp"

#include "../binding/class_def.hpp"
#include "../binding/function_def.hpp"
#include "../core/call.hpp"

namespace brisko {
namespace {

PyObject* nothing_new(Args<"NothingType()">&) { return new_nothing(); }
using NothingNew = Constructor<nothing_new>;

// map, and_then and filter never look at their argument.
PyObject* map(PyObject*, Args<"NothingType.map($self, f)">&) { return new_nothing(); }

PyObject* and_then(PyObject*, Args<"NothingType.and_then($self, f)">&) { return new_nothing(); }

PyObject* filter(PyObject*, Args<"NothingType.filter($self, pred)">&) { return new_nothing(); }

PyObject* unwrap(PyObject*, Args<"NothingType.unwrap($self)">&) {
    PyErr_SetString(PyExc_ValueError, "called `unwrap` on Nothing");
    return nullptr;
}

PyObject* unwrap_or(PyObject*, Args<"NothingType.unwrap_or($self, default)">& a) { return Py_NewRef(a["default"]); }

PyObject* unwrap_or_else(PyObject*, Args<"NothingType.unwrap_or_else($self, f)">& a) {
    return PyObject_CallNoArgs(a["f"]);
}

PyObject* ok_or(PyObject*, Args<"NothingType.ok_or($self, err)">& a) { return new_err(Owned::borrow(a["err"])); }

PyObject* is_some(PyObject*, Args<"NothingType.is_some($self)">&) { Py_RETURN_FALSE; }

PyObject* is_none(PyObject*, Args<"NothingType.is_none($self)">&) { Py_RETURN_TRUE; }

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
    method_def<map>(),       method_def<and_then>(),         method_def<filter>(), method_def<unwrap>(),
    method_def<unwrap_or>(), method_def<unwrap_or_else>(),   method_def<ok_or>(),  method_def<is_some>(),
    method_def<is_none>(),   {nullptr, nullptr, 0, nullptr},
};

// Holding nothing, an instance can be part of no cycle: the class stays outside the collector.
PyType_Slot nothing_slots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(&nothing_dealloc)},
    {Py_tp_new, reinterpret_cast<void*>(&new_through_vectorcall)},
    {Py_tp_vectorcall, reinterpret_cast<void*>(NothingNew::entry)},
    {Py_nb_bool, reinterpret_cast<void*>(&nothing_bool)},
    {Py_tp_repr, reinterpret_cast<void*>(&nothing_repr)},
    {Py_tp_richcompare, reinterpret_cast<void*>(&nothing_richcompare)},
    {Py_tp_methods, nothing_methods},
    {Py_tp_doc, const_cast<char*>(NothingNew::doc)},
    {0, nullptr},
};

PyType_Spec nothing_spec = {
    "brisko._brisko.NothingType", sizeof(PyObject), 0, Py_TPFLAGS_DEFAULT, nothing_slots,
};

ClassDef NOTHING_CLASS{&nothing_spec};
Registered NOTHING_TYPE{OPTION_NAMES, NOTHING_CLASS};

}  // namespace

PyTypeObject* nothing_type() noexcept { return class_type(NOTHING_CLASS); }

PyObject* new_nothing() {
    PyTypeObject* type = nothing_type();
    if (!type) return nullptr;
    return PyObject_New(PyObject, type);
}

namespace {
Registered NOTHING{OPTION_NAMES, "Nothing", [](PyObject*) { return new_nothing(); }};
}  // namespace

}  // namespace brisko
