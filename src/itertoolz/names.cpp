// The sequence tools' exported names, in export order. Each file registers the names it defines.
#include "itertoolz.hpp"

#include "../iteration/native_iter.hpp"

namespace brisko {
namespace {

const char* const ITERTOOLZ_ORDER[] = {
    "NativeIter", "count",      "first",        "second",        "last",        "nth",        "get",
    "isdistinct", "frequencies", "topk",        "peek",          "take",        "drop",       "take_nth",
    "tail",       "cons",       "concat",       "concatv",       "interpose",   "interleave", "sliding_window",
    "partition",  "partition_all", "merge_sorted", "diff",       "groupby",     "countby",    "reduceby",
    "mapcat",     "pluck",      "remove",       "accumulate",    "iterate",     "unique",     "join",
};

}  // namespace

constinit RegistrationTable ITERTOOLZ_NAMES{ITERTOOLZ_ORDER};

namespace {
// NativeIter belongs to the iteration room below; its name is exported with the tools that return it.
Registered NATIVE_ITER{ITERTOOLZ_NAMES, NATIVE_ITER_CLASS};

Registered COUNT{ITERTOOLZ_NAMES, &COUNT_DEF};
Registered FIRST{ITERTOOLZ_NAMES, &FIRST_DEF};
Registered SECOND{ITERTOOLZ_NAMES, &SECOND_DEF};
Registered LAST{ITERTOOLZ_NAMES, &LAST_DEF};
Registered NTH{ITERTOOLZ_NAMES, &NTH_DEF};
Registered GET{ITERTOOLZ_NAMES, &GET_DEF};
Registered ISDISTINCT{ITERTOOLZ_NAMES, &ISDISTINCT_DEF};
Registered FREQUENCIES{ITERTOOLZ_NAMES, &FREQUENCIES_DEF};
Registered TOPK{ITERTOOLZ_NAMES, &TOPK_DEF};
Registered PEEK{ITERTOOLZ_NAMES, &PEEK_DEF};
Registered TAKE{ITERTOOLZ_NAMES, &TAKE_DEF};
Registered DROP{ITERTOOLZ_NAMES, &DROP_DEF};
Registered TAKE_NTH{ITERTOOLZ_NAMES, &TAKE_NTH_DEF};
Registered TAIL{ITERTOOLZ_NAMES, &TAIL_DEF};
Registered CONS{ITERTOOLZ_NAMES, &CONS_DEF};
Registered CONCAT{ITERTOOLZ_NAMES, &CONCAT_DEF};
Registered CONCATV{ITERTOOLZ_NAMES, &CONCATV_DEF};
Registered INTERPOSE{ITERTOOLZ_NAMES, &INTERPOSE_DEF};
Registered INTERLEAVE{ITERTOOLZ_NAMES, &INTERLEAVE_DEF};
Registered SLIDING_WINDOW{ITERTOOLZ_NAMES, &SLIDING_WINDOW_DEF};
Registered PARTITION{ITERTOOLZ_NAMES, &PARTITION_DEF};
Registered PARTITION_ALL{ITERTOOLZ_NAMES, &PARTITION_ALL_DEF};
Registered MERGE_SORTED{ITERTOOLZ_NAMES, &MERGE_SORTED_DEF};
Registered DIFF{ITERTOOLZ_NAMES, &DIFF_DEF};
Registered GROUPBY{ITERTOOLZ_NAMES, &GROUPBY_DEF};
Registered COUNTBY{ITERTOOLZ_NAMES, &COUNTBY_DEF};
Registered REDUCEBY{ITERTOOLZ_NAMES, &REDUCEBY_DEF};
Registered MAPCAT{ITERTOOLZ_NAMES, &MAPCAT_DEF};
Registered PLUCK{ITERTOOLZ_NAMES, &PLUCK_DEF};
Registered REMOVE{ITERTOOLZ_NAMES, &REMOVE_DEF};
Registered ACCUMULATE{ITERTOOLZ_NAMES, &ACCUMULATE_DEF};
Registered ITERATE{ITERTOOLZ_NAMES, &ITERATE_DEF};
Registered UNIQUE{ITERTOOLZ_NAMES, &UNIQUE_DEF};
Registered JOIN{ITERTOOLZ_NAMES, &JOIN_DEF};
}  // namespace

}  // namespace brisko
