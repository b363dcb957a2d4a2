// excepts: an Excepts turns the exceptions it matches into its handler's result (or None).

#include "functoolz.hpp"

#include "../utils/call.hpp"
#include "../utils/errors.hpp"
#include "../utils/function_def.hpp"
#include "../utils/vectorcall_class.hpp"

namespace brisko {
namespace {

struct Excepts {
    static constexpr const char* NAME = "brisko._brisko.Excepts";
    Owned exc;  // a class or tuple of classes as the host's matching takes them; not validated
    Owned func;
    Owned handler;  // null when absent

    int traverse(const GcVisit& visit) const { return visit.all(exc, func, handler); }

    static PyObject* call(Excepts& self, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
        if (PyObject* result = PyObject_Vectorcall(self.func.get(), args, nargsf, kwnames)) return result;
        // The raised exception is already normalised and carries its traceback.
        Owned caught = Owned::steal(PyErr_GetRaisedException());
        if (!caught) return fetch_err();
        if (!PyErr_GivenExceptionMatches(caught.get(), self.exc.get())) {
            PyErr_SetRaisedException(caught.release());
            return nullptr;
        }
        if (!self.handler) return Py_NewRef(Py_None);
        return call_one(self.handler.get(), caught.get());
    }
};

constexpr Signature EXCEPTS_SIG = Signature::function("excepts", {"exc", "func", "handler"}, 2);
PyObject* excepts(Args<EXCEPTS_SIG>& a) {
    Owned handler = a[2] && a[2] != Py_None ? Owned::borrow(a[2]) : Owned();
    return CallOnly<Excepts>::make(Excepts{Owned::borrow(a[0]), Owned::borrow(a[1]), std::move(handler)});
}

}  // namespace

PyMethodDef EXCEPTS_DEF = function_def<EXCEPTS_SIG, excepts>("excepts(exc, func, handler=None)\n--\n\n");

PyTypeObject* excepts_type() noexcept { return CallOnly<Excepts>::type(); }

PyObject* excepts_parts(PyObject* obj) {
    const Excepts* self = CallOnly<Excepts>::fields_of(obj);
    if (!self) return nullptr;
    PyObject* handler = self->handler ? self->handler.get() : Py_None;
    return PyTuple_Pack(3, self->exc.get(), self->func.get(), handler);
}

}  // namespace brisko
