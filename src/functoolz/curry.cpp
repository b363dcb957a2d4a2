// curry: partial application decided by the host's own signature binding. A call gathers its
// arguments onto the curry's, then either calls through (they bind) or returns a larger curry.
#include "curry_chain.hpp"
#include "functoolz.hpp"

#include "../binding/cached_attr.hpp"
#include "../binding/function_def.hpp"
#include "../binding/vectorcall_class.hpp"
#include "../core/arg_vector.hpp"
#include "../core/errors.hpp"
#include "../core/once_cell.hpp"
#include "../core/tuple.hpp"

namespace brisko {
namespace {

// Every field is set when the curry is made and never changes (until the collector releases them
// all), so a curry needs no borrow tracking and calls may nest freely. The chain fills once, on
// the first call, and is shared by every curry a partial bind makes from this one.
struct Curry {
    Owned func;    // not tested for callability
    Owned args;    // exact tuple
    Owned kwargs;  // exact dict of one entry or more, null when none; calls copy it, nothing changes it
    Owned chain;   // the chain object shared with the curries a partial bind makes from this one

    int traverse(const GcVisit& visit) const { return visit.all(func, args, kwargs, chain); }
};
using CurryObject = CollectedObject<CallableHead, Curry>;

CurryChain& chain_of(Curry* self) noexcept { return *curry_chain(self->chain.get()); }

PyObject* new_curry(Owned func, Owned args, Owned kwargs, Owned chain);

// Interned method names, made once per process.
OnceCell BIND_NAME, BIND_PARTIAL_NAME;

// Gathered keywords as a curry holds them: no dict at all when there are none, so that no two
// curries ever share a mutable object the collector's traversal could hand out.
Owned held_kwargs(Owned kwargs) { return kwargs && PyDict_GET_SIZE(kwargs.get()) ? std::move(kwargs) : Owned(); }

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
    if (n_new == 0 && !self->kwargs) return 0;
    out = Owned::steal(self->kwargs ? PyDict_Copy(self->kwargs.get()) : PyDict_New());
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
    PyObject* method = interned(name_cell, name);
    if (!method) return -1;
    Owned bound = Owned::steal(PyObject_VectorcallMethod(
        method, g.vector.args(), std::size_t(1 + g.n_args) | PY_VECTORCALL_ARGUMENTS_OFFSET, g.kwnames.get()));
    if (bound) return 1;
    if (!PyErr_ExceptionMatches(PyExc_TypeError)) return -1;
    PyErr_Clear();
    return 0;
}

// What binding says of the gathered call: Full, Partial or Never, or Unknown with the exception
// set. Only an inspect.Signature itself is known to decide by shape alone; a subclass (a callable's
// own __signature__) may decide otherwise, so its bind and bind_partial run on every call.
Verdict decide(Gathered& g) {
    int full = binds(BIND_NAME, "bind", g);
    if (full != 0) return full > 0 ? Verdict::Full : Verdict::Unknown;
    int partial = binds(BIND_PARTIAL_NAME, "bind_partial", g);
    if (partial != 0) return partial > 0 ? Verdict::Partial : Verdict::Unknown;
    return Verdict::Never;
}

bool decides_by_shape(PyObject* sig) {
    PyObject* exact = cached_attr(SIGNATURE_CLASS);
    if (!exact) {
        PyErr_Clear();  // the class cannot be found: decide afresh every time instead
        return false;
    }
    return reinterpret_cast<PyObject*>(Py_TYPE(sig)) == exact;
}

// A curry holding the larger set of arguments, on the same chain.
PyObject* grow(Curry* self, Gathered& g) {
    Owned args = Owned::steal(tuple_from_array(g.vector.args() + 1, g.n_args));
    if (!args) return nullptr;
    return new_curry(Owned::borrow(self->func.get()), std::move(args), held_kwargs(std::move(g.kwargs)),
                     Owned::borrow(self->chain.get()));
}

PyObject* call(Curry* self, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
    Py_ssize_t nargs = PyVectorcall_NARGS(nargsf);
    PyObject* sig;
    if (chain_of(self).signature(self->func.get(), sig) < 0) return nullptr;
    // Nothing gathered yet: the caller's own vector is the call, and its shape is all there is.
    bool bare = PyTuple_GET_SIZE(self->args.get()) == 0 && !self->kwargs;
    if (bare && (!sig || chain_of(self).verdict(nargs, kwnames) == Verdict::Full)) {
        return PyObject_Vectorcall(self->func.get(), args, nargsf, kwnames);
    }

    Py_ssize_t n_args = PyTuple_GET_SIZE(self->args.get()) + nargs;
    Owned kwargs;
    if (merge_kwargs(self, args, nargs, kwnames, kwargs) < 0) return nullptr;
    Py_ssize_t n_kw = kwargs ? PyDict_GET_SIZE(kwargs.get()) : 0;
    Gathered g{ArgVector(std::size_t(1 + n_args + n_kw)), n_args, std::move(kwargs), Owned()};
    if (lay_out(g, self, sig, args, nargs) < 0) return nullptr;
    if (!sig) return call_through(self, g);

    // Only the binding decides: a TypeError raised by func itself propagates as it is.
    Verdict verdict = chain_of(self).verdict(n_args, g.kwnames.get());
    if (verdict == Verdict::Unknown) {
        verdict = decide(g);
        if (verdict == Verdict::Unknown) return nullptr;
        if (decides_by_shape(sig)) chain_of(self).remember(n_args, g.kwnames.get(), verdict);
    }
    // Arguments that can never bind reach the callable, which reports them in its own words.
    return verdict == Verdict::Partial ? grow(self, g) : call_through(self, g);
}

// The call may go on into another curry: a deep chain of them raises RecursionError.
PyObject* curry_call(PyObject* obj, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) noexcept {
    return boundary([&]() -> PyObject* {
        Curry* self = &CurryObject::object(obj)->fields;
        if (!CurryObject::is_live(obj) || !curry_chain(self->chain.get())) return cleared_object(obj);
        RecursionGuard guard(" while calling a Python object");
        if (!guard) return nullptr;
        return call(self, args, nargsf, kwnames);
    });
}

PyObject* new_curry(Owned func, Owned args, Owned kwargs, Owned chain) {
    auto* self = alloc_instance<CurryObject>(CURRY_CLASS);
    if (!self) return nullptr;
    self->head.vectorcall = &curry_call;
    return CurryObject::build(self, std::move(func), std::move(args), std::move(kwargs), std::move(chain));
}

// A new chain: its own signature lookup and verdicts.
PyObject* new_curry(Owned func, Owned args, Owned kwargs) {
    Owned chain = Owned::steal(new_curry_chain());
    if (!chain) return nullptr;
    return new_curry(std::move(func), std::move(args), std::move(kwargs), std::move(chain));
}

PyObject* curry_func(PyObject* obj) noexcept {
    return CurryObject::is_live(obj) ? CurryObject::object(obj)->fields.func.get() : nullptr;
}

PyObject* curry_new(Bound<1>& a) {
    Owned args = Owned::steal(tuple_from_array(a.rest, a.n_rest));
    if (!args) return nullptr;
    return new_curry(Owned::borrow(a[0]), std::move(args), held_kwargs(std::move(a.kwargs)));
}
using CurryNew = Constructor<"curry(func, *args, **kwargs)", curry_new>;

PyType_Slot curry_slots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(&CurryObject::dealloc<>)},
    {Py_tp_traverse, reinterpret_cast<void*>(&CurryObject::traverse)},
    {Py_tp_clear, reinterpret_cast<void*>(&CurryObject::clear)},
    {Py_tp_new, reinterpret_cast<void*>(&new_through_vectorcall)},
    {Py_tp_vectorcall, reinterpret_cast<void*>(CurryNew::entry)},
    {Py_tp_call, reinterpret_cast<void*>(&PyVectorcall_Call)},
    {Py_tp_getattro, reinterpret_cast<void*>(&wrapper_getattro<curry_func>)},
    {Py_tp_doc, const_cast<char*>(CurryNew::doc)},
    {0, nullptr},
};

