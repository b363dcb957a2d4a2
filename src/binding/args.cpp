// Argument binding off the fast path: keywords, *rest, **kwargs, and the host's error wording.
#include "args.hpp"

#include <cstring>

#include "../core/errors.hpp"

namespace brisko {
namespace {

// "take()" or "Iter.take()": every argument error starts with it.
[[gnu::cold]] Owned display_name(const Signature& sig) {
    if (sig.owner) return Owned::steal(PyUnicode_FromFormat("%s.%s()", sig.owner, sig.name));
    return Owned::steal(PyUnicode_FromFormat("%s()", sig.name));
}

[[gnu::cold]] int too_many_positional(const Signature& sig, Py_ssize_t given) {
    if (sig.at_most_message) {
        PyErr_Format(PyExc_TypeError, "%s takes at most %d arguments", sig.name, int(sig.n_positional));
        return -1;
    }
    Owned who = display_name(sig);
    if (!who) return -1;
    const char* verb = given == 1 ? "was" : "were";
    if (sig.n_required == sig.n_positional) {
        PyErr_Format(PyExc_TypeError, "%U takes %d positional arguments but %zd %s given", who.get(),
                     int(sig.n_positional), given, verb);
    } else {
        PyErr_Format(PyExc_TypeError, "%U takes from %d to %d positional arguments but %zd %s given", who.get(),
                     int(sig.n_required), int(sig.n_positional), given, verb);
    }
    return -1;
}

// "missing 2 required positional arguments: 'a' and 'b'"
[[gnu::cold]] int missing(const Signature& sig, const char* kind, const char* const* names, int count) {
    Owned who = display_name(sig);
    if (!who) return -1;
    Owned list = Owned::steal(PyUnicode_FromString(""));
    for (int i = 0; list && i < count; ++i) {
        const char* sep = i == 0 ? "" : (i == count - 1 ? " and " : ", ");
        list = Owned::steal(PyUnicode_FromFormat("%U%s'%s'", list.get(), sep, names[i]));
    }
    if (!list) return -1;
    PyErr_Format(PyExc_TypeError, "%U missing %d required %s argument%s: %U", who.get(), count, kind,
                 count == 1 ? "" : "s", list.get());
    return -1;
}

[[gnu::cold]] int keyword_error(const Signature& sig, const char* format, PyObject* keyword) {
    Owned who = display_name(sig);
    if (!who) return -1;
    PyErr_Format(PyExc_TypeError, format, who.get(), keyword);
    return -1;
}

// Index of the parameter named `keyword`, or -1.
int find_param(const Signature& sig, PyObject* keyword) {
    for (std::size_t i = 0; i < sig.n_slots(); ++i) {
        if (PyUnicode_EqualToUTF8(keyword, sig.params[i])) return int(i);
    }
    return -1;
}

// True when no keyword names a parameter, so every keyword belongs to **kwargs as given.
bool all_extra(const Signature& sig, PyObject* kwnames) {
    for (Py_ssize_t k = 0; k < PyTuple_GET_SIZE(kwnames); ++k) {
        if (find_param(sig, PyTuple_GET_ITEM(kwnames, k)) >= 0) return false;
    }
    return true;
}

// Attaches "while processing '<name>'" to the pending exception.
void add_processing_note(const char* name) noexcept {
    PyObject* exc = PyErr_GetRaisedException();
    if (!exc) return;
    Owned note = Owned::steal(PyUnicode_FromFormat("while processing '%s'", name));
    Owned done = note ? Owned::steal(PyObject_CallMethod(exc, "add_note", "O", note.get())) : Owned();
    // Should the note itself fail (memory), the conversion's own error is still the one to report,
    // unless the failure is an interrupt: that one wins.
    if (!done && discard_exception() < 0) {
        Py_DECREF(exc);
        return;
    }
    PyErr_SetRaisedException(exc);
}

}  // namespace

int bind_slow(const Signature& sig, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, PyObject** slots,
              PyObject* const** rest, Py_ssize_t* n_rest, Owned* kwargs, PyObject** forwarded) {
    if (nargs > sig.n_positional && !sig.varargs) return too_many_positional(sig, nargs);
    Py_ssize_t n = nargs < sig.n_positional ? nargs : sig.n_positional;
    for (Py_ssize_t i = 0; i < n; ++i) slots[i] = args[i];
    *rest = args + n;
    *n_rest = nargs - n;

    Py_ssize_t nkw = kwnames ? PyTuple_GET_SIZE(kwnames) : 0;
    if (nkw && sig.forward_kwargs && all_extra(sig, kwnames)) {
        *forwarded = kwnames;
        nkw = 0;
    }
    for (Py_ssize_t k = 0; k < nkw; ++k) {
        PyObject* keyword = PyTuple_GET_ITEM(kwnames, k);
        PyObject* value = args[nargs + k];
        int i = find_param(sig, keyword);
        if (i < 0) {
            if (!sig.varkw) return keyword_error(sig, "%U got an unexpected keyword argument '%U'", keyword);
            if (!*kwargs) {
                *kwargs = Owned::steal(PyDict_New());
                if (!*kwargs) return -1;
            }
            if (PyDict_SetItem(kwargs->get(), keyword, value) < 0) return -1;
            continue;
        }
        if (slots[i] != nullptr) return keyword_error(sig, "%U got multiple values for argument '%U'", keyword);
        slots[i] = value;
    }

    const char* absent[MAX_PARAMS];
    int count = 0;
    for (int i = 0; i < sig.n_required; ++i) {
        if (!slots[i]) absent[count++] = sig.params[i];
    }
    if (count) return missing(sig, "positional", absent, count);
    for (std::size_t i = sig.n_required; i < sig.n_slots(); ++i) {
        if (!slots[i]) slots[i] = default_value(sig.defaults[i]);
    }
    return 0;
}

int to_count(const char* param, PyObject* obj, std::uint64_t& out) {
    Owned number = Owned::steal(PyNumber_Index(obj));
    if (number) {
        unsigned long long v = PyLong_AsUnsignedLongLong(number.get());
        if (!(v == static_cast<unsigned long long>(-1) && PyErr_Occurred())) {
            out = v;
            return 0;
        }
    }
    add_processing_note(param);
    return -1;
}

int check_dict(const char* param, PyObject* obj) {
    if (PyDict_Check(obj)) return 0;
    PyErr_Format(PyExc_TypeError, "'%s' object cannot be converted to 'PyDict'", Py_TYPE(obj)->tp_name);
    add_processing_note(param);
    return -1;
}

int gathered_keyword(PyObject* kwargs, const char* name, Owned& out) {
    if (!kwargs) return 0;
    PyObject* value = nullptr;
    int found = PyDict_GetItemStringRef(kwargs, name, &value);
    out = Owned::steal(value);
    return found;
}

int to_bool(const char* param, PyObject* obj, bool& out) {
    if (PyBool_Check(obj)) {
        out = obj == Py_True;
        return 0;
    }
    // numpy's bool scalar is not a bool subclass; it is recognised by name, so numpy need not be loaded.
    const char* name = Py_TYPE(obj)->tp_name;
    if (std::strcmp(name, "numpy.bool") == 0 || std::strcmp(name, "numpy.bool_") == 0) {
        int truth = PyObject_IsTrue(obj);
        if (truth >= 0) {
            out = truth != 0;
            return 0;
        }
    } else {
        not_an_instance(obj, "bool");
    }
    add_processing_note(param);
    return -1;
}

int to_size(const char* tool, const char* param, PyObject* obj, std::uint64_t& out) {
    Owned number = Owned::steal(PyNumber_Index(obj));
    int overflow = 0;
    long long v = number ? PyLong_AsLongLongAndOverflow(number.get(), &overflow) : -1;
    if (v == -1 && PyErr_Occurred()) {
        add_processing_note(param);
        return -1;
    }
    if (overflow > 0) {
        PyErr_SetString(PyExc_OverflowError, "int too big to convert");
        add_processing_note(param);
        return -1;
    }
    // A size of 0 would make no piece at all: what a job sized from its input's length gets from a
    // small input, and must not take for an empty result.
    if (overflow < 0 || v < 1) {
        PyErr_Format(PyExc_ValueError, "%s: %s must be at least 1, got %S", tool, param, number.get());
        return -1;
    }
    out = std::uint64_t(v);
    return 0;
}

}  // namespace brisko
