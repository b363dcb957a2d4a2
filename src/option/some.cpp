// Some: an Option value holding one object.
#include "option.hpp"

#include "value_class.hpp"

#include "../core/call.hpp"
#include "../binding/function_def.hpp"

namespace brisko {
namespace {

constexpr Signature SOME_NEW_SIG = Signature::method("Some", "__new__", {"value"});
PyObject* some_new(Args<SOME_NEW_SIG>& a) { return new_some(Owned::borrow(a[0])); }

constexpr Signature MAP_SIG = Signature::method("Some", "map", {"f"});
PyObject* map(PyObject* self, Args<MAP_SIG>& a) {
    Owned result = Owned::steal(call_one(a[0], held(self)));
    if (!result) return nullptr;
    return new_some(std::move(result));
}

[[gnu::cold]] PyObject* not_an_option() {
    PyErr_SetString(PyExc_TypeError, "and_then callback must return an Option");
    return nullptr;
}

constexpr Signature AND_THEN_SIG = Signature::method("Some", "and_then", {"f"});
PyObject* and_then(PyObject* self, Args<AND_THEN_SIG>& a) {
    Owned result = Owned::steal(call_one(a[0], held(self)));
    if (!result) return nullptr;
    PyTypeObject* type = Py_TYPE(result.get());
    if (type != some_type() && type != nothing_type()) return not_an_option();
    return result.release();
}

constexpr Signature FILTER_SIG = Signature::method("Some", "filter", {"pred"});
PyObject* filter(PyObject* self, Args<FILTER_SIG>& a) {
    Owned verdict = Owned::steal(call_one(a[0], held(self)));
    if (!verdict) return nullptr;
    int keep = truth(verdict.get());
    if (keep < 0) return nullptr;
    return keep ? new_some(Owned::borrow(held(self))) : new_nothing();
}

constexpr Signature UNWRAP_SIG = Signature::method("Some", "unwrap", {});
PyObject* unwrap(PyObject* self, Args<UNWRAP_SIG>&) { return Py_NewRef(held(self)); }

constexpr Signature UNWRAP_OR_SIG = Signature::method("Some", "unwrap_or", {"default"});
PyObject* unwrap_or(PyObject* self, Args<UNWRAP_OR_SIG>&) { return Py_NewRef(held(self)); }

constexpr Signature UNWRAP_OR_ELSE_SIG = Signature::method("Some", "unwrap_or_else", {"f"});
PyObject* unwrap_or_else(PyObject* self, Args<UNWRAP_OR_ELSE_SIG>&) { return Py_NewRef(held(self)); }

constexpr Signature OK_OR_SIG = Signature::method("Some", "ok_or", {"err"});
PyObject* ok_or(PyObject* self, Args<OK_OR_SIG>&) { return new_ok(Owned::borrow(held(self))); }

constexpr Signature IS_SOME_SIG = Signature::method("Some", "is_some", {});
PyObject* is_some(PyObject*, Args<IS_SOME_SIG>&) { Py_RETURN_TRUE; }

constexpr Signature IS_NONE_SIG = Signature::method("Some", "is_none", {});
PyObject* is_none(PyObject*, Args<IS_NONE_SIG>&) { Py_RETURN_FALSE; }

PyMethodDef some_methods[] = {
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

PyMemberDef some_members[] = {value_member("value"), {nullptr, 0, 0, 0, nullptr}};

constexpr char some_doc[] = "Some(value)\n--\n\n";

PyType_Spec some_spec = {
    "brisko._brisko.Some", sizeof(ValueObject), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC,
    value_slots<&constructor_entry<SOME_NEW_SIG, some_new>, &always_true, some_methods, some_members, some_doc>,
};

ClassDef SOME_CLASS{&some_spec, &install_match_args<VALUE_FIELD>};

}  // namespace

PyTypeObject* some_type() noexcept { return class_type(SOME_CLASS); }

PyObject* new_some(Owned value) { return new_value(some_type(), std::move(value)); }

}  // namespace brisko
