// Err: the Result value of a computation that failed, holding its error (usually an exception).
#include "option.hpp"

#include "value_class.hpp"

#include "../binding/function_def.hpp"
#include "../core/call.hpp"

namespace brisko {
namespace {

PyObject* err_new(Bound<1>& a) { return new_err(Owned::borrow(a[0])); }
using ErrNew = Constructor<"Err(error)", err_new>;

PyObject* map(PyObject* self, Bound<1>&) { return new_err(Owned::borrow(held(self))); }

PyObject* map_err(PyObject* self, Bound<1>& a) {
    Owned result = Owned::steal(call_one(a[0], held(self)));
    if (!result) return nullptr;
    return new_err(std::move(result));
}

PyObject* and_then(PyObject* self, Bound<1>&) { return new_err(Owned::borrow(held(self))); }

PyObject* unwrap(PyObject* self, Bound<0>&) {
    // A repr that raises reports its own exception instead.
    Owned message = Owned::steal(PyUnicode_FromFormat("called `unwrap` on Err(%R)", held(self)));
    if (message) PyErr_SetObject(PyExc_ValueError, message.get());
    return nullptr;
}

PyObject* unwrap_or(PyObject*, Bound<1>& a) { return Py_NewRef(a[0]); }

PyObject* ok(PyObject*, Bound<0>&) { return new_nothing(); }

PyObject* err(PyObject* self, Bound<0>&) { return new_some(Owned::borrow(held(self))); }

PyObject* is_ok(PyObject*, Bound<0>&) { Py_RETURN_FALSE; }

PyObject* is_err(PyObject*, Bound<0>&) { Py_RETURN_TRUE; }

PyMethodDef err_methods[] = {
    method_def<"Err.map($self, f)", map>(),
    method_def<"Err.map_err($self, f)", map_err>(),
    method_def<"Err.and_then($self, f)", and_then>(),
    method_def<"Err.unwrap($self)", unwrap>(),
    method_def<"Err.unwrap_or($self, default)", unwrap_or>(),
    method_def<"Err.ok($self)", ok>(),
    method_def<"Err.err($self)", err>(),
    method_def<"Err.is_ok($self)", is_ok>(),
    method_def<"Err.is_err($self)", is_err>(),
    {nullptr, nullptr, 0, nullptr},
};

PyMemberDef err_members[] = {value_member("error"), {nullptr, 0, 0, 0, nullptr}};

PyType_Spec err_spec = {
    "brisko._brisko.Err",
    sizeof(ValueObject),
    0,
    Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC,
    value_slots<ErrNew::entry, &always_false, err_methods, err_members, ErrNew::doc>,
};

ClassDef ERR_CLASS{&err_spec, &install_match_args<ERROR_FIELD>};
Registered ERR{OPTION_NAMES, ERR_CLASS};

}  // namespace

PyTypeObject* err_type() noexcept { return class_type(ERR_CLASS); }

PyObject* new_err(Owned error) { return new_value(err_type(), std::move(error)); }

}  // namespace brisko
