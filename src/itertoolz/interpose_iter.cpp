// InterposeIter: the elements of a source with a separator between each two.
#include "itertoolz.hpp"

#include "../iteration/gil_ref_cell.hpp"
#include "../iteration/py_source.hpp"
#include "dedicated_class.hpp"
#include "dedicated_constructors.hpp"

namespace brisko {

struct InterposeIter {
    static constexpr const char* NAME = "brisko._brisko.InterposeIter";
    static constexpr const char* DOC =
        "Dedicated iterator for `interpose`: raw source access (direct indexing\n"
        "for exact lists) and one INCREF of `el` per separator \xe2\x80\x94 no boxed closure.\n"
        "`el` lives outside the cell: it never mutates.";
    static constexpr const char* LENGTH_HINT_DOC =
        "__length_hint__($self)\n--\n\n"
        "k source items yield 2k-1 outputs (a separator before every item but\n"
        "the first). Exact for list sources, the source's own hint otherwise.";

    struct State {
        PySource source;
        Owned pending;  // taken from the source; returned right after the separator before it
        bool started;   // the first element has been returned
        bool done;      // the source has reported its end
        int traverse(const GcVisit& visit) const { return visit.all(source, pending); }
    };
    Owned el;
    GilRefCell<State> cell;

    int traverse(const GcVisit& visit) const { return visit.all(el, cell); }

    static PyObject* raw_next(InterposeIter& self) {
        auto state = self.cell.borrow();
        if (!state) return nullptr;
        if (state->pending) return state->pending.release();
        if (state->done) return nullptr;
        PyObject* item = state->source.next();
        if (!item) {
            if (!PyErr_Occurred()) state->done = true;
            return nullptr;
        }
        if (!state->started) {
            state->started = true;
            return item;
        }
        state->pending = Owned::steal(item);
        return Py_NewRef(self.el.get());
    }

    static Py_ssize_t length_hint(InterposeIter& self) {
        auto state = self.cell.borrow();
        if (!state) return -1;
        if (state->done) return 0;
        Py_ssize_t k = state->source.length_hint();
        if (k < 0) return -1;
        if (k > PY_SSIZE_T_MAX / 2 - 1) return PY_SSIZE_T_MAX;  // an estimate: saturate, never wrap
        if (state->pending) return 2 * k + 1;
        if (state->started) return 2 * k;
        return k > 0 ? 2 * k - 1 : 0;
    }
};

ClassDef INTERPOSE_ITER_CLASS = dedicated_class_def<InterposeIter>();

PyObject* new_interpose_iter(Owned el, PySource source, Owned pending, bool started, bool done) {
    std::uint32_t depth = PySource::reader_depth(source);
    return make_dedicated(INTERPOSE_ITER_CLASS, "interpose", depth,
                          InterposeIter{std::move(el), GilRefCell<InterposeIter::State>(InterposeIter::State{
                                                           std::move(source), std::move(pending), started, done})});
}

}  // namespace brisko