PyType_Spec curry_spec = {
    "brisko._brisko.curry", sizeof(CurryObject), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC, curry_slots,
};

}  // namespace

ClassDef CURRY_CLASS{&curry_spec, &install_vectorcall<CurryObject>};

namespace {
Registered CURRY{FUNCTOOLZ_NAMES, CURRY_CLASS};
}  // namespace

PyObject* curry_parts(PyObject* obj) {
    if (!CurryObject::is_live(obj)) return cleared_object(obj);
    const Curry* self = &CurryObject::object(obj)->fields;
    // The gathered keywords are never lent out: calls rely on nothing changing them.
    Owned kwargs = self->kwargs ? Owned::steal(PyDict_Copy(self->kwargs.get())) : Owned::borrow(Py_None);
    if (!kwargs) return nullptr;
    return PyTuple_Pack(3, self->func.get(), self->args.get(), kwargs.get());
}

PyObject* new_curry(PyObject* func) {
    Owned args = Owned::steal(PyTuple_New(0));
    if (!args) return nullptr;
    return new_curry(Owned::borrow(func), std::move(args), Owned());
}

PyObject* curry_from_parts(PyObject* func, PyObject* args, PyObject* kwargs) {
    if (!PyTuple_Check(args)) return not_an_instance(args, "tuple");
    if (kwargs != Py_None && !PyDict_Check(kwargs)) return not_an_instance(kwargs, "dict");
    Owned gathered = Owned::steal(PySequence_Tuple(args));  // exact, whatever subclass came in
    if (!gathered) return nullptr;
    // A copy: whoever passed the dict may still change it, and calls rely on nobody doing so.
    Owned keywords = kwargs == Py_None ? Owned() : Owned::steal(PyDict_Copy(kwargs));
    if (kwargs != Py_None && !keywords) return nullptr;
    Py_ssize_t pos = 0;
    for (PyObject *name, *value; keywords && PyDict_Next(keywords.get(), &pos, &name, &value);) {
        if (!PyUnicode_Check(name)) {
            PyErr_SetString(PyExc_TypeError, "keywords must be strings");
            return nullptr;
        }
    }
    return new_curry(Owned::borrow(func), std::move(gathered), held_kwargs(std::move(keywords)));
}

}  // namespace brisko
