// NativeIter: one borrow cell guards against reentrant use; everything else is the step's business.
#include "native_iter.hpp"

#include <new>
#include <utility>

#include "raw_iter_next.hpp"

namespace brisko {

PyObject* NativeIter::raw_next(NativeIter* self) {
    auto step = self->step.borrow();
    if (!step || !*step) return nullptr;
    return (*step)->next();
}

PyObject* native_self_iter(PyObject* self) noexcept { return Py_NewRef(self); }

PyObject* new_native_iter(const char* tool, std::uint32_t depth, std::unique_ptr<Step> step) {
    auto* self = alloc_instance<NativeIter>(NATIVE_ITER_CLASS);
    if (!self) return nullptr;
    self->head.tool = tool;
    self->head.depth = depth;
    self->head.pull = &pull_step<NativeIter>;
    new (&self->step) GilRefCell<std::unique_ptr<Step>>(std::move(step));
    return reinterpret_cast<PyObject*>(self);
}

static int native_iter_traverse(PyObject* obj, visitproc visit, void* arg) noexcept {
    Py_VISIT(Py_TYPE(obj));
    return reinterpret_cast<NativeIter*>(obj)->step.traverse(GcVisit{visit, arg});
}

static int native_iter_clear(PyObject* obj) noexcept {
    // A running step is never cleared: whoever runs it holds the iterator. The step is detached
    // before it is destroyed, since what its destructor releases may run Python code.
    if (auto step = reinterpret_cast<NativeIter*>(obj)->step.try_borrow()) std::unique_ptr<Step> gone = std::move(*step);
    return 0;
}

static void native_iter_dealloc(PyObject* obj) noexcept {
    dealloc_collected(obj, [&] { reinterpret_cast<NativeIter*>(obj)->step.~GilRefCell(); });
}

static PyMethodDef native_iter_methods[] = {
    {"__next__", reinterpret_cast<PyCFunction>(&next_method<NativeIter>), METH_NOARGS, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

static PyType_Slot native_iter_slots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(&native_iter_dealloc)},
    {Py_tp_traverse, reinterpret_cast<void*>(&native_iter_traverse)},
    {Py_tp_clear, reinterpret_cast<void*>(&native_iter_clear)},
    {Py_tp_iter, reinterpret_cast<void*>(&native_self_iter)},
    {Py_tp_methods, native_iter_methods},
    {0, nullptr},
};

static PyType_Spec native_iter_spec = {
    "brisko._brisko.NativeIter", sizeof(NativeIter), 0, COLLECTED_CLASS_FLAGS, native_iter_slots,
};

ClassDef NATIVE_ITER_CLASS{&native_iter_spec, &install_raw_iternext<NativeIter>};

}  // namespace brisko
