// PySource construction and length hint.
#include "py_source.hpp"

namespace brisko {

PySource PySource::from(PyObject* obj) {
    PySource source;
    if (PyList_CheckExact(obj)) {
        source.obj_ = Owned::borrow(obj);
        source.is_list_ = true;
    } else {
        source.obj_ = Owned::steal(PyObject_GetIter(obj));
        if (source.obj_) source.depth_ = native_depth(source.obj_.get());
        source.checked_ = source.depth_ == 0 || (source.depth_ + 1) % CHECK_EVERY == 0;
    }
    return source;
}

Py_ssize_t PySource::length_hint() noexcept {
    if (is_list_) {
        if (exhausted_) return 0;
        Py_ssize_t left = PyList_GET_SIZE(obj_.get()) - index_;
        return left > 0 ? left : 0;
    }
    Py_ssize_t hint = PyObject_LengthHint(obj_.get(), 0);
    if (hint < 0) return discard_exception();
    return hint;
}

}  // namespace brisko
