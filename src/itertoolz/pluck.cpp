// pluck: one lookup per element. A single index without default gets the dedicated PluckIter; a
// default or a list of indices takes the generic path, the same lookup as get.
#include "itertoolz.hpp"

#include "../binding/function_def.hpp"
#include "../iteration/native_iter.hpp"
#include "../iteration/py_source.hpp"
#include "dedicated_constructors.hpp"

namespace brisko {
namespace {

class PluckStep final : public Step {
public:
    PluckStep(PySource source, Owned ind, Owned dflt)
        : source_(std::move(source)), ind_(std::move(ind)), default_(std::move(dflt)) {}

    PyObject* next() override {
        Owned item = Owned::steal(source_.next());
        if (!item) return nullptr;
        return get_impl(ind_.get(), item.get(), default_.get());
    }

    int traverse(const GcVisit& visit) const override { return visit.all(source_, ind_, default_); }

private:
    PySource source_;
    Owned ind_;
    Owned default_;  // null: no default
};

constexpr Signature PLUCK_SIG = Signature::function("pluck", {"ind", "seqs"}).with_rest();
PyObject* pluck(Args<PLUCK_SIG>& a) { return pluck_impl("pluck", a[0], a[1], a.rest, a.n_rest); }

}  // namespace

PyObject* pluck_impl(const char* tool, PyObject* ind, PyObject* seqs, PyObject* const* rest, Py_ssize_t n_rest) {
    if (n_rest > 1) {
        PyErr_SetString(PyExc_TypeError, "pluck takes at most 3 arguments");
        return nullptr;
    }
    PySource source = PySource::from(seqs);
    if (!source) return nullptr;
    if (n_rest == 0 && !PyList_Check(ind)) return new_pluck_iter(tool, Owned::borrow(ind), std::move(source));
    Owned dflt = n_rest == 1 ? Owned::borrow(rest[0]) : Owned();
    return native_iter<PluckStep>(tool, std::move(source), Owned::borrow(ind), std::move(dflt));
}

PyMethodDef PLUCK_DEF = function_def<PLUCK_SIG, pluck>("pluck(ind, seqs, *rest)\n--\n\n");

}  // namespace brisko
