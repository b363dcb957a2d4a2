// groupby, countby and frequencies: eager grouping in a native table, dict built once at the end.
// frequencies over a flat int64 buffer never makes a host object per element, and counts with the
// interpreter lock released. isdistinct: the same question answered by a host set, stopping at the
// first repeat.
#include <algorithm>
#include <cstdlib>
#include <limits>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "itertoolz.hpp"

#include "../binding/function_def.hpp"
#include "../core/call.hpp"
#include "../hashing/fx_table.hpp"
#include "../hashing/group_table.hpp"
#include "../hashing/i64_buffer.hpp"
#include "../hashing/released_scan.hpp"
#include "../iteration/for_each_element.hpp"

namespace brisko {
namespace {

PyObject* count_to_int(const std::uint64_t& count) { return PyLong_FromUnsignedLongLong(count); }

// Counting, first in a native table and, past SPILL distinct keys, in the result dict itself: a
// few keys are counted at native speed, and many keys never have their dict and a native copy of
// it in memory at once. After the spill an element costs a host dict lookup (and, when its key
// is already there, a store of the new count).
class Counting {
public:
    // One more occurrence of `key`: 0, or -1 with the exception set.
    int add(PyObject* key) {
        if (dict_) return add_to_dict(key);
        std::uint64_t* count = table_.group(key);
        if (!count) return -1;
        ++*count;
        return table_.size() < SPILL ? 0 : spill();
    }

    // The counts as a dict, keys in first-appearance order (a new reference, or null).
    PyObject* result() { return dict_ ? dict_.release() : table_.to_dict(count_to_int); }

private:
    static constexpr std::size_t SPILL = std::size_t(1) << 17;

    int spill() {
        dict_ = Owned::steal(table_.to_dict(count_to_int));
        return dict_ ? 0 : -1;
    }

    int add_to_dict(PyObject* key) {
        PyObject* one = PyLong_FromLong(1);  // a cached small int: cannot fail
        PyObject* raw;
        int present = PyDict_SetDefaultRef(dict_.get(), key, one, &raw);
        Owned count = Owned::steal(raw);
        if (present <= 0) return present;
        // The dict is reachable from a key's __eq__ (gc.get_objects): its count may not be ours.
        unsigned long long n = PyLong_AsUnsignedLongLong(count.get());
        if (n == static_cast<unsigned long long>(-1) && PyErr_Occurred()) return -1;
        Owned next = Owned::steal(PyLong_FromUnsignedLongLong(n + 1));
        return next ? PyDict_SetItem(dict_.get(), key, next.get()) : -1;
    }

    GroupTable<std::uint64_t> table_;
    Owned dict_;  // the result, once spilled
};

PyObject* countby(Args<"countby(key, seq)">& a) {
    PyObject* key = a["key"];
    Counting counting;
    int rc = for_each_element(a["seq"], [&](PyObject* item) {
        Owned value = Owned::steal(apply_key(key, item));
        return value ? counting.add(value.get()) : fetch_status();
    });
    return rc < 0 ? nullptr : counting.result();
}
Registered COUNTBY{ITERTOOLZ_NAMES, function_def<countby>()};

struct I64Count {
    std::int64_t value;
    std::uint64_t count;
};

// The counts as a dict, in the order given. Boxing millions of distinct values takes seconds,
// so a signal is answered meanwhile.
PyObject* i64_counts_to_dict(const std::vector<I64Count>& counts) {
    Owned result = Owned::steal(_PyDict_NewPresized(Py_ssize_t(counts.size())));
    if (!result) return nullptr;
    std::uint64_t step = 0;
    for (const I64Count& c : counts) {
        Owned key = Owned::steal(PyLong_FromLongLong(c.value));
        Owned count = key ? Owned::steal(PyLong_FromUnsignedLongLong(c.count)) : Owned();
        if (!count || PyDict_SetItem(result.get(), key.get(), count.get()) < 0) return fetch_err();
        if (check_signals(++step) < 0) return nullptr;
    }
    return result.release();
}

// The widest window worth opening for the elements still to count: one slot per element, and never
// less than a window that fits in the cache. A window costs its rebuilds and the pages its values
// touch, about a slot's clearing per slot over all its widenings, and saves against hashing about
// as much on every element it counts: past one slot per element left, hashing them is the cheaper
// way (measured over 1,000 values spread ever wider), and a window never takes more memory than
// half the elements it counts.
constexpr std::uint64_t DENSE_SLOTS_PER_ELEMENT = 1;
constexpr std::uint64_t DENSE_MIN_SLOTS = 1 << 16;

// Counts by direct indexing, in a window of values that widens to take each value outside it, as
// long as it stays worth its cost. One pass over the buffer: no earlier pass takes the range, so a
// buffer twice the cache is read once from memory, which is what bounds two threads counting at
// once. Widening doubles the window (placed towards the value that asked), so the rebuilds cost
// about as much as the final window. The window comes from the C allocator, cleared: a fresh one is
// untouched zero pages, which cost nothing where no value lands, and one the allocator reuses (the
// next widening's, the next call's) costs a clearing pass, less than the faults of fresh pages.
class DenseWindow {
public:
    explicit DenseWindow(std::size_t n) : n_(n) {}
    DenseWindow(const DenseWindow&) = delete;
    DenseWindow& operator=(const DenseWindow&) = delete;
    ~DenseWindow() { std::free(ordinal_); }

