// PluckIter: one item lookup per element, straight from the iternext slot, in place of a map over
// an itemgetter.
#include "itertoolz.hpp"

#include "../iteration/gil_ref_cell.hpp"
#include "../core/item_access.hpp"
#include "../iteration/py_source.hpp"
#include "dedicated_class.hpp"
#include "dedicated_constructors.hpp"

namespace brisko {

struct PluckIter {
    static constexpr const char* NAME = "brisko._brisko.PluckIter";
    static constexpr const char* DOC =
        "Dedicated iterator for `pluck` with a single index: one `PyObject_GetItem`\n"
        "per element behind a raw `tp_iternext` slot, instead of a `map` plus\n"
        "`itemgetter` pipeline. `ind` lives outside the cell: it never mutates.";
    static constexpr const char* LENGTH_HINT_DOC =
        "__length_hint__($self)\n--\n\n"
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

ClassDef PLUCK_ITER_CLASS = dedicated_class_def<PluckIter>();

PyObject* new_pluck_iter(const char* tool, Owned ind, PySource source) {
    std::uint32_t depth = PySource::reader_depth(source);
    return make_dedicated(PLUCK_ITER_CLASS, tool, depth, PluckIter{std::move(ind), GilRefCell<PluckIter::PluckState>(
                                                                          PluckIter::PluckState{std::move(source)})});
}

}  // namespace brisko
