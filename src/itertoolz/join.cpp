// join: a lazy relational join of two sequences on computed keys. The left side is indexed in a
// host dict on the first step; right items stream through it, with optional outer-join fills.
#include <vector>

#include "itertoolz.hpp"

#include "../utils/errors.hpp"
#include "../utils/function_def.hpp"
#include "../utils/native_iter.hpp"

namespace brisko {
namespace {

struct Pair {
    Owned left, right;
};

class JoinStep final : public Step {
public:
    JoinStep(Owned leftkey, Owned leftseq, Owned rightkey, Owned right, Owned seen, Owned left_default,
             Owned right_default)
        : leftkey_(std::move(leftkey)), leftseq_(std::move(leftseq)), rightkey_(std::move(rightkey)),
          right_(std::move(right)), seen_(std::move(seen)), left_default_(std::move(left_default)),
          right_default_(std::move(right_default)) {}

    PyObject* next() override {
        if (!index_) {
            index_ = Owned::steal(build_index());
            if (!index_) return nullptr;
        }
        for (;;) {
            if (!pending_.empty()) return pop(pending_);
            if (tail_built_) return tail_.empty() ? nullptr : pop(tail_);
            Owned item = Owned::steal(iter_next(right_.get()));
            if (!item) {
                if (PyErr_Occurred() || build_tail() < 0) return nullptr;
                continue;
            }
            if (match(item) < 0) return nullptr;
        }
    }

private:
    // The left items grouped by key, keys in order of first appearance; only a complete index
    // is kept, so a failure leaves the next step to start over.
    PyObject* build_index() {
        Owned index = Owned::steal(PyDict_New());
        Owned it = index ? Owned::steal(PyObject_GetIter(leftseq_.get())) : Owned();
        if (!it) return nullptr;
        while (PyObject* raw = iter_next(it.get())) {
            Owned item = Owned::steal(raw);
            Owned key = Owned::steal(apply_key(leftkey_.get(), item.get()));
            if (!key) return fetch_err();
            PyObject* found = nullptr;
            if (PyDict_GetItemRef(index.get(), key.get(), &found) < 0) return nullptr;
            Owned members = Owned::steal(found);
            if (members) {
                if (PyList_Append(members.get(), item.get()) < 0) return nullptr;
            } else {
                members = Owned::steal(PyList_New(1));
                if (!members) return nullptr;
                PyList_SET_ITEM(members.get(), 0, item.release());
                if (PyDict_SetItem(index.get(), key.get(), members.get()) < 0) return nullptr;
            }
        }
        return PyErr_Occurred() ? nullptr : index.release();
    }

    // Queues the pairs of one right item: its matches in left order, or the left-default pair.
    int match(Owned& item) {
        Owned key = Owned::steal(apply_key(rightkey_.get(), item.get()));
        if (!key) return fetch_err(), -1;
        PyObject* found = nullptr;
        if (PyDict_GetItemRef(index_.get(), key.get(), &found) < 0) return -1;
        Owned members = Owned::steal(found);
        if (!members) {
            if (left_default_) pending_.push_back({Owned::borrow(left_default_.get()), std::move(item)});
            return 0;
        }
        if (PySet_Add(seen_.get(), key.get()) < 0) return -1;
        // Stored reversed: the next output is taken from the end.
        for (Py_ssize_t i = PyList_GET_SIZE(members.get()); i-- > 0;) {
            pending_.push_back({Owned::borrow(PyList_GET_ITEM(members.get(), i)), Owned::borrow(item.get())});
        }
        return 0;
    }

    // Once the right side ends: the unmatched left items with the right default, by key in
    // first-appearance order.
    int build_tail() {
        tail_built_ = true;
        if (!right_default_) return 0;
        PyObject *key, *members;
        Py_ssize_t pos = 0;
        std::vector<Pair> tail;
        while (PyDict_Next(index_.get(), &pos, &key, &members)) {
            Owned held_key = Owned::borrow(key);  // the set lookup may run Python code
            Owned held_members = Owned::borrow(members);
            int matched = PySet_Contains(seen_.get(), held_key.get());
            if (matched < 0) return -1;
            if (matched) continue;
            for (Py_ssize_t i = 0; i < PyList_GET_SIZE(held_members.get()); ++i) {
                tail.push_back({Owned::borrow(PyList_GET_ITEM(held_members.get(), i)), Owned::borrow(right_default_.get())});
            }
        }
        tail_.assign(std::make_move_iterator(tail.rbegin()), std::make_move_iterator(tail.rend()));
        return 0;
    }

    static PyObject* pop(std::vector<Pair>& pairs) {
        Pair pair = std::move(pairs.back());
        pairs.pop_back();
        return PyTuple_Pack(2, pair.left.get(), pair.right.get());
    }

    Owned leftkey_, leftseq_, rightkey_;
    Owned right_;  // iterator over rightseq
    Owned seen_;   // set of left keys some right item matched
    Owned left_default_, right_default_;  // null: absent
    Owned index_;  // dict: left key -> list of left items; null until the left side is read
    std::vector<Pair> pending_;  // ready pairs, reversed
    std::vector<Pair> tail_;     // unmatched left pairs, reversed, once the right side ended
    bool tail_built_ = false;
};

constexpr Signature JOIN_SIG =
    Signature::function("join", {"leftkey", "leftseq", "rightkey", "rightseq", "left_default", "right_default"}, 4);
PyObject* join(Args<JOIN_SIG>& a) {
    Owned right = Owned::steal(PyObject_GetIter(a[3]));
    if (!right) return nullptr;
    Owned seen = Owned::steal(PySet_New(nullptr));
    if (!seen) return nullptr;
    auto optional = [](PyObject* value) { return Owned::borrow(value == Py_None ? nullptr : value); };
    return native_iter<JoinStep>(Owned::borrow(a[0]), Owned::borrow(a[1]), Owned::borrow(a[2]), std::move(right),
                                 std::move(seen), optional(a[4]), optional(a[5]));
}

}  // namespace

PyMethodDef JOIN_DEF = function_def<JOIN_SIG, join>(
    "join(leftkey, leftseq, rightkey, rightseq, left_default=None, right_default=None)\n--\n\n");

}  // namespace brisko
