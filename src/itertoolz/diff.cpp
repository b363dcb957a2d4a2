// diff: the positions where parallel sequences disagree, yielded as tuples of their values.
#include <vector>

#include "itertoolz.hpp"

#include "../binding/function_def.hpp"
#include "../core/call.hpp"
#include "../core/errors.hpp"
#include "../core/tuple.hpp"
#include "../iteration/native_iter.hpp"

namespace brisko {
namespace {

// 1 when items[0] == items[i] holds for every i (truth of the rich comparison), 0, or -1 with an
// exception. `count` is at least 1.
int all_equal(PyObject* const* items, std::size_t count) {
    for (std::size_t i = 1; i < count; ++i) {
        if (int eq = equals(items[0], items[i]); eq <= 0) return eq;
    }
    return 1;
}

class DiffStep final : public Step {
public:
    DiffStep(std::vector<Owned> iters, bool has_default, Owned dflt, Owned key)
        : iters_(std::move(iters)), has_default_(has_default), default_(std::move(dflt)), key_(std::move(key)) {}

    PyObject* next() override {
        // Positions where the sequences agree yield nothing: a long run of them answers signals.
        for (std::uint64_t compared = 1; !done_; ++compared) {
            int gathered = gather();
            if (gathered <= 0) return nullptr;  // the end (done_ set) or an error
            int equal = compare();
            if (equal < 0) return nullptr;
            if (!equal) return tuple_from_owned(values_);
            if (check_signals(compared) < 0) return nullptr;
        }
        return nullptr;
    }

    int traverse(const GcVisit& visit) const override { return visit.all(iters_, default_, key_, values_, keys_); }

private:
    // One value per slot into values_: 1, 0 at the end, -1 on error.
    int gather() {
        values_.clear();
        bool any_real = false;
        for (Owned& it : iters_) {
            if (!it) {  // exhausted earlier, with a default standing in
                values_.push_back(Owned::borrow(default_.get()));
                continue;
            }
            PyObject* item = nested_next(it.get());
            if (item) {
                any_real = true;
                values_.push_back(Owned::steal(item));
                continue;
            }
            if (PyErr_Occurred()) return -1;
            if (!has_default_) return finish();
            Owned ended = std::move(it);
            values_.push_back(Owned::borrow(default_.get()));
        }
        return any_real ? 1 : finish();
    }

    int finish() {
        done_ = true;
        values_.clear();
        return 0;
    }

    // 1 when the gathered values (or their keys) are all equal, 0, or -1 on error.
    int compare() {
        probes_.clear();
        keys_.clear();
        for (Owned& v : values_) {
            if (key_) {
                keys_.push_back(Owned::steal(call_one(key_.get(), v.get())));
                if (!keys_.back()) return -1;
            }
            probes_.push_back(key_ ? keys_.back().get() : v.get());
        }
        int equal = all_equal(probes_.data(), probes_.size());
        keys_.clear();
        return equal;
    }

    std::vector<Owned> iters_;  // one per sequence; empty once exhausted (with a default)
    bool has_default_;
    Owned default_;
    Owned key_;                  // null: the values themselves are compared
    std::vector<Owned> values_;  // the attempt in progress
    std::vector<Owned> keys_;    // their keys, while they are compared
    std::vector<PyObject*> probes_;
    bool done_ = false;
};

PyObject* diff(Args<"diff(*seqs, **kwargs)">& a) {
    PyObject* const* seqs = a.rest();
    Py_ssize_t count = a.n_rest();
    // A single list argument holds the sequences (a tuple or other iterable is one sequence).
    Owned listed;
    if (count == 1 && PyList_Check(seqs[0])) {
        listed = Owned::steal(PyList_AsTuple(seqs[0]));
        if (!listed) return nullptr;
        seqs = &PyTuple_GET_ITEM(listed.get(), 0);
        count = PyTuple_GET_SIZE(listed.get());
    }
    if (count < 2) {
        PyErr_SetString(PyExc_TypeError, "Too few sequences given (min 2 required)");
        return nullptr;
    }
    // Presence is what counts for default (None fills with None); key=None means no key.
    Owned dflt, key;
    int has_default = a.kwarg("default", dflt);
    if (has_default < 0 || a.kwarg("key", key) < 0) return nullptr;
    if (key.get() == Py_None) key.reset();
    std::vector<Owned> iters;
    for (Py_ssize_t i = 0; i < count; ++i) {
        iters.push_back(Owned::steal(PyObject_GetIter(seqs[i])));
        if (!iters.back()) return nullptr;
    }
    return new_native_iter<DiffStep>(a.tool(), std::move(iters), has_default > 0, std::move(dflt), std::move(key));
}
Registered DIFF{ITERTOOLZ_NAMES, function_def<diff>()};

}  // namespace

}  // namespace brisko
