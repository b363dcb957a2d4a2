// complement: a Complement returns the negated truth of its function's result.
#include <new>

#include "functoolz.hpp"

#include "../utils/call.hpp"
#include "../utils/function_def.hpp"
#include "../utils/vectorcall_class.hpp"

namespace brisko {
namespace {

struct Complement {
    PyObject_HEAD
    vectorcallfunc vectorcall;
    Owned func;  // fixed at creation, not tested for callability
};

PyObject* complement_call(PyObject* obj, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) noexcept {
    return boundary([&]() -> PyObject* {
        Owned result =
            Owned::steal(PyObject_Vectorcall(reinterpret_cast<Complement*>(obj)->func.get(), args, nargsf, kwnames));
        if (!result) return nullptr;
        int is_true = truth(result.get());
        if (is_true < 0) return nullptr;
        return Py_NewRef(is_true ? Py_False : Py_True);
    });
}

void complement_dealloc(PyObject* obj) noexcept {
    reinterpret_cast<Complement*>(obj)->func.~Owned();
    free_instance(obj);
}

PyType_Slot complement_slots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(&complement_dealloc)},
    {Py_tp_call, reinterpret_cast<void*>(&PyVectorcall_Call)},
    {0, nullptr},
};

PyType_Spec complement_spec = {
    "brisko._brisko.Complement", sizeof(Complement), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION,
    complement_slots,
};

ClassDef COMPLEMENT_CLASS{&complement_spec, &install_vectorcall<Complement>};

constexpr Signature COMPLEMENT_SIG = Signature::function("complement", {"func"});
PyObject* complement(Args<COMPLEMENT_SIG>& a) {
    auto* self = alloc_instance<Complement>(COMPLEMENT_CLASS);
    if (!self) return nullptr;
    self->vectorcall = &complement_call;
    new (&self->func) Owned(Owned::borrow(a[0]));
    return reinterpret_cast<PyObject*>(self);
}

}  // namespace

PyMethodDef COMPLEMENT_DEF = function_def<COMPLEMENT_SIG, complement>("complement(func)\n--\n\n");

}  // namespace brisko
