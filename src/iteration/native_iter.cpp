// NativeIter: one borrow cell guards against reentrant use; everything else is the step's business.
#include "native_iter.hpp"

#include <utility>

#include "raw_iter_next.hpp"

namespace brisko {

// A cleared iterator has ended.
PyObject* NativeIter::raw_next(NativeIter* self) {
    if (!is_live(self)) return nullptr;
    auto step = self->fields.borrow();
    if (!step) return nullptr;
    return (*step)->next();
}

PyObject* native_self_iter(PyObject* self) noexcept { return Py_NewRef(self); }

PyObject* new_native_iter(const char* tool, std::uint32_t depth, std::unique_ptr<Step> step) {
    auto* self = alloc_instance<NativeIter>(NATIVE_ITER_CLASS);
    if (!self) return nullptr;
    self->head.tool = tool;
    self->head.depth = depth;
    self->head.pull = &pull_step<NativeIter>;
    return NativeIter::build(self, std::move(step));
}

static PyMethodDef native_iter_methods[] = {
    {"__next__", reinterpret_cast<PyCFunction>(&next_method<NativeIter>), METH_NOARGS, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

static auto native_iter_slots = collected_slots<NativeIter>({
    {Py_tp_iter, reinterpret_cast<void*>(&native_self_iter)},
    {Py_tp_methods, native_iter_methods},
});

static PyType_Spec native_iter_spec = {
    "brisko._brisko.NativeIter", sizeof(NativeIter), 0, COLLECTED_CLASS_FLAGS, native_iter_slots.data(),
};

ClassDef NATIVE_ITER_CLASS{&native_iter_spec, &install_raw_iternext<NativeIter>};

}  // namespace brisko
