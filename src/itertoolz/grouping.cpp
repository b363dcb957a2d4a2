// groupby, countby and frequencies: eager grouping in a native table, dict built once at the end.
// frequencies over a flat int64 buffer never makes a host object per element, and counts with the
// interpreter lock released. isdistinct: the same question answered by a host set, stopping at the
// first repeat.
#include <algorithm>
#include <limits>
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

PyObject* countby(Bound<2>& a) {
    PyObject* key = a[0];
    Counting counting;
    int rc = for_each_element(a[1], [&](PyObject* item) {
        Owned value = Owned::steal(apply_key(key, item));
        return value ? counting.add(value.get()) : fetch_status();
    });
    return rc < 0 ? nullptr : counting.result();
}
Registered COUNTBY{ITERTOOLZ_NAMES, function_def<"countby(key, seq)", countby>()};

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

// Values spanning a range no wider than this many slots per element (or this absolute number)
// are counted in a flat array indexed by value - min, which beats any hash table.
constexpr std::uint64_t DENSE_SLOTS_PER_ELEMENT = 4;
constexpr std::uint64_t DENSE_MIN_SLOTS = 1 << 16;

// Counts by direct indexing, for values within [lo, lo + span]. Stops, with `counts` part-filled
// and `in_range` false, at a value outside it: the buffer changed since the range was taken, by
// another thread or process, and only a table that bounds nothing can count it. False when a
// signal's handler raised.
bool count_dense(ReleasedScan& scan, const std::int64_t* data, std::size_t n, std::int64_t lo, std::uint64_t span,
                 std::vector<I64Count>& counts, bool& in_range) {
    std::vector<std::uint32_t> ordinal(span + 1, 0);  // per value: its index in counts + 1, 0 when unseen
    in_range = true;
    return scan.chunks(n, [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            const std::int64_t value = read_element(data, i);
            const std::uint64_t slot = std::uint64_t(value) - std::uint64_t(lo);  // no overflow in unsigned
            if (slot > span) {
                in_range = false;
                return false;
            }
            std::uint32_t& seen = ordinal[slot];
            if (seen == 0) {
                counts.push_back({value, 0});
                seen = std::uint32_t(counts.size());
            }
            ++counts[seen - 1].count;
        }
        return true;
    });
}

bool count_hashed(ReleasedScan& scan, const std::int64_t* data, std::size_t n, std::vector<I64Count>& counts) {
    FxTable<std::size_t> positions(n);
    return scan.chunks(n, [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            const std::int64_t value = read_element(data, i);
            bool added;
            std::size_t& p = positions.find_or_add(value, added);
            if (added) {
                p = counts.size();
                counts.push_back({value, 0});
            }
            ++counts[p].count;
        }
        return true;
    });
}

// Counts in first-appearance order, by direct indexing when the values are dense, else by
// hashing them natively; never a host object per element, and the lock released throughout for a
// long buffer (the caller's view keeps it exported, so it cannot be resized meanwhile). Each
// element is read once per pass and the passes need not agree: a buffer written meanwhile gets
// some counts, never a stray write. -1 when a signal's handler raised between chunks.
int count_i64(const std::int64_t* data, std::size_t n, std::vector<I64Count>& counts) {
    if (n == 0) return 0;
    ReleasedScan scan(n);
    std::int64_t lo = std::numeric_limits<std::int64_t>::max(), hi = std::numeric_limits<std::int64_t>::min();
    bool scanned = scan.chunks(n, [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            const std::int64_t value = read_element(data, i);
            lo = std::min(lo, value);
            hi = std::max(hi, value);
        }
        return true;
    });
    if (!scanned) return -1;
    const std::uint64_t span = std::uint64_t(hi) - std::uint64_t(lo);  // no overflow in unsigned
    const std::uint64_t dense_limit = std::max(DENSE_MIN_SLOTS, DENSE_SLOTS_PER_ELEMENT * n);
    // An ordinal is 32 bits wide: it holds every group as long as the elements (an upper bound
    // on the groups) are fewer than 2**32.
    if (span < dense_limit && n < std::numeric_limits<std::uint32_t>::max()) {
        bool in_range;
        if (!count_dense(scan, data, n, lo, span, counts, in_range)) return -1;
        if (in_range) return 0;
        counts.clear();
    }
    return count_hashed(scan, data, n, counts) ? 0 : -1;
}

PyObject* groupby(Bound<2>& a) { return groupby_impl(a[0], a[1]); }
Registered GROUPBY{ITERTOOLZ_NAMES, function_def<"groupby(key, seq)", groupby>()};

PyObject* frequencies(Bound<1>& a) { return frequencies_impl(a[0]); }
Registered FREQUENCIES{ITERTOOLZ_NAMES, function_def<"frequencies(seq)", frequencies>()};

PyObject* isdistinct(Bound<1>& a) {
    Owned seen = Owned::steal(PySet_New(nullptr));
    if (!seen) return nullptr;
    int duplicate = for_each_element(a[0], [&](PyObject* item) {
        int present = PySet_Contains(seen.get(), item);
        if (present != 0) return present;  // a duplicate ends the traversal early
        return PySet_Add(seen.get(), item);
    });
    if (duplicate < 0) return nullptr;
    return Py_NewRef(duplicate ? Py_False : Py_True);
}
Registered ISDISTINCT{ITERTOOLZ_NAMES, function_def<"isdistinct(seq)", isdistinct>()};

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
