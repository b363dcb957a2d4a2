// excepts: an Excepts turns the exceptions it matches into its handler's result (or None).

#include "functoolz.hpp"

#include "../binding/function_def.hpp"
#include "../binding/vectorcall_class.hpp"
#include "../core/call.hpp"
#include "../core/errors.hpp"
#include "../core/recursion_guard.hpp"

namespace brisko {
namespace {

// Whether `caught` matches `exc` by PyErr_GivenExceptionMatches' rule, tuples nested to any depth
// included: the host walks the nesting on the C stack without a limit, so it is walked here, under
// the recursion check, and only the leaves go to the host. 1, 0, or -1 with RecursionError set.
int matches(PyObject* caught, PyObject* exc) {
    if (!PyTuple_Check(exc)) return PyErr_GivenExceptionMatches(caught, exc);
    RecursionGuard guard(" while matching an exception");
    if (!guard) return -1;
    for (Py_ssize_t i = 0; i < PyTuple_GET_SIZE(exc); ++i) {
        int matched = matches(caught, PyTuple_GET_ITEM(exc, i));
        if (matched != 0) return matched;
    }
    return 0;
}

// The pending exception, raised while `caught` was being handled, gets it as its context.
[[gnu::cold]] PyObject* raised_while_handling(Owned caught) {
    Owned raised = Owned::steal(PyErr_GetRaisedException());
    if (!raised) return fetch_err();
    PyException_SetContext(raised.get(), caught.release());
    PyErr_SetRaisedException(raised.release());
    return nullptr;
}

struct Excepts {
    static constexpr const char* NAME = "brisko._brisko.Excepts";
    Owned exc;  // a class or tuple of classes as the host's matching takes them; not validated
    Owned func;
    Owned handler;  // null when absent
    DecoratorStack stack;

    int traverse(const GcVisit& visit) const { return visit.all(exc, func, handler, stack); }
    static PyObject* wrapped(const Excepts& self) { return self.func.get(); }

    static PyObject* call(Excepts& self, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
        if (PyObject* result = PyObject_Vectorcall(self.func.get(), args, nargsf, kwnames)) return result;
        // The raised exception is already normalised and carries its traceback.
        Owned caught = Owned::steal(PyErr_GetRaisedException());
        if (!caught) return fetch_err();
        int matched = matches(caught.get(), self.exc.get());
        if (matched < 0) return raised_while_handling(std::move(caught));
        if (matched == 0) {
            PyErr_SetRaisedException(caught.release());
            return nullptr;
        }
        if (!self.handler) return Py_NewRef(Py_None);
        return call_one(self.handler.get(), caught.get());
    }
};

PyObject* excepts(Args<"excepts(exc, func, handler=None)">& a) {
    Owned handler = a["handler"] && a["handler"] != Py_None ? Owned::borrow(a["handler"]) : Owned();
    DecoratorStack stack;
    if (stack_over(a["func"], stack) < 0) return nullptr;
    return CallOnly<Excepts>::new_instance(
        Excepts{Owned::borrow(a["exc"]), Owned::borrow(a["func"]), std::move(handler), std::move(stack)});
}
Registered EXCEPTS{FUNCTOOLZ_NAMES, function_def<excepts>()};

}  // namespace

PyTypeObject* excepts_type() noexcept { return CallOnly<Excepts>::type(); }

const DecoratorStack* excepts_stack(PyObject* obj) noexcept {
    const Excepts* self = CallOnly<Excepts>::live_fields(obj);
    return self ? &self->stack : nullptr;
}

PyObject* excepts_parts(PyObject* obj) {
    const Excepts* self = CallOnly<Excepts>::fields_of(obj);
    if (!self) return nullptr;
    PyObject* handler = self->handler ? self->handler.get() : Py_None;
    return PyTuple_Pack(3, self->exc.get(), self->func.get(), handler);
}

}  // namespace brisko
