// remove: the elements for which the predicate is false.
#include "itertoolz.hpp"

#include "../utils/call.hpp"
#include "../utils/function_def.hpp"
#include "../utils/native_iter.hpp"
#include "../utils/py_source.hpp"

namespace brisko {
namespace {

class RemoveStep final : public Step {
public:
    RemoveStep(PySource source, Owned predicate) : source_(std::move(source)), predicate_(std::move(predicate)) {}

    PyObject* next() override {
        PyObject* predicate = predicate_.get();
        return source_.next_kept([&](PyObject* item) {
            Owned verdict = Owned::steal(call_one(predicate, item));
            int drop = verdict ? truth(verdict.get()) : -1;
            return drop < 0 ? -1 : !drop;
        });
    }

    int traverse(const GcVisit& visit) const override { return visit.all(source_, predicate_); }

private:
    PySource source_;
    Owned predicate_;
};

constexpr Signature REMOVE_SIG = Signature::function("remove", {"predicate", "seq"});
PyObject* remove(Args<REMOVE_SIG>& a) {
    PySource source = PySource::from(a[1]);
    if (!source) return nullptr;
    return native_iter<RemoveStep>(std::move(source), Owned::borrow(a[0]));
}

}  // namespace

PyMethodDef REMOVE_DEF = function_def<REMOVE_SIG, remove>("remove(predicate, seq)\n--\n\n");

}  // namespace brisko
