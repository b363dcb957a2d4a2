// The binding room, how names and classes meet the host: signature lines, the argument binder,
// registration tables, class definitions. binding.hpp indexes its headers, a line each saying what
// the header declares; a file above includes the headers it uses. This file compiles that index on
// its own, so that an entry naming a header that is gone fails the build; it defines nothing.
#include "binding.hpp"
