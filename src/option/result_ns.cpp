// Result: a namespace class, never instantiated, carrying `Result.of`, which runs a callable and
// keeps either what it returned or the Exception it raised.
#include "option.hpp"

#include "../binding/class_def.hpp"
#include "../binding/function_def.hpp"
#include "../core/errors.hpp"

namespace brisko {
namespace {

PyObject* of(Args<"Result.of(f)">& a) {
    Owned value = Owned::steal(PyObject_CallNoArgs(a["f"]));
    if (value) return new_ok(std::move(value));
    // The raised exception is already an instance with its traceback attached.
    Owned exc = Owned::steal(PyErr_GetRaisedException());
    if (!exc) return fetch_err();
    // KeyboardInterrupt, SystemExit and GeneratorExit are requests to stop, not results.
    if (!PyErr_GivenExceptionMatches(exc.get(), PyExc_Exception)) {
        PyErr_SetRaisedException(exc.release());
        return nullptr;
    }
    return new_err(std::move(exc));
}

PyMethodDef result_ns_methods[] = {
    static_method_def<of>(),
    CLASS_GETITEM,
    {nullptr, nullptr, 0, nullptr},
};

PyType_Slot result_ns_slots[] = {
    {Py_tp_methods, result_ns_methods},
    {0, nullptr},
};

PyType_Spec result_ns_spec = {
    "brisko._brisko.Result", sizeof(PyObject), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION,
    result_ns_slots,
};

ClassDef RESULT_NS_CLASS{&result_ns_spec, &bare_static_methods};
Registered RESULT{OPTION_NAMES, RESULT_NS_CLASS};

}  // namespace

}  // namespace brisko
