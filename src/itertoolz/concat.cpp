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

constexpr Signature CONCAT_SIG = Signature::function("concat", {"seqs"});
PyObject* concat(Args<CONCAT_SIG>& a) { return concat_impl(a[0]); }

constexpr Signature CONCATV_SIG = Signature::function("concatv", {}).with_rest();
PyObject* concatv(Args<CONCATV_SIG>& a) {
    Owned seqs = Owned::steal(tuple_from_array(a.rest, a.n_rest));
    if (!seqs) return nullptr;
    return concat_impl(seqs.get());
}

constexpr Signature MAPCAT_SIG = Signature::function("mapcat", {"func", "seqs"});
PyObject* mapcat(Args<MAPCAT_SIG>& a) { return mapcat_impl("mapcat", a[0], a[1]); }

}  // namespace

PyObject* mapcat_impl(const char* tool, PyObject* func, PyObject* seqs) {
    Owned mapped = Owned::steal(map_impl(tool, func, seqs));
    if (!mapped) return nullptr;
    return concat_impl(mapped.get());
}

PyMethodDef CONCAT_DEF = function_def<CONCAT_SIG, concat>("concat(seqs)\n--\n\n");
PyMethodDef CONCATV_DEF = function_def<CONCATV_SIG, concatv>("concatv(*seqs)\n--\n\n");
PyMethodDef MAPCAT_DEF = function_def<MAPCAT_SIG, mapcat>("mapcat(func, seqs)\n--\n\n");

}  // namespace brisko
