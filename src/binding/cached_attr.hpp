// Host standard-library objects looked up once per process, on first use.
#pragma once

#include <Python.h>

#include "../core/once_cell.hpp"

namespace brisko {

struct HostAttr {
    const char* module;  // imported through PyImport_Import, so sys.modules and import hooks apply
    const char* path;    // dotted attribute path from the module
    OnceCell cell{};
};

// The cached object (borrowed, lives for the process), looked up on first use. A failed lookup
// raises and leaves the cell empty, so the next call tries again.
PyObject* cached_attr(HostAttr& attr);

extern HostAttr ISLICE;
extern HostAttr CHAIN;
extern HostAttr CHAIN_FROM_ITERABLE;
extern HostAttr SEQUENCE_ABC;
extern HostAttr SIGNATURE;
extern HostAttr SIGNATURE_CLASS;
extern HostAttr PARAMETER_CLASS;

// Looks `path` up on the freshly imported `module`, with no caching (for the callers that must see
// the current value every time).
Owned lookup_attr(const char* module, const char* path);

// One attribute of a module, imported and read afresh at every use like the above; only its names
// are made once per process, so a lookup on a per-call path costs a few dictionary reads.
struct FreshAttr {
    const char* module;
    const char* name;  // a single attribute, no dots
    OnceCell module_name{};
    OnceCell attr_name{};
};
Owned lookup_attr(FreshAttr& attr);

}  // namespace brisko
