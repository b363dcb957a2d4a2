// memoize: a Memoize caches its function's results in a dict, under a key whose form is chosen once,
// from the function's signature, when the wrapper is made.

#include "functoolz.hpp"

#include "../binding/cached_attr.hpp"
#include "../binding/function_def.hpp"
#include "../binding/vectorcall_class.hpp"
#include "../core/call.hpp"
#include "../core/errors.hpp"
#include "../core/python_compat.hpp"
#include "../core/tuple.hpp"

namespace brisko {
namespace {

// What the signature says about the keys. The cautious shape (every call keyed with its keywords)
// stands whenever the signature cannot be read.
struct KeyShape {
    bool is_unary = false;          // exactly one required positional parameter and nothing else
    bool may_take_keywords = true;  // a default, a keyword-only parameter or **kwargs
};

struct Memoize {
    static constexpr const char* NAME = "brisko._brisko.Memoize";
    Owned func;
    Owned cache;  // a dict or dict subclass, the caller's own when given; read and written at the C level
    Owned key;    // the user's key function, or null
    KeyShape shape;
    DecoratorStack stack;

    int traverse(const GcVisit& visit) const { return visit.all(func, cache, key, stack); }
    static PyObject* wrapped(const Memoize& self) { return self.func.get(); }
    static constexpr bool SHOWS_WRAPPED = true;
    static PyObject* call(Memoize& self, PyObject* const* args, std::size_t nargsf, PyObject* kwnames);
};

// The kinds of inspect.Parameter that the analysis compares with, and its `empty` marker.
struct Kinds {
    Owned empty, keyword_only, var_keyword, var_positional, positional_only, positional_or_keyword;

