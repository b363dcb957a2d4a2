// excepts: an Excepts turns the exceptions it matches into its handler's result (or None).
#include <new>

#include "functoolz.hpp"

#include "../utils/call.hpp"
#include "../utils/errors.hpp"
#include "../utils/function_def.hpp"
#include "../utils/vectorcall_class.hpp"

namespace brisko {
namespace {

struct Excepts {
    PyObject_HEAD
    vectorcallfunc vectorcall;
    Owned exc;      // a class or tuple of classes as the host's matching takes them; not validated
    Owned func;
    Owned handler;  // null when absent
};

PyObject* excepts_call(PyObject* obj, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) noexcept {
    return boundary([&]() -> PyObject* {
        auto* self = reinterpret_cast<Excepts*>(obj);
        if (PyObject* result = PyObject_Vectorcall(self->func.get(), args, nargsf, kwnames)) return result;
        // The raised exception is already normalised and carries its traceback.
        Owned caught = Owned::steal(PyErr_GetRaisedException());
        if (!caught) return fetch_err();
        if (!PyErr_GivenExceptionMatches(caught.get(), self->exc.get())) {
            PyErr_SetRaisedException(caught.release());
            return nullptr;
        }
        if (!self->handler) return Py_NewRef(Py_None);
        return call_one(self->handler.get(), caught.get());
    });
}

void excepts_dealloc(PyObject* obj) noexcept {
    auto* self = reinterpret_cast<Excepts*>(obj);
    self->handler.~Owned();
    self->func.~Owned();
    self->exc.~Owned();
    free_instance(obj);
}

PyType_Slot excepts_slots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(&excepts_dealloc)},
    {Py_tp_call, reinterpret_cast<void*>(&PyVectorcall_Call)},
    {0, nullptr},
};

PyType_Spec excepts_spec = {
    "brisko._brisko.Excepts", sizeof(Excepts), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION,
    excepts_slots,
};

ClassDef EXCEPTS_CLASS{&excepts_spec, &install_vectorcall<Excepts>};

constexpr Signature EXCEPTS_SIG = Signature::function("excepts", {"exc", "func", "handler"}, 2);
PyObject* excepts(Args<EXCEPTS_SIG>& a) {
    auto* self = alloc_instance<Excepts>(EXCEPTS_CLASS);
    if (!self) return nullptr;
    self->vectorcall = &excepts_call;
    new (&self->exc) Owned(Owned::borrow(a[0]));
    new (&self->func) Owned(Owned::borrow(a[1]));
    new (&self->handler) Owned(a[2] && a[2] != Py_None ? Owned::borrow(a[2]) : Owned());
    return reinterpret_cast<PyObject*>(self);
}

}  // namespace

PyMethodDef EXCEPTS_DEF = function_def<EXCEPTS_SIG, excepts>("excepts(exc, func, handler=None)\n--\n\n");

}  // namespace brisko
