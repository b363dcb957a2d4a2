// The Option and Result names, in export order. Each file registers the names it defines.
#include "option.hpp"

namespace brisko {
namespace {

const char* const OPTION_ORDER[] = {
    "Some",      "NothingType", "Option",  "Ok",      "Err",        "Result",   "Nothing",
    "first_opt", "last_opt",    "nth_opt", "get_opt", "get_in_opt", "peek_opt",
};

}  // namespace

constinit RegistrationTable OPTION_NAMES{"option", OPTION_ORDER};

}  // namespace brisko
