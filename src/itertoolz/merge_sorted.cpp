// merge_sorted: a lazy merge of sorted inputs, with the ordering, stability and tie-breaking of
// the host's heapq.merge, which does the work. heapq.merge takes a StopIteration from the key for
// the end of that input and would drop the rest of it without a word: the key it is given
// reports one as an error instead.
#include "itertoolz.hpp"

#include "../binding/cached_attr.hpp"
#include "../binding/function_def.hpp"
#include "../binding/vectorcall_class.hpp"
#include "../core/errors.hpp"
#include "../core/tuple.hpp"
#include "../iteration/native_iter.hpp"

namespace brisko {
namespace {

class ForwardStep final : public Step {
public:
    explicit ForwardStep(Owned it) : it_(std::move(it)) {}
    PyObject* next() override { return nested_next(it_.get()); }
    int traverse(const GcVisit& visit) const override { return visit(it_); }

private:
    Owned it_;
};

struct MergeKey {
    static constexpr const char* NAME = "brisko._brisko.MergeKey";
    Owned key;

    int traverse(const GcVisit& visit) const { return visit(key); }

    static PyObject* call(MergeKey& self, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
        PyObject* result = PyObject_Vectorcall(self.key.get(), args, nargsf, kwnames);
        if (!result) stop_iteration_is_an_error("merge_sorted");
        return result;
    }
};

// Imported at every call, so a replaced heapq.merge is honoured at once.
HostAttr HEAPQ_MERGE{"heapq", "merge", HostAttr::Lookup::EveryCall};

PyObject* merge_sorted(Args<"merge_sorted(*seqs, key=None)">& a) {
    Owned merge = lookup_attr(HEAPQ_MERGE);
    if (!merge) return nullptr;
    PyObject* key = a.unless_none("key");
    Owned merged;
    if (key) {
        Owned guarded = Owned::steal(CallOnly<MergeKey>::new_instance(MergeKey{Owned::borrow(key)}));
        if (!guarded) return nullptr;
        std::vector<PyObject*> argv(a.rest(), a.rest() + a.n_rest());
        argv.push_back(guarded.get());
        Owned kwnames = Owned::steal(Py_BuildValue("(s)", "key"));
        if (!kwnames) return nullptr;
        merged = Owned::steal(PyObject_Vectorcall(merge.get(), argv.data(), std::size_t(a.n_rest()), kwnames.get()));
    } else {
        merged = Owned::steal(PyObject_Vectorcall(merge.get(), a.rest(), std::size_t(a.n_rest()), nullptr));
    }
    if (!merged) return nullptr;
    Owned it = Owned::steal(PyObject_GetIter(merged.get()));
    if (!it) return nullptr;
    return new_native_iter<ForwardStep>(a.tool(), std::move(it));
}
Registered MERGE_SORTED{ITERTOOLZ_NAMES, function_def<merge_sorted>()};

}  // namespace

}  // namespace brisko
