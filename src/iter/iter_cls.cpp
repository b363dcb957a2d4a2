// Iter: a wrapper around any iterable whose chain methods wrap a lazy result over the same inner
// object and whose terminal methods consume it into a plain value or an Option value.
#include "iter_cls.hpp"

#include <cstdint>

#include "../itertoolz/itertoolz.hpp"
#include "../option/option.hpp"
#include "../binding/cached_attr.hpp"
#include "../core/call.hpp"
#include "../binding/function_def.hpp"
#include "../binding/collected_object.hpp"
#include "../binding/gc_visit.hpp"
#include "../core/recursion_guard.hpp"

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
constexpr Signature MAP_SIG = Signature::method("Iter", "map", {"f"});
PyObject* map(PyObject* self, Args<MAP_SIG>& a) { return wrap(Owned::steal(map_impl("Iter.map", a[0], inner_of(self)))); }

// A None function keeps the elements that are true themselves, as the builtin filter does.
constexpr Signature FILTER_SIG = Signature::method("Iter", "filter", {"f"});
PyObject* filter(PyObject* self, Args<FILTER_SIG>& a) {
    return wrap(Owned::steal(filter_impl("Iter.filter", a[0], inner_of(self))));
}

constexpr Signature UNIQUE_SIG = Signature::method("Iter", "unique", {"key"}, 0);
PyObject* unique(PyObject* self, Args<UNIQUE_SIG>& a) {
    PyObject* key = a[0] == Py_None ? nullptr : a[0];
    return wrap(Owned::steal(unique_impl("Iter.unique", inner_of(self), key)));
}

constexpr Signature TAKE_SIG = Signature::method("Iter", "take", {"n"});
PyObject* take(PyObject* self, Args<TAKE_SIG>& a) {
    std::uint64_t n;
    if (to_count(TAKE_SIG, 0, a[0], n) < 0) return nullptr;
    return wrap(Owned::steal(islice(inner_of(self), n, false)));
}

constexpr Signature DROP_SIG = Signature::method("Iter", "drop", {"n"});
PyObject* drop(PyObject* self, Args<DROP_SIG>& a) {
    std::uint64_t n;
    if (to_count(DROP_SIG, 0, a[0], n) < 0) return nullptr;
    return wrap(Owned::steal(islice(inner_of(self), n, true)));
}

// The one chain method that pulls at call time: the window is primed with its first n - 1 elements.
constexpr Signature SLIDING_WINDOW_SIG = Signature::method("Iter", "sliding_window", {"n"});
PyObject* sliding_window(PyObject* self, Args<SLIDING_WINDOW_SIG>& a) {
    std::uint64_t n;
    if (to_count(SLIDING_WINDOW_SIG, 0, a[0], n) < 0) return nullptr;
    return wrap(Owned::steal(sliding_window_impl(n, inner_of(self))));
}

constexpr Signature PARTITION_ALL_SIG = Signature::method("Iter", "partition_all", {"n"});
PyObject* partition_all(PyObject* self, Args<PARTITION_ALL_SIG>& a) {
    std::uint64_t n;
    if (to_count(PARTITION_ALL_SIG, 0, a[0], n) < 0) return nullptr;
    return wrap(Owned::steal(partition_all_impl(n, inner_of(self))));
}

constexpr Signature FLAT_MAP_SIG = Signature::method("Iter", "flat_map", {"f"});
PyObject* flat_map(PyObject* self, Args<FLAT_MAP_SIG>& a) {
    return wrap(Owned::steal(mapcat_impl("Iter.flat_map", a[0], inner_of(self))));
}

constexpr Signature PLUCK_SIG = Signature::method("Iter", "pluck", {"ind"});
PyObject* pluck(PyObject* self, Args<PLUCK_SIG>& a) {
    return wrap(Owned::steal(pluck_impl("Iter.pluck", a[0], inner_of(self), nullptr, 0)));
}

// Unlike the module-level interpose, nothing is pulled now: the first element is read on the first
// step, so an empty inner gives an empty result rather than an error.
constexpr Signature INTERPOSE_SIG = Signature::method("Iter", "interpose", {"el"});
PyObject* interpose(PyObject* self, Args<INTERPOSE_SIG>& a) {
    return wrap(Owned::steal(interpose_impl(a[0], inner_of(self))));
}

constexpr Signature ACCUMULATE_SIG = Signature::method("Iter", "accumulate", {"binop"});
PyObject* accumulate(PyObject* self, Args<ACCUMULATE_SIG>& a) {
    return wrap(Owned::steal(accumulate_impl("Iter.accumulate", a[0], inner_of(self), nullptr, 0)));
}

// ---------------------------------------------------------------- terminal methods

constexpr Signature COLLECT_SIG = Signature::method("Iter", "collect", {});
PyObject* collect(PyObject* self, Args<COLLECT_SIG>&) {
    PyObject* argv[] = {inner_of(self)};
    return call_attr(LIST, argv, 1);
}

[[gnu::cold]] PyObject* too_many_reduce_arguments() {
    PyErr_SetString(PyExc_TypeError, "reduce takes at most 2 arguments");
    return nullptr;
}

constexpr Signature REDUCE_SIG = Signature::method("Iter", "reduce", {"binop"}).with_rest();
PyObject* reduce(PyObject* self, Args<REDUCE_SIG>& a) {
    if (a.n_rest > 1) return too_many_reduce_arguments();
    PyObject* argv[] = {a[0], inner_of(self), a.n_rest == 1 ? a.rest[0] : nullptr};
    return call_attr(REDUCE, argv, std::size_t(2 + a.n_rest));
}

