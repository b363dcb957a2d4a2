// The process-wide host lookups and their lookup routine.
#include "cached_attr.hpp"

#include <cstring>

namespace brisko {

HostAttr ISLICE{"itertools", "islice"};
HostAttr CHAIN{"itertools", "chain"};
HostAttr CHAIN_FROM_ITERABLE{"itertools", "chain.from_iterable"};
HostAttr BUILTINS_MAP{"builtins", "map"};
HostAttr SEQUENCE_ABC{"collections.abc", "Sequence"};
HostAttr SIGNATURE{"inspect", "signature"};
HostAttr SIGNATURE_CLASS{"inspect", "Signature"};
HostAttr PARAMETER_CLASS{"inspect", "Parameter"};

Owned lookup_attr(const char* module, const char* path) {
    Owned name = Owned::steal(PyUnicode_FromString(module));
    if (!name) return name;
    Owned current = Owned::steal(PyImport_Import(name.get()));
    for (const char* segment = path; current;) {
        const char* dot = std::strchr(segment, '.');
        std::size_t len = dot ? std::size_t(dot - segment) : std::strlen(segment);
        Owned attr = Owned::steal(PyUnicode_FromStringAndSize(segment, Py_ssize_t(len)));
        if (!attr) return attr;
        current = Owned::steal(PyObject_GetAttr(current.get(), attr.get()));
        if (!dot) break;
        segment = dot + 1;
    }
    return current;
}

PyObject* cached_attr(HostAttr& attr) {
    return attr.cell.get_or_init([&]() { return lookup_attr(attr.module, attr.path); });
}

}  // namespace brisko
