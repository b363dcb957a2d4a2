// The iteration room, what every lazy result shares: the step runner, NativeIter, the reentrancy
// guard, the view over an input, the eager loops. iteration.hpp indexes its headers, a line each
// saying what the header declares; a file above includes the headers it uses. This file compiles
// that index on its own, so that an entry naming a header that is gone fails the build; it defines
// nothing.
#include "iteration.hpp"
