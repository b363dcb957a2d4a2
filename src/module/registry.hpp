// Adding a table's names to the module: each exported one goes into `__all__` and onto the module,
// and each unexported class is made.
#pragma once

#include <Python.h>

#include "../binding/registration.hpp"

namespace brisko {

// Makes and adds each exported name of the table in turn, then makes its unexported classes.
// SystemError, before anything of the table is made, when it is broken (RegistrationTable::check).
int add_names(PyObject* module, const RegistrationTable& table);

}  // namespace brisko
