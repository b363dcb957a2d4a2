// Callable classes whose instances carry their own vectorcall pointer.
#pragma once

#include <Python.h>

#include <cstddef>
#include <type_traits>

namespace brisko {

// A ClassDef install hook: calls of T's instances go through T::vectorcall, while the class's
// tp_call (PyVectorcall_Call in its slot table) serves tuple-and-dict callers with the same function.
// The offset is set here rather than through a `__vectorcalloffset__` member, so the class shows no
// such attribute.
template <class T>
void install_vectorcall(PyTypeObject* type) noexcept {
    static_assert(std::is_standard_layout_v<T>, "offsetof needs a standard-layout object struct");
    type->tp_vectorcall_offset = Py_ssize_t(offsetof(T, vectorcall));
    type->tp_flags |= Py_TPFLAGS_HAVE_VECTORCALL;
}

}  // namespace brisko
