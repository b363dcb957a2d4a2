// NativeIter: one counter guards against reentrant use; everything else is the step's business.
#include "native_iter.hpp"

#include <utility>

#include "gil_ref_cell.hpp"
#include "raw_iter_next.hpp"

namespace brisko {

PyObject* NativeIter::raw_next(NativeIter* self) {
    if (self->executing != 0) {
        already_executing();
        return nullptr;
    }
    if (!self->step) return nullptr;
    // Restores the counter on every exit, including a panic unwinding out of the step.
    struct Executing {
        NativeIter* it;
        ~Executing() { it->executing += 1; }
    } guard{self};
    self->executing = -1;
    return self->step->next();
}

PyObject* make_native_iter(std::unique_ptr<Step> step) {
    auto* self = alloc_instance<NativeIter>(NATIVE_ITER_CLASS);
    if (!self) return nullptr;
    self->executing = 0;
    self->step = step.release();
    return reinterpret_cast<PyObject*>(self);
}

static int native_iter_traverse(PyObject* obj, visitproc visit, void* arg) noexcept {
    Py_VISIT(Py_TYPE(obj));
    Step* step = reinterpret_cast<NativeIter*>(obj)->step;
    return step ? step->traverse(GcVisit{visit, arg}) : 0;
}

static int native_iter_clear(PyObject* obj) noexcept {
    // Detached before it is destroyed: what the destructor releases may run Python code.
    delete std::exchange(reinterpret_cast<NativeIter*>(obj)->step, nullptr);
    return 0;
}

static void native_iter_dealloc(PyObject* obj) noexcept {
    dealloc_collected(obj, [&] { native_iter_clear(obj); });
}

static PyMethodDef native_iter_methods[] = {
    {"__next__", reinterpret_cast<PyCFunction>(&next_method<NativeIter>), METH_NOARGS, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

static PyType_Slot native_iter_slots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(&native_iter_dealloc)},
    {Py_tp_traverse, reinterpret_cast<void*>(&native_iter_traverse)},
    {Py_tp_clear, reinterpret_cast<void*>(&native_iter_clear)},
    {Py_tp_iter, reinterpret_cast<void*>(&PyObject_SelfIter)},
    {Py_tp_methods, native_iter_methods},
    {0, nullptr},
};

static PyType_Spec native_iter_spec = {
    "brisko._brisko.NativeIter", sizeof(NativeIter), 0, COLLECTED_CLASS_FLAGS, native_iter_slots,
};

ClassDef NATIVE_ITER_CLASS{&native_iter_spec, &install_raw_iternext<NativeIter>};

}  // namespace brisko
