// Some: an Option value holding one object.
#include "option.hpp"

#include "value_class.hpp"

#include "../binding/function_def.hpp"
#include "../core/call.hpp"

namespace brisko {
namespace {

PyTypeObject* some_type() noexcept;

PyObject* some_new(Bound<1>& a) { return new_some(Owned::borrow(a[0])); }
using SomeNew = Constructor<"Some(value)", some_new>;

PyObject* map(PyObject* self, Bound<1>& a) {
    Owned result = Owned::steal(call_one(a[0], held(self)));
    if (!result) return nullptr;
    return new_some(std::move(result));
}

[[gnu::cold]] PyObject* not_an_option() {
    PyErr_SetString(PyExc_TypeError, "and_then callback must return an Option");
    return nullptr;
}

PyObject* and_then(PyObject* self, Bound<1>& a) {
    Owned result = Owned::steal(call_one(a[0], held(self)));
    if (!result) return nullptr;
    PyTypeObject* type = Py_TYPE(result.get());
    if (type != some_type() && type != nothing_type()) return not_an_option();
    return result.release();
}

PyObject* filter(PyObject* self, Bound<1>& a) {
    Owned verdict = Owned::steal(call_one(a[0], held(self)));
    if (!verdict) return nullptr;
    int keep = truth(verdict.get());
    if (keep < 0) return nullptr;
    return keep ? new_some(Owned::borrow(held(self))) : new_nothing();
}

PyObject* unwrap(PyObject* self, Bound<0>&) { return Py_NewRef(held(self)); }

PyObject* unwrap_or(PyObject* self, Bound<1>&) { return Py_NewRef(held(self)); }

PyObject* unwrap_or_else(PyObject* self, Bound<1>&) { return Py_NewRef(held(self)); }

PyObject* ok_or(PyObject* self, Bound<1>&) { return new_ok(Owned::borrow(held(self))); }

PyObject* is_some(PyObject*, Bound<0>&) { Py_RETURN_TRUE; }

PyObject* is_none(PyObject*, Bound<0>&) { Py_RETURN_FALSE; }

PyMethodDef some_methods[] = {
    method_def<"Some.map($self, f)", map>(),
    method_def<"Some.and_then($self, f)", and_then>(),
    method_def<"Some.filter($self, pred)", filter>(),
    method_def<"Some.unwrap($self)", unwrap>(),
    method_def<"Some.unwrap_or($self, default)", unwrap_or>(),
    method_def<"Some.unwrap_or_else($self, f)", unwrap_or_else>(),
    method_def<"Some.ok_or($self, err)", ok_or>(),
    method_def<"Some.is_some($self)", is_some>(),
    method_def<"Some.is_none($self)", is_none>(),
    {nullptr, nullptr, 0, nullptr},
};

PyMemberDef some_members[] = {value_member("value"), {nullptr, 0, 0, 0, nullptr}};

PyType_Spec some_spec = {
    "brisko._brisko.Some",
    sizeof(ValueObject),
    0,
    Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC,
    value_slots<SomeNew::entry, &always_true, some_methods, some_members, SomeNew::doc>,
};

ClassDef SOME_CLASS{&some_spec, &install_match_args<VALUE_FIELD>};
Registered SOME{OPTION_NAMES, SOME_CLASS};

PyTypeObject* some_type() noexcept { return class_type(SOME_CLASS); }

}  // namespace

PyObject* new_some(Owned value) { return new_value(some_type(), std::move(value)); }

}  // namespace brisko
