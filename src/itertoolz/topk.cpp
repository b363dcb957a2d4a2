// topk: the k largest elements, descending, the earlier of equal elements (or equal keys) first.
// A bounded heap of the k best so far selects them in O(n log k) time and O(k) memory; an input
// known to hold no more than k elements is sorted outright, which is faster and gives the same.
#include <algorithm>
#include <utility>
#include <vector>

#include "itertoolz.hpp"

#include "../binding/function_def.hpp"
#include "../core/call.hpp"
#include "../core/errors.hpp"
#include "../iteration/for_each_element.hpp"

namespace brisko {
namespace {

// a < b, as the host's sort asks it. Exact ints that fit a machine word and exact floats compare
// natively: their `<` runs no user code and cannot fail.
int less_than(PyObject* a, PyObject* b) {
    if (PyLong_CheckExact(a) && PyLong_CheckExact(b)) {
        auto* x = reinterpret_cast<PyLongObject*>(a);
        auto* y = reinterpret_cast<PyLongObject*>(b);
        if (PyUnstable_Long_IsCompact(x) && PyUnstable_Long_IsCompact(y)) {
            return PyUnstable_Long_CompactValue(x) < PyUnstable_Long_CompactValue(y);
        }
    } else if (PyFloat_CheckExact(a) && PyFloat_CheckExact(b)) {
        return PyFloat_AS_DOUBLE(a) < PyFloat_AS_DOUBLE(b);
    }
    return PyObject_RichCompareBool(a, b, Py_LT);
}

// The k best elements seen so far, in a min-heap whose root is the one that ranks lowest. Only
// `<` is asked, as the sort asks it: elements of a total order come out exactly as a stable
// descending sort orders them. Any other answers (a __lt__ that lies) leave the heap merely
// unordered, never out of bounds.
class Selection {
public:
    Selection(std::uint64_t k, PyObject* key) : k_(k), key_(key), callable_key_(key && PyCallable_Check(key)) {}

    // Without a key, whether an element certainly stays out, decided natively on a borrowed
    // element: once the heap is full, an exact int of one machine word no greater than an exact
    // int at the root (an equal one came later, so it ranks lower).
    bool passes(PyObject* item) const noexcept {
        return threshold_set_ && !key_ && compact_value(item, threshold_ + 1) <= threshold_;
    }

    // One more element: 0, or -1 with the exception set.
    int offer(PyObject* item) {
        Owned key;
        if (key_) {
            key = Owned::steal(callable_key_ ? call_one(key_, item) : lookup_key(key_, item));
            if (!key) return -1;
        }
        if (k_ == 0) return 0;
        PyObject* rank = key ? key.get() : item;
        if (threshold_set_ && compact_value(rank, threshold_ + 1) <= threshold_) return 0;
        return enter(item, std::move(key));
    }

    // The selection, best first, as a new tuple; the heap is used up. The comparisons and the
    // released keys run user code between the slots: until the tuple is full, the collector (and
    // so gc.get_objects) must not see it.
    PyObject* take_result() {
        Owned result = Owned::steal(PyTuple_New(Py_ssize_t(heap_.size())));
        if (!result || heap_.empty()) return result.release();
        PyObject_GC_UnTrack(result.get());
        for (std::size_t filled = heap_.size(); filled-- > 0;) {
            // The root ranks lowest of what is left: it goes last among them.
            PyTuple_SET_ITEM(result.get(), Py_ssize_t(filled), heap_[0].element.release());
            std::swap(heap_[0], heap_.back());
            heap_.pop_back();
            if (sift_down(0) < 0) return nullptr;
        }
        PyObject_GC_Track(result.get());
        return result.release();
    }

private:
    struct Ranked {
        Owned element;
        Owned key;  // null without a key function: the element ranks itself
        std::uint64_t position;
        PyObject* rank() const noexcept { return key ? key.get() : element.get(); }
    };

    // The value of an exact int of one machine word, else `otherwise`.
    static Py_ssize_t compact_value(PyObject* obj, Py_ssize_t otherwise) noexcept {
        if (!PyLong_CheckExact(obj)) return otherwise;
        auto* number = reinterpret_cast<PyLongObject*>(obj);
        return PyUnstable_Long_IsCompact(number) ? PyUnstable_Long_CompactValue(number) : otherwise;
    }

    // Takes the element in unless the heap is full and its root outranks it; the threshold follows
    // the root.
    [[gnu::noinline]] int enter(PyObject* item, Owned key) {
        std::uint64_t position = seen_++;
        PyObject* rank = key ? key.get() : item;
        int rc;
        if (heap_.size() < k_) {
            heap_.push_back(Ranked{Owned::borrow(item), std::move(key), position});
            rc = sift_up(heap_.size() - 1);
        } else {
            // A newcomer ranks below an equal incumbent (it came later): only a greater one enters.
            rc = less_than(heap_[0].rank(), rank);
            if (rc <= 0) return rc;
            heap_[0] = Ranked{Owned::borrow(item), std::move(key), position};
            rc = sift_down(0);
        }
        if (rc < 0) return rc;
        // A compact int is far from the word's limits: the +1 below never overflows.
        threshold_ = compact_value(heap_[0].rank(), PY_SSIZE_T_MAX);
        threshold_set_ = heap_.size() == k_ && threshold_ != PY_SSIZE_T_MAX;
        return 0;
    }

