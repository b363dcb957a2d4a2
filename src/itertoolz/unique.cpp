// unique and its two iterators, picked once at call time: UniqueI64Iter, the native scan of a flat
// int64 buffer without a key, and UniqueIter, one host hash and one native probe per element
// (PySeen) instead of a host set's contains-then-add, for everything else.
#include <optional>

#include "itertoolz.hpp"

#include "../binding/function_def.hpp"
#include "../core/call.hpp"
#include "../core/errors.hpp"
#include "../hashing/fx_table.hpp"
#include "../hashing/i64_buffer.hpp"
#include "../hashing/py_seen.hpp"
#include "../iteration/gil_ref_cell.hpp"
#include "../iteration/py_source.hpp"
#include "dedicated_class.hpp"

namespace brisko {

struct UniqueIter {
    static constexpr const char* NAME = "brisko._brisko.UniqueIter";
    static constexpr const char* DOC =
        "Dedicated iterator for `unique`: raw iterator next, one host hash and one\n"
        "native probe per element instead of a host set, and the \"iterator already\n"
        "executing\" reentrancy contract.";
    static constexpr char LENGTH_HINT_TEXT[] =
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

// Values are read as machine integers and hashed natively; a host int is made only for each value
// yielded.
struct UniqueI64Iter {
    static constexpr const char* NAME = "brisko._brisko.UniqueI64Iter";
    static constexpr const char* DOC =
        "Lazy `unique` over a 1-D contiguous i64 buffer: scans natively and boxes\n"
        "only the values it yields, so early exits (`take(5, unique(big_array))`)\n"
        "stay cheap while full scans skip per-element boxing and PyObject hashing.";
    static constexpr char LENGTH_HINT_TEXT[] =
        "Upper bound (PEP 424 allows estimates): every remaining element\n"
        "could be new.";

    struct State {
        I64Set seen;  // values yielded so far, or due to be (see `unboxed`)
        std::size_t position = 0;
        // A new value whose host int could not be made (memory): it is already in `seen`, so the
        // next call yields it before reading on.
        std::optional<std::int64_t> unboxed;
    };
    // Held until the iterator ends (its contents are read at every call), then released, so that
    // the exporter can be resized again while the spent iterator is still referenced.
    BufferView view;
    GilRefCell<State> cell;

    int traverse(const GcVisit& visit) const { return visit(view); }

    // How far ahead of the current value the scan starts loading slots.
    static constexpr std::size_t PREFETCH_AHEAD = 16;

    static PyObject* raw_next(UniqueI64Iter& self) {
        auto state = self.cell.borrow();
        if (!state) return nullptr;
        if (state->unboxed) return box(*state);
        if (!self.view.readable()) return end(self);
        const std::int64_t* data = self.view.data();
        const std::size_t length = self.view.length();
        while (state->position < length) {
            if (state->position + PREFETCH_AHEAD < length) {
                state->seen.prefetch(read_element(data, state->position + PREFETCH_AHEAD));
            }
            std::int64_t v = read_element(data, state->position++);
            if (state->seen.insert(v)) {
                state->unboxed = v;
                return box(*state);
            }
            if (check_signals(state->position) < 0) return nullptr;
        }
        return end(self);
    }

    // The cell stays borrowed meanwhile: an exporter's release may run Python code.
    static PyObject* end(UniqueI64Iter& self) {
        self.view.release();
        return nullptr;
    }

    static PyObject* box(State& state) {
        PyObject* value = PyLong_FromLongLong(*state.unboxed);
        if (value) state.unboxed.reset();
        return value;
    }

    static Py_ssize_t length_hint(UniqueI64Iter& self) {
        auto state = self.cell.borrow();
        if (!state) return -1;
        std::size_t length = self.view.readable() ? self.view.length() : 0;
        std::size_t left = length > state->position ? length - state->position : 0;
        return Py_ssize_t(left + (state->unboxed ? 1 : 0));
    }
};

namespace {

ClassDef UNIQUE_ITER_CLASS = dedicated_class_def<UniqueIter>();
Registered UNIQUE_ITER{ITERTOOLZ_NAMES, UNIQUE_ITER_CLASS, Registered::Exported::no};
ClassDef UNIQUE_I64_ITER_CLASS = dedicated_class_def<UniqueI64Iter>();
Registered UNIQUE_I64_ITER{ITERTOOLZ_NAMES, UNIQUE_I64_ITER_CLASS, Registered::Exported::no};

PyObject* new_unique_iter(const char* tool, PySource source, Owned key) {
    std::uint32_t depth = PySource::reader_depth(source);
    using State = UniqueIter::State;
    return new_dedicated_iter(UNIQUE_ITER_CLASS, tool, depth,
                              UniqueIter{GilRefCell<State>(State{PySeen(), std::move(source), std::move(key)})});
}

PyObject* new_unique_i64_iter(BufferView view) {
    I64Set seen(scan_presize(view.length()));
    using State = UniqueI64Iter::State;
    return new_dedicated_iter(UNIQUE_I64_ITER_CLASS, "unique", 1,
                              UniqueI64Iter{std::move(view), GilRefCell<State>(State{std::move(seen), 0, {}})});
}

PyObject* unique(Args<"unique(seq, key=None)">& a) {
    PyObject* key = a.unless_none("key");
    return unique_impl(a.tool(), a["seq"], key);
}
Registered UNIQUE{ITERTOOLZ_NAMES, function_def<unique>()};

}  // namespace

PyObject* unique_impl(const char* tool, PyObject* seq, PyObject* key) {
    if (!key) {
        if (BufferView view = readable_i64_buffer(seq)) return new_unique_i64_iter(std::move(view));
        if (PyErr_Occurred()) return nullptr;
    }
    PySource source = PySource::from(seq);
    if (!source) return nullptr;
    return new_unique_iter(tool, std::move(source), Owned::borrow(key));
}

}  // namespace brisko