    int fetch(PyObject* parameter) {
        struct Field {
            Owned& slot;
            const char* name;
        } fields[] = {{empty, "empty"},
                      {keyword_only, "KEYWORD_ONLY"},
                      {var_keyword, "VAR_KEYWORD"},
                      {var_positional, "VAR_POSITIONAL"},
                      {positional_only, "POSITIONAL_ONLY"},
                      {positional_or_keyword, "POSITIONAL_OR_KEYWORD"}};
        for (Field& f : fields) {
            f.slot = Owned::steal(PyObject_GetAttrString(parameter, f.name));
            if (!f.slot) return -1;
        }
        return 0;
    }
};

// -1 with an exception, else whether `kind` equals either of two kinds (the second compared only
// when the first is not equal, as `or` does).
int either(PyObject* kind, const Owned& a, const Owned& b) {
    int r = equals(kind, a.get());
    return r == 0 ? equals(kind, b.get()) : r;
}

// One parameter's contribution; -1 with the exception set when a read or comparison fails.
int note_parameter(PyObject* param, const Kinds& k, bool& varargs, bool& keywords, int& required) {
    Owned kind = Owned::steal(PyObject_GetAttrString(param, "kind"));
    Owned deflt = kind ? Owned::steal(PyObject_GetAttrString(param, "default")) : Owned();
    if (!deflt) return -1;
    int r = equals(kind.get(), k.var_positional.get());
    if (r < 0) return -1;
    varargs |= r > 0;
    if (deflt.get() != k.empty.get()) {
        keywords = true;
        return 0;
    }
    if ((r = either(kind.get(), k.keyword_only, k.var_keyword)) < 0) return -1;
    keywords |= r > 0;
    if ((r = either(kind.get(), k.positional_only, k.positional_or_keyword)) < 0) return -1;
    required += r;
    return 0;
}

// Reads inspect.signature(func).parameters; -1 with the exception set when anything fails.
int read_shape(PyObject* func, KeyShape& out) {
    PyObject* signature = cached_attr(SIGNATURE);
    Owned sig = signature ? Owned::steal(call_one(signature, func)) : Owned();
    PyObject* parameter = sig ? cached_attr(PARAMETER_CLASS) : nullptr;
    Kinds kinds;
    if (!parameter || kinds.fetch(parameter) < 0) return -1;

    Owned parameters = Owned::steal(PyObject_GetAttrString(sig.get(), "parameters"));
    Owned values = parameters ? Owned::steal(PyObject_CallMethod(parameters.get(), "values", nullptr)) : Owned();
    Owned it = values ? Owned::steal(PyObject_GetIter(values.get())) : Owned();
    if (!it) return -1;
    bool varargs = false, keywords = false;
    int required = 0;
    PyObject* raw;
    int more;
    while ((more = PyIter_NextItem(it.get(), &raw)) > 0) {
        Owned param = Owned::steal(raw);
        if (note_parameter(param.get(), kinds, varargs, keywords, required) < 0) return -1;
    }
    if (more < 0) return -1;
    out.may_take_keywords = keywords;
    out.is_unary = required == 1 && !varargs && !keywords;
    return 0;
}

// memoize never fails because of the signature: whatever Exception goes wrong leaves the cautious
// shape. Only an interrupt (or another BaseException-only failure) propagates: -1.
int analyse(PyObject* func, KeyShape& shape) {
    if (read_shape(func, shape) == 0) return 0;
    shape = KeyShape{};
    return discard_exception();
}

Owned kwargs_dict(PyObject* const* values, PyObject* kwnames) {
    Owned kw = Owned::steal(PyDict_New());
    for (Py_ssize_t k = 0; kw && k < PyTuple_GET_SIZE(kwnames); ++k) {
        if (PyDict_SetItem(kw.get(), PyTuple_GET_ITEM(kwnames, k), values[k]) < 0) return Owned();
    }
    return kw;
}

HostAttr FROZENSET{"builtins", "frozenset", HostAttr::Lookup::EveryCall};

// frozenset(iter(kw.items())), with frozenset looked up on builtins at every call.
Owned frozen_kwargs(PyObject* kw) {
    Owned items = Owned::steal(PyDict_Items(kw));
    Owned it = items ? Owned::steal(PyObject_GetIter(items.get())) : Owned();
    if (!it) return it;
    PyObject* argv[] = {it.get()};
    return Owned::steal(call_attr(FROZENSET, argv, 1));
}

// The key rows after the unary one (which the caller handles inline).
Owned cache_key(Memoize* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    bool keywords = kwnames && PyTuple_GET_SIZE(kwnames) > 0;
    Owned kw = keywords ? kwargs_dict(args + nargs, kwnames) : Owned::borrow(Py_None);
    if (!kw) return kw;
    if (self->key) {
        Owned arg_tuple = Owned::steal(tuple_from_array(args, nargs));
        if (!arg_tuple) return arg_tuple;
        return Owned::steal(call_two(self->key.get(), arg_tuple.get(), kw.get()));
    }
    Owned positional =
        nargs || !self->shape.may_take_keywords ? Owned::steal(tuple_from_array(args, nargs)) : Owned::borrow(Py_None);
    if (!positional) return positional;
    if (!self->shape.may_take_keywords && !keywords) return positional;
    Owned frozen = keywords ? frozen_kwargs(kw.get()) : Owned::borrow(Py_None);
    if (!frozen) return frozen;
    return Owned::steal(PyTuple_Pack(2, positional.get(), frozen.get()));
}

// Recursion through the same wrapper is fine: a call only reads the fixed fields, and the cache
// dict copes with being changed by the function it is caching.
PyObject* Memoize::call(Memoize& self, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
    Py_ssize_t nargs = PyVectorcall_NARGS(nargsf);
    bool unary = self.shape.is_unary && !self.key && nargs == 1 && !(kwnames && PyTuple_GET_SIZE(kwnames));
    Owned key = unary ? Owned::borrow(args[0]) : cache_key(&self, args, nargs, kwnames);
    if (!key) return nullptr;
    PyObject* cached;
    int found = PyDict_GetItemRef(self.cache.get(), key.get(), &cached);
    if (found != 0) return found > 0 ? cached : nullptr;
    Owned result = Owned::steal(PyObject_Vectorcall(self.func.get(), args, nargsf, kwnames));
    if (!result || PyDict_SetItem(self.cache.get(), key.get(), result.get()) < 0) return nullptr;
    return result.release();
}

PyObject* memoize(Args<"memoize(func, cache=None, key=None)">& a) {
    PyObject* given = a.unless_none("cache");
    if (given && a.check_dict("cache") < 0) return nullptr;
    // Over a memoize, the key shape is the one below: the signature is read through the same chain of
    // __wrapped__, one link per level, which made a tall stack of them quadratic to build.
    KeyShape shape;
    const Memoize* below = Py_IS_TYPE(a["func"], memoize_type()) ? CallOnly<Memoize>::live_fields(a["func"]) : nullptr;
    if (below) {
        shape = below->shape;
    } else if (analyse(a["func"], shape) < 0) {
        return nullptr;
    }
    Owned cache = given ? Owned::borrow(given) : Owned::steal(PyDict_New());
    if (!cache) return nullptr;
    Owned key = Owned::borrow(a.unless_none("key"));
    DecoratorStack stack;
    if (stack_over(a["func"], stack) < 0) return nullptr;
    return CallOnly<Memoize>::new_instance(
        Memoize{Owned::borrow(a["func"]), std::move(cache), std::move(key), shape, std::move(stack)});
}
Registered MEMOIZE{FUNCTOOLZ_NAMES, function_def<memoize>()};

}  // namespace

PyTypeObject* memoize_type() noexcept { return CallOnly<Memoize>::type(); }

const DecoratorStack* memoize_stack(PyObject* obj) noexcept {
    const Memoize* self = CallOnly<Memoize>::live_fields(obj);
    return self ? &self->stack : nullptr;
}

PyObject* memoize_parts(PyObject* obj) {
    const Memoize* self = CallOnly<Memoize>::fields_of(obj);
    if (!self) return nullptr;
    PyObject* key = self->key ? self->key.get() : Py_None;
    return PyTuple_Pack(3, self->func.get(), reinterpret_cast<PyObject*>(Py_TYPE(self->cache.get())), key);
}

}  // namespace brisko
