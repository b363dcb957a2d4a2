// Err: the Result value of a computation that failed, holding its error (usually an exception).
#include "option.hpp"

#include "value_class.hpp"

#include "../core/call.hpp"
#include "../binding/function_def.hpp"

namespace brisko {
namespace {

constexpr Signature ERR_NEW_SIG = Signature::method("Err", "__new__", {"error"});
PyObject* err_new(Args<ERR_NEW_SIG>& a) { return new_err(Owned::borrow(a[0])); }

constexpr Signature MAP_SIG = Signature::method("Err", "map", {"f"});
PyObject* map(PyObject* self, Args<MAP_SIG>&) { return new_err(Owned::borrow(held(self))); }

constexpr Signature MAP_ERR_SIG = Signature::method("Err", "map_err", {"f"});
PyObject* map_err(PyObject* self, Args<MAP_ERR_SIG>& a) {
    Owned result = Owned::steal(call_one(a[0], held(self)));
    if (!result) return nullptr;
    return new_err(std::move(result));
}

constexpr Signature AND_THEN_SIG = Signature::method("Err", "and_then", {"f"});
PyObject* and_then(PyObject* self, Args<AND_THEN_SIG>&) { return new_err(Owned::borrow(held(self))); }

constexpr Signature UNWRAP_SIG = Signature::method("Err", "unwrap", {});
PyObject* unwrap(PyObject* self, Args<UNWRAP_SIG>&) {
    // A repr that raises reports its own exception instead.
    Owned message = Owned::steal(PyUnicode_FromFormat("called `unwrap` on Err(%R)", held(self)));
    if (message) PyErr_SetObject(PyExc_ValueError, message.get());
    return nullptr;
}

constexpr Signature UNWRAP_OR_SIG = Signature::method("Err", "unwrap_or", {"default"});
PyObject* unwrap_or(PyObject*, Args<UNWRAP_OR_SIG>& a) { return Py_NewRef(a[0]); }

constexpr Signature OK_SIG = Signature::method("Err", "ok", {});
PyObject* ok(PyObject*, Args<OK_SIG>&) { return new_nothing(); }

constexpr Signature ERR_SIG = Signature::method("Err", "err", {});
PyObject* err(PyObject* self, Args<ERR_SIG>&) { return new_some(Owned::borrow(held(self))); }

constexpr Signature IS_OK_SIG = Signature::method("Err", "is_ok", {});
PyObject* is_ok(PyObject*, Args<IS_OK_SIG>&) { Py_RETURN_FALSE; }

constexpr Signature IS_ERR_SIG = Signature::method("Err", "is_err", {});
PyObject* is_err(PyObject*, Args<IS_ERR_SIG>&) { Py_RETURN_TRUE; }

PyMethodDef err_methods[] = {
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

PyMemberDef err_members[] = {value_member("error"), {nullptr, 0, 0, 0, nullptr}};

constexpr char err_doc[] = "Err(error)\n--\n\n";

PyType_Spec err_spec = {
    "brisko._brisko.Err", sizeof(ValueObject), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC,
    value_slots<&constructor_entry<ERR_NEW_SIG, err_new>, &always_false, err_methods, err_members, err_doc>,
};

ClassDef ERR_CLASS{&err_spec, &install_match_args<ERROR_FIELD>};

}  // namespace

PyTypeObject* err_type() noexcept { return class_type(ERR_CLASS); }

PyObject* new_err(Owned error) { return new_value(err_type(), std::move(error)); }

}  // namespace brisko
