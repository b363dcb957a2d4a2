// The shared host lookups and the one lookup routine behind every HostAttr.
#include "cached_attr.hpp"

#include <cassert>
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

InterpreterCell BUILTINS_KEY, IMPORT_KEY;

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

// The object named by `attr`, looked up now (a new reference, or null with the exception).
Owned find(HostAttr& attr) {
    PyObject* module_name = interned(attr.module_name, attr.module);
    Owned current = module_name ? import_module(module_name) : Owned();
    if (!current) return current;
    if (!std::strchr(attr.path, '.')) {
        PyObject* name = interned(attr.attr_name, attr.path);
        return name ? Owned::steal(PyObject_GetAttr(current.get(), name)) : Owned();
    }
    // The segments of a dotted path are made at each lookup, which suits a lookup made once.
    for (const char* segment = attr.path; current;) {
        const char* dot = std::strchr(segment, '.');
        std::size_t len = dot ? std::size_t(dot - segment) : std::strlen(segment);
        Owned name = Owned::steal(PyUnicode_FromStringAndSize(segment, Py_ssize_t(len)));
        if (!name) return name;
        current = Owned::steal(PyObject_GetAttr(current.get(), name.get()));
        if (!dot) break;
        segment = dot + 1;
    }
    return current;
}

}  // namespace

PyObject* cached_attr(HostAttr& attr) {
    assert(attr.lookup == HostAttr::Lookup::Once);
    return attr.value.get_or_init([&]() { return find(attr); });
}

Owned lookup_attr(HostAttr& attr) {
    if (attr.lookup == HostAttr::Lookup::EveryCall) return find(attr);
    return Owned::borrow(cached_attr(attr));
}

PyObject* call_attr(HostAttr& attr, PyObject* const* argv, std::size_t nargs) {
    if (attr.lookup == HostAttr::Lookup::EveryCall) {
        Owned callable = find(attr);
        return callable ? PyObject_Vectorcall(callable.get(), argv, nargs, nullptr) : nullptr;
    }
    // A cached object lives as long as the interpreter's brisko: it is called without a reference of our own.
    PyObject* callable = cached_attr(attr);
    return callable ? PyObject_Vectorcall(callable, argv, nargs, nullptr) : nullptr;
}

}  // namespace brisko
