// concat, concatv and mapcat: flattening handed to the host's chain.from_iterable. mapcat's
// function runs in a native map step, so that its errors are reported as a brisko step's.
#include "itertoolz.hpp"

#include "../binding/cached_attr.hpp"
#include "../binding/function_def.hpp"
#include "../core/tuple.hpp"

namespace brisko {
namespace {

PyObject* concat_impl(PyObject* seqs) {
    PyObject* argv[] = {seqs};
    return call_attr(CHAIN_FROM_ITERABLE, argv, 1);
}

PyObject* concat(Args<"concat(seqs)">& a) { return concat_impl(a["seqs"]); }
Registered CONCAT{ITERTOOLZ_NAMES, function_def<concat>()};

PyObject* concatv(Args<"concatv(*seqs)">& a) {
    Owned seqs = Owned::steal(tuple_from_array(a.rest(), a.n_rest()));
    if (!seqs) return nullptr;
    return concat_impl(seqs.get());
}
Registered CONCATV{ITERTOOLZ_NAMES, function_def<concatv>()};

PyObject* mapcat(Args<"mapcat(func, seqs)">& a) { return mapcat_impl(a.tool(), a["func"], a["seqs"]); }
Registered MAPCAT{ITERTOOLZ_NAMES, function_def<mapcat>()};

}  // namespace

PyObject* mapcat_impl(const char* tool, PyObject* func, PyObject* seqs) {
    Owned mapped = Owned::steal(map_impl(tool, func, seqs));
    if (!mapped) return nullptr;
    return concat_impl(mapped.get());
}

}  // namespace brisko
