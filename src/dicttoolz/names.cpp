// The mapping tools' exported names, in export order. Each file registers the names it defines.
#include "dicttoolz.hpp"

namespace brisko {
namespace {

const char* const DICTTOOLZ_ORDER[] = {
    "merge",  "merge_with", "assoc",   "dissoc",    "assoc_in",  "update_in",  "get_in",
    "keymap", "valmap",     "itemmap", "keyfilter", "valfilter", "itemfilter",
};

}  // namespace

constinit RegistrationTable DICTTOOLZ_NAMES{"dicttoolz", DICTTOOLZ_ORDER};

}  // namespace brisko
