// interpose: the elements of a source with a separator between each two, yielded by an
// InterposeIter. The module-level function pulls the first element at call time; Iter.interpose
// leaves it to the first step.
#include "itertoolz.hpp"

#include "../binding/function_def.hpp"
#include "../iteration/gil_ref_cell.hpp"
#include "../iteration/py_source.hpp"
#include "dedicated_class.hpp"

namespace brisko {

struct InterposeIter {
    static constexpr const char* NAME = "brisko._brisko.InterposeIter";
    static constexpr const char* DOC =
        "Dedicated iterator for `interpose`: raw source access (direct indexing\n"
        "for exact lists) and one INCREF of `el` per separator \xe2\x80\x94 no boxed closure.\n"
        "`el` lives outside the cell: it never mutates.";
    static constexpr char LENGTH_HINT_TEXT[] =
        "k source items yield 2k-1 outputs (a separator before every item but\n"
        "the first). Exact for list sources, the source's own hint otherwise.";

    // Where the iterator stands in its source.
    enum class Phase {
        First,  // nothing returned yet: the next element goes out without a separator
        Rest,   // every further element goes out after a separator
        Ended,  // the source has reported its end
    };
    struct State {
        PySource source;
        Owned pending;  // taken from the source; returned right after the separator before it
        Phase phase;
        int traverse(const GcVisit& visit) const { return visit.all(source, pending); }
    };
    Owned el;
    GilRefCell<State> cell;

    int traverse(const GcVisit& visit) const { return visit.all(el, cell); }

    static PyObject* raw_next(InterposeIter& self) {
        auto state = self.cell.borrow();
        if (!state) return nullptr;
        if (state->pending) return state->pending.release();
        if (state->phase == Phase::Ended) return nullptr;
        PyObject* item = state->source.next();
        if (!item) {
            if (!PyErr_Occurred()) state->phase = Phase::Ended;
            return nullptr;
        }
        if (state->phase == Phase::First) {
            state->phase = Phase::Rest;
            return item;
        }
        state->pending = Owned::steal(item);
        return Py_NewRef(self.el.get());
    }

    static Py_ssize_t length_hint(InterposeIter& self) {
        auto state = self.cell.borrow();
        if (!state) return -1;
        if (state->phase == Phase::Ended) return 0;
        Py_ssize_t k = state->source.length_hint();
        if (k < 0) return -1;
        if (k > PY_SSIZE_T_MAX / 2 - 1) return PY_SSIZE_T_MAX;  // an estimate: saturate, never wrap
        if (state->pending) return 2 * k + 1;
        if (state->phase == Phase::Rest) return 2 * k;
        return k > 0 ? 2 * k - 1 : 0;
    }
};

namespace {

ClassDef INTERPOSE_ITER_CLASS = dedicated_class_def<InterposeIter>();
Registered INTERPOSE_ITER{ITERTOOLZ_NAMES, INTERPOSE_ITER_CLASS, Registered::Exported::no};

using Phase = InterposeIter::Phase;

// `pending`, when not null, goes out before anything more is read from `source`.
PyObject* new_interpose_iter(Owned el, PySource source, Owned pending, Phase phase) {
    using State = InterposeIter::State;
    std::uint32_t depth = PySource::reader_depth(source);
    State state{std::move(source), std::move(pending), phase};
    return new_dedicated_iter(INTERPOSE_ITER_CLASS, "interpose", depth,
                              InterposeIter{std::move(el), GilRefCell<State>(std::move(state))});
}

PyObject* interpose(Args<"interpose(el, seq)">& a) {
    PySource source = PySource::from(a["seq"]);
    if (!source) return nullptr;
    // The first element is pulled now. An empty input is valid: its interposition is empty, so
    // the iterator starts out ended rather than the call raising StopIteration.
    Owned first = Owned::steal(source.next());
    if (!first && PyErr_Occurred()) return nullptr;
    Phase phase = first ? Phase::Rest : Phase::Ended;
    return new_interpose_iter(Owned::borrow(a["el"]), std::move(source), std::move(first), phase);
}
Registered INTERPOSE{ITERTOOLZ_NAMES, function_def<interpose>()};

}  // namespace

PyObject* interpose_impl(PyObject* el, PyObject* seq) {
    PySource source = PySource::from(seq);
    if (!source) return nullptr;
    return new_interpose_iter(Owned::borrow(el), std::move(source), Owned(), Phase::First);
}

}  // namespace brisko
