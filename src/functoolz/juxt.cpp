// juxt: one Juxt calls every function with the same arguments and returns the results as a tuple.
#include <new>
#include <vector>

#include "functoolz.hpp"

#include "../utils/errors.hpp"
#include "../utils/function_def.hpp"
#include "../utils/vectorcall_class.hpp"

namespace brisko {
namespace {

struct Juxt {
    PyObject_HEAD
    vectorcallfunc vectorcall;
    std::vector<Owned> funcs;  // in argument order, fixed at creation
};

// Every function receives the caller's vector as given; one call at a time, so passing
// PY_VECTORCALL_ARGUMENTS_OFFSET on to each of them is sound.
PyObject* juxt_call(PyObject* obj, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) noexcept {
    return boundary([&]() -> PyObject* {
        const std::vector<Owned>& funcs = reinterpret_cast<Juxt*>(obj)->funcs;
        const auto n = Py_ssize_t(funcs.size());
        Owned results = Owned::steal(PyTuple_New(n));
        if (!results || n == 0) return results.release();
        // User code runs between the slots: until the tuple is full, gc.get_objects() must not see it.
        PyObject_GC_UnTrack(results.get());
        for (Py_ssize_t i = 0; i < n; ++i) {
            PyObject* result = PyObject_Vectorcall(funcs[std::size_t(i)].get(), args, nargsf, kwnames);
            if (!result) return nullptr;
            PyTuple_SET_ITEM(results.get(), i, result);
        }
        PyObject_GC_Track(results.get());
        return results.release();
    });
}

void juxt_dealloc(PyObject* obj) noexcept {
    reinterpret_cast<Juxt*>(obj)->funcs.~vector();
    free_instance(obj);
}

PyType_Slot juxt_slots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(&juxt_dealloc)},
    {Py_tp_call, reinterpret_cast<void*>(&PyVectorcall_Call)},
    {0, nullptr},
};

PyType_Spec juxt_spec = {
    "brisko._brisko.Juxt", sizeof(Juxt), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION, juxt_slots,
};

ClassDef JUXT_CLASS{&juxt_spec, &install_vectorcall<Juxt>};

// A single argument that is not callable is an iterable of functions.
int collect_funcs(PyObject* const* args, Py_ssize_t n, std::vector<Owned>& out) {
    if (n != 1 || PyCallable_Check(args[0])) {
        for (Py_ssize_t i = 0; i < n; ++i) out.push_back(Owned::borrow(args[i]));
        return 0;
    }
    Owned it = Owned::steal(PyObject_GetIter(args[0]));
    if (!it) return -1;
    while (PyObject* func = iter_next(it.get())) out.push_back(Owned::steal(func));
    return PyErr_Occurred() ? -1 : 0;
}

constexpr Signature JUXT_SIG = Signature::function("juxt", {}).with_rest();
PyObject* juxt(Args<JUXT_SIG>& a) {
    std::vector<Owned> funcs;
    if (collect_funcs(a.rest, a.n_rest, funcs) < 0) return nullptr;
    auto* self = alloc_instance<Juxt>(JUXT_CLASS);
    if (!self) return nullptr;
    self->vectorcall = &juxt_call;
    new (&self->funcs) std::vector<Owned>(std::move(funcs));
    return reinterpret_cast<PyObject*>(self);
}

}  // namespace

PyMethodDef JUXT_DEF = function_def<JUXT_SIG, juxt>("juxt(*funcs)\n--\n\n");

}  // namespace brisko
