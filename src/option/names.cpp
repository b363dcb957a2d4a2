// The Option and Result names, in export order. Each file registers the names it defines.
#include "option.hpp"

namespace brisko {
namespace {

const char* const OPTION_ORDER[] = {
    "Some",     "NothingType", "Option",  "Ok",      "Err",        "Result",   "Nothing",
    "first_opt", "last_opt",   "nth_opt", "get_opt", "get_in_opt", "peek_opt",
};

}  // namespace

constinit RegistrationTable OPTION_NAMES{OPTION_ORDER};

namespace {
Registered FIRST_OPT{OPTION_NAMES, &FIRST_OPT_DEF};
Registered LAST_OPT{OPTION_NAMES, &LAST_OPT_DEF};
Registered NTH_OPT{OPTION_NAMES, &NTH_OPT_DEF};
Registered GET_OPT{OPTION_NAMES, &GET_OPT_DEF};
Registered GET_IN_OPT{OPTION_NAMES, &GET_IN_OPT_DEF};
Registered PEEK_OPT{OPTION_NAMES, &PEEK_OPT_DEF};
}  // namespace

}  // namespace brisko
