// compose and compose_left: a Compose calls its first function with every argument and each later
// one with the previous result.
#include <algorithm>
#include <vector>

#include "functoolz.hpp"

#include "../binding/function_def.hpp"
#include "../binding/vectorcall_class.hpp"
#include "../core/call.hpp"
#include "../core/tuple.hpp"

namespace brisko {
namespace {

[[gnu::cold]] PyObject* nothing_to_compose() {
    PyErr_SetString(PyExc_TypeError, "compose of nothing");
    return nullptr;
}

struct Compose {
    static constexpr const char* NAME = "brisko._brisko.Compose";
    std::vector<Owned> funcs;  // in call order; never empty when a factory made it

    int traverse(const GcVisit& visit) const { return visit(funcs); }

    // The first call receives the caller's vector untouched, PY_VECTORCALL_ARGUMENTS_OFFSET
    // included: that permission is ours to pass on for the duration of the call.
    static PyObject* call(Compose& self, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
        if (self.funcs.empty()) return nothing_to_compose();
        Owned value = Owned::steal(PyObject_Vectorcall(self.funcs[0].get(), args, nargsf, kwnames));
        for (std::size_t i = 1; value && i < self.funcs.size(); ++i) {
            value = Owned::steal(call_one(self.funcs[i].get(), value.get()));
        }
        return value.release();
    }
};

// `funcs` in argument order; compose calls the last one first.
PyObject* new_compose(PyObject* const* funcs, Py_ssize_t n, bool reverse) {
    if (n == 0) return PyCMethod_New(&IDENTITY_DEF, nullptr, nullptr, nullptr);
    std::vector<Owned> stored;
    stored.reserve(std::size_t(n));
    for (Py_ssize_t i = 0; i < n; ++i) stored.push_back(Owned::borrow(funcs[i]));
    if (reverse) std::reverse(stored.begin(), stored.end());
    return CallOnly<Compose>::new_instance(Compose{std::move(stored)});
}

PyObject* compose(Args<"compose(*funcs)">& a) { return new_compose(a.rest(), a.n_rest(), true); }
PyObject* compose_left(Args<"compose_left(*funcs)">& a) { return new_compose(a.rest(), a.n_rest(), false); }

Registered COMPOSE{FUNCTOOLZ_NAMES, function_def<compose>()};
Registered COMPOSE_LEFT{FUNCTOOLZ_NAMES, function_def<compose_left>()};

}  // namespace

PyTypeObject* compose_type() noexcept { return CallOnly<Compose>::type(); }

PyObject* compose_funcs(PyObject* obj) {
    const Compose* self = CallOnly<Compose>::fields_of(obj);
    return self ? tuple_from_held(self->funcs) : nullptr;
}

}  // namespace brisko
