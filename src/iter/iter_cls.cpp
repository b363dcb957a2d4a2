// Iter: a wrapper around any iterable whose chain methods wrap a lazy result over the same inner
// object and whose terminal methods consume it into a plain value or an Option value.
#include "iter_cls.hpp"

#include <cstdint>

#include "../binding/cached_attr.hpp"
#include "../binding/collected_object.hpp"
#include "../binding/function_def.hpp"
#include "../core/call.hpp"
#include "../core/gc_visit.hpp"
#include "../core/recursion_guard.hpp"
#include "../itertoolz/itertoolz.hpp"
#include "../option/option.hpp"

namespace brisko {
namespace {

struct IterFields {
    // Stored as given, never iterated here. Set once and never replaced while anything reaches the
    // object, so a method reads it without a reference of its own: its caller's reference to self
    // keeps it alive.
    Owned inner;

    int traverse(const GcVisit& visit) const { return visit(inner); }

    // A finalizer in a collected cycle may still reach an Iter after the clear. It then wraps the
    // empty tuple and reads as empty: every method stays valid without a check on the hot path.
    static IterFields cleared() { return {Owned::borrow(Py_GetConstantBorrowed(Py_CONSTANT_EMPTY_TUPLE))}; }
};
using IterCls = CollectedObject<ObjectHead, IterFields>;

PyObject* inner_of(PyObject* self) noexcept { return IterCls::object(self)->fields.inner.get(); }

// A new Iter owning `result`, which is released if the Iter cannot be made. A null `result` (the
// delegated call failed) passes its exception on.
PyObject* wrap(Owned result) {
    if (!result) return nullptr;
    auto* self = alloc_instance<IterCls>(ITER_CLASS);
    if (!self) return nullptr;
    return IterCls::build(self, std::move(result));
}

// Looked up afresh at every call: a replaced builtins.list or functools.reduce is honoured at once.
HostAttr LIST{"builtins", "list", HostAttr::Lookup::EveryCall};
HostAttr DICT{"builtins", "dict", HostAttr::Lookup::EveryCall};
HostAttr REDUCE{"functools", "reduce", HostAttr::Lookup::EveryCall};

// islice(inner, n) or, for `drop`, islice(inner, n, None): the host's own validation and laziness.
PyObject* islice(PyObject* inner, std::uint64_t n, bool drop) {
    Owned count = Owned::steal(PyLong_FromUnsignedLongLong(n));
    if (!count) return nullptr;
    PyObject* argv[] = {inner, count.get(), Py_None};
    return call_attr(ISLICE, argv, drop ? 3 : 2);
}

// ---------------------------------------------------------------- chain methods: never iterate

// map and filter run the function in a dedicated iterator's step, as every chain method that calls
// user code does: its errors, StopIteration included, are reported as this Iter's, never lost.
PyObject* map(PyObject* self, Args<"Iter.map($self, f)">& a) {
    return wrap(Owned::steal(map_impl(a.tool(), a["f"], inner_of(self))));
}

// A None function keeps the elements that are true themselves, as the builtin filter does.
PyObject* filter(PyObject* self, Args<"Iter.filter($self, f)">& a) {
    return wrap(Owned::steal(filter_impl(a.tool(), a["f"], inner_of(self))));
}

PyObject* unique(PyObject* self, Args<"Iter.unique($self, key=None)">& a) {
    PyObject* key = a.unless_none("key");
    return wrap(Owned::steal(unique_impl(a.tool(), inner_of(self), key)));
}

PyObject* take(PyObject* self, Args<"Iter.take($self, n)">& a) {
    std::uint64_t n;
    if (a.to_count("n", n) < 0) return nullptr;
    return wrap(Owned::steal(islice(inner_of(self), n, false)));
}

PyObject* drop(PyObject* self, Args<"Iter.drop($self, n)">& a) {
    std::uint64_t n;
    if (a.to_count("n", n) < 0) return nullptr;
    return wrap(Owned::steal(islice(inner_of(self), n, true)));
}

// The one chain method that pulls at call time: the window is primed with its first n - 1 elements.
PyObject* sliding_window(PyObject* self, Args<"Iter.sliding_window($self, n)">& a) {
    std::uint64_t n;
    if (a.to_size("n", n) < 0) return nullptr;
    return wrap(Owned::steal(sliding_window_impl(n, inner_of(self))));
}

PyObject* partition_all(PyObject* self, Args<"Iter.partition_all($self, n)">& a) {
    std::uint64_t n;
    if (a.to_size("n", n) < 0) return nullptr;
    return wrap(Owned::steal(partition_all_impl(n, inner_of(self))));
}

PyObject* flat_map(PyObject* self, Args<"Iter.flat_map($self, f)">& a) {
    return wrap(Owned::steal(mapcat_impl(a.tool(), a["f"], inner_of(self))));
}

PyObject* pluck(PyObject* self, Args<"Iter.pluck($self, ind)">& a) {
    return wrap(Owned::steal(pluck_impl(a.tool(), a["ind"], inner_of(self), nullptr)));
}

// Unlike the module-level interpose, nothing is pulled now: the first element is read on the first
// step, so an empty inner gives an empty result rather than an error.
PyObject* interpose(PyObject* self, Args<"Iter.interpose($self, el)">& a) {
    return wrap(Owned::steal(interpose_impl(a["el"], inner_of(self))));
}

PyObject* accumulate(PyObject* self, Args<"Iter.accumulate($self, binop)">& a) {
    return wrap(Owned::steal(accumulate_impl(a.tool(), a["binop"], inner_of(self), nullptr)));
}

// ---------------------------------------------------------------- terminal methods

PyObject* collect(PyObject* self, Args<"Iter.collect($self)">&) {
    PyObject* argv[] = {inner_of(self)};
    return call_attr(LIST, argv, 1);
}

PyObject* reduce(PyObject* self, Args<"Iter.reduce($self, binop, initial=...)">& a) {
    PyObject* argv[] = {a["binop"], inner_of(self), a["initial"]};
    return call_attr(REDUCE, argv, a["initial"] ? 3 : 2);
}

PyObject* count(PyObject* self, Args<"Iter.count($self)">&) {
    std::uint64_t n;
    if (count_impl(inner_of(self), n) < 0) return nullptr;
    return PyLong_FromUnsignedLongLong(n);
}

PyObject* frequencies(PyObject* self, Args<"Iter.frequencies($self)">&) { return frequencies_impl(inner_of(self)); }

PyObject* group_by(PyObject* self, Args<"Iter.group_by($self, key)">& a) {
    return groupby_impl(a["key"], inner_of(self));
}

PyObject* to_dict(PyObject* self, Args<"Iter.to_dict($self)">&) {
    PyObject* argv[] = {inner_of(self)};
    return call_attr(DICT, argv, 1);
}

PyObject* first(PyObject* self, Args<"Iter.first($self)">&) { return first_opt(inner_of(self)); }

PyObject* last(PyObject* self, Args<"Iter.last($self)">&) { return last_opt(inner_of(self)); }

PyObject* nth(PyObject* self, Args<"Iter.nth($self, i)">& a) {
    std::uint64_t i;
    if (a.to_count("i", i) < 0) return nullptr;
    return nth_opt(i, inner_of(self));
}

// ---------------------------------------------------------------- construction and slots

PyObject* iter_new(Args<"Iter(inner)">& a) { return wrap(Owned::borrow(a["inner"])); }
using IterNew = Constructor<iter_new>;

// An Iter is iterable, not an iterator: each `for` starts from iter(inner).
PyObject* iter_iter(PyObject* self) noexcept {
    return boundary([&]() -> PyObject* {
        // The inner object may be another Iter: deep nesting raises RecursionError.
        RecursionGuard guard(" while getting an iterator");
        if (!guard) return nullptr;
        return PyObject_GetIter(inner_of(self));
    });
}

PyMethodDef iter_methods[] = {
    method_def<map>(),
    method_def<filter>(),
    method_def<unique>(),
    method_def<take>(),
    method_def<drop>(),
    method_def<sliding_window>(),
    method_def<partition_all>(),
    method_def<flat_map>(),
    method_def<pluck>(),
    method_def<interpose>(),
    method_def<accumulate>(),
    method_def<collect>(),
    method_def<reduce>(),
    method_def<count>(),
    method_def<frequencies>(),
    method_def<group_by>(),
    method_def<to_dict>(),
    method_def<first>(),
    method_def<last>(),
    method_def<nth>(),
    CLASS_GETITEM,
    {nullptr, nullptr, 0, nullptr},
};

auto iter_slots = collected_slots<IterCls>({
    {Py_tp_new, reinterpret_cast<void*>(&new_through_vectorcall)},
    {Py_tp_vectorcall, reinterpret_cast<void*>(IterNew::entry)},
    {Py_tp_iter, reinterpret_cast<void*>(&iter_iter)},
    {Py_tp_methods, iter_methods},
    {Py_tp_doc, const_cast<char*>(IterNew::doc)},
});

// Instances hold an arbitrary object, so their cycles go through the collector.
PyType_Spec iter_spec = {
    "brisko._brisko.Iter", sizeof(IterCls), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC, iter_slots.data(),
};

}  // namespace

ClassDef ITER_CLASS{&iter_spec};

namespace {
const char* const ITER_ORDER[] = {"Iter"};
}  // namespace

constinit RegistrationTable ITER_NAMES{"iter", ITER_ORDER};

namespace {
Registered ITER{ITER_NAMES, ITER_CLASS};
}  // namespace

PyObject* iter_parts(PyObject* iter) { return PyTuple_Pack(1, inner_of(iter)); }

}  // namespace brisko
