// accumulate: running reductions, optionally starting with an initial value.
#include "itertoolz.hpp"

#include "../binding/function_def.hpp"
#include "../core/call.hpp"
#include "../iteration/native_iter.hpp"
#include "../iteration/py_source.hpp"

namespace brisko {
namespace {

class AccumulateStep final : public Step {
public:
    AccumulateStep(PySource source, Owned binop, Owned initial)
        : source_(std::move(source)), binop_(std::move(binop)), initial_(std::move(initial)) {}

    PyObject* next() override {
        if (initial_) {
            running_ = std::move(initial_);
            return Py_NewRef(running_.get());
        }
        Owned item = Owned::steal(source_.next());
        if (!item) return nullptr;
        if (running_) {
            // On an error the element is dropped and the running value kept for the next step.
            item = Owned::steal(call_two(binop_.get(), running_.get(), item.get()));
            if (!item) return nullptr;
        }
        running_ = std::move(item);
        return Py_NewRef(running_.get());
    }

    int traverse(const GcVisit& visit) const override { return visit.all(source_, binop_, initial_, running_); }

private:
    PySource source_;
    Owned binop_;
    Owned initial_;  // emitted first, then empty
    Owned running_;
};

PyObject* accumulate(Args<"accumulate(binop, seq, initial=...)">& a) {
    return accumulate_impl(a.tool(), a["binop"], a["seq"], a["initial"]);
}
Registered ACCUMULATE{ITERTOOLZ_NAMES, function_def<accumulate>()};

}  // namespace

PyObject* accumulate_impl(const char* tool, PyObject* binop, PyObject* seq, PyObject* initial) {
    PySource source = PySource::from(seq);
    if (!source) return nullptr;
    return new_native_iter<AccumulateStep>(tool, std::move(source), Owned::borrow(binop), Owned::borrow(initial));
}

}  // namespace brisko
