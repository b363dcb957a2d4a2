// The hashing room, native tables keyed by host hash or by int64 value, their memory, and int64
// buffer views. hashing.hpp indexes its headers, a line each saying what the header declares; a
// file above includes the headers it uses. This file compiles that index on its own, so that an
// entry naming a header that is gone fails the build; it defines nothing.
#include "hashing.hpp"
