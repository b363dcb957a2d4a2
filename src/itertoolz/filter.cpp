// remove and Iter.filter: the elements whose predicate result has a given truth.
#include "itertoolz.hpp"

#include "../utils/call.hpp"
#include "../utils/function_def.hpp"
#include "../utils/native_iter.hpp"
#include "../utils/py_source.hpp"

namespace brisko {
namespace {

class FilterStep final : public Step {
public:
    FilterStep(PySource source, Owned predicate, bool keep)
        : source_(std::move(source)), predicate_(std::move(predicate)), keep_(keep) {}

    PyObject* next() override {
        PyObject* predicate = predicate_.get();
        int keep = keep_;
        if (!predicate) {
            return source_.next_kept([&](PyObject* item) {
                int verdict = truth(item);
                return verdict < 0 ? -1 : int(verdict == keep);
            });
        }
        return source_.next_kept([&](PyObject* item) {
            Owned result = Owned::steal(call_one(predicate, item));
            int verdict = result ? truth(result.get()) : -1;
            return verdict < 0 ? -1 : int(verdict == keep);
        });
    }

    int traverse(const GcVisit& visit) const override { return visit.all(source_, predicate_); }

private:
    PySource source_;
    Owned predicate_;  // null: the elements' own truth decides
    bool keep_;        // the truth of the elements kept
};

constexpr Signature REMOVE_SIG = Signature::function("remove", {"predicate", "seq"});
PyObject* remove(Args<REMOVE_SIG>& a) { return filter_impl("remove", a[0], a[1], false); }

}  // namespace

PyObject* filter_impl(const char* tool, PyObject* predicate, PyObject* seq, bool keep) {
    PySource source = PySource::from(seq);
    if (!source) return nullptr;
    Owned held = predicate == Py_None ? Owned() : Owned::borrow(predicate);
    return native_iter<FilterStep>(tool, std::move(source), std::move(held), keep);
}

PyMethodDef REMOVE_DEF = function_def<REMOVE_SIG, remove>("remove(predicate, seq)\n--\n\n");

}  // namespace brisko
