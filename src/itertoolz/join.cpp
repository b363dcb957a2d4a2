// join: a lazy relational join of two sequences on computed keys. The left side is grouped by key
// in a native table on the first step (host hashing and equality, as a dict would match keys);
// right items stream through it, with optional outer-join fills.
#include <memory>
#include <vector>

#include "itertoolz.hpp"

#include "../binding/function_def.hpp"
#include "../core/errors.hpp"
#include "../hashing/group_table.hpp"
#include "../iteration/for_each_element.hpp"
#include "../iteration/native_iter.hpp"

namespace brisko {
namespace {

struct Pair {
    Owned left, right;
    int traverse(const GcVisit& visit) const { return visit.all(left, right); }
};

using LeftIndex = GroupTable<GroupList>;  // left key -> left items, keys in first-appearance order

class JoinStep final : public Step {
public:
    JoinStep(Owned leftkey, Owned leftseq, Owned rightkey, Owned right, Owned left_default, Owned right_default)
        : leftkey_(std::move(leftkey)),
          leftseq_(std::move(leftseq)),
          rightkey_(std::move(rightkey)),
          right_(std::move(right)),
          left_default_(std::move(left_default)),
          right_default_(std::move(right_default)) {}

    PyObject* next() override {
        if (!index_) {
            index_ = build_index();
            if (!index_) return nullptr;
            matched_.assign(index_->size(), false);
        }
        // Right items without a match yield nothing: a long run of them answers signals.
        for (std::uint64_t pulled = 1;; ++pulled) {
            if (!pending_.empty()) return pop(pending_);
            if (tail_built_) return tail_.empty() ? nullptr : pop(tail_);
            Owned item = Owned::steal(nested_next(right_.get()));
            if (!item) {
                if (PyErr_Occurred()) return nullptr;
                build_tail();
                continue;
            }
            if (match(item) < 0 || check_signals(pulled) < 0) return nullptr;
        }
    }

    int traverse(const GcVisit& visit) const override {
        return visit.all(leftkey_, leftseq_, rightkey_, right_, left_default_, right_default_, index_, pending_, tail_);
    }

private:
    // Only a complete index is kept: after a failure the next step reads the left side afresh.
    std::unique_ptr<LeftIndex> build_index() {
        auto index = std::make_unique<LeftIndex>();
        int rc = for_each_element(leftseq_.get(), [&](PyObject* item) {
            Owned key = Owned::steal(apply_key(leftkey_.get(), item));
            if (!key) return fetch_status();
            GroupList* members = index->group(key.get());
            return members ? members->append(item) : -1;
        });
        return rc < 0 ? nullptr : std::move(index);
    }

    // Queues the pairs of one right item: its matches in left order, or the left-default pair.
    int match(Owned& item) {
        Owned key = Owned::steal(apply_key(rightkey_.get(), item.get()));
        if (!key) return fetch_status();
        std::int64_t group = index_->position(key.get());
        if (group == -2) return -1;
        if (group == -1) {
            if (left_default_) pending_.push_back({Owned::borrow(left_default_.get()), std::move(item)});
            return 0;
        }
        matched_[std::size_t(group)] = true;
        queue_reversed(pending_, index_->payload(std::size_t(group)), item.get());
        return 0;
    }

    // Once the right side ends: the unmatched left items with the right default, by key in
    // first-appearance order.
    void build_tail() {
        tail_built_ = true;
        if (!right_default_) return;
        for (std::size_t g = index_->size(); g-- > 0;) {
            if (!matched_[g]) queue_reversed(tail_, index_->payload(g), right_default_.get());
        }
    }

    // Appends (left item, other) for every left item of `group`, last first, so that they are
    // taken from the end in input order. Nothing here runs Python code between reads.
    static void queue_reversed(std::vector<Pair>& pairs, const GroupList& members, PyObject* other) {
        pairs.reserve(pairs.size() + members.size());
        for (std::size_t i = members.size(); i-- > 0;)
            pairs.push_back({Owned::borrow(members[i]), Owned::borrow(other)});
    }

    static PyObject* pop(std::vector<Pair>& pairs) {
        Pair pair = std::move(pairs.back());
        pairs.pop_back();
        return PyTuple_Pack(2, pair.left.get(), pair.right.get());
    }

    Owned leftkey_, leftseq_, rightkey_;
    Owned right_;                         // iterator over rightseq
    Owned left_default_, right_default_;  // null: absent
    std::unique_ptr<LeftIndex> index_;    // null until the left side has been read
    std::vector<bool> matched_;           // per left group: some right item matched its key
    std::vector<Pair> pending_;           // ready pairs, reversed
    std::vector<Pair> tail_;              // unmatched left pairs, reversed, once the right side ended
    bool tail_built_ = false;
};

PyObject* join(Args<"join(leftkey, leftseq, rightkey, rightseq, left_default=None, right_default=None)">& a) {
    Owned right = Owned::steal(PyObject_GetIter(a["rightseq"]));
    if (!right) return nullptr;
    return new_native_iter<JoinStep>(
        a.tool(), Owned::borrow(a["leftkey"]), Owned::borrow(a["leftseq"]), Owned::borrow(a["rightkey"]),
        std::move(right), Owned::borrow(a.unless_none("left_default")), Owned::borrow(a.unless_none("right_default")));
}
Registered JOIN{ITERTOOLZ_NAMES, function_def<join>()};

}  // namespace

}  // namespace brisko
