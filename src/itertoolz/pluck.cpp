// pluck: one lookup per element. A single index without default gets PluckIter, one item lookup
// per element straight from the iternext slot in place of a map over an itemgetter; a default or
// a list of indices takes the generic path, the same lookup as get.
#include "itertoolz.hpp"

#include "../binding/function_def.hpp"
#include "../core/item_access.hpp"
#include "../iteration/gil_ref_cell.hpp"
#include "../iteration/native_iter.hpp"
#include "../iteration/py_source.hpp"
#include "dedicated_class.hpp"

namespace brisko {

struct PluckIter {
    static constexpr const char* NAME = "brisko._brisko.PluckIter";
    static constexpr const char* DOC =
        "Dedicated iterator for `pluck` with a single index: one `PyObject_GetItem`\n"
        "per element behind a raw `tp_iternext` slot, instead of a `map` plus\n"
        "`itemgetter` pipeline. `ind` lives outside the cell: it never mutates.";
    static constexpr char LENGTH_HINT_TEXT[] =
        "One output per remaining source element (PEP 424): exact for list\n"
        "sources, the source's own hint otherwise.";

    struct PluckState {
        PySource source;
        int traverse(const GcVisit& visit) const { return visit(source); }
    };
    Owned ind;
    GilRefCell<PluckState> cell;

    int traverse(const GcVisit& visit) const { return visit.all(ind, cell); }

    static PyObject* raw_next(PluckIter& self) {
        auto state = self.cell.borrow();
        if (!state) return nullptr;
        Owned item = Owned::steal(state->source.next());
        if (!item) return nullptr;
        return get_item(item.get(), self.ind.get());
    }

    static Py_ssize_t length_hint(PluckIter& self) { return source_hint(self); }
};

namespace {

ClassDef PLUCK_ITER_CLASS = dedicated_class_def<PluckIter>();
Registered PLUCK_ITER{ITERTOOLZ_NAMES, PLUCK_ITER_CLASS, Registered::Exported::no};

PyObject* new_pluck_iter(const char* tool, Owned ind, PySource source) {
    std::uint32_t depth = PySource::reader_depth(source);
    using State = PluckIter::PluckState;
    return new_dedicated_iter(PLUCK_ITER_CLASS, tool, depth,
                              PluckIter{std::move(ind), GilRefCell<State>(State{std::move(source)})});
}

class PluckStep final : public Step {
public:
    PluckStep(PySource source, Owned ind, Owned dflt)
        : source_(std::move(source)), ind_(std::move(ind)), default_(std::move(dflt)) {}

    PyObject* next() override {
        Owned item = Owned::steal(source_.next());
        if (!item) return nullptr;
        return get_impl(ind_.get(), item.get(), default_.get());
    }

    int traverse(const GcVisit& visit) const override { return visit.all(source_, ind_, default_); }

private:
    PySource source_;
    Owned ind_;
    Owned default_;  // null: no default
};

PyObject* pluck(Args<"pluck(ind, seqs, default=...)">& a) {
    return pluck_impl(a.tool(), a["ind"], a["seqs"], a["default"]);
}
Registered PLUCK{ITERTOOLZ_NAMES, function_def<pluck>()};

}  // namespace

PyObject* pluck_impl(const char* tool, PyObject* ind, PyObject* seqs, PyObject* dflt) {
    PySource source = PySource::from(seqs);
    if (!source) return nullptr;
    if (!dflt && !PyList_Check(ind)) return new_pluck_iter(tool, Owned::borrow(ind), std::move(source));
    return new_native_iter<PluckStep>(tool, std::move(source), Owned::borrow(ind), Owned::borrow(dflt));
}

}  // namespace brisko
