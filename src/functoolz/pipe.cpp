// pipe, thread_first and thread_last: a value passed through a row of functions or call forms.
#include "functoolz.hpp"

#include "../binding/function_def.hpp"
#include "../core/arg_vector.hpp"
#include "../core/call.hpp"

namespace brisko {
namespace {

PyObject* pipe(Args<"pipe(data, *funcs)">& a) {
    // The functions are borrowed from the caller's vector, which outlives this call.
    Owned value = Owned::borrow(a["data"]);
    for (Py_ssize_t i = 0; value && i < a.n_rest(); ++i) value = Owned::steal(call_one(a.rest()[i], value.get()));
    return value.release();
}
Registered PIPE{FUNCTOOLZ_NAMES, function_def<pipe>()};

// A tuple form (subclasses included, read at the C level): its element 0 called with the value and
// the other elements, the value first or last. An empty form raises the host's IndexError.
PyObject* call_form(PyObject* form, PyObject* value, bool first) {
    PyObject* func = PyTuple_GetItem(form, 0);
    if (!func) return nullptr;
    Py_ssize_t n_extra = PyTuple_GET_SIZE(form) - 1;
    ArgVector argv(std::size_t(n_extra + 1));
    Py_ssize_t at = first ? 1 : 0;
    for (Py_ssize_t i = 0; i < n_extra; ++i) argv[std::size_t(at + i)] = PyTuple_GET_ITEM(form, 1 + i);
    argv[std::size_t(first ? 0 : n_extra)] = value;
    return PyObject_Vectorcall(func, argv.args(), std::size_t(n_extra + 1) | PY_VECTORCALL_ARGUMENTS_OFFSET, nullptr);
}

PyObject* thread(PyObject* val, PyObject* const* forms, Py_ssize_t n, bool first) {
    Owned value = Owned::borrow(val);
    for (Py_ssize_t i = 0; value && i < n; ++i) {
        PyObject* form = forms[i];
        value = Owned::steal(PyTuple_Check(form) ? call_form(form, value.get(), first) : call_one(form, value.get()));
    }
    return value.release();
}

PyObject* thread_first(Args<"thread_first(val, *forms)">& a) { return thread(a["val"], a.rest(), a.n_rest(), true); }
Registered THREAD_FIRST{FUNCTOOLZ_NAMES, function_def<thread_first>()};

PyObject* thread_last(Args<"thread_last(val, *forms)">& a) { return thread(a["val"], a.rest(), a.n_rest(), false); }
Registered THREAD_LAST{FUNCTOOLZ_NAMES, function_def<thread_last>()};

}  // namespace

}  // namespace brisko
