// The core room, the ground floor every other room stands on: owning references, the error rules
// and the boundary, per-interpreter cells, the hot paths' calls and reads. core.hpp indexes its
// headers, a line each saying what the header declares; a file above includes the headers it uses.
// This file compiles that index on its own, so that an entry naming a header that is gone fails the
// build; it defines nothing.
#include "core.hpp"
