// The one-field value classes: allocation with the host's tracking rule and a free list, repr,
// equality and type creation.
#include "value_class.hpp"

#include <cstring>

#include "../core/call.hpp"
#include "../core/interpreter_cell.hpp"
#include "../core/panic.hpp"

namespace brisko {
namespace {

static_assert(sizeof(Owned) == sizeof(PyObject*), "the `value` member reads the Owned field as a PyObject*");

// Whether a value holding `obj` must be tracked by the collector. An object outside the collector
// (int, str, float, None) can never lead back to the value. Neither can an exact tuple or another
// value object that the collector does not track: both are immutable, and were left untracked
// because everything they hold is of that kind. Anything else (a list, a dict, even an empty or
// untracked one, which may gain a reference later) may close a cycle.
bool may_be_in_cycle(PyObject* obj) {
    PyTypeObject* type = Py_TYPE(obj);
    if (!PyType_IS_GC(type)) return false;
    if (type == &PyTuple_Type || type->tp_dealloc == &value_dealloc) return PyObject_GC_IsTracked(obj);
    return type->tp_is_gc == nullptr || type->tp_is_gc(obj);
}

// Freed value objects, kept for reuse as the host keeps its tuples: a Some made and dropped per
// call then skips the allocator and the collector's bookkeeping. Only the memory is reused (the
// three classes share one layout); type, reference count and field are set afresh. Each
// interpreter keeps its own list, guarded by its lock, since each has an allocator of its own: a
// block one allocator gave out goes back to that one when its interpreter ends. A build without
// that lock keeps none.
#ifndef Py_GIL_DISABLED
struct FreeValues {
    static constexpr int CAPACITY = 80;
    ValueObject* items[CAPACITY];
    int count = 0;

    ~FreeValues() {
        while (count > 0) PyObject_GC_Del(items[--count]);
    }
};
InterpreterLocal<FreeValues> FREE_VALUES;

ValueObject* allocate(PyTypeObject* type, interpreter_cells::Block* block) {
    FreeValues* free = FREE_VALUES.get(block);
    if (!free || free->count == 0) return PyObject_GC_New(ValueObject, type);
    ValueObject* self = free->items[--free->count];
    PyObject_Init(reinterpret_cast<PyObject*>(self), type);
    return self;
}

// The tail of dealloc, for an untracked object whose field is gone.
void release(PyObject* self) noexcept {
    FreeValues* free = FREE_VALUES.get();
    if (!free || free->count == FreeValues::CAPACITY) {
        free_instance(self);
        return;
    }
    PyTypeObject* type = Py_TYPE(self);
    free->items[free->count++] = reinterpret_cast<ValueObject*>(self);
    Py_DECREF(type);
}
#else
ValueObject* allocate(PyTypeObject* type, interpreter_cells::Block*) { return PyObject_GC_New(ValueObject, type); }
void release(PyObject* self) noexcept { free_instance(self); }
#endif

}  // namespace

PyObject* new_value(ClassDef& cls, Owned value) {
    // One search for the interpreter's block serves the class and the free list.
    interpreter_cells::Block* block = interpreter_cells::current();
    PyTypeObject* type = class_type(cls, block);
    if (!type) return nullptr;
    ValueObject* self = allocate(type, block);
    if (!self) return nullptr;
    PyObject* made = ValueObject::build(self, std::move(value));
    // Left untracked, a value over a small int costs the collector nothing, like the host's tuples.
    if (may_be_in_cycle(self->fields.value.get())) PyObject_GC_Track(made);
    return made;
}

int set_match_args(PyTypeObject* type, const char* field) noexcept {
    Owned names = Owned::steal(Py_BuildValue("(s)", field));
    return names ? PyObject_SetAttrString(reinterpret_cast<PyObject*>(type), "__match_args__", names.get()) : -1;
}

// Long chains (Some(Some(...))) are freed as every collected object is; releasing the field may
// run Python code, which may make and drop values of its own before this one joins the free list.
void value_dealloc(PyObject* self) noexcept { ValueObject::dealloc<&release>(self); }

PyObject* value_repr(PyObject* self) noexcept {
    return boundary([&]() -> PyObject* {
        const char* name = Py_TYPE(self)->tp_name;
        if (const char* dot = std::strrchr(name, '.')) name = dot + 1;
        return PyUnicode_FromFormat("%s(%R)", name, held(self));
    });
}

PyObject* value_richcompare(PyObject* self, PyObject* other, int op) noexcept {
    return boundary([&]() -> PyObject* {
        if (op != Py_EQ && op != Py_NE) Py_RETURN_NOTIMPLEMENTED;
        int equal = 0;
        if (Py_IS_TYPE(other, Py_TYPE(self))) {
            // No identity shortcut: a value over NaN is not equal to itself.
            equal = equals(held(self), held(other));
            if (equal < 0) return nullptr;
        }
        return PyBool_FromLong(op == Py_EQ ? equal : !equal);
    });
}

}  // namespace brisko
