// first, second, nth, last and peek: single elements picked out of a sequence or an iterator.
#include "itertoolz.hpp"

#include "../binding/cached_attr.hpp"
#include "../binding/function_def.hpp"
#include "../core/critical_section.hpp"
#include "../core/errors.hpp"
#include "../core/item_access.hpp"
#include "../iteration/peeked.hpp"

namespace brisko {
namespace {

// The next element, or StopIteration() when the iterator is exhausted.
PyObject* next_or_stop(PyObject* it) {
    if (PyObject* item = iter_next(it)) return item;
    return PyErr_Occurred() ? nullptr : stop_iteration();
}

// Pulls and drops `n` elements; -1 with StopIteration() or the pull's error when that fails.
int skip(PyObject* it, std::int64_t n) {
    for (std::int64_t i = 1; i <= n; ++i) {
        Owned item = Owned::steal(next_or_stop(it));
        if (!item || check_signals(std::uint64_t(i)) < 0) return -1;
    }
    return 0;
}

// Exact lists and tuples answer positional reads directly; iterating them gives the same element.
bool exact_sequence(PyObject* seq) { return PyList_CheckExact(seq) || PyTuple_CheckExact(seq); }

PyObject* item_or_stop(PyObject* seq, Py_ssize_t i) {
    PyObject* item = nullptr;
    {
        CriticalSection locked(seq);  // another thread may shorten a list between the two reads
        if (i < PySequence_Fast_GET_SIZE(seq)) item = Py_NewRef(PySequence_Fast_GET_ITEM(seq, i));
    }
    return item ? item : stop_iteration();
}

PyObject* first(Args<"first(seq)">& a) {
    if (exact_sequence(a["seq"])) return item_or_stop(a["seq"], 0);
    Owned it = Owned::steal(PyObject_GetIter(a["seq"]));
    if (!it) return nullptr;
    return next_or_stop(it.get());
}
Registered FIRST{ITERTOOLZ_NAMES, function_def<first>()};

PyObject* second(Args<"second(seq)">& a) {
    if (exact_sequence(a["seq"])) return item_or_stop(a["seq"], 1);
    Owned it = Owned::steal(PyObject_GetIter(a["seq"]));
    if (!it || skip(it.get(), 1) < 0) return nullptr;
    return next_or_stop(it.get());
}
Registered SECOND{ITERTOOLZ_NAMES, function_def<second>()};

[[gnu::cold]] PyObject* bad_islice_index() {
    PyErr_SetString(PyExc_ValueError, "Indices for islice() must be None or an integer: 0 <= x <= sys.maxsize.");
    return nullptr;
}

PyObject* nth(Args<"nth(n, seq)">& a) {
    PyObject *n = a["n"], *seq = a["seq"];
    if (PyList_Check(seq) || PyTuple_Check(seq)) return get_item(seq, n);
    PyObject* sequence_abc = cached_attr(SEQUENCE_ABC);
    if (!sequence_abc) return nullptr;
    int is_sequence = PyObject_IsInstance(seq, sequence_abc);
    if (is_sequence < 0) return nullptr;
    if (is_sequence) return PyObject_GetItem(seq, n);
    long long index = PyLong_AsLongLong(n);
    if (index < 0) {
        // The conversion's own error gives way to islice's wording.
        if (PyErr_Occurred() && discard_exception() < 0) return nullptr;
        return bad_islice_index();
    }
    Owned it = Owned::steal(PyObject_GetIter(seq));
    if (!it || skip(it.get(), index) < 0) return nullptr;
    return next_or_stop(it.get());
}
Registered NTH{ITERTOOLZ_NAMES, function_def<nth>()};

PyObject* last(Args<"last(seq)">& a) {
    PyObject* seq = a["seq"];
    if (exact_sequence(seq)) {
        // The same element, and the same IndexError, as indexing the one-element tail slice.
        PyObject* item = nullptr;
        {
            CriticalSection locked(seq);
            Py_ssize_t size = PySequence_Fast_GET_SIZE(seq);
            if (size > 0) item = Py_NewRef(PySequence_Fast_GET_ITEM(seq, size - 1));
        }
        if (item) return item;
        PyErr_SetString(PyExc_IndexError, PyList_Check(seq) ? "list index out of range" : "tuple index out of range");
        return nullptr;
    }
    Owned tail = Owned::steal(tail_impl(1, seq));
    if (!tail) return nullptr;
    Owned zero = Owned::steal(PyLong_FromLong(0));
    if (!zero) return nullptr;
    return PyObject_GetItem(tail.get(), zero.get());
}
Registered LAST{ITERTOOLZ_NAMES, function_def<last>()};

PyObject* peek(Args<"peek(seq)">& a) {
    Owned it = Owned::steal(PyObject_GetIter(a["seq"]));
    if (!it) return nullptr;
    Owned head = Owned::steal(next_or_stop(it.get()));
    if (!head) return nullptr;
    return head_and_rest(head.get(), it.get());
}
Registered PEEK{ITERTOOLZ_NAMES, function_def<peek>()};

}  // namespace

}  // namespace brisko
