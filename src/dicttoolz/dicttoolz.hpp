// Mapping tools: merging and single-key edits, mapping and filtering, nested paths.
#pragma once

#include <Python.h>

namespace brisko {

// Registered functions, in export order.
extern PyMethodDef MERGE_DEF, MERGE_WITH_DEF, ASSOC_DEF, DISSOC_DEF, ASSOC_IN_DEF, UPDATE_IN_DEF, GET_IN_DEF;
extern PyMethodDef KEYMAP_DEF, VALMAP_DEF, ITEMMAP_DEF, KEYFILTER_DEF, VALFILTER_DEF, ITEMFILTER_DEF;

}  // namespace brisko
