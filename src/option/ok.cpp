// Ok: the Result value of a computation that succeeded.
#include "option.hpp"

#include "value_class.hpp"

#include "../core/call.hpp"
#include "../binding/function_def.hpp"

namespace brisko {
namespace {

constexpr Signature OK_NEW_SIG = Signature::method("Ok", "__new__", {"value"});
PyObject* ok_new(Args<OK_NEW_SIG>& a) { return new_ok(Owned::borrow(a[0])); }

constexpr Signature MAP_SIG = Signature::method("Ok", "map", {"f"});
PyObject* map(PyObject* self, Args<MAP_SIG>& a) {
    Owned result = Owned::steal(call_one(a[0], held(self)));
    if (!result) return nullptr;
    return new_ok(std::move(result));
}

constexpr Signature MAP_ERR_SIG = Signature::method("Ok", "map_err", {"f"});
PyObject* map_err(PyObject* self, Args<MAP_ERR_SIG>&) { return new_ok(Owned::borrow(held(self))); }

[[gnu::cold]] PyObject* not_a_result() {
    PyErr_SetString(PyExc_TypeError, "and_then callback must return a Result");
    return nullptr;
}

constexpr Signature AND_THEN_SIG = Signature::method("Ok", "and_then", {"f"});
PyObject* and_then(PyObject* self, Args<AND_THEN_SIG>& a) {
    Owned result = Owned::steal(call_one(a[0], held(self)));
    if (!result) return nullptr;
    PyTypeObject* type = Py_TYPE(result.get());
    if (type != ok_type() && type != err_type()) return not_a_result();
    return result.release();
}

constexpr Signature UNWRAP_SIG = Signature::method("Ok", "unwrap", {});
PyObject* unwrap(PyObject* self, Args<UNWRAP_SIG>&) { return Py_NewRef(held(self)); }

constexpr Signature UNWRAP_OR_SIG = Signature::method("Ok", "unwrap_or", {"default"});
PyObject* unwrap_or(PyObject* self, Args<UNWRAP_OR_SIG>&) { return Py_NewRef(held(self)); }

constexpr Signature OK_SIG = Signature::method("Ok", "ok", {});
PyObject* ok(PyObject* self, Args<OK_SIG>&) { return new_some(Owned::borrow(held(self))); }

constexpr Signature ERR_SIG = Signature::method("Ok", "err", {});
PyObject* err(PyObject*, Args<ERR_SIG>&) { return new_nothing(); }

constexpr Signature IS_OK_SIG = Signature::method("Ok", "is_ok", {});
PyObject* is_ok(PyObject*, Args<IS_OK_SIG>&) { Py_RETURN_TRUE; }

constexpr Signature IS_ERR_SIG = Signature::method("Ok", "is_err", {});
PyObject* is_err(PyObject*, Args<IS_ERR_SIG>&) { Py_RETURN_FALSE; }

PyMethodDef ok_methods[] = {
    method_def<MAP_SIG, map>("map($self, f)\n--\n\n"),
    method_def<MAP_ERR_SIG, map_err>("map_err($self, f)\n--\n\n"),
    method_def<AND_THEN_SIG, and_then>("and_then($self, f)\n--\n\n"),
    method_def<UNWRAP_SIG, unwrap>("unwrap($self)\n--\n\n"),
    method_def<UNWRAP_OR_SIG, unwrap_or>("unwrap_or($self, default)\n--\n\n"),
    method_def<OK_SIG, ok>("ok($self)\n--\n\n"),
    method_def<ERR_SIG, err>("err($self)\n--\n\n"),
    method_def<IS_OK_SIG, is_ok>("is_ok($self)\n--\n\n"),
    method_def<IS_ERR_SIG, is_err>("is_err($self)\n--\n\n"),
    {nullptr, nullptr, 0, nullptr},
};

PyMemberDef ok_members[] = {value_member("value"), {nullptr, 0, 0, 0, nullptr}};

constexpr char ok_doc[] = "Ok(value)\n--\n\n";

PyType_Spec ok_spec = {
    "brisko._brisko.Ok", sizeof(ValueObject), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC,
    value_slots<&constructor_entry<OK_NEW_SIG, ok_new>, &always_true, ok_methods, ok_members, ok_doc>,
};

ClassDef OK_CLASS{&ok_spec, &install_match_args<VALUE_FIELD>};

}  // namespace

PyTypeObject* ok_type() noexcept { return class_type(OK_CLASS); }

PyObject* new_ok(Owned value) { return new_value(ok_type(), std::move(value)); }

}  // namespace brisko
