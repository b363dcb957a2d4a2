// Host standard-library objects, each declared once as a HostAttr and found through one lookup.
// Most are looked up once per interpreter, on first use, and kept; those whose callers must honour a
// replaced attribute at once (a patched builtins.list or itertools.chain) are looked up afresh at
// every use.
#pragma once

#include <Python.h>

#include <cstddef>

#include "../core/interpreter_cell.hpp"
#include "../core/owned.hpp"

namespace brisko {

// Guard: the module, path and kind are immutable after load; each found object and interned name is
// per interpreter. Declare one at namespace scope.
struct HostAttr {
    enum class Lookup { Once, EveryCall };

    const char* module;  // imported through PyImport_Import, so sys.modules and import hooks apply
    const char* path;    // dotted attribute path from the module
    Lookup lookup = Lookup::Once;
    InterpreterCell value{};        // the object, once found (Lookup::Once)
    InterpreterCell module_name{};  // interned, so that a lookup at every use costs a few dictionary reads
    InterpreterCell attr_name{};    // interned, for a path without dots
};

// The object of a Lookup::Once attribute (borrowed, lives with the interpreter), looked up on first
// use. A failed lookup raises and leaves it unfound, so the next call tries again.
PyObject* cached_attr(HostAttr& attr);

// The object (a new reference), as its declaration says: the cached one, or a fresh lookup.
Owned lookup_attr(HostAttr& attr);

// attr(*argv): the object looked up as its declaration says, then called.
PyObject* call_attr(HostAttr& attr, PyObject* const* argv, std::size_t nargs);

extern HostAttr ISLICE;
extern HostAttr CHAIN;
extern HostAttr CHAIN_FROM_ITERABLE;
extern HostAttr SEQUENCE_ABC;
extern HostAttr SIGNATURE;
extern HostAttr SIGNATURE_CLASS;
extern HostAttr PARAMETER_CLASS;

}  // namespace brisko