    // Counts data[begin, end) while the window can take every value; where it stopped (end, or the
    // first value it cannot take: the counts so far stay valid, for a table that bounds nothing).
    std::size_t count(const std::int64_t* data, std::size_t begin, std::size_t end, std::vector<I64Count>& counts) {
        // The window and the counts are kept in locals: the build lets any store alias any field
        // (no strict aliasing, as for all host code), so each count's increment would otherwise
        // reload them all from memory, a third of the loop's time.
        std::uint32_t* ordinal = ordinal_;
        std::uint64_t lo = lo_, size = size_;
        I64Count* group = counts.data();
        for (std::size_t i = begin; i < end; ++i) {
            const std::int64_t value = read_element(data, i);  // read once: a writer may change it
            std::uint64_t slot = std::uint64_t(value) - lo;    // no overflow in unsigned
            if (slot >= size) [[unlikely]] {
                if (!widen(value, n_ - i, counts)) return i;
                ordinal = ordinal_, lo = lo_, size = size_;
                slot = std::uint64_t(value) - lo;
            }
            std::uint32_t seen = ordinal[slot];
            if (seen == 0) [[unlikely]] {
                counts.push_back({value, 0});
                group = counts.data();
                seen = ordinal[slot] = std::uint32_t(counts.size());
            }
            ++group[seen - 1].count;
        }
        return end;
    }

private:
    // Values as words ordered as the values are, so that the window's arithmetic never wraps.
    static constexpr std::uint64_t BIAS = std::uint64_t(1) << 63;
    static std::uint64_t ordered(std::int64_t v) { return std::uint64_t(v) ^ BIAS; }

    // The widest window, less one slot, for `left` elements still to count. An ordinal is 32 bits
    // wide: it holds every group as long as the elements (an upper bound on the groups) are fewer
    // than 2**32.
    std::uint64_t limit(std::uint64_t left) const {
        if (n_ >= std::numeric_limits<std::uint32_t>::max()) return 0;
        return std::max(DENSE_MIN_SLOTS, DENSE_SLOTS_PER_ELEMENT * left);
    }

    bool widen(std::int64_t value, std::uint64_t left, const std::vector<I64Count>& counts) {
        constexpr std::uint64_t FIRST_SLOTS = 1 << 10;
        const std::uint64_t v = ordered(value);
        const std::uint64_t lo = lo_ ^ BIAS, hi = size_ ? lo + (size_ - 1) : v;
        const std::uint64_t need_lo = size_ ? std::min(lo, v) : v, need_hi = std::max(hi, v);
        const std::uint64_t needed = need_hi - need_lo;  // slots - 1
        const std::uint64_t limit = this->limit(left);
        if (needed >= limit) return false;
        const std::uint64_t wanted = std::min(limit - 1, std::max(needed, size_ ? 2 * size_ - 1 : FIRST_SLOTS - 1));
        // The new window [new_lo, new_lo + wanted] holds the old one and `value`, and no word past
        // the largest; the room it gains lies on the side of the value that asked (around a first
        // one). Holding the old window, it at least doubles (or reaches the limit, after which any
        // value outside it needs more than the limit): a window widens a few dozen times at most.
        constexpr std::uint64_t LARGEST = ~std::uint64_t(0);
        std::uint64_t new_lo;
        if (!size_) {
            new_lo = std::min(v - std::min(v, wanted / 2), LARGEST - wanted);
        } else if (v < lo) {
            new_lo = need_hi < wanted ? 0 : need_hi - wanted;
        } else {
            new_lo = std::min(need_lo, LARGEST - wanted);
        }
        // The old window goes first: the values seen say everything it held, and the two are never
        // in memory at once. Should the new one fail to come, the window is empty and whole.
        std::free(std::exchange(ordinal_, nullptr));
        size_ = 0;
        ordinal_ = static_cast<std::uint32_t*>(std::calloc(wanted + 1, sizeof(std::uint32_t)));
        if (!ordinal_) throw std::bad_alloc();
        size_ = wanted + 1;
        lo_ = new_lo ^ BIAS;
        for (std::size_t k = 0; k < counts.size(); ++k) {
            ordinal_[std::uint64_t(counts[k].value) - lo_] = std::uint32_t(k + 1);
        }
        return true;
    }

