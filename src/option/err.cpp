// Err: the Result value of a computation that failed, holding its error (usually an exception).
#include "option.hpp"

#include "value_class.hpp"

#include "../binding/function_def.hpp"
#include "../core/call.hpp"

namespace brisko {
namespace {

PyObject* err_new(Args<"Err(error)">& a) { return new_err(Owned::borrow(a["error"])); }
using ErrNew = Constructor<err_new>;

PyObject* map(PyObject* self, Args<"Err.map($self, f)">&) { return new_err(Owned::borrow(held(self))); }

PyObject* map_err(PyObject* self, Args<"Err.map_err($self, f)">& a) {
    Owned result = Owned::steal(call_one(a["f"], held(self)));
    if (!result) return nullptr;
    return new_err(std::move(result));
}

PyObject* and_then(PyObject* self, Args<"Err.and_then($self, f)">&) { return new_err(Owned::borrow(held(self))); }

PyObject* unwrap(PyObject* self, Args<"Err.unwrap($self)">&) {
    // A repr that raises reports its own exception instead.
    Owned message = Owned::steal(PyUnicode_FromFormat("called `unwrap` on Err(%R)", held(self)));
    if (message) PyErr_SetObject(PyExc_ValueError, message.get());
    return nullptr;
}

PyObject* unwrap_or(PyObject*, Args<"Err.unwrap_or($self, default)">& a) { return Py_NewRef(a["default"]); }

PyObject* ok(PyObject*, Args<"Err.ok($self)">&) { return new_nothing(); }

PyObject* err(PyObject* self, Args<"Err.err($self)">&) { return new_some(Owned::borrow(held(self))); }

PyObject* is_ok(PyObject*, Args<"Err.is_ok($self)">&) { Py_RETURN_FALSE; }

PyObject* is_err(PyObject*, Args<"Err.is_err($self)">&) { Py_RETURN_TRUE; }

PyMethodDef err_methods[] = {
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

PyMemberDef err_members[] = {value_member("error"), {nullptr, 0, 0, 0, nullptr}};

PyType_Spec err_spec = {
    "brisko._brisko.Err",
    sizeof(ValueObject),
    0,
    Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC,
    value_slots<ErrNew::entry, &always_false, err_methods, err_members, ErrNew::doc>.data(),
};

ClassDef ERR_CLASS{&err_spec, &install_match_args<ERROR_FIELD>};
Registered ERR{OPTION_NAMES, ERR_CLASS};

}  // namespace

PyTypeObject* err_type() noexcept { return class_type(ERR_CLASS); }

PyObject* new_err(Owned error) { return new_value(ERR_CLASS, std::move(error)); }

}  // namespace brisko
