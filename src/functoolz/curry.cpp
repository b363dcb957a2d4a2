// curry: partial application decided by the host's own signature binding. A call gathers its
// arguments onto the curry's, then either calls through (they bind) or returns a larger curry.
#include <algorithm>
#include <utility>
#include <vector>

#include "curry_chain.hpp"
#include "functoolz.hpp"

#include "../binding/cached_attr.hpp"
#include "../binding/function_def.hpp"
#include "../binding/vectorcall_class.hpp"
#include "../core/arg_vector.hpp"
#include "../core/critical_section.hpp"
#include "../core/errors.hpp"
#include "../core/interpreter_cell.hpp"
#include "../core/tuple.hpp"
#include "../hashing/py_hash.hpp"

namespace brisko {
namespace {

// Every field is set when the curry is made and never changes (until the collector releases them
// all), so a curry needs no borrow tracking and calls may nest freely. The chain fills once, on
// the first call, and is shared by every curry a partial bind makes from this one. The gathered
// keywords are two tuples, never a dict: whatever user code reaches through the collector's
// traversal (gc.get_referents) it cannot change, so a call lends their values out without holding
// them and needs no check that the names are still strings.
struct Curry {
    Owned func;       // not tested for callability
    Owned args;       // exact tuple
    Owned kw_names;   // exact tuple of one str or more (distinct as dict keys), null when none
    Owned kw_values;  // exact tuple, kw_values[i] is the value of kw_names[i]; null with kw_names
    Owned chain;      // the chain object shared with the curries a partial bind makes from this one
    DecoratorStack stack;

    int traverse(const GcVisit& visit) const { return visit.all(func, args, kw_names, kw_values, chain, stack); }
};
using CurryObject = CollectedObject<CallableHead, Curry>;

CurryChain& chain_of(Curry* self) noexcept { return *curry_chain(self->chain.get()); }

PyObject* new_curry(Owned func, Owned args, Owned kw_names, Owned kw_values, Owned chain, DecoratorStack stack);

// Interned method names, made once per interpreter.
InterpreterCell BIND_NAME, BIND_PARTIAL_NAME;

Py_ssize_t size_of(const Owned& tuple) noexcept { return tuple ? PyTuple_GET_SIZE(tuple.get()) : 0; }

// The keywords of a dict (its keys must be strs) as the two tuples a curry holds; both null for an
// empty dict. Nothing here runs Python code, and the dict's lock keeps other threads out where
// there is no interpreter lock, so the dict cannot change while it is read. -1 with TypeError for a
// key that is not a str.
int keywords_from_dict(PyObject* dict, Owned& names, Owned& values) {
    CriticalSection locked(dict);
    Py_ssize_t n = PyDict_GET_SIZE(dict);
    if (n == 0) return 0;
    names = Owned::steal(PyTuple_New(n));
    values = names ? Owned::steal(PyTuple_New(n)) : Owned();
    if (!values) return -1;
    Py_ssize_t pos = 0, k = 0;
    for (PyObject *name, *value; k < n && PyDict_Next(dict, &pos, &name, &value); ++k) {
        if (!PyUnicode_Check(name)) {
            PyErr_SetString(PyExc_TypeError, "keywords must be strings");
            return -1;
        }
        PyTuple_SET_ITEM(names.get(), k, Py_NewRef(name));
        PyTuple_SET_ITEM(values.get(), k, Py_NewRef(value));
    }
    return 0;
}

// Finds a keyword name in a tuple of names by its characters, as the host matches keywords, and
// natively: a scan of a few names, a binary search over the sorted hashes of many, so that merging
// many keywords into many stays O(n log n). Reads only strs and runs no Python code.
class NameFinder {
public:
    explicit NameFinder(PyObject* names) : names_(names) {
        Py_ssize_t n = PyTuple_GET_SIZE(names);
        if (n <= FEW) return;
        sorted_.reserve(std::size_t(n));
        for (Py_ssize_t i = 0; i < n; ++i) sorted_.push_back({hash_of(PyTuple_GET_ITEM(names, i)), i});
        std::sort(sorted_.begin(), sorted_.end());
    }

    // The position of `name`, or -1.
    Py_ssize_t find(PyObject* name) const {
        if (sorted_.empty()) {
            for (Py_ssize_t i = 0; i < PyTuple_GET_SIZE(names_); ++i) {
                if (same(PyTuple_GET_ITEM(names_, i), name)) return i;
            }
            return -1;
        }
        std::pair<Py_hash_t, Py_ssize_t> first{hash_of(name), 0};
        for (auto it = std::lower_bound(sorted_.begin(), sorted_.end(), first);
             it != sorted_.end() && it->first == first.first; ++it) {
            if (same(PyTuple_GET_ITEM(names_, it->second), name)) return it->second;
        }
        return -1;
    }

private:
    static constexpr Py_ssize_t FEW = 8;

    // str's own hash, never a subclass's __hash__: no Python code, and it cannot fail.
    static Py_hash_t hash_of(PyObject* name) noexcept { return PyUnicode_Type.tp_hash(name); }
    static bool same(PyObject* a, PyObject* b) noexcept { return a == b || unicode_equal(a, b); }