    // 1 when `a` ranks below `b` (it is smaller, or equal and later), 0 when not, -1 on error.
    static int below(const Ranked& a, const Ranked& b) {
        int smaller = less_than(a.rank(), b.rank());
        if (smaller != 0) return smaller;
        int greater = less_than(b.rank(), a.rank());
        if (greater != 0) return greater < 0 ? -1 : 0;
        return a.position > b.position;
    }

    int sift_up(std::size_t i) {
        while (i > 0) {
            std::size_t parent = (i - 1) / 2;
            int swap = below(heap_[i], heap_[parent]);
            if (swap <= 0) return swap;
            std::swap(heap_[i], heap_[parent]);
            i = parent;
        }
        return 0;
    }

    int sift_down(std::size_t i) {
        for (;;) {
            std::size_t lowest = 2 * i + 1;
            if (lowest >= heap_.size()) return 0;
            if (lowest + 1 < heap_.size()) {
                int right = below(heap_[lowest + 1], heap_[lowest]);
                if (right < 0) return -1;
                lowest += std::size_t(right);
            }
            int swap = below(heap_[lowest], heap_[i]);
            if (swap <= 0) return swap;
            std::swap(heap_[i], heap_[lowest]);
            i = lowest;
        }
    }

    std::vector<Ranked> heap_;
    std::uint64_t k_;
    PyObject* key_;  // borrowed from the call; null: no key
    bool callable_key_;
    std::uint64_t seen_ = 0;  // positions handed out: they order the elements that entered
    // While set, the heap is full and its root ranks as this exact int: a rank that is an exact
    // int no greater stays out without a comparison through the host.
    bool threshold_set_ = false;
    Py_ssize_t threshold_ = 0;
};

// list.sort(reverse=True): stable, so equal entries keep their input order.
int sort_descending(PyObject* list) {
    Owned name = Owned::steal(PyUnicode_InternFromString("sort"));
    Owned kwnames = Owned::steal(Py_BuildValue("(s)", "reverse"));
    if (!name || !kwnames) return -1;
    PyObject* argv[] = {list, Py_True};
    Owned done =
        Owned::steal(PyObject_VectorcallMethod(name.get(), argv, 1 | PY_VECTORCALL_ARGUMENTS_OFFSET, kwnames.get()));
    return done ? 0 : -1;
}

// A list or tuple of at most k elements, best first: its elements sorted, or by key as
// (key, -position, element) entries, so that ties on the key go to the earlier element and
// elements are never compared. User code (the key, then the comparisons) never finds a list of
// ours to change: the entries are gathered natively and make a list only once every key is known,
// and list.sort hides that list (it reads as empty) while it runs, restoring exactly its own
// entries. The input is read as every traversal reads it, so a key that grows a list gets the
// new elements too, and only the best k of them are kept.
PyObject* sorted_whole(PyObject* seq, PyObject* key, std::uint64_t k) {
    if (!key) {
        Owned sorted = Owned::steal(PySequence_List(seq));
        if (!sorted || sort_descending(sorted.get()) < 0) return nullptr;
        return PyList_AsTuple(sorted.get());
    }
    std::vector<Owned> gathered;
    int rc = for_each_element(seq, [&](PyObject* item) {
        Owned rank = Owned::steal(apply_key(key, item));
        Owned negated = rank ? Owned::steal(PyLong_FromSsize_t(-Py_ssize_t(gathered.size()))) : Owned();
        Owned entry = negated ? Owned::steal(PyTuple_Pack(3, rank.get(), negated.get(), item)) : Owned();
        if (!entry) return -1;
        gathered.push_back(std::move(entry));
        return 0;
    });
    Owned entries = rc < 0 ? Owned() : Owned::steal(PyList_New(Py_ssize_t(gathered.size())));
    if (!entries) return nullptr;
    for (std::size_t i = 0; i < gathered.size(); ++i)
        PyList_SET_ITEM(entries.get(), Py_ssize_t(i), gathered[i].release());
    if (sort_descending(entries.get()) < 0) return nullptr;
    Py_ssize_t n = std::min(PyList_GET_SIZE(entries.get()), Py_ssize_t(std::min<std::uint64_t>(k, PY_SSIZE_T_MAX)));
    Owned result = Owned::steal(PyTuple_New(n));
    if (!result) return nullptr;
    for (Py_ssize_t i = 0; i < n; ++i) {
        PyTuple_SET_ITEM(result.get(), i, Py_NewRef(PyTuple_GET_ITEM(PyList_GET_ITEM(entries.get(), i), 2)));
    }
    return result.release();
}

PyObject* topk(Args<"topk(k, seq, key=None)">& a) {
    std::uint64_t k;
    if (a.to_count("k", k) < 0) return nullptr;
    PyObject* seq = a["seq"];
    PyObject* key = a.unless_none("key");
    if ((PyList_CheckExact(seq) || PyTuple_CheckExact(seq)) && std::uint64_t(Py_SIZE(seq)) <= k) {
        return sorted_whole(seq, key, k);
    }
    Selection selection(k, key);
    int rc = for_each_element(
        seq, [&](PyObject* item) { return selection.offer(item); },
        [&](PyObject* item) { return selection.passes(item); });
    if (rc < 0) return nullptr;
    return selection.take_result();
}
Registered TOPK{ITERTOOLZ_NAMES, function_def<topk>()};

}  // namespace

}  // namespace brisko
