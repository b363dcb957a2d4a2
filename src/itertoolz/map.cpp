// MapIter: the lazy map behind Iter.map and mapcat. One call of the function per element, made
// from the iterator's own step, so that the function's errors (StopIteration among them) are
// reported as this iterator's and never read as its end.
#include "itertoolz.hpp"

#include "../core/call.hpp"
#include "../iteration/gil_ref_cell.hpp"
#include "../iteration/py_source.hpp"
#include "dedicated_class.hpp"

namespace brisko {

struct MapIter {
    static constexpr const char* NAME = "brisko._brisko.MapIter";
    static constexpr const char* DOC =
        "Dedicated iterator for `Iter.map` and `mapcat`: one call of the function\n"
        "per source element, straight from the iternext slot.";
    static constexpr char LENGTH_HINT_TEXT[] =
        "One output per remaining source element (PEP 424): exact for list\n"
        "sources, the source's own hint otherwise.";

    struct State {
        PySource source;
        int traverse(const GcVisit& visit) const { return visit(source); }
    };
    Owned func;  // never changes
    GilRefCell<State> cell;

    int traverse(const GcVisit& visit) const { return visit.all(func, cell); }

    static PyObject* raw_next(MapIter& self) {
        auto state = self.cell.borrow();
        if (!state) return nullptr;
        Owned item = Owned::steal(state->source.next());
        if (!item) return nullptr;
        return call_one(self.func.get(), item.get());
    }

    static Py_ssize_t length_hint(MapIter& self) { return source_hint(self); }
};

namespace {
ClassDef MAP_ITER_CLASS = dedicated_class_def<MapIter>();
Registered MAP_ITER{ITERTOOLZ_NAMES, MAP_ITER_CLASS, Registered::Exported::no};
}  // namespace

PyObject* map_impl(const char* tool, PyObject* func, PyObject* seq) {
    PySource source = PySource::from(seq);
    if (!source) return nullptr;
    std::uint32_t depth = PySource::reader_depth(source);
    using State = MapIter::State;
    return new_dedicated_iter(MAP_ITER_CLASS, tool, depth,
                              MapIter{Owned::borrow(func), GilRefCell<State>(State{std::move(source)})});
}

}  // namespace brisko