    // Borrowed: a tuple (immutable) that the caller holds for longer than the finder.
    PyObject* names_;
    std::vector<std::pair<Py_hash_t, Py_ssize_t>> sorted_;  // (hash, position), only past FEW names
};

// The gathered call: the arguments of `self` and of this call, merged once and reused for
// sig.bind, sig.bind_partial and the call of func. Layout: [sig, A..., values of K...], where A
// are the positionals and K the keywords, their names in `kwnames`. Every pointer in the vector is
// borrowed from self's tuples or the caller's arguments: all of them immutable and held for the
// whole call, so no user code run by binding can free one.
struct Gathered {
    ArgVector vector;  // sized for every keyword of both sides; K may be shorter (a later one wins)
    Py_ssize_t n_args;
    Owned kwnames;  // K's names, null when there are no keywords at all
};

// K after A: the gathered keywords in their order, each taking this call's value when it names
// the keyword again, then this call's other keywords in theirs. Without keywords on one side, K's
// names are the other side's own tuple. -1 with the exception set (memory).
int lay_out_keywords(Gathered& g, Curry* self, PyObject* const* values, PyObject* kwnames) {
    PyObject** out = &g.vector[std::size_t(1 + g.n_args)];
    Py_ssize_t n_held = size_of(self->kw_names), n_new = kwnames ? PyTuple_GET_SIZE(kwnames) : 0;
    if (n_held + n_new == 0) return 0;
    if (n_new == 0 || n_held == 0) {
        PyObject* const* from = n_new ? values : &PyTuple_GET_ITEM(self->kw_values.get(), 0);
        std::copy(from, from + (n_new ? n_new : n_held), out);
        g.kwnames = Owned::borrow(n_new ? kwnames : self->kw_names.get());
        return 0;
    }
    PyObject *held_names = self->kw_names.get(), *held_values = self->kw_values.get();
    NameFinder in_call(kwnames), in_held(held_names);
    ArgVector names(std::size_t(n_held + n_new));
    std::size_t k = 0;
    for (Py_ssize_t i = 0; i < n_held; ++i, ++k) {
        names[k] = PyTuple_GET_ITEM(held_names, i);
        Py_ssize_t again = in_call.find(names[k]);
        out[k] = again < 0 ? PyTuple_GET_ITEM(held_values, i) : values[again];
    }
    for (Py_ssize_t j = 0; j < n_new; ++j) {
        if (in_held.find(PyTuple_GET_ITEM(kwnames, j)) >= 0) continue;
        names[k] = PyTuple_GET_ITEM(kwnames, j);
        out[k++] = values[j];
    }
    g.kwnames = Owned::steal(tuple_from_array(names.args(), Py_ssize_t(k)));
    return g.kwnames ? 0 : -1;
}

// Fills the vector (see Gathered).
int lay_out(Gathered& g, Curry* self, PyObject* sig, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    PyObject* gathered = self->args.get();
    Py_ssize_t n_old = PyTuple_GET_SIZE(gathered);
    g.vector[0] = sig;
    for (Py_ssize_t i = 0; i < n_old; ++i) g.vector[1 + i] = PyTuple_GET_ITEM(gathered, i);
    for (Py_ssize_t i = 0; i < nargs; ++i) g.vector[1 + n_old + i] = args[i];
    return lay_out_keywords(g, self, args + nargs, kwnames);
}

PyObject* call_through(Curry* self, Gathered& g) {
    return PyObject_Vectorcall(self->func.get(), g.vector.args() + 1,
                               std::size_t(g.n_args) | PY_VECTORCALL_ARGUMENTS_OFFSET, g.kwnames.get());
}

// sig.bind(*A, **K) or sig.bind_partial(*A, **K): 1 when it binds, 0 when it raised TypeError
// (cleared), -1 for any other exception.
int binds(InterpreterCell& name_cell, const char* name, Gathered& g) {
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
    Owned values;
    if (g.kwnames) {
        values =
            Owned::steal(tuple_from_array(&g.vector[std::size_t(1 + g.n_args)], PyTuple_GET_SIZE(g.kwnames.get())));
        if (!values) return nullptr;
    }
    return new_curry(Owned::borrow(self->func.get()), std::move(args), std::move(g.kwnames), std::move(values),
                     Owned::borrow(self->chain.get()),
                     DecoratorStack{Owned::borrow(self->stack.bottom.get()), self->stack.height});
}

PyObject* call(Curry* self, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
    Py_ssize_t nargs = PyVectorcall_NARGS(nargsf);
    PyObject* sig;
    if (chain_of(self).signature(self->func.get(), sig) < 0) return nullptr;
    // Nothing gathered yet: the caller's own vector is the call, and its shape is all there is.
    bool bare = PyTuple_GET_SIZE(self->args.get()) == 0 && !self->kw_names;
    if (bare && (!sig || chain_of(self).verdict(nargs, kwnames) == Verdict::Full)) {
        return PyObject_Vectorcall(self->func.get(), args, nargsf, kwnames);
    }

    Py_ssize_t n_args = PyTuple_GET_SIZE(self->args.get()) + nargs;
    Py_ssize_t most_kw = size_of(self->kw_names) + (kwnames ? PyTuple_GET_SIZE(kwnames) : 0);
    Gathered g{ArgVector(std::size_t(1 + n_args + most_kw)), n_args, Owned()};
    if (lay_out(g, self, sig, args, nargs, kwnames) < 0) return nullptr;
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

PyObject* new_curry(Owned func, Owned args, Owned kw_names, Owned kw_values, Owned chain, DecoratorStack stack) {
    auto* self = alloc_instance<CurryObject>(CURRY_CLASS);
    if (!self) return nullptr;
    self->head.vectorcall = &curry_call;
    return CurryObject::build(self, std::move(func), std::move(args), std::move(kw_names), std::move(kw_values),
                              std::move(chain), std::move(stack));
}

// A new chain (its own signature lookup and verdicts), with the keywords of `kwargs` (null: none).
PyObject* new_curry(Owned func, Owned args, PyObject* kwargs) {
    Owned names, values;
    if (kwargs && keywords_from_dict(kwargs, names, values) < 0) return nullptr;
    DecoratorStack stack;
    if (stack_over(func.get(), stack) < 0) return nullptr;
    Owned chain = Owned::steal(new_curry_chain());
    if (!chain) return nullptr;
    return new_curry(std::move(func), std::move(args), std::move(names), std::move(values), std::move(chain),
                     std::move(stack));
}

PyObject* curry_func(PyObject* obj) noexcept {
    return CurryObject::is_live(obj) ? CurryObject::object(obj)->fields.func.get() : nullptr;
}

PyObject* curry_new(Args<"curry(func, *args, **kwargs)">& a) {
    Owned args = Owned::steal(tuple_from_array(a.rest(), a.n_rest()));
    if (!args) return nullptr;
    return new_curry(Owned::borrow(a["func"]), std::move(args), a.kwargs());
}
using CurryNew = Constructor<curry_new>;

auto curry_slots = collected_slots<CurryObject>({
    {Py_tp_new, reinterpret_cast<void*>(&new_through_vectorcall)},
    {Py_tp_vectorcall, reinterpret_cast<void*>(CurryNew::entry)},
    {Py_tp_call, reinterpret_cast<void*>(&PyVectorcall_Call)},
    {Py_tp_getattro, reinterpret_cast<void*>(&wrapper_getattro<curry_func>)},
    {Py_tp_doc, const_cast<char*>(CurryNew::doc)},
});

PyType_Spec curry_spec = {
    "brisko._brisko.curry", sizeof(CurryObject), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC, curry_slots.data(),
};

}  // namespace

ClassDef CURRY_CLASS{&curry_spec, &install_vectorcall<CurryObject>};

namespace {
Registered CURRY{FUNCTOOLZ_NAMES, CURRY_CLASS};
}  // namespace

const DecoratorStack* curry_stack(PyObject* obj) noexcept {
    return CurryObject::is_live(obj) ? &CurryObject::object(obj)->fields.stack : nullptr;
}

PyObject* curry_parts(PyObject* obj) {
    if (!CurryObject::is_live(obj)) return cleared_object(obj);
    const Curry* self = &CurryObject::object(obj)->fields;
    if (!self->kw_names) return PyTuple_Pack(3, self->func.get(), self->args.get(), Py_None);
    // A fresh dict, the caller's to change: a str subclass's __hash__ may run while it fills, and
    // the names and values stay held by the curry's own tuples meanwhile.
    Owned kwargs = Owned::steal(PyDict_New());
    for (Py_ssize_t i = 0; kwargs && i < PyTuple_GET_SIZE(self->kw_names.get()); ++i) {
        if (PyDict_SetItem(kwargs.get(), PyTuple_GET_ITEM(self->kw_names.get(), i),
                           PyTuple_GET_ITEM(self->kw_values.get(), i)) < 0)
            return nullptr;
    }
    if (!kwargs) return nullptr;
    return PyTuple_Pack(3, self->func.get(), self->args.get(), kwargs.get());
}

PyObject* new_curry(PyObject* func) {
    Owned args = Owned::steal(PyTuple_New(0));
    if (!args) return nullptr;
    return new_curry(Owned::borrow(func), std::move(args), nullptr);
}

PyObject* curry_from_parts(PyObject* func, PyObject* args, PyObject* kwargs) {
    if (!PyTuple_Check(args)) return not_an_instance(args, "tuple");
    if (kwargs != Py_None && !PyDict_Check(kwargs)) return not_an_instance(kwargs, "dict");
    Owned gathered = Owned::steal(PySequence_Tuple(args));  // exact, whatever subclass came in
    if (!gathered) return nullptr;
    return new_curry(Owned::borrow(func), std::move(gathered), kwargs == Py_None ? nullptr : kwargs);
}

}  // namespace brisko
