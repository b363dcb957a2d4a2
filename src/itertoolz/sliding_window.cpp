// sliding_window: overlapping n-tuples. The call primes the first n - 1 elements and hands them,
// with the rest of the source, to a SlidingWindowIter, which builds each window straight from the
// previous window tuple.
#include <vector>

#include "itertoolz.hpp"

#include "../binding/function_def.hpp"
#include "../core/errors.hpp"
#include "../core/tuple.hpp"
#include "../iteration/gil_ref_cell.hpp"
#include "../iteration/py_source.hpp"
#include "dedicated_class.hpp"

namespace brisko {

struct SlidingWindowIter {
    static constexpr const char* NAME = "brisko._brisko.SlidingWindowIter";
    static constexpr const char* DOC =
        "Dedicated iterator for `sliding_window`: raw `PyIter_Next`, ring buffer,\n"
        "and the output tuple built straight from the deque (no temp Vec per\n"
        "window). Frozen + Mutex preserves the reentrancy contract.";
    static constexpr char LENGTH_HINT_TEXT[] =
        "Exact for list sources (one window per remaining element once\n"
        "primed), the source's own hint otherwise.";

    // The elements of the next window except its newest: first the primed elements, then the
    // last window returned.
    struct WindowBuf {
        std::vector<Owned> filling;  // at most n - 1 elements, oldest first; unused once `last` is set
        Owned last;
    };
    struct State {
        WindowBuf window;
        PySource source;
        std::uint64_t n;  // at least 1
        bool done = false;
        int traverse(const GcVisit& visit) const { return visit.all(window.filling, window.last, source); }
    };
    GilRefCell<State> cell;

    int traverse(const GcVisit& visit) const { return visit(cell); }

    static PyObject* raw_next(SlidingWindowIter& self) {
        auto state = self.cell.borrow();
        if (!state || state->done) return nullptr;
        Owned item = Owned::steal(state->source.next());
        if (!item) {
            if (!PyErr_Occurred()) state->done = true;
            return nullptr;
        }
        WindowBuf& window = state->window;
        const auto n = Py_ssize_t(state->n);
        if (window.last) {
            // The caller dropped the previous window: shift it in place, as the host's pairwise does.
            if (recyclable(window.last.get())) return shift(window.last.get(), n, item.release());
            PyObject* t = PyTuple_New(n);
            if (!t) return nullptr;
            for (Py_ssize_t i = 1; i < n; ++i)
                PyTuple_SET_ITEM(t, i - 1, Py_NewRef(PyTuple_GET_ITEM(window.last.get(), i)));
            PyTuple_SET_ITEM(t, n - 1, item.release());
            window.last = Owned::steal(t);
            return Py_NewRef(t);
        }
        if (window.filling.size() + 1 != state->n) {
            state->done = true;  // the source ended before the first window was complete
            return nullptr;
        }
        PyObject* t = PyTuple_New(n);
        if (!t) return nullptr;
        for (Py_ssize_t i = 0; i < n - 1; ++i) PyTuple_SET_ITEM(t, i, window.filling[i].release());
        PyTuple_SET_ITEM(t, n - 1, item.release());
        window.filling = std::vector<Owned>();
        window.last = Owned::steal(t);
        return Py_NewRef(t);
    }

    // Drops the oldest element of `t`, moves the rest down and appends `item`; t stays valid
    // throughout, and the dropped element is released last (its release may run Python code).
    static PyObject* shift(PyObject* t, Py_ssize_t n, PyObject* item) {
        PyObject* oldest = PyTuple_GET_ITEM(t, 0);
        for (Py_ssize_t i = 1; i < n; ++i) PyTuple_SET_ITEM(t, i - 1, PyTuple_GET_ITEM(t, i));
        PyTuple_SET_ITEM(t, n - 1, item);
        recycle(t);
        Py_INCREF(t);
        Py_DECREF(oldest);
        return t;
    }

    static Py_ssize_t length_hint(SlidingWindowIter& self) {
        auto state = self.cell.borrow();
        if (!state) return -1;
        const WindowBuf& window = state->window;
        bool primed = window.last || window.filling.size() + 1 == state->n;
        return !state->done && primed ? state->source.length_hint() : 0;
    }
};

namespace {

ClassDef SLIDING_WINDOW_ITER_CLASS = dedicated_class_def<SlidingWindowIter>();
Registered SLIDING_WINDOW_ITER{ITERTOOLZ_NAMES, SLIDING_WINDOW_ITER_CLASS, Registered::Exported::no};

// `primed` holds up to n - 1 elements already taken from `source`, oldest first.
PyObject* new_sliding_window_iter(std::uint64_t n, PySource source, std::vector<Owned> primed) {
    using State = SlidingWindowIter::State;
    std::uint32_t depth = PySource::reader_depth(source);
    State state{{std::move(primed), Owned()}, std::move(source), n};
    return new_dedicated_iter(SLIDING_WINDOW_ITER_CLASS, "sliding_window", depth,
                              SlidingWindowIter{GilRefCell<State>(std::move(state))});
}

PyObject* sliding_window(Args<"sliding_window(n, seq)">& a) {
    std::uint64_t n;
    if (a.to_size("n", n) < 0) return nullptr;
    return sliding_window_impl(n, a["seq"]);
}
Registered SLIDING_WINDOW{ITERTOOLZ_NAMES, function_def<sliding_window>()};

}  // namespace

PyObject* sliding_window_impl(std::uint64_t n, PyObject* seq) {
    PySource source = PySource::from(seq);
    if (!source) return nullptr;
    // Room for a bounded number up front: a huge n allocates only as elements actually arrive.
    constexpr std::uint64_t RESERVE = 4096;
    std::vector<Owned> primed;
    primed.reserve(std::size_t(n - 1 < RESERVE ? n - 1 : RESERVE));
    while (primed.size() + 1 < n) {
        if (check_signals(primed.size() + 1) < 0) return nullptr;
        PyObject* item = source.next();
        if (!item) {
            if (PyErr_Occurred()) return nullptr;
            break;
        }
        primed.push_back(Owned::steal(item));
    }
    return new_sliding_window_iter(n, std::move(source), std::move(primed));
}

}  // namespace brisko
