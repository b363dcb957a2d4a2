// curry: partial application decided by the host's own signature binding. A call gathers its
// arguments onto the curry's, then either calls through (they bind) or returns a larger curry.
#include <new>

#include "functoolz.hpp"
#include "sig_cell.hpp"

#include "../utils/arg_vector.hpp"
#include "../utils/function_def.hpp"
#include "../utils/once_cell.hpp"
#include "../utils/tuple.hpp"
#include "../utils/vectorcall_class.hpp"

namespace brisko {
namespace {

// Every field is set when the curry is made and never changes (until the collector clears them
// all), so a curry needs no borrow tracking and calls may nest freely. The signature cell fills
// once, on the first call.
struct Curry {
    PyObject_HEAD
    vectorcallfunc vectorcall;
    Owned func;    // not tested for callability; null only once the collector cleared the curry
    Owned args;    // exact tuple
    Owned kwargs;  // exact dict; calls copy it, nothing changes it in place
    SigCell resolved_sig;
};

// `resolved` is the signature for a curry made by a partial bind, or null for a new chain.
PyObject* new_curry(Owned func, Owned args, Owned kwargs, PyObject* resolved);

// Interned method names, made once per process.
OnceCell BIND_NAME, BIND_PARTIAL_NAME;
PyObject* method_name(OnceCell& cell, const char* name) {
    return cell.get_or_init([&] { return Owned::steal(PyUnicode_InternFromString(name)); });
}

// The gathered call: the arguments of `self` and of this call, merged once and reused for
// sig.bind, sig.bind_partial and the call of func. Layout: [sig, A..., values of K...], where A
// are the positionals and K the keywords (names in `kwnames`, in the order of `kwargs`).
struct Gathered {
    ArgVector vector;
    Py_ssize_t n_args;
    Owned kwargs;   // K, or null when there are no keywords at all
    Owned kwnames;  // K's names, null when K is absent
};

// K: a fresh copy of the gathered keywords with this call's on top (a later keyword wins). Only
// made when there are keywords at all. -1 with the exception set on failure.
int merge_kwargs(Curry* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, Owned& out) {
    Py_ssize_t n_new = kwnames ? PyTuple_GET_SIZE(kwnames) : 0;
    if (n_new == 0 && PyDict_GET_SIZE(self->kwargs.get()) == 0) return 0;
    out = Owned::steal(PyDict_Copy(self->kwargs.get()));
    if (!out) return -1;
    for (Py_ssize_t k = 0; k < n_new; ++k) {
        if (PyDict_SetItem(out.get(), PyTuple_GET_ITEM(kwnames, k), args[nargs + k]) < 0) return -1;
    }
    return 0;
}

// Fills the vector: every pointer is borrowed from self->args, the caller's arguments or K, all of
// which outlive the calls made with it (K is private to this call, so no user code can change it).
int lay_out(Gathered& g, Curry* self, PyObject* sig, PyObject* const* args, Py_ssize_t nargs) {
    PyObject* gathered = self->args.get();
    Py_ssize_t n_old = PyTuple_GET_SIZE(gathered);
    g.vector[0] = sig;
    for (Py_ssize_t i = 0; i < n_old; ++i) g.vector[1 + i] = PyTuple_GET_ITEM(gathered, i);
    for (Py_ssize_t i = 0; i < nargs; ++i) g.vector[1 + n_old + i] = args[i];
    if (!g.kwargs) return 0;
    g.kwnames = Owned::steal(PyTuple_New(PyDict_GET_SIZE(g.kwargs.get())));
    if (!g.kwnames) return -1;
    Py_ssize_t pos = 0, k = 0;
    for (PyObject *name, *value; PyDict_Next(g.kwargs.get(), &pos, &name, &value); ++k) {
        PyTuple_SET_ITEM(g.kwnames.get(), k, Py_NewRef(name));
        g.vector[1 + g.n_args + k] = value;
    }
    return 0;
}

PyObject* call_through(Curry* self, Gathered& g) {
    return PyObject_Vectorcall(self->func.get(), g.vector.args() + 1,
                               std::size_t(g.n_args) | PY_VECTORCALL_ARGUMENTS_OFFSET, g.kwnames.get());
}

// sig.bind(*A, **K) or sig.bind_partial(*A, **K): 1 when it binds, 0 when it raised TypeError
// (cleared), -1 for any other exception.
int binds(OnceCell& name_cell, const char* name, Gathered& g) {
    PyObject* method = method_name(name_cell, name);
    if (!method) return -1;
    Owned bound = Owned::steal(PyObject_VectorcallMethod(
        method, g.vector.args(), std::size_t(1 + g.n_args) | PY_VECTORCALL_ARGUMENTS_OFFSET, g.kwnames.get()));
    if (bound) return 1;
    if (!PyErr_ExceptionMatches(PyExc_TypeError)) return -1;
    PyErr_Clear();
    return 0;
}

// A curry holding the larger set of arguments, born with the parent's signature.
PyObject* grow(Curry* self, Gathered& g, PyObject* sig) {
    Owned args = Owned::steal(tuple_from_array(g.vector.args() + 1, g.n_args));
    if (!args) return nullptr;
    Owned kwargs = g.kwargs ? std::move(g.kwargs) : Owned::steal(PyDict_New());
    if (!kwargs) return nullptr;
    return new_curry(Owned::borrow(self->func.get()), std::move(args), std::move(kwargs), sig);
}

PyObject* call(Curry* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    Py_ssize_t n_args = PyTuple_GET_SIZE(self->args.get()) + nargs;
    Owned kwargs;
    if (merge_kwargs(self, args, nargs, kwnames, kwargs) < 0) return nullptr;
    Py_ssize_t n_kw = kwargs ? PyDict_GET_SIZE(kwargs.get()) : 0;
    Gathered g{ArgVector(std::size_t(1 + n_args + n_kw)), n_args, std::move(kwargs), Owned()};

    PyObject* sig;
    if (self->resolved_sig.resolve(self->func.get(), sig) < 0) return nullptr;
    if (lay_out(g, self, sig, args, nargs) < 0) return nullptr;
    if (!sig) return call_through(self, g);

    // Only the binding decides: a TypeError raised by func itself propagates as it is.
    int full = binds(BIND_NAME, "bind", g);
    if (full != 0) return full > 0 ? call_through(self, g) : nullptr;
    int partial = binds(BIND_PARTIAL_NAME, "bind_partial", g);
    if (partial != 0) return partial > 0 ? grow(self, g, sig) : nullptr;
    // These arguments can never bind: the callable reports the problem in its own words.
    return call_through(self, g);
}

// The call may go on into another curry: a deep chain of them raises RecursionError.
PyObject* curry_call(PyObject* obj, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) noexcept {
    return boundary([&]() -> PyObject* {
        auto* self = reinterpret_cast<Curry*>(obj);
        if (!self->func) return cleared_object(obj);
        RecursionGuard guard(" while calling a Python object");
        if (!guard) return nullptr;
        return call(self, args, PyVectorcall_NARGS(nargsf), kwnames);
    });
}

PyObject* new_curry(Owned func, Owned args, Owned kwargs, PyObject* resolved) {
    auto* self = alloc_instance<Curry>(CURRY_CLASS);
    if (!self) return nullptr;
    self->vectorcall = &curry_call;
    new (&self->func) Owned(std::move(func));
    new (&self->args) Owned(std::move(args));
    new (&self->kwargs) Owned(std::move(kwargs));
    if (resolved) {
        new (&self->resolved_sig) SigCell(resolved_cell(resolved));
    } else {
        new (&self->resolved_sig) SigCell();
    }
    return reinterpret_cast<PyObject*>(self);
}

constexpr Signature CURRY_NEW_SIG = Signature::method("curry", "__new__", {"func"}).with_rest().with_kwargs();
PyObject* curry_new(Args<CURRY_NEW_SIG>& a) {
    Owned args = Owned::steal(tuple_from_array(a.rest, a.n_rest));
    if (!args) return nullptr;
    Owned kwargs = a.kwargs ? std::move(a.kwargs) : Owned::steal(PyDict_New());
    if (!kwargs) return nullptr;
    return new_curry(Owned::borrow(a[0]), std::move(args), std::move(kwargs), nullptr);
}

int curry_traverse(PyObject* obj, visitproc visit, void* arg) noexcept {
    Py_VISIT(Py_TYPE(obj));
    auto* self = reinterpret_cast<Curry*>(obj);
    return GcVisit{visit, arg}.all(self->func, self->args, self->kwargs, self->resolved_sig);
}

int curry_clear(PyObject* obj) noexcept {
    auto* self = reinterpret_cast<Curry*>(obj);
    // Each reset empties its field before the release, which may run Python code.
    self->func.reset();
    self->args.reset();
    self->kwargs.reset();
    self->resolved_sig.clear();
    return 0;
}

void curry_dealloc(PyObject* obj) noexcept {
    dealloc_collected(obj, [&] {
        curry_clear(obj);
        auto* self = reinterpret_cast<Curry*>(obj);
        self->resolved_sig.~SigCell();
        self->kwargs.~Owned();
        self->args.~Owned();
        self->func.~Owned();
    });
}

constexpr char curry_doc[] = "curry(func, *args, **kwargs)\n--\n\n";

PyType_Slot curry_slots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(&curry_dealloc)},
    {Py_tp_traverse, reinterpret_cast<void*>(&curry_traverse)},
    {Py_tp_clear, reinterpret_cast<void*>(&curry_clear)},
    {Py_tp_new, reinterpret_cast<void*>(&new_through_vectorcall)},
    {Py_tp_vectorcall, reinterpret_cast<void*>(&constructor_entry<CURRY_NEW_SIG, curry_new>)},
    {Py_tp_call, reinterpret_cast<void*>(&PyVectorcall_Call)},
    {Py_tp_doc, const_cast<char*>(curry_doc)},
    {0, nullptr},
};

PyType_Spec curry_spec = {
    "brisko._brisko.curry", sizeof(Curry), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC, curry_slots,
};

}  // namespace

ClassDef CURRY_CLASS{&curry_spec, &install_vectorcall<Curry>};

PyObject* make_curry(PyObject* func) {
    Owned args = Owned::steal(PyTuple_New(0));
    if (!args) return nullptr;
    Owned kwargs = Owned::steal(PyDict_New());
    if (!kwargs) return nullptr;
    return new_curry(Owned::borrow(func), std::move(args), std::move(kwargs), nullptr);
}

}  // namespace brisko
