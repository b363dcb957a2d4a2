// Ok: the Result value of a computation that succeeded.
#include "option.hpp"

#include "value_class.hpp"

#include "../binding/function_def.hpp"
#include "../core/call.hpp"

namespace brisko {
namespace {

PyTypeObject* ok_type() noexcept;

PyObject* ok_new(Args<"Ok(value)">& a) { return new_ok(Owned::borrow(a["value"])); }
using OkNew = Constructor<ok_new>;

PyObject* map(PyObject* self, Args<"Ok.map($self, f)">& a) {
    Owned result = Owned::steal(call_one(a["f"], held(self)));
    if (!result) return nullptr;
    return new_ok(std::move(result));
}

PyObject* map_err(PyObject* self, Args<"Ok.map_err($self, f)">&) { return new_ok(Owned::borrow(held(self))); }

[[gnu::cold]] PyObject* not_a_result() {
    PyErr_SetString(PyExc_TypeError, "and_then callback must return a Result");
    return nullptr;
}

PyObject* and_then(PyObject* self, Args<"Ok.and_then($self, f)">& a) {
    Owned result = Owned::steal(call_one(a["f"], held(self)));
    if (!result) return nullptr;
    int is_value = is_either(result.get(), ok_type(), err_type());
    if (is_value <= 0) return is_value < 0 ? nullptr : not_a_result();
    return result.release();
}

PyObject* unwrap(PyObject* self, Args<"Ok.unwrap($self)">&) { return Py_NewRef(held(self)); }

PyObject* unwrap_or(PyObject* self, Args<"Ok.unwrap_or($self, default)">&) { return Py_NewRef(held(self)); }

PyObject* ok(PyObject* self, Args<"Ok.ok($self)">&) { return new_some(Owned::borrow(held(self))); }

PyObject* err(PyObject*, Args<"Ok.err($self)">&) { return new_nothing(); }

PyObject* is_ok(PyObject*, Args<"Ok.is_ok($self)">&) { Py_RETURN_TRUE; }

PyObject* is_err(PyObject*, Args<"Ok.is_err($self)">&) { Py_RETURN_FALSE; }

PyMethodDef ok_methods[] = {
    method_def<map>(),
    method_def<map_err>(),
    method_def<and_then>(),
    method_def<unwrap>(),
    method_def<unwrap_or>(),
    method_def<ok>(),
    method_def<err>(),
    method_def<is_ok>(),
    method_def<is_err>(),
    CLASS_GETITEM,
    {nullptr, nullptr, 0, nullptr},
};

PyMemberDef ok_members[] = {value_member("value"), {nullptr, 0, 0, 0, nullptr}};

PyType_Spec ok_spec = {
    "brisko._brisko.Ok",
    sizeof(ValueObject),
    0,
    Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC,
    value_slots<OkNew::entry, &always_true, ok_methods, ok_members, OkNew::doc>.data(),
};

ClassDef OK_CLASS{&ok_spec, &install_match_args<VALUE_FIELD>};
Registered OK{OPTION_NAMES, OK_CLASS};

PyTypeObject* ok_type() noexcept { return class_type(OK_CLASS); }

}  // namespace

PyObject* new_ok(Owned value) { return new_value(OK_CLASS, std::move(value)); }

}  // namespace brisko
