// Reading a mapping's entries the one way every mapping tool reads them: through its items(),
// each entry a tuple of at least two elements. An exact dict is walked in place instead, which
// is indistinguishable from iterating its items() view, mutation errors included.
#pragma once

#include <Python.h>

#include <cstdint>

#include "../core/critical_section.hpp"
#include "../core/errors.hpp"
#include "../core/owned.hpp"

namespace brisko {

// 1 when `obj` has an attribute "keys", 0 when not, -1 with the exception of the test.
int has_keys(PyObject* obj);

// An exact dict's entries in the order, and with the errors, of iterating `dict.items()`: a size
// change between two pulls raises RuntimeError "dictionary changed size during iteration", and an
// entry beyond the count it started with "dictionary keys changed during iteration". PyDict_Next
// re-reads the table on every call, so a dict mutated by user code is never read after free.
class DictItems {
public:
    explicit DictItems(PyObject* dict) noexcept : dict_(dict), size_(PyDict_GET_SIZE(dict)), remaining_(size_) {}

    // 1 with the next entry held in `key` and `value`, 0 at the end, -1 with the exception set.
    int next(Owned& key, Owned& value) {
        PyObject *k, *v;
        {
            // Without the interpreter lock, the dict's own lock keeps other threads out from the
            // size check until both entries are held, as the host's dict iterators do.
            CriticalSection locked(dict_);
            if (PyDict_GET_SIZE(dict_) != size_) return changed_size();
            if (!PyDict_Next(dict_, &pos_, &k, &v)) return 0;
            if (remaining_-- == 0) return changed_keys();
            Py_INCREF(k);
            Py_INCREF(v);
        }
        // Both are held before either old reference goes: dropping one may run a __del__.
        key = Owned::steal(k);
        value = Owned::steal(v);
        return 1;
    }

private:
    [[gnu::cold]] static int changed_size();
    [[gnu::cold]] static int changed_keys();

    PyObject* dict_;  // borrowed: the caller holds the dict for the whole walk
    Py_ssize_t pos_ = 0;
    Py_ssize_t size_;
    Py_ssize_t remaining_;
};

// Key and value (borrowed from `item`) of one entry from items(): a tuple, subclasses included, of
// at least two elements; further elements are ignored. -1 with the cast TypeError or the host's
// tuple-index IndexError.
int unpack_entry(PyObject* item, PyObject** key, PyObject** value);

// iter(mapping.items()) (a new reference, or null with the exception).
Owned items_iterator(PyObject* mapping);

// Calls `f(key, value)` -> int for every entry of `mapping` in items() order; key and value are
// held for the duration of the call. Stops at the first -1 (from `f` or from reading) and returns it.
template <class F>
int for_each_item(PyObject* mapping, F&& f) {
    std::uint64_t step = 0;
    if (PyDict_CheckExact(mapping)) {
        DictItems items(mapping);
        Owned key, value;
        for (int rc; (rc = items.next(key, value)) != 0;) {
            if (rc < 0 || f(key.get(), value.get()) < 0 || check_signals(++step) < 0) return -1;
        }
        return 0;
    }
    Owned it = items_iterator(mapping);
    if (!it) return -1;
    for (;;) {
        Owned item = Owned::steal(iter_next(it.get()));
        if (!item) return PyErr_Occurred() ? -1 : 0;
        PyObject *key, *value;  // the tuple keeps both alive: its elements never change
        if (unpack_entry(item.get(), &key, &value) < 0) return -1;
        if (f(key, value) < 0 || check_signals(++step) < 0) return -1;
    }
}

}  // namespace brisko
