// get_in, assoc_in and update_in: reading and rewriting a value at the end of a path of keys.
// The writers copy the mappings along the path and share everything off it.
#include <vector>

#include "dicttoolz.hpp"

#include "../binding/function_def.hpp"
#include "../core/call.hpp"
#include "../core/errors.hpp"
#include "../iteration/for_each_element.hpp"
#include "factory.hpp"
#include "mapping_items.hpp"
#include "path_lookup.hpp"

namespace brisko {
namespace {

// What get_in answers for a failed step: the default for a lookup error (unless no_default),
// else the exception. `absent` marks a key missing from a dict, with nothing raised yet.
PyObject* failed_step(PyObject* key, bool absent, PyObject* dflt, bool no_default) {
    if (absent) return no_default ? raise_key_error(key) : Py_NewRef(dflt);
    if (no_default || !is_lookup_error()) return nullptr;
    PyErr_Clear();
    return Py_NewRef(dflt);
}

// get_in's walk down the path: `current` is the object reached so far, and finally the answer.
struct Walk {
    Owned current;
    PyObject* dflt;
    bool no_default;

    // Indexes `current` with `key`: true to go on, false when `current` now holds the answer for a
    // failed lookup (the default), or is null with the exception set.
    bool step(PyObject* key) {
        Owned next;
        int rc = path_lookup(current.get(), key, next);
        current = rc > 0 ? std::move(next) : Owned::steal(failed_step(key, rc == 0, dflt, no_default));
        return rc > 0;
    }
};

PyObject* get_in(Args<"get_in(keys, coll, default=None, no_default=False)">& a) {
    bool no_default = false;
    if (a.to_bool("no_default", no_default) < 0) return nullptr;
    Walk walk{Owned::borrow(a["coll"]), a["default"], no_default};
    // A failed step ends the walk with its answer (the default, or null with the exception).
    int rc = for_each_element(a["keys"], [&](PyObject* key) { return walk.step(key) ? 0 : 1; });
    return rc < 0 ? nullptr : walk.current.release();
}
Registered GET_IN{DICTTOOLZ_NAMES, function_def<get_in>()};

// The keys of a path, all pulled before anything is read. 0, or -1 with the iteration's exception.
int collect_path(PyObject* keys, std::vector<Owned>& path) {
    if (PyList_CheckExact(keys) || PyTuple_CheckExact(keys)) path.reserve(std::size_t(PySequence_Fast_GET_SIZE(keys)));
    return for_each_element(keys, [&](Owned&& key) {
        path.push_back(std::move(key));
        return 0;
    });
}

// One level of a rewrite: copies `source` into `level` and looks `key` up in it. 1 with `found`;
// 0 when the key is missing (KeyError) or `source` is no mapping, which is replaced rather than
// copied; -1 with any other exception.
int read_level(PyObject* level, PyObject* source, PyObject* key, Owned& found) {
    int mapping = has_keys(source);
    if (mapping <= 0) return mapping;
    if (copy_into(level, source) < 0) return -1;
    int rc = path_lookup(source, key, found);
    if (rc < 0 && PyErr_ExceptionMatches(PyExc_KeyError)) {
        PyErr_Clear();
        return 0;
    }
    return rc;
}

// A copy of `d` whose value at `path` (non-empty) is `f(old value)`, `f(nullptr)` when the path
// ends at a missing key. Every mapping along the path is copied into a container from `factory`;
// everything off it is shared. The levels are walked in a loop, so a long path needs no C stack.
template <class F>
PyObject* rec_update(PyObject* d, const std::vector<Owned>& path, F&& f, PyObject* factory) {
    std::vector<Owned> levels;  // the new containers, outermost first
    levels.reserve(path.size());
    Owned source = Owned::borrow(d);
    Owned old;
    for (std::size_t i = 0;; ++i) {
        Owned level = new_container(factory);
        if (!level) return nullptr;
        Owned found;
        int rc = read_level(level.get(), source.get(), path[i].get(), found);
        if (rc < 0) return nullptr;
        levels.push_back(std::move(level));
        if (i + 1 == path.size()) {
            old = std::move(found);
            break;
        }
        // A missing sub-mapping is stood in for by an empty container, read like a found one.
        source = rc ? std::move(found) : new_container(factory);
        if (!source || check_signals(i + 1) < 0) return nullptr;
    }
    Owned value = Owned::steal(f(old.get()));
    if (!value) return nullptr;
    for (std::size_t i = path.size(); i-- > 0;) {
        if (set_item(levels[i].get(), path[i].get(), value.get()) < 0) return nullptr;
        value = std::move(levels[i]);
    }
    return value.release();
}

PyObject* assoc_in(Args<"assoc_in(d, keys, value, factory=None)">& a) {
    std::vector<Owned> path;
    if (collect_path(a["keys"], path) < 0) return nullptr;
    if (path.empty()) return stop_iteration();
    PyObject* value = a["value"];
    return rec_update(a["d"], path, [value](PyObject*) { return Py_NewRef(value); }, a["factory"]);
}
Registered ASSOC_IN{DICTTOOLZ_NAMES, function_def<assoc_in>()};

PyObject* update_in(Args<"update_in(d, keys, func, default=None, factory=None)">& a) {
    std::vector<Owned> path;
    if (collect_path(a["keys"], path) < 0) return nullptr;
    if (path.empty()) return stop_iteration();
    PyObject* func = a["func"];
    PyObject* dflt = a["default"];
    return rec_update(a["d"], path, [&](PyObject* old) { return call_one(func, old ? old : dflt); }, a["factory"]);
}
Registered UPDATE_IN{DICTTOOLZ_NAMES, function_def<update_in>()};

}  // namespace

}  // namespace brisko
