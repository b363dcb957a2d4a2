// UniqueIter: unique over any input. One host hash and one native probe per element (PySeen)
// instead of a host set's contains-then-add, read straight from the source.
#include "itertoolz.hpp"

#include "../core/call.hpp"
#include "../iteration/gil_ref_cell.hpp"
#include "../hashing/py_seen.hpp"
#include "../iteration/py_source.hpp"
#include "dedicated_class.hpp"
#include "dedicated_constructors.hpp"

namespace brisko {

struct UniqueIter {
    static constexpr const char* NAME = "brisko._brisko.UniqueIter";
    static constexpr const char* DOC =
        "Dedicated iterator for `unique`: raw iterator next, one host hash and one\n"
        "native probe per element instead of a host set, and the \"iterator already\n"
        "executing\" reentrancy contract.";
    static constexpr const char* LENGTH_HINT_DOC =
        "__length_hint__($self)\n--\n\n"
        "Upper bound (PEP 424 allows estimates): every remaining source\n"
        "element could be new. Lets consumers preallocate.";

    struct State {
        PySeen seen;  // elements, or key values when there is a key
        PySource source;
        Owned key;  // null: the elements themselves are compared
        int traverse(const GcVisit& visit) const { return visit.all(seen, source, key); }
    };
    GilRefCell<State> cell;

    int traverse(const GcVisit& visit) const { return visit(cell); }

    static PyObject* raw_next(UniqueIter& self) {
        auto state = self.cell.borrow();
        if (!state) return nullptr;
        PySeen& seen = state->seen;
        if (!state->key) return state->source.next_kept([&](PyObject* item) { return seen.insert(item); });
        PyObject* key = state->key.get();
        return state->source.next_kept([&](PyObject* item) {
            Owned value = Owned::steal(call_one(key, item));
            return value ? seen.insert(value.get()) : -1;
        });
    }

    static Py_ssize_t length_hint(UniqueIter& self) { return source_hint(self); }
};

ClassDef UNIQUE_ITER_CLASS = dedicated_class_def<UniqueIter>();

PyObject* new_unique_iter(const char* tool, PySource source, Owned key) {
    std::uint32_t depth = PySource::reader_depth(source);
    return make_dedicated(UNIQUE_ITER_CLASS, tool, depth, UniqueIter{GilRefCell<UniqueIter::State>(
                                                 UniqueIter::State{PySeen(), std::move(source), std::move(key)})});
}

}  // namespace brisko