constexpr Signature COUNT_SIG = Signature::method("Iter", "count", {});
PyObject* count(PyObject* self, Args<COUNT_SIG>&) {
    std::uint64_t n;
    if (count_impl(inner_of(self), n) < 0) return nullptr;
    return PyLong_FromUnsignedLongLong(n);
}

constexpr Signature FREQUENCIES_SIG = Signature::method("Iter", "frequencies", {});
PyObject* frequencies(PyObject* self, Args<FREQUENCIES_SIG>&) { return frequencies_impl(inner_of(self)); }

constexpr Signature GROUP_BY_SIG = Signature::method("Iter", "group_by", {"key"});
PyObject* group_by(PyObject* self, Args<GROUP_BY_SIG>& a) { return groupby_impl(a[0], inner_of(self)); }

constexpr Signature TO_DICT_SIG = Signature::method("Iter", "to_dict", {});
PyObject* to_dict(PyObject* self, Args<TO_DICT_SIG>&) {
    PyObject* argv[] = {inner_of(self)};
    return call_attr(DICT, argv, 1);
}

constexpr Signature FIRST_SIG = Signature::method("Iter", "first", {});
PyObject* first(PyObject* self, Args<FIRST_SIG>&) { return first_opt(inner_of(self)); }

constexpr Signature LAST_SIG = Signature::method("Iter", "last", {});
PyObject* last(PyObject* self, Args<LAST_SIG>&) { return last_opt(inner_of(self)); }

constexpr Signature NTH_SIG = Signature::method("Iter", "nth", {"i"});
PyObject* nth(PyObject* self, Args<NTH_SIG>& a) {
    std::uint64_t i;
    if (to_count(NTH_SIG, 0, a[0], i) < 0) return nullptr;
    return nth_opt(i, inner_of(self));
}

// ---------------------------------------------------------------- construction and slots

constexpr Signature ITER_NEW_SIG = Signature::method("Iter", "__new__", {"inner"});
PyObject* iter_new(Args<ITER_NEW_SIG>& a) { return wrap(Owned::borrow(a[0])); }

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
    method_def<MAP_SIG, map>("map($self, f)\n--\n\n"),
    method_def<FILTER_SIG, filter>("filter($self, f)\n--\n\n"),
    method_def<UNIQUE_SIG, unique>("unique($self, key=None)\n--\n\n"),
    method_def<TAKE_SIG, take>("take($self, n)\n--\n\n"),
    method_def<DROP_SIG, drop>("drop($self, n)\n--\n\n"),
    method_def<SLIDING_WINDOW_SIG, sliding_window>("sliding_window($self, n)\n--\n\n"),
    method_def<PARTITION_ALL_SIG, partition_all>("partition_all($self, n)\n--\n\n"),
    method_def<FLAT_MAP_SIG, flat_map>("flat_map($self, f)\n--\n\n"),
    method_def<PLUCK_SIG, pluck>("pluck($self, ind)\n--\n\n"),
    method_def<INTERPOSE_SIG, interpose>("interpose($self, el)\n--\n\n"),
    method_def<ACCUMULATE_SIG, accumulate>("accumulate($self, binop)\n--\n\n"),
    method_def<COLLECT_SIG, collect>("collect($self)\n--\n\n"),
    method_def<REDUCE_SIG, reduce>("reduce($self, binop, *rest)\n--\n\n"),
    method_def<COUNT_SIG, count>("count($self)\n--\n\n"),
    method_def<FREQUENCIES_SIG, frequencies>("frequencies($self)\n--\n\n"),
    method_def<GROUP_BY_SIG, group_by>("group_by($self, key)\n--\n\n"),
    method_def<TO_DICT_SIG, to_dict>("to_dict($self)\n--\n\n"),
    method_def<FIRST_SIG, first>("first($self)\n--\n\n"),
    method_def<LAST_SIG, last>("last($self)\n--\n\n"),
    method_def<NTH_SIG, nth>("nth($self, i)\n--\n\n"),
    {nullptr, nullptr, 0, nullptr},
};

constexpr char iter_doc[] = "Iter(inner)\n--\n\n";

PyType_Slot iter_slots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(&IterCls::dealloc<>)},
    {Py_tp_traverse, reinterpret_cast<void*>(&IterCls::traverse)},
    {Py_tp_clear, reinterpret_cast<void*>(&IterCls::clear)},
    {Py_tp_new, reinterpret_cast<void*>(&new_through_vectorcall)},
    {Py_tp_vectorcall, reinterpret_cast<void*>(&constructor_entry<ITER_NEW_SIG, iter_new>)},
    {Py_tp_iter, reinterpret_cast<void*>(&iter_iter)},
    {Py_tp_methods, iter_methods},
    {Py_tp_doc, const_cast<char*>(iter_doc)},
    {0, nullptr},
};

// Instances hold an arbitrary object, so their cycles go through the collector.
PyType_Spec iter_spec = {
    "brisko._brisko.Iter", sizeof(IterCls), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC, iter_slots,
};

}  // namespace

ClassDef ITER_CLASS{&iter_spec};

PyObject* iter_parts(PyObject* iter) { return PyTuple_Pack(1, inner_of(iter)); }

}  // namespace brisko
