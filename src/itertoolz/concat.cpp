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

PyObject* concat(Bound<1>& a) { return concat_impl(a[0]); }
Registered CONCAT{ITERTOOLZ_NAMES, function_def<"concat(seqs)", concat>()};

PyObject* concatv(Bound<0>& a) {
    Owned seqs = Owned::steal(tuple_from_array(a.rest, a.n_rest));
    if (!seqs) return nullptr;
    return concat_impl(seqs.get());
}
Registered CONCATV{ITERTOOLZ_NAMES, function_def<"concatv(*seqs)", concatv>()};

PyObject* mapcat(Bound<2>& a) { return mapcat_impl("mapcat", a[0], a[1]); }
Registered MAPCAT{ITERTOOLZ_NAMES, function_def<"mapcat(func, seqs)", mapcat>()};

}  // namespace

PyObject* mapcat_impl(const char* tool, PyObject* func, PyObject* seqs) {
    Owned mapped = Owned::steal(map_impl(tool, func, seqs));
    if (!mapped) return nullptr;
    return concat_impl(mapped.get());
}

}  // namespace brisko
