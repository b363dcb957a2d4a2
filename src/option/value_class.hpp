// What Some, Ok and Err share: one owned field, collector support that leaves alone the values
// that can never be part of a cycle, and type objects that carry `__match_args__`.
#pragma once

#include <Python.h>

#include <cstddef>

#include "../binding/class_def.hpp"
#include "../binding/collected_object.hpp"
#include "../binding/function_def.hpp"
#include "../core/owned.hpp"

namespace brisko {

struct ValueFields {
    Owned value;  // never null, never replaced while the object is reachable

    int traverse(const GcVisit& visit) const { return visit(value); }

    // None, not null, takes the place of the held object once the collector has cleared it: the
    // field stays valid for every method, should a finalizer still reach the object.
    static ValueFields cleared() { return {Owned::borrow(Py_None)}; }
};
using ValueObject = CollectedObject<ObjectHead, ValueFields>;

// The held object (borrowed). It lives as long as the caller's reference to `self`: only the
// collector's clear replaces it, and only on an object nothing else reaches.
inline PyObject* held(PyObject* self) noexcept { return ValueObject::object(self)->fields.value.get(); }

// A new instance of one of the three value classes owning `value`, or null with an exception.
PyObject* new_value(ClassDef& cls, Owned value);

// The ClassDef install hook of a value class: `__match_args__` = (FIELD,), so that a class pattern
// binds its one positional sub-pattern to the held object.
int set_match_args(PyTypeObject* type, const char* field) noexcept;
template <const char* FIELD>
int install_match_args(PyTypeObject* type) noexcept {
    return set_match_args(type, FIELD);
}
inline constexpr char VALUE_FIELD[] = "value";
inline constexpr char ERROR_FIELD[] = "error";

// Whether `obj` is exactly of one of two value classes: 1 or 0, or -1 with the error of a class
// that cannot be had (brisko torn down in this interpreter), which no answer may replace.
inline int is_either(PyObject* obj, PyTypeObject* first, PyTypeObject* second) noexcept {
    if (!first || !second) return -1;
    return Py_IS_TYPE(obj, first) || Py_IS_TYPE(obj, second);
}

// The dealloc every value class shares (the free list's, by which a value object is known).
void value_dealloc(PyObject* self) noexcept;
// "Some(1)": the bare class name around the held object's repr.
PyObject* value_repr(PyObject* self) noexcept;
// == is the equality of the held objects of two instances of one class; anything else is unequal.
// Ordering is not defined.
PyObject* value_richcompare(PyObject* self, PyObject* other, int op) noexcept;

inline int always_true(PyObject*) noexcept { return 1; }
inline int always_false(PyObject*) noexcept { return 0; }

// The slot table of a value class: what Some, Ok and Err share, with the class's own constructor
// (its vectorcall entry), truth value, methods, read-only attribute and docstring.
template <vectorcallfunc CONSTRUCT, inquiry TRUTH, PyMethodDef* METHODS, PyMemberDef* MEMBERS, const char* DOC>
inline auto value_slots = collected_slots<ValueObject>(
    {
        {Py_tp_new, reinterpret_cast<void*>(&new_through_vectorcall)},
        {Py_tp_vectorcall, reinterpret_cast<void*>(CONSTRUCT)},
        {Py_nb_bool, reinterpret_cast<void*>(TRUTH)},
        {Py_tp_repr, reinterpret_cast<void*>(&value_repr)},
        {Py_tp_richcompare, reinterpret_cast<void*>(&value_richcompare)},
        {Py_tp_methods, METHODS},
        {Py_tp_members, MEMBERS},
        {Py_tp_doc, const_cast<char*>(DOC)},
    },
    &value_dealloc);

// The read-only attribute `name` over the held object.
constexpr PyMemberDef value_member(const char* name) {
    Py_ssize_t offset = Py_ssize_t(offsetof(ValueObject, fields) + offsetof(ValueFields, value));
    return {name, Py_T_OBJECT_EX, offset, Py_READONLY, nullptr};
}

}  // namespace brisko
