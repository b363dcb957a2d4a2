// remove and Iter.filter: the elements whose predicate result has a given truth. Iter.filter gets
// a dedicated FilterIter, whose step the iternext slot runs directly (a chain of Iter methods
// pulls element by element through it); remove's result is a NativeIter. Both filter alike.
#include "itertoolz.hpp"

#include "../binding/function_def.hpp"
#include "../core/call.hpp"
#include "../iteration/gil_ref_cell.hpp"
#include "../iteration/native_iter.hpp"
#include "../iteration/py_source.hpp"
#include "dedicated_class.hpp"

namespace brisko {
namespace {

// The next element of `source` whose predicate result (the element's own truth for a null
// predicate) has the truth `keep`.
PyObject* next_filtered(PySource& source, PyObject* predicate, bool keep) {
    if (!predicate) {
        return source.next_kept([&](PyObject* item) {
            int verdict = truth(item);
            return verdict < 0 ? -1 : int(verdict == int(keep));
        });
    }
    return source.next_kept([&](PyObject* item) {
        Owned result = Owned::steal(call_one(predicate, item));
        int verdict = result ? truth(result.get()) : -1;
        return verdict < 0 ? -1 : int(verdict == int(keep));
    });
}

class FilterStep final : public Step {
public:
    FilterStep(PySource source, Owned predicate) : source_(std::move(source)), predicate_(std::move(predicate)) {}

    PyObject* next() override { return next_filtered(source_, predicate_.get(), false); }
    int traverse(const GcVisit& visit) const override { return visit.all(source_, predicate_); }

private:
    PySource source_;
    Owned predicate_;
};

PyObject* remove(Args<"remove(predicate, seq)">& a) {
    PySource source = PySource::from(a["seq"]);
    if (!source) return nullptr;
    return new_native_iter<FilterStep>(a.tool(), std::move(source), Owned::borrow(a["predicate"]));
}
Registered REMOVE{ITERTOOLZ_NAMES, function_def<remove>()};

}  // namespace

struct FilterIter {
    static constexpr const char* NAME = "brisko._brisko.FilterIter";
    static constexpr const char* DOC =
        "Dedicated iterator for `Iter.filter`: one call of the predicate per source\n"
        "element, straight from the iternext slot.";
    static constexpr char LENGTH_HINT_TEXT[] =
        "Upper bound (PEP 424 allows estimates): every remaining source\n"
        "element could be kept.";

    struct State {
        PySource source;
        int traverse(const GcVisit& visit) const { return visit(source); }
    };
    Owned predicate;  // null: the elements' own truth decides; never changes
    GilRefCell<State> cell;

    int traverse(const GcVisit& visit) const { return visit.all(predicate, cell); }

    static PyObject* raw_next(FilterIter& self) {
        auto state = self.cell.borrow();
        return state ? next_filtered(state->source, self.predicate.get(), true) : nullptr;
    }

    static Py_ssize_t length_hint(FilterIter& self) { return source_hint(self); }
};

namespace {
ClassDef FILTER_ITER_CLASS = dedicated_class_def<FilterIter>();
Registered FILTER_ITER{ITERTOOLZ_NAMES, FILTER_ITER_CLASS, Registered::Exported::no};
}  // namespace

PyObject* filter_impl(const char* tool, PyObject* predicate, PyObject* seq) {
    PySource source = PySource::from(seq);
    if (!source) return nullptr;
    std::uint32_t depth = PySource::reader_depth(source);
    Owned held = predicate == Py_None ? Owned() : Owned::borrow(predicate);
    using State = FilterIter::State;
    return new_dedicated_iter(FILTER_ITER_CLASS, tool, depth,
                              FilterIter{std::move(held), GilRefCell<State>(State{std::move(source)})});
}

}  // namespace brisko
