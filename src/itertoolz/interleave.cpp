// interleave: round-robin over several iterables; shorter inputs drop out as they end.
#include <vector>

#include "itertoolz.hpp"

#include "../binding/function_def.hpp"
#include "../core/errors.hpp"
#include "../iteration/for_each_element.hpp"
#include "../iteration/native_iter.hpp"

namespace brisko {
namespace {

class InterleaveStep final : public Step {
public:
    explicit InterleaveStep(std::vector<Owned> iters) : iters_(std::move(iters)) {}

    PyObject* next() override {
        while (!iters_.empty()) {
            if (pos_ >= iters_.size()) pos_ = 0;
            if (PyObject* item = nested_next(iters_[pos_].get())) {
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

    int traverse(const GcVisit& visit) const override { return visit(iters_); }

private:
    std::vector<Owned> iters_;  // the inputs still running, in input order
    std::size_t pos_ = 0;       // the input to ask next
};

PyObject* interleave(Args<"interleave(seqs)">& a) {
    std::vector<Owned> iters;
    int rc = for_each_element(a["seqs"], [&](PyObject* seq) {
        iters.push_back(Owned::steal(PyObject_GetIter(seq)));
        return iters.back() ? 0 : -1;
    });
    if (rc < 0) return nullptr;
    return new_native_iter<InterleaveStep>(a.tool(), std::move(iters));
}
Registered INTERLEAVE{ITERTOOLZ_NAMES, function_def<interleave>()};

}  // namespace

}  // namespace brisko
