// compose and compose_left: a Compose calls its first function with every argument and each later
// one with the previous result.
#include <algorithm>
#include <vector>

#include "functoolz.hpp"

#include "../core/call.hpp"
#include "../binding/function_def.hpp"
#include "../core/tuple.hpp"
#include "../binding/vectorcall_class.hpp"

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

constexpr Signature COMPOSE_SIG = Signature::function("compose", {}).with_rest();
PyObject* compose(Args<COMPOSE_SIG>& a) { return new_compose(a.rest, a.n_rest, true); }

constexpr Signature COMPOSE_LEFT_SIG = Signature::function("compose_left", {}).with_rest();
PyObject* compose_left(Args<COMPOSE_LEFT_SIG>& a) { return new_compose(a.rest, a.n_rest, false); }

}  // namespace

PyMethodDef COMPOSE_DEF = function_def<COMPOSE_SIG, compose>("compose(*funcs)\n--\n\n");
PyMethodDef COMPOSE_LEFT_DEF = function_def<COMPOSE_LEFT_SIG, compose_left>("compose_left(*funcs)\n--\n\n");

PyTypeObject* compose_type() noexcept { return CallOnly<Compose>::type(); }

PyObject* compose_funcs(PyObject* obj) {
    const Compose* self = CallOnly<Compose>::fields_of(obj);
    return self ? tuple_from_held(self->funcs) : nullptr;
}

}  // namespace brisko
