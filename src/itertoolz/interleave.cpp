// interleave: round-robin over several iterables; shorter inputs drop out as they end.
#include <vector>

#include "itertoolz.hpp"

#include "../utils/errors.hpp"
#include "../utils/function_def.hpp"
#include "../utils/native_iter.hpp"

namespace brisko {
namespace {

class InterleaveStep final : public Step {
public:
    explicit InterleaveStep(std::vector<Owned> iters) : iters_(std::move(iters)) {}

    PyObject* next() override {
        while (!iters_.empty()) {
            if (pos_ >= iters_.size()) pos_ = 0;
            if (PyObject* item = iter_next(iters_[pos_].get())) {
                ++pos_;
                return item;
            }
            // An error leaves everything in place: the next step asks the same iterator again.
            if (PyErr_Occurred()) return nullptr;
            // Taken out before the erase, so its release (which may run Python code) happens
            // with the vector already consistent.
            Owned ended = std::move(iters_[pos_]);
            iters_.erase(iters_.begin() + std::ptrdiff_t(pos_));
        }
        return nullptr;
    }

private:
    std::vector<Owned> iters_;  // the inputs still running, in input order
    std::size_t pos_ = 0;       // the input to ask next
};

constexpr Signature INTERLEAVE_SIG = Signature::function("interleave", {"seqs"});
PyObject* interleave(Args<INTERLEAVE_SIG>& a) {
    Owned outer = Owned::steal(PyObject_GetIter(a[0]));
    if (!outer) return nullptr;
    std::vector<Owned> iters;
    while (PyObject* raw = iter_next(outer.get())) {
        Owned seq = Owned::steal(raw);
        Owned it = Owned::steal(PyObject_GetIter(seq.get()));
        if (!it) return nullptr;
        iters.push_back(std::move(it));
    }
    if (PyErr_Occurred()) return nullptr;
    return native_iter<InterleaveStep>(std::move(iters));
}

}  // namespace

PyMethodDef INTERLEAVE_DEF = function_def<INTERLEAVE_SIG, interleave>("interleave(seqs)\n--\n\n");

}  // namespace brisko
