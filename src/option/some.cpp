// Some: an Option value holding one object.
#include "option.hpp"

#include "value_class.hpp"

#include "../binding/function_def.hpp"
#include "../core/call.hpp"

namespace brisko {
namespace {

PyTypeObject* some_type() noexcept;

PyObject* some_new(Args<"Some(value)">& a) { return new_some(Owned::borrow(a["value"])); }
using SomeNew = Constructor<some_new>;

PyObject* map(PyObject* self, Args<"Some.map($self, f)">& a) {
    Owned result = Owned::steal(call_one(a["f"], held(self)));
    if (!result) return nullptr;
    return new_some(std::move(result));
}

[[gnu::cold]] PyObject* not_an_option() {
    PyErr_SetString(PyExc_TypeError, "and_then callback must return an Option");
    return nullptr;
}

PyObject* and_then(PyObject* self, Args<"Some.and_then($self, f)">& a) {
    Owned result = Owned::steal(call_one(a["f"], held(self)));
    if (!result) return nullptr;
    int is_value = is_either(result.get(), some_type(), nothing_type());
    if (is_value <= 0) return is_value < 0 ? nullptr : not_an_option();
    return result.release();
}

PyObject* filter(PyObject* self, Args<"Some.filter($self, pred)">& a) {
    Owned verdict = Owned::steal(call_one(a["pred"], held(self)));
    if (!verdict) return nullptr;
    int keep = truth(verdict.get());
    if (keep < 0) return nullptr;
    return keep ? new_some(Owned::borrow(held(self))) : new_nothing();
}

PyObject* unwrap(PyObject* self, Args<"Some.unwrap($self)">&) { return Py_NewRef(held(self)); }

PyObject* unwrap_or(PyObject* self, Args<"Some.unwrap_or($self, default)">&) { return Py_NewRef(held(self)); }

PyObject* unwrap_or_else(PyObject* self, Args<"Some.unwrap_or_else($self, f)">&) { return Py_NewRef(held(self)); }

PyObject* ok_or(PyObject* self, Args<"Some.ok_or($self, err)">&) { return new_ok(Owned::borrow(held(self))); }

PyObject* is_some(PyObject*, Args<"Some.is_some($self)">&) { Py_RETURN_TRUE; }

PyObject* is_none(PyObject*, Args<"Some.is_none($self)">&) { Py_RETURN_FALSE; }

PyMethodDef some_methods[] = {
    method_def<map>(),    method_def<and_then>(),         method_def<filter>(),
    method_def<unwrap>(), method_def<unwrap_or>(),        method_def<unwrap_or_else>(),
    method_def<ok_or>(),  method_def<is_some>(),          method_def<is_none>(),
    CLASS_GETITEM,        {nullptr, nullptr, 0, nullptr},
};

PyMemberDef some_members[] = {value_member("value"), {nullptr, 0, 0, 0, nullptr}};

PyType_Spec some_spec = {
    "brisko._brisko.Some",
    sizeof(ValueObject),
    0,
    Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC,
    value_slots<SomeNew::entry, &always_true, some_methods, some_members, SomeNew::doc>.data(),
};

ClassDef SOME_CLASS{&some_spec, &install_match_args<VALUE_FIELD>};
Registered SOME{OPTION_NAMES, SOME_CLASS};

PyTypeObject* some_type() noexcept { return class_type(SOME_CLASS); }

}  // namespace

PyObject* new_some(Owned value) { return new_value(SOME_CLASS, std::move(value)); }

}  // namespace brisko
