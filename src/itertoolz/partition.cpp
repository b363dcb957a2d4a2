// partition and partition_all: tuples of n consecutive elements, the last one padded, dropped or
// shortened.
#include <vector>

#include "itertoolz.hpp"

#include "../binding/function_def.hpp"
#include "../core/errors.hpp"
#include "../core/tuple.hpp"
#include "../iteration/native_iter.hpp"
#include "../iteration/py_source.hpp"

namespace brisko {
namespace {

// Chunks up to this size are filled straight into a tuple; larger ones grow a buffer as elements
// arrive, so a huge n allocates nothing before its elements exist.
constexpr std::uint64_t DIRECT_CHUNK = 4096;

enum class Tail { Drop, Pad, Short };

class PartitionStep final : public Step {
public:
    PartitionStep(PySource source, std::uint64_t n, Tail tail, Owned pad)
        : source_(std::move(source)), n_(n), tail_(tail), pad_(std::move(pad)) {}

    PyObject* next() override { return n_ <= DIRECT_CHUNK ? next_direct() : next_buffered(); }

    // The reused chunk is visited too: while it is being refilled, the collector may run.
    int traverse(const GcVisit& visit) const override { return visit.all(source_, pad_, last_); }

private:
    // Fills an n-tuple in place. When the caller has dropped the previous chunk, that tuple is
    // reused, as the host's zip does; anything else gets a fresh one. Either stays out of the
    // collector's sight until it is full (recycle tracks it again), so no Python code run by the
    // source or by a released element (gc.get_objects, gc.get_referrers) sees empty slots, or a
    // tuple changing under it.
    PyObject* next_direct() {
        const auto n = Py_ssize_t(n_);
        Owned chunk = std::move(last_);
        if (!chunk || !recyclable(chunk.get())) chunk = Owned::steal(PyTuple_New(n));
        if (!chunk) return nullptr;
        PyObject_GC_UnTrack(chunk.get());
        for (Py_ssize_t i = 0; i < n; ++i) {
            PyObject* item = source_.next();
            if (!item) return finish(chunk, i);
            put(chunk.get(), i, item);
        }
        recycle(chunk.get());
        last_ = Owned::borrow(chunk.get());
        return chunk.release();
    }

    // Replaces slot i, releasing a previous occupant only once the tuple is consistent again.
    static void put(PyObject* tuple, Py_ssize_t i, PyObject* item) {
        PyObject* old = PyTuple_GET_ITEM(tuple, i);
        PyTuple_SET_ITEM(tuple, i, item);
        Py_XDECREF(old);
    }

    // The source ended (or failed) after `filled` elements of `chunk`.
    PyObject* finish(Owned& chunk, Py_ssize_t filled) {
        if (PyErr_Occurred() || filled == 0) return nullptr;
        switch (tail_) {
            case Tail::Drop:
                return nullptr;
            case Tail::Pad:
                for (Py_ssize_t i = filled; i < PyTuple_GET_SIZE(chunk.get()); ++i) {
                    put(chunk.get(), i, Py_NewRef(pad_.get()));
                }
                recycle(chunk.get());
                return chunk.release();
            case Tail::Short:
                break;
        }
        return tuple_from_array(&PyTuple_GET_ITEM(chunk.get(), 0), filled);
    }

    PyObject* next_buffered() {
        std::vector<Owned> buffer;
        buffer.reserve(DIRECT_CHUNK);
        while (buffer.size() < n_) {
            // A chunk too large for memory takes long to fill from an endless source: answer signals.
            if (check_signals(buffer.size() + 1) < 0) return nullptr;
            PyObject* item = source_.next();
            if (!item) {
                if (PyErr_Occurred() || buffer.empty() || tail_ == Tail::Drop) return nullptr;
                return tail_ == Tail::Short ? tuple_from_owned(buffer) : padded(buffer);
            }
            buffer.push_back(Owned::steal(item));
        }
        return tuple_from_owned(buffer);
    }

    // The final chunk filled up to n with the pad value; the tuple is sized once, so an n too
    // large for memory is a MemoryError before any padding is written.
    PyObject* padded(std::vector<Owned>& buffer) {
        Owned chunk = Owned::steal(PyTuple_New(Py_ssize_t(n_)));
        if (!chunk) return nullptr;
        for (std::size_t i = 0; i < buffer.size(); ++i) PyTuple_SET_ITEM(chunk.get(), i, buffer[i].release());
        for (std::uint64_t i = buffer.size(); i < n_; ++i) PyTuple_SET_ITEM(chunk.get(), i, Py_NewRef(pad_.get()));
        return chunk.release();
    }

    PySource source_;
    std::uint64_t n_;
    Tail tail_;
    Owned pad_;   // the pad value (Tail::Pad only)
    Owned last_;  // the previous direct chunk, kept for reuse
};

PyObject* partition(Args<"partition(n, seq, pad=...)">& a) {
    std::uint64_t n;
    if (a.to_size("n", n) < 0) return nullptr;
    PySource source = PySource::from(a["seq"]);
    if (!source) return nullptr;
    PyObject* pad = a["pad"];
    return new_native_iter<PartitionStep>(a.tool(), std::move(source), n, pad ? Tail::Pad : Tail::Drop,
                                          Owned::borrow(pad));
}
Registered PARTITION{ITERTOOLZ_NAMES, function_def<partition>()};

PyObject* partition_all(Args<"partition_all(n, seq)">& a) {
    std::uint64_t n;
    if (a.to_size("n", n) < 0) return nullptr;
    return partition_all_impl(n, a["seq"]);
}
Registered PARTITION_ALL{ITERTOOLZ_NAMES, function_def<partition_all>()};

}  // namespace

PyObject* partition_all_impl(std::uint64_t n, PyObject* seq) {
    PySource source = PySource::from(seq);
    if (!source) return nullptr;
    return new_native_iter<PartitionStep>("partition_all", std::move(source), n, Tail::Short, Owned());
}

}  // namespace brisko
