// The mapping tools' exported names, in export order. Each file registers the names it defines.
#include "dicttoolz.hpp"

namespace brisko {
namespace {

const char* const DICTTOOLZ_ORDER[] = {
    "merge", "merge_with", "assoc",   "dissoc",  "assoc_in",  "update_in",  "get_in",
    "keymap", "valmap",    "itemmap", "keyfilter", "valfilter", "itemfilter",
};

}  // namespace

constinit RegistrationTable DICTTOOLZ_NAMES{DICTTOOLZ_ORDER};

namespace {
Registered MERGE{DICTTOOLZ_NAMES, &MERGE_DEF};
Registered MERGE_WITH{DICTTOOLZ_NAMES, &MERGE_WITH_DEF};
Registered ASSOC_IN{DICTTOOLZ_NAMES, &ASSOC_IN_DEF};
Registered UPDATE_IN{DICTTOOLZ_NAMES, &UPDATE_IN_DEF};
Registered GET_IN{DICTTOOLZ_NAMES, &GET_IN_DEF};
}  // namespace

}  // namespace brisko
