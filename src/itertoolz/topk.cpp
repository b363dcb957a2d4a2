// topk: the k largest elements, by a stable descending sort of the whole input.
#include "itertoolz.hpp"

#include "../utils/errors.hpp"
#include "../utils/for_each_element.hpp"
#include "../utils/function_def.hpp"

namespace brisko {
namespace {

// list.sort(reverse=True): stable, so equal entries keep their input order.
int sort_descending(PyObject* list) {
    Owned name = Owned::steal(PyUnicode_InternFromString("sort"));
    Owned kwnames = Owned::steal(Py_BuildValue("(s)", "reverse"));
    if (!name || !kwnames) return -1;
    PyObject* argv[] = {list, Py_True};
    Owned done = Owned::steal(
        PyObject_VectorcallMethod(name.get(), argv, 1 | PY_VECTORCALL_ARGUMENTS_OFFSET, kwnames.get()));
    return done ? 0 : -1;
}

// Each element as (key(element), -position, element): ties on the key go to the earlier element
// and elements themselves are never compared.
PyObject* decorated(PyObject* key, PyObject* seq) {
    Owned entries = Owned::steal(PyList_New(0));
    if (!entries) return nullptr;
    long long position = 0;
    int rc = for_each_element(seq, [&](PyObject* item) {
        Owned k = Owned::steal(apply_key(key, item));
        if (!k) return fetch_status();
        Owned rank = Owned::steal(PyLong_FromLongLong(-position++));
        Owned entry = rank ? Owned::steal(PyTuple_Pack(3, k.get(), rank.get(), item)) : Owned();
        return entry ? PyList_Append(entries.get(), entry.get()) : -1;
    });
    return rc < 0 ? nullptr : entries.release();
}

// The elements as a new list. Exact lists and tuples are copied outright; anything else goes
// through the traversal, so an endless input can still be interrupted.
PyObject* listed(PyObject* seq) {
    if (PyList_CheckExact(seq) || PyTuple_CheckExact(seq)) return PySequence_List(seq);
    Owned entries = Owned::steal(PyList_New(0));
    if (!entries) return nullptr;
    int rc = for_each_element(seq, [&](PyObject* item) { return PyList_Append(entries.get(), item); });
    return rc < 0 ? nullptr : entries.release();
}

constexpr Signature TOPK_SIG = Signature::function("topk", {"k", "seq", "key"}, 2);
PyObject* topk(Args<TOPK_SIG>& a) {
    std::uint64_t k;
    if (to_count(TOPK_SIG, 0, a[0], k) < 0) return nullptr;
    PyObject* key = a[2] == Py_None ? nullptr : a[2];
    Owned entries = Owned::steal(key ? decorated(key, a[1]) : listed(a[1]));
    if (!entries || sort_descending(entries.get()) < 0) return nullptr;
    Py_ssize_t size = PyList_GET_SIZE(entries.get());
    Py_ssize_t m = k < std::uint64_t(size) ? Py_ssize_t(k) : size;
    Owned result = Owned::steal(PyTuple_New(m));
    if (!result) return nullptr;
    for (Py_ssize_t i = 0; i < m; ++i) {
        PyObject* entry = PyList_GET_ITEM(entries.get(), i);
        PyTuple_SET_ITEM(result.get(), i, Py_NewRef(key ? PyTuple_GET_ITEM(entry, 2) : entry));
    }
    return result.release();
}

}  // namespace

PyMethodDef TOPK_DEF = function_def<TOPK_SIG, topk>("topk(k, seq, key=None)\n--\n\n");

}  // namespace brisko
