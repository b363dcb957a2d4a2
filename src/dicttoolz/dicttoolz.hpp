// Mapping tools: merging and single-key edits, mapping and filtering, nested paths.
#pragma once

#include <Python.h>

#include "../binding/registration.hpp"

namespace brisko {

// The exported names, in export order (names.cpp).
extern RegistrationTable DICTTOOLZ_NAMES;
// Functions that names.cpp registers for their files.
extern PyMethodDef MERGE_DEF, MERGE_WITH_DEF, ASSOC_IN_DEF, UPDATE_IN_DEF, GET_IN_DEF;

}  // namespace brisko
