// Adding exported names to the module: each one goes into `__all__` and onto the module.
#pragma once

#include <Python.h>

#include "../binding/registration.hpp"

namespace brisko {

// Makes and adds each name of the table in turn. SystemError, before anything of the table is
// made, when it is broken (RegistrationTable::check).
int add_names(PyObject* module, const RegistrationTable& table);

}  // namespace brisko
