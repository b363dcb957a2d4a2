// juxt: one Juxt calls every function with the same arguments and returns the results as a tuple.
#include <vector>

#include "functoolz.hpp"

#include "../binding/function_def.hpp"
#include "../binding/vectorcall_class.hpp"
#include "../core/tuple.hpp"
#include "../iteration/for_each_element.hpp"

namespace brisko {
namespace {

struct Juxt {
    static constexpr const char* NAME = "brisko._brisko.Juxt";
    std::vector<Owned> funcs;  // in argument order

    int traverse(const GcVisit& visit) const { return visit(funcs); }

    // Every function receives the caller's vector as given; one call at a time, so passing
    // PY_VECTORCALL_ARGUMENTS_OFFSET on to each of them is sound.
    static PyObject* call(Juxt& self, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
        const auto n = Py_ssize_t(self.funcs.size());
        Owned results = Owned::steal(PyTuple_New(n));
        if (!results || n == 0) return results.release();
        // User code runs between the slots: until the tuple is full, gc.get_objects() must not see it.
        PyObject_GC_UnTrack(results.get());
        for (Py_ssize_t i = 0; i < n; ++i) {
            PyObject* result = PyObject_Vectorcall(self.funcs[std::size_t(i)].get(), args, nargsf, kwnames);
            if (!result) return nullptr;
            PyTuple_SET_ITEM(results.get(), i, result);
        }
        PyObject_GC_Track(results.get());
        return results.release();
    }
};

// A single argument that is not callable is an iterable of functions.
int collect_funcs(PyObject* const* args, Py_ssize_t n, std::vector<Owned>& out) {
    if (n != 1 || PyCallable_Check(args[0])) {
        for (Py_ssize_t i = 0; i < n; ++i) out.push_back(Owned::borrow(args[i]));
        return 0;
    }
    return for_each_element(args[0], [&](PyObject* func) {
        out.push_back(Owned::borrow(func));
        return 0;
    });
}

PyObject* juxt(Args<"juxt(*funcs)">& a) {
    std::vector<Owned> funcs;
    if (collect_funcs(a.rest(), a.n_rest(), funcs) < 0) return nullptr;
    return CallOnly<Juxt>::new_instance(Juxt{std::move(funcs)});
}
Registered JUXT{FUNCTOOLZ_NAMES, function_def<juxt>()};

}  // namespace

PyTypeObject* juxt_type() noexcept { return CallOnly<Juxt>::type(); }

PyObject* juxt_funcs(PyObject* obj) {
    const Juxt* self = CallOnly<Juxt>::fields_of(obj);
    return self ? tuple_from_held(self->funcs) : nullptr;
}

}  // namespace brisko
