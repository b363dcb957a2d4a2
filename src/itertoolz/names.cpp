// The sequence tools' exported names, in export order. Each file registers the names it defines.
#include "itertoolz.hpp"

#include "../iteration/native_iter.hpp"

namespace brisko {
namespace {

const char* const ITERTOOLZ_ORDER[] = {
    "NativeIter", "count",         "first",        "second",     "last",      "nth",        "get",
    "isdistinct", "frequencies",   "topk",         "peek",       "take",      "drop",       "take_nth",
    "tail",       "cons",          "concat",       "concatv",    "interpose", "interleave", "sliding_window",
    "partition",  "partition_all", "merge_sorted", "diff",       "groupby",   "countby",    "reduceby",
    "mapcat",     "pluck",         "remove",       "accumulate", "iterate",   "unique",     "join",
};

}  // namespace

constinit RegistrationTable ITERTOOLZ_NAMES{"itertoolz", ITERTOOLZ_ORDER};

namespace {
// NativeIter belongs to the iteration room below; its name is exported with the tools that return it.
Registered NATIVE_ITER{ITERTOOLZ_NAMES, NATIVE_ITER_CLASS};
}  // namespace

}  // namespace brisko
