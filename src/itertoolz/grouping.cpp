// groupby, countby and frequencies: eager grouping in a native table, dict built once at the end.
// frequencies over a flat int64 buffer never makes a host object per element.
#include <vector>

#include "itertoolz.hpp"

#include "../utils/call.hpp"
#include "../utils/function_def.hpp"
#include "../utils/fx_table.hpp"
#include "../utils/i64_buffer.hpp"
#include "group_table.hpp"

namespace brisko {
namespace {

// The key value of one element: a callable key is called directly, anything else is the key rule.
PyObject* key_of(PyObject* key, bool callable, PyObject* item) {
    if (callable) {
        PyObject* value = call_one(key, item);
        return value ? value : ffi_err();
    }
    PyObject* value = apply_key(key, item);
    return value ? value : fetch_err();
}

PyObject* count_to_int(const std::uint64_t& count) { return PyLong_FromUnsignedLongLong(count); }

constexpr Signature COUNTBY_SIG = Signature::function("countby", {"key", "seq"});
PyObject* countby(Args<COUNTBY_SIG>& a) {
    PyObject* key = a[0];
    bool callable = PyCallable_Check(key);
    GroupTable<std::uint64_t> table;
    int rc = for_each_element(a[1], [&](PyObject* item) {
        Owned value = Owned::steal(key_of(key, callable, item));
        if (!value) return -1;
        std::uint64_t* count = table.group(value.get());
        if (!count) return -1;
        ++*count;
        return 0;
    });
    return rc < 0 ? nullptr : table.to_dict(count_to_int);
}

// frequencies over a flat int64 buffer: counts keyed by machine integers, in first-appearance order.
PyObject* frequencies_i64(const BufferView& view) {
    struct Entry {
        std::int64_t value;
        std::uint64_t count;
    };
    std::vector<Entry> entries;
    FxTable<std::size_t> positions;
    const std::int64_t* data = view.data();
    for (std::size_t i = 0, n = view.length(); i < n; ++i) {
        bool added;
        std::size_t& position = positions.find_or_add(data[i], added);
        if (added) {
            position = entries.size();
            entries.push_back({data[i], 0});
        }
        ++entries[position].count;
    }
    Owned result = Owned::steal(PyDict_New());
    if (!result) return nullptr;
    for (const Entry& e : entries) {
        Owned key = Owned::steal(PyLong_FromLongLong(e.value));
        Owned count = Owned::steal(PyLong_FromUnsignedLongLong(e.count));
        if (!key || !count || PyDict_SetItem(result.get(), key.get(), count.get()) < 0) return fetch_err();
    }
    return result.release();
}

constexpr Signature GROUPBY_SIG = Signature::function("groupby", {"key", "seq"});
PyObject* groupby(Args<GROUPBY_SIG>& a) { return groupby_impl(a[0], a[1]); }

constexpr Signature FREQUENCIES_SIG = Signature::function("frequencies", {"seq"});
PyObject* frequencies(Args<FREQUENCIES_SIG>& a) { return frequencies_impl(a[0]); }

}  // namespace

PyObject* groupby_impl(PyObject* key, PyObject* seq) {
    bool callable = PyCallable_Check(key);
    GroupTable<Owned> table;  // each group's elements, in a host list built as they arrive
    int rc = for_each_element(seq, [&](PyObject* item) {
        Owned value = Owned::steal(key_of(key, callable, item));
        if (!value) return -1;
        Owned* members = table.group(value.get());
        if (!members) return -1;
        if (!*members) {
            *members = Owned::steal(PyList_New(0));
            if (!*members) return -1;
        }
        return PyList_Append(members->get(), item);
    });
    return rc < 0 ? nullptr : table.to_dict([](Owned& members) { return members.release(); });
}

PyObject* frequencies_impl(PyObject* seq) {
    if (BufferView view = readable_i64_buffer(seq)) return frequencies_i64(view);
    GroupTable<std::uint64_t> table;
    int rc = for_each_element(seq, [&](PyObject* item) {
        std::uint64_t* count = table.group(item);
        if (!count) return -1;
        ++*count;
        return 0;
    });
    return rc < 0 ? nullptr : table.to_dict(count_to_int);
}

PyMethodDef GROUPBY_DEF = function_def<GROUPBY_SIG, groupby>("groupby(key, seq)\n--\n\n");
PyMethodDef COUNTBY_DEF = function_def<COUNTBY_SIG, countby>("countby(key, seq)\n--\n\n");
PyMethodDef FREQUENCIES_DEF = function_def<FREQUENCIES_SIG, frequencies>("frequencies(seq)\n--\n\n");

}  // namespace brisko
