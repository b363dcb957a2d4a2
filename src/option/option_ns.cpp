// Option: a namespace class, never instantiated, carrying the constructor `Option.of`.
#include "option.hpp"

#include "../binding/class_def.hpp"
#include "../binding/function_def.hpp"

namespace brisko {
namespace {

// None (by identity) is the absence of a value; anything else, falsy ones included, is a value.
PyObject* of(Args<"Option.of(v)">& a) {
    if (a["v"] == Py_None) return new_nothing();
    return new_some(Owned::borrow(a["v"]));
}

PyMethodDef option_ns_methods[] = {
    static_method_def<of>(),
    CLASS_GETITEM,
    {nullptr, nullptr, 0, nullptr},
};

PyType_Slot option_ns_slots[] = {
    {Py_tp_methods, option_ns_methods},
    {0, nullptr},
};

PyType_Spec option_ns_spec = {
    "brisko._brisko.Option", sizeof(PyObject), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION,
    option_ns_slots,
};

ClassDef OPTION_NS_CLASS{&option_ns_spec, &bare_static_methods};
Registered OPTION{OPTION_NAMES, OPTION_NS_CLASS};

}  // namespace

}  // namespace brisko
