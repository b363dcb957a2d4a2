// CollectedObject: the one base of every class whose instances hold host objects (and so take part
// in cyclic garbage collection): the object layout around the class's C++ fields, their build by
// placement new, the collector's traverse and clear, dealloc, and whether the object is still live.
#pragma once

#include <Python.h>

#include <array>
#include <concepts>
#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

#include "../core/gc_visit.hpp"
#include "../core/python_compat.hpp"
#include "class_def.hpp"

namespace brisko {

// What an object starts with: the object header alone, or the header and the vectorcall pointer of
// a callable class. Iterators start with IterHead (the iteration room).
struct ObjectHead {
    PyObject_HEAD
};
struct CallableHead {
    PyObject_HEAD
    vectorcallfunc vectorcall;
};

// What a callable object answers once the collector has cleared it: a clean error instead of a crash.
[[gnu::cold]] inline PyObject* cleared_object(PyObject* self) noexcept {
    PyErr_Format(PyExc_ReferenceError, "'%s' object was cleared by the garbage collector", Py_TYPE(self)->tp_name);
    return nullptr;
}

// The one rule for an object the collector has cleared. The collector clears the objects of an
// unreachable cycle to break it, but a finalizer on that cycle may still reach one of them
// afterwards, so a cleared object owns nothing and stays safe to use. It answers in one of two
// ways, chosen once per class by its Fields:
//   - released (the default): the fields are destroyed and the object is no longer live, for good.
//     A callable (curry, compose, juxt, complement, excepts, memoize, merge's key) raises
//     ReferenceError, through `cleared_object`, from a call and from what pickling reads, and so
//     does a curry whose chain is released; an iterator (NativeIter and the dedicated ones) has
//     ended: the end, and a length hint of 0.
//   - a harmless constant: Fields that define `static Fields cleared()` get that value in place of
//     theirs and stay live. Some, Ok and Err hold None, and an Iter the empty tuple, as a list the
//     collector cleared reads as empty; their methods then need no check on their hot paths.
// The collector never clears an object that code is running on (a call or a step holds its
// object, which keeps it reachable), so fields are never destroyed under their own use.
//
// Threads: every class reads its state through `is_live` and the fields, and only this code builds,
// clears and destroys them. It is the one place to make safe for threads without the GIL, once a
// free-threaded interpreter can be tested here: `live` and the swap of a constant then become
// transitions that a concurrent reader can observe only whole.
template <class Fields>
concept HoldsConstant = requires {
    { Fields::cleared() } -> std::same_as<Fields>;
};

// The layout: the head, then (for released fields) the flag, then the fields. Fields take part in
// traversal through GcVisit (an Owned, a container of them, or `int traverse(const GcVisit&) const`).
template <class Head, class Fields>
struct CollectedLayout {
    Head head;
    bool live;  // the fields exist: false until they are built and once they are released
    Fields fields;
};

template <class Head, HoldsConstant Fields>
struct CollectedLayout<Head, Fields> {
    Head head;
    Fields fields;  // built with the object, then always present
    static constexpr bool live = true;
};

template <class Head, class Fields>
struct CollectedObject : CollectedLayout<Head, Fields> {
    static CollectedObject* object(PyObject* self) noexcept { return reinterpret_cast<CollectedObject*>(self); }

    // Whether the fields exist: the one question a class asks before it reads them.
    static bool is_live(const CollectedObject* self) noexcept { return self->live; }
    static bool is_live(PyObject* self) noexcept { return is_live(object(self)); }

    // Builds the fields of a freshly allocated object (head set, fields zeroed) from `args`, moved
    // in, and hands the object back.
    template <class... A>
    static PyObject* build(CollectedObject* self, A&&... args) noexcept {
        new (&self->fields) Fields(std::forward<A>(args)...);
        if constexpr (!HoldsConstant<Fields>) self->live = true;
        return reinterpret_cast<PyObject*>(self);
    }

    // A collection can start inside a step (any allocation may trigger one); every field holds a
    // valid reference or null at every point where a step allocates.
    static int traverse(PyObject* self, visitproc visit, void* arg) noexcept {
        Py_VISIT(Py_TYPE(self));
        return is_live(self) ? GcVisit{visit, arg}(object(self)->fields) : 0;
    }

    static int clear(PyObject* self) noexcept {
        CollectedObject* o = object(self);
        if constexpr (HoldsConstant<Fields>) {
            // Each Owned swaps before it releases (which may run Python code): the constant is in place first.
            o->fields = Fields::cleared();
        } else if (std::exchange(o->live, false)) {
            // Marked first, for the same reason.
            o->fields.~Fields();
        }
        return 0;
    }

    // The object leaves the collector's sight before its fields go (releasing them may run Python
    // code, and so a collection); `FREE` then frees it. A long chain of such objects is freed without
    // deep native recursion: a deallocation is put off once the native stack runs low, by the host
    // from 3.14 (whose trashcan macros are then empty), and by begin_deallocation and the trashcan
    // before.
    template <void (*FREE)(PyObject*) noexcept = &free_instance>
    static void dealloc(PyObject* self) noexcept {
        PyObject_GC_UnTrack(self);
        if (!begin_deallocation(self)) return;
        // clang-format off: the host's trashcan macros open and close a block of their own.
        Py_TRASHCAN_BEGIN(self, Py_TYPE(self)->tp_dealloc)
            if constexpr (HoldsConstant<Fields>) {
                object(self)->fields.~Fields();
            } else {
                clear(self);
            }
            FREE(self);
        Py_TRASHCAN_END
        // clang-format on
        end_deallocation();
    }
};

// The slot table of a class of such objects: its dealloc (by default CollectedObject's), the
// collector's traverse and clear, then the class's own slots, then the end. A table with another
// dealloc keeps the object's rules by calling CollectedObject's from its own.
template <class Object, std::size_t N>
std::array<PyType_Slot, N + 4> collected_slots(const PyType_Slot (&own)[N],
                                               void (*dealloc)(PyObject*) noexcept = &Object::template dealloc<>) {
    std::array<PyType_Slot, N + 4> slots{{
        {Py_tp_dealloc, reinterpret_cast<void*>(dealloc)},
        {Py_tp_traverse, reinterpret_cast<void*>(&Object::traverse)},
        {Py_tp_clear, reinterpret_cast<void*>(&Object::clear)},
    }};
    for (std::size_t i = 0; i < N; ++i) slots[3 + i] = own[i];
    slots[N + 3] = {0, nullptr};
    return slots;
}

// A class with no slots of its own.
template <class Object>
std::array<PyType_Slot, 4> collected_slots() {
    const PyType_Slot end[] = {{0, nullptr}};
    auto slots = collected_slots<Object>(end);
    return {slots[0], slots[1], slots[2], slots[4]};
}

}  // namespace brisko
