// merge and merge_with: one new mapping out of several, later sources winning or combined by a
// function. Exact dicts merge through the host's own dict update.
#include <utility>
#include <vector>

#include "dicttoolz.hpp"

#include "../binding/function_def.hpp"
#include "../core/call.hpp"
#include "../core/errors.hpp"
#include "../iteration/for_each_element.hpp"
#include "factory.hpp"
#include "mapping_items.hpp"

namespace brisko {
namespace {

// The mappings to read: the positional arguments, or, when the only argument is not a mapping
// (it has no "keys"), the elements of that iterable, pulled to the end before any is read.
class Sources {
public:
    int collect(PyObject* const* args, Py_ssize_t n) {
        args_ = args;
        n_ = n;
        if (n != 1) return 0;
        int mapping = has_keys(args[0]);
        if (mapping != 0) return mapping < 0 ? -1 : 0;
        int rc = for_each_element(args[0], [&](Owned&& item) {
            held_.push_back(std::move(item));
            return 0;
        });
        if (rc < 0) return -1;
        args_ = nullptr;
        n_ = Py_ssize_t(held_.size());
        return 0;
    }
    Py_ssize_t size() const { return n_; }
    PyObject* operator[](Py_ssize_t i) const { return args_ ? args_[i] : held_[std::size_t(i)].get(); }

private:
    PyObject* const* args_ = nullptr;  // borrowed from the caller's argument vector
    Py_ssize_t n_ = 0;
    std::vector<Owned> held_;  // the elements of a single iterable argument
};

// Dicts only: a copy of the first updated from the others. 1 with `out` set, 0 when a later
// argument is not an exact dict (the caller starts over), -1 with the exception.
int merge_exact_dicts(PyObject* const* dicts, Py_ssize_t n, Owned& out) {
    Owned merged = Owned::steal(PyDict_Copy(dicts[0]));
    if (!merged) {
        ffi_err();
        return -1;
    }
    for (Py_ssize_t i = 1; i < n; ++i) {
        if (!PyDict_CheckExact(dicts[i])) return 0;
        if (PyDict_Update(merged.get(), dicts[i]) < 0) {
            ffi_err();
            return -1;
        }
    }
    out = std::move(merged);
    return 1;
}

[[gnu::cold]] int not_a_mapping(PyObject* source) {
    Owned name = Owned::steal(PyType_GetName(Py_TYPE(source)));
    if (name) PyErr_Format(PyExc_TypeError, "'%U' object is not iterable", name.get());
    return -1;
}

// A source is read as a mapping only when it has "keys": 0, or -1 with the TypeError (or the
// exception of the test).
int require_mapping(PyObject* source) {
    int mapping = has_keys(source);
    return mapping > 0 ? 0 : mapping < 0 ? -1 : not_a_mapping(source);
}

PyObject* merge(Args<"merge(*dicts, factory=None)">& a) {
    PyObject* factory = a["factory"];
    if ((factory == nullptr || factory == Py_None) && a.n_rest() > 0 && PyDict_CheckExact(a.rest()[0])) {
        Owned merged;
        int rc = merge_exact_dicts(a.rest(), a.n_rest(), merged);
        if (rc != 0) return rc < 0 ? nullptr : merged.release();
    }
    Owned result = new_container(factory);
    if (!result) return nullptr;
    Sources sources;
    if (sources.collect(a.rest(), a.n_rest()) < 0) return nullptr;
    for (Py_ssize_t i = 0; i < sources.size(); ++i) {
        if (require_mapping(sources[i]) < 0 || copy_into(result.get(), sources[i]) < 0) return nullptr;
    }
    return result.release();
}
Registered MERGE{DICTTOOLZ_NAMES, function_def<merge>()};

// Keys whose hash is computed by the host and never changes: a table keyed only by them can take
// its final values in place, since assigning to a present key then always finds its entry.
bool stable_hash(PyObject* key) { return PyUnicode_CheckExact(key) || PyLong_CheckExact(key) || PyBool_Check(key); }

// The grouping table of merge_with: a private dict from each key, in first-seen order, to the list
// of its values in source order.
struct Groups {
    Owned table;
    bool stable = true;  // every key has a stable hash

    int add(PyObject* source) {
        Owned spare;  // the list for the next new key, made only when the last one was used
        return for_each_item(source, [&](PyObject* key, PyObject* value) {
            if (!spare) spare = Owned::steal(PyList_New(0));
            if (!spare) return -1;
            PyObject* raw;
            int found = PyDict_SetDefaultRef(table.get(), key, spare.get(), &raw);
            if (found < 0) return -1;
            Owned values = Owned::steal(raw);
            if (!found) {
                spare.reset();
                stable = stable && stable_hash(key);
            }
            return PyList_Append(values.get(), value);
        });
    }
};

// The largest exact dict among the sources: the table has at least that many keys.
Py_ssize_t largest_dict(const Sources& sources) {
    Py_ssize_t largest = 0;
    for (Py_ssize_t i = 0; i < sources.size(); ++i) {
        if (PyDict_CheckExact(sources[i]) && PyDict_GET_SIZE(sources[i]) > largest)
            largest = PyDict_GET_SIZE(sources[i]);
    }
    return largest;
}

PyObject* merge_with(Args<"merge_with(func, *dicts, factory=None)">& a) {
    PyObject *func = a["func"], *factory = a["factory"];
    Sources sources;
    if (sources.collect(a.rest(), a.n_rest()) < 0) return nullptr;
    Groups groups{new_container(nullptr, largest_dict(sources))};
    if (!groups.table) return nullptr;
    for (Py_ssize_t i = 0; i < sources.size(); ++i) {
        if (require_mapping(sources[i]) < 0 || groups.add(sources[i]) < 0) return nullptr;
    }
    // Made only now: a source that fails to read never costs a factory call. Without a factory,
    // and with stable hashes, the table itself becomes the result, each list replaced in place:
    // same keys, same key objects, same order as a fresh dict would get.
    bool in_place = (factory == nullptr || factory == Py_None) && groups.stable;
    Owned result =
        in_place ? Owned::borrow(groups.table.get()) : new_container(factory, PyDict_GET_SIZE(groups.table.get()));
    if (!result) return nullptr;
    // The groups are taken out of the table before func runs: user code can reach the table (a
    // tracked dict, found through gc.get_referrers) and change it, but never the groups it gets.
    std::vector<std::pair<Owned, Owned>> taken;
    taken.reserve(std::size_t(PyDict_GET_SIZE(groups.table.get())));
    Py_ssize_t pos = 0;
    for (PyObject *key, *values; PyDict_Next(groups.table.get(), &pos, &key, &values);) {
        taken.emplace_back(Owned::borrow(key), Owned::borrow(values));
    }
    std::uint64_t step = 0;
    for (auto& [key, values] : taken) {
        Owned combined = Owned::steal(call_one(func, values.get()));
        values.reset();  // in place, the assignment below then frees the list: none outlives its turn
        if (!combined || set_item(result.get(), key.get(), combined.get()) < 0) return nullptr;
        if (check_signals(++step) < 0) return nullptr;
    }
    return result.release();
}
Registered MERGE_WITH{DICTTOOLZ_NAMES, function_def<merge_with>()};

}  // namespace

}  // namespace brisko
