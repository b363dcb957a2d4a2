// A curry chain's signature lookup and its table of verdicts per call shape.
#include "curry_chain.hpp"

#include "../binding/cached_attr.hpp"
#include "../binding/class_def.hpp"
#include "../binding/collected_object.hpp"
#include "../core/call.hpp"
#include "../hashing/py_hash.hpp"

namespace brisko {

int CurryChain::signature(PyObject* func, PyObject*& sig) {
    PyObject* found = signature_.get_or_init(
        [&]() -> Owned {
            PyObject* lookup = cached_attr(SIGNATURE);
            if (!lookup) return Owned();
            Owned result = Owned::steal(call_one(lookup, func));
            if (result) return result;
            if (!PyErr_ExceptionMatches(PyExc_ValueError) && !PyErr_ExceptionMatches(PyExc_TypeError)) return result;
            PyErr_Clear();  // no signature metadata, or not a callable: calls go straight through
            return Owned::borrow(Py_None);
        },
        "recursive signature lookup of the same curry");
    if (!found) return -1;
    sig = found == Py_None ? nullptr : found;
    return 0;
}

bool CurryChain::Shape::matches(Py_ssize_t n, PyObject* kwnames) const noexcept {
    std::size_t count = kwnames ? std::size_t(PyTuple_GET_SIZE(kwnames)) : 0;
    if (n_args.load(std::memory_order_acquire) != n || n_names != count) return false;
    // Keyword names are distinct within a call, so equal counts and every name found is a match.
    for (std::size_t i = 0; i < count; ++i) {
        PyObject* name = PyTuple_GET_ITEM(kwnames, Py_ssize_t(i));
        bool found = false;
        for (std::size_t j = 0; j < n_names && !found; ++j) {
            found = names[j].get() == name || unicode_equal(names[j].get(), name);
        }
        if (!found) return false;
    }
    return true;
}

Verdict CurryChain::verdict(Py_ssize_t n_args, PyObject* kwnames) const noexcept {
    for (const Shape& shape : shapes_) {
        if (shape.matches(n_args, kwnames)) return shape.verdict;
    }
    return Verdict::Unknown;
}

void CurryChain::remember(Py_ssize_t n_args, PyObject* kwnames, Verdict verdict) noexcept {
    std::size_t count = kwnames ? std::size_t(PyTuple_GET_SIZE(kwnames)) : 0;
    if (count > MAX_NAMES || claimed_.load(std::memory_order_relaxed) >= SHAPES) return;
    const std::size_t slot = claimed_.fetch_add(1, std::memory_order_relaxed);
    if (slot >= SHAPES) return;
    Shape& shape = shapes_[slot];
    for (std::size_t i = 0; i < count; ++i) shape.names[i] = Owned::borrow(PyTuple_GET_ITEM(kwnames, Py_ssize_t(i)));
    shape.n_names = count;
    shape.verdict = verdict;
    shape.n_args.store(n_args, std::memory_order_release);
}

namespace {

using ChainObject = CollectedObject<ObjectHead, CurryChain>;

auto chain_slots = collected_slots<ChainObject>();

PyType_Spec chain_spec = {
    "brisko._brisko.CurryChain", sizeof(ChainObject), 0, COLLECTED_CLASS_FLAGS, chain_slots.data(),
};

ClassDef CURRY_CHAIN_CLASS{&chain_spec};

}  // namespace

PyObject* new_curry_chain() {
    auto* self = alloc_instance<ChainObject>(CURRY_CHAIN_CLASS);
    if (!self) return nullptr;
    return ChainObject::build(self);
}

CurryChain* curry_chain(PyObject* object) noexcept {
    return ChainObject::is_live(object) ? &ChainObject::object(object)->fields : nullptr;
}

}  // namespace brisko
