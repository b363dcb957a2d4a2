// The process-wide host lookups and their lookup routine.
#include "cached_attr.hpp"

#include <cstring>

namespace brisko {

HostAttr ISLICE{"itertools", "islice"};
HostAttr CHAIN{"itertools", "chain"};
HostAttr CHAIN_FROM_ITERABLE{"itertools", "chain.from_iterable"};
HostAttr SEQUENCE_ABC{"collections.abc", "Sequence"};
HostAttr SIGNATURE{"inspect", "signature"};
HostAttr SIGNATURE_CLASS{"inspect", "Signature"};
HostAttr PARAMETER_CLASS{"inspect", "Parameter"};

namespace {

OnceCell BUILTINS_KEY, IMPORT_KEY;

// Whether an `import` in the running code would call the interpreter's own __import__: 1, 0, or
// -1 with an exception. The hook is read where PyImport_Import reads it, through the current
// globals' __builtins__; only the builtin that the builtins module behind those globals carries
// counts as the interpreter's own. Anything unusual answers 0, which takes the general path.
int imports_by_default() {
    PyObject* builtins_key = interned(BUILTINS_KEY, "__builtins__");
    PyObject* import_key = interned(IMPORT_KEY, "__import__");
    if (!builtins_key || !import_key) return -1;
    PyObject* globals = PyEval_GetGlobals();
    if (!globals || !PyDict_CheckExact(globals)) return 0;
    PyObject* raw = nullptr;
    if (PyDict_GetItemRef(globals, builtins_key, &raw) < 0) return -1;
    Owned builtins = Owned::steal(raw);
    if (!builtins) return 0;
    PyObject* dict = PyModule_Check(builtins.get()) ? PyModule_GetDict(builtins.get()) : builtins.get();
    if (!PyDict_CheckExact(dict)) return 0;
    if (PyDict_GetItemRef(dict, import_key, &raw) < 0) return -1;
    Owned import_func = Owned::steal(raw);
    if (!import_func || !PyCFunction_Check(import_func.get())) return 0;
    PyObject* owner = PyCFunction_GET_SELF(import_func.get());
    const char* name = reinterpret_cast<PyCFunctionObject*>(import_func.get())->m_ml->ml_name;
    return owner && PyModule_Check(owner) && PyModule_GetDict(owner) == dict && std::strcmp(name, "__import__") == 0;
}

// The module that PyImport_Import(name) gives. With the interpreter's own __import__ and the module
// already in sys.modules (and initialised), that is sys.modules[name] itself, read without the
// call through __import__ and the import machinery.
Owned import_module(PyObject* name) {
    int by_default = imports_by_default();
    if (by_default < 0) return Owned();
    if (by_default) {
        Owned module = Owned::steal(PyImport_GetModule(name));
        if (module && module.get() != Py_None) return module;
        if (PyErr_Occurred()) return Owned();
    }
    return Owned::steal(PyImport_Import(name));
}

}  // namespace

Owned lookup_attr(const char* module, const char* path) {
    Owned name = Owned::steal(PyUnicode_FromString(module));
    if (!name) return name;
    Owned current = import_module(name.get());
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

Owned lookup_attr(FreshAttr& attr) {
    PyObject* module_name = interned(attr.module_name, attr.module);
    PyObject* attr_name = module_name ? interned(attr.attr_name, attr.name) : nullptr;
    if (!attr_name) return Owned();
    Owned module = import_module(module_name);
    if (!module) return module;
    return Owned::steal(PyObject_GetAttr(module.get(), attr_name));
}

PyObject* cached_attr(HostAttr& attr) {
    return attr.cell.get_or_init([&]() { return lookup_attr(attr.module, attr.path); });
}

}  // namespace brisko