    std::uint32_t* ordinal_ = nullptr;  // per value - lo: its index in counts + 1, 0 when unseen
    std::uint64_t size_ = 0;            // slots in the window
    std::uint64_t lo_ = 0;              // the window's first value, its bits as a word
    std::size_t n_;                     // the elements of the whole scan
};

// Counts in first-appearance order: by direct indexing while the values stay dense, then by
// hashing them natively from the first value that would make the window too wide; never a host
// object per element, and the lock released throughout for a long buffer (the caller's view keeps
// it exported, so it cannot be resized meanwhile). Each element is read once: a buffer written
// meanwhile gets some counts, never a stray write. -1 when a signal's handler raised between chunks.
int count_i64(const std::int64_t* data, std::size_t n, std::vector<I64Count>& counts) {
    ReleasedScan scan(n);
    std::optional<DenseWindow> dense(std::in_place, n);
    std::optional<FxTable<std::size_t>> positions;  // from the first value the window cannot take
    const bool scanned = scan.chunks(n, [&](std::size_t begin, std::size_t end) {
        if (dense) {
            begin = dense->count(data, begin, end, counts);
            if (begin == end) return true;
            dense.reset();  // its memory goes before the table's comes
            positions.emplace(counts.size() + scan_presize(n - begin));
            bool added;
            for (std::size_t k = 0; k < counts.size(); ++k) positions->find_or_add(counts[k].value, added) = k;
        }
        for (std::size_t i = begin; i < end; ++i) {
            const std::int64_t value = read_element(data, i);
            bool added;
            std::size_t& p = positions->find_or_add(value, added);
            if (added) {
                p = counts.size();
                counts.push_back({value, 0});
            }
            ++counts[p].count;
        }
        return true;
    });
    return scanned ? 0 : -1;
}

PyObject* groupby(Args<"groupby(key, seq)">& a) { return groupby_impl(a["key"], a["seq"]); }
Registered GROUPBY{ITERTOOLZ_NAMES, function_def<groupby>()};

PyObject* frequencies(Args<"frequencies(seq)">& a) { return frequencies_impl(a["seq"]); }
Registered FREQUENCIES{ITERTOOLZ_NAMES, function_def<frequencies>()};

PyObject* isdistinct(Args<"isdistinct(seq)">& a) {
    Owned seen = Owned::steal(PySet_New(nullptr));
    if (!seen) return nullptr;
    int duplicate = for_each_element(a["seq"], [&](PyObject* item) {
        int present = PySet_Contains(seen.get(), item);
        if (present != 0) return present;  // a duplicate ends the traversal early
        return PySet_Add(seen.get(), item);
    });
    if (duplicate < 0) return nullptr;
    return Py_NewRef(duplicate ? Py_False : Py_True);
}
Registered ISDISTINCT{ITERTOOLZ_NAMES, function_def<isdistinct>()};

}  // namespace

PyObject* groupby_impl(PyObject* key, PyObject* seq) {
    GroupTable<GroupList> table;
    int rc = for_each_element(seq, [&](PyObject* item) {
        Owned value = Owned::steal(apply_key(key, item));
        if (!value) return fetch_status();
        GroupList* members = table.group(value.get());
        return members ? members->append(item) : -1;
    });
    return rc < 0 ? nullptr : table.to_dict([](GroupList& members) { return members.take_list(); });
}

PyObject* frequencies_impl(PyObject* seq) {
    if (BufferView view = readable_i64_buffer(seq)) {
        std::vector<I64Count> counts;
        return count_i64(view.data(), view.length(), counts) < 0 ? nullptr : i64_counts_to_dict(counts);
    }
    if (PyErr_Occurred()) return nullptr;
    Counting counting;
    int rc = for_each_element(seq, [&](PyObject* item) { return counting.add(item); });
    return rc < 0 ? nullptr : counting.result();
}

}  // namespace brisko
