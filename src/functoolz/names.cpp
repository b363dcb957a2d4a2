// The function tools' exported names, in export order. Each file registers the names it defines.
#include "functoolz.hpp"

namespace brisko {
namespace {

const char* const FUNCTOOLZ_ORDER[] = {
    "curry",      "identity", "apply",   "pipe",    "do",           "compose",     "compose_left",
    "complement", "juxt",     "excepts", "memoize", "thread_first", "thread_last", "flip",
};

}  // namespace

constinit RegistrationTable FUNCTOOLZ_NAMES{"functoolz", FUNCTOOLZ_ORDER};

}  // namespace brisko
