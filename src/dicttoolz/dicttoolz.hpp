// Mapping tools: merging and single-key edits, mapping and filtering, nested paths.
#pragma once

#include <Python.h>

#include "../binding/registration.hpp"

namespace brisko {

// The exported names, in export order (names.cpp).
extern RegistrationTable DICTTOOLZ_NAMES;

}  // namespace brisko
