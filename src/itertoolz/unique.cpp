// unique and isdistinct. unique picks its iterator once, at call time: the native int64 scan for a
// flat int64 buffer without a key, the hashing UniqueIter for everything else.
#include "itertoolz.hpp"

#include "../core/errors.hpp"
#include "../iteration/for_each_element.hpp"
#include "../binding/function_def.hpp"
#include "dedicated_constructors.hpp"

namespace brisko {

PyObject* unique_impl(const char* tool, PyObject* seq, PyObject* key) {
    if (!key) {
        if (BufferView view = readable_i64_buffer(seq)) return new_unique_i64_iter(std::move(view));
        if (PyErr_Occurred()) return nullptr;
    }
    PySource source = PySource::from(seq);
    if (!source) return nullptr;
    return new_unique_iter(tool, std::move(source), Owned::borrow(key));
}

namespace {

constexpr Signature UNIQUE_SIG = Signature::function("unique", {"seq", "key"}, 1);
PyObject* unique(Args<UNIQUE_SIG>& a) {
    PyObject* key = a[1] == Py_None ? nullptr : a[1];
    return unique_impl("unique", a[0], key);
}

constexpr Signature ISDISTINCT_SIG = Signature::function("isdistinct", {"seq"});
PyObject* isdistinct(Args<ISDISTINCT_SIG>& a) {
    Owned seen = Owned::steal(PySet_New(nullptr));
    if (!seen) return nullptr;
    int duplicate = for_each_element(a[0], [&](PyObject* item) {
        int present = PySet_Contains(seen.get(), item);
        if (present != 0) return present;  // a duplicate ends the traversal early
        return PySet_Add(seen.get(), item);
    });
    if (duplicate < 0) return nullptr;
    return Py_NewRef(duplicate ? Py_False : Py_True);
}

}  // namespace

PyMethodDef UNIQUE_DEF = function_def<UNIQUE_SIG, unique>("unique(seq, key=None)\n--\n\n");
PyMethodDef ISDISTINCT_DEF = function_def<ISDISTINCT_SIG, isdistinct>("isdistinct(seq)\n--\n\n");

}  // namespace brisko
