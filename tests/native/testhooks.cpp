// brisko._testhooks: built into _brisko's library for the test suite only (BRISKO_TEST_HOOKS), so
// that it shares _brisko's classes; the tests load it by path, as pickling loads _introspect. Its
// iterators break their invariants on purpose, so the tests can check that the boundary reports
// every kind of C++ failure as a host exception and leaves the iterator usable, and that the leak
// check catches a step keeping one reference too many; it can also clear an object the way the
// collector does, show how the int64 tables hash and place crafted keys, and add a broken
// registration table to a module, and count the interpreters whose cells are open.
#include <Python.h>

#include <atomic>
#include <iterator>
#include <stdexcept>
#include <utility>
#include <vector>

#include "../../src/binding/function_def.hpp"
#include "../../src/core/interpreter_cell.hpp"
#include "../../src/hashing/fx_table.hpp"
#include "../../src/hashing/i64_buffer.hpp"
#include "../../src/iteration/native_iter.hpp"
#include "../../src/iteration/py_source.hpp"
#include "../../src/module/module_slots.hpp"
#include "../../src/module/registry.hpp"

namespace brisko {
namespace {

// Fails once, in the way `mode` selects, then yields its call count forever.
class FailingStep final : public Step {
public:
    explicit FailingStep(long mode) : mode_(mode) {}

    PyObject* next() override {
        if (++calls_ == 1) {
            switch (mode_) {
                case 0:
                    panic("broken invariant");
                case 1:
                    throw Panic();
                case 2:
                    throw std::bad_alloc();
                default:
                    throw std::runtime_error("escaped C++ exception");
            }
        }
        return PyLong_FromLong(calls_);
    }

    int traverse(const GcVisit&) const override { return 0; }

private:
    long mode_;
    long calls_ = 0;
};

PyObject* failing_iter(Args<"failing_iter(mode)">& a) {
    long mode = PyLong_AsLong(a["mode"]);
    if (mode == -1 && PyErr_Occurred()) return nullptr;
    return new_native_iter<FailingStep>("failing_iter", mode);
}

// Yields the elements of its source, keeping one reference too many to each: the smallest leak a
// lazy iterator's step can have, which the leak check of ./dev leaks must catch.
class LeakingStep final : public Step {
public:
    explicit LeakingStep(PySource source) : source_(std::move(source)) {}

    PyObject* next() override {
        PyObject* item = source_.next();
        return item ? Py_NewRef(item) : nullptr;
    }

    int traverse(const GcVisit& visit) const override { return visit(source_); }

private:
    PySource source_;
};

PyObject* leaking_iter(Args<"leaking_iter(iterable)">& a) {
    PySource source = PySource::from(a["iterable"]);
    if (!source) return nullptr;
    return new_native_iter<LeakingStep>("leaking_iter", std::move(source));
}

PyObject* panic_now(Args<"panic_now()">&) { panic("panic at a function boundary"); }

// Runs the object's tp_clear, as the collector does on a cycle it frees, so that a test can reach
// an object in the state a finalizer would find it in.
PyObject* collector_clear(Args<"collector_clear(obj)">& a) {
    inquiry clear = Py_TYPE(a["obj"])->tp_clear;
    if (clear && clear(a["obj"]) < 0) return nullptr;
    Py_RETURN_NONE;
}

// How far past their home slots the keys of an int64 set sit, on average per distinct key: about
// a third while the hash mixes well, about the number of keys when they flood it.
template <class Keys>
PyObject* mean_displacement(std::size_t count, Keys key) {
    I64Set seen(count);  // sized for them at once, as a scan of a buffer is
    std::size_t distinct = 0;
    for (std::size_t i = 0; i < count; ++i) distinct += seen.insert(key(i));
    return PyFloat_FromDouble(distinct ? double(seen.displacement()) / double(distinct) : 0.0);
}

PyObject* int64_displacement(Args<"int64_displacement(buffer)">& a) {
    BufferView view = readable_i64_buffer(a["buffer"]);
    if (!view) return PyErr_Occurred() ? nullptr : not_an_instance(a["buffer"], "int64 buffer");
    return mean_displacement(view.length(), [&](std::size_t i) { return view.data()[i]; });
}

// The same for the keys first + i * step (wrapping around 64 bits) for i below count.
PyObject* progression_displacement(Args<"progression_displacement(first, step, count)">& a) {
    std::uint64_t count;
    if (to_count("count", a["count"], count) < 0) return nullptr;
    std::uint64_t first = PyLong_AsUnsignedLongLongMask(a["first"]), step = PyLong_AsUnsignedLongLongMask(a["step"]);
    if (PyErr_Occurred()) return nullptr;
    return mean_displacement(count, [&](std::size_t i) { return std::int64_t(first + i * step); });
}

PyObject* int64_hash(Args<"int64_hash(value)">& a) {
    long long v = PyLong_AsLongLong(a["value"]);
    if (v == -1 && PyErr_Occurred()) return nullptr;
    return PyLong_FromUnsignedLongLong(FxHasher{}.hash(v));
}

// `count` int64 keys whose hashes (of `rounds` rounds: one, FxHasher::hash; two, ::mixed) agree in
// their top `bits` bits in this process, as bytes: what an attacker who knew this process's seed
// would send to flood its tables.
PyObject* int64_colliding(Args<"int64_colliding(count, bits, rounds)">& a) {
    std::uint64_t count, bits, rounds;
    if (to_count("count", a["count"], count) < 0 || to_count("bits", a["bits"], bits) < 0 ||
        to_count("rounds", a["rounds"], rounds) < 0)
        return nullptr;
    if (bits < 1 || bits > 32) return PyErr_Format(PyExc_ValueError, "bits must be from 1 to 32");
    std::vector<std::int64_t> keys;
    FxHasher hasher;
    for (std::int64_t v = 1; keys.size() < count; ++v) {
        if ((rounds == 1 ? hasher.hash(v) : hasher.mixed(v)) >> (64 - bits) == 0) keys.push_back(v);
    }
    return PyBytes_FromStringAndSize(reinterpret_cast<const char*>(keys.data()), Py_ssize_t(keys.size() * 8));
}

// Three tables, each broken in one way: a row exports a name its order does not list, two rows
// share a name, a listed name has no row. Adding one to a fresh module raises its SystemError.
PyObject* make_none(PyObject*) { Py_RETURN_NONE; }
const char* const ONE_NAME[] = {"listed"};
constinit RegistrationTable UNLISTED{"unlisted", ONE_NAME}, TWICE{"twice", ONE_NAME}, NO_ROW{"no_row", ONE_NAME};
Registered UNLISTED_ROWS[] = {{UNLISTED, "listed", &make_none}, {UNLISTED, "stray", &make_none}};
Registered TWICE_ROWS[] = {{TWICE, "listed", &make_none}, {TWICE, "listed", &make_none}};
RegistrationTable* const BROKEN_TABLES[] = {&UNLISTED, &TWICE, &NO_ROW};

PyObject* add_broken_table(Args<"add_broken_table(i)">& a) {
    Py_ssize_t i = PyLong_AsSsize_t(a["i"]);
    if (i == -1 && PyErr_Occurred()) return nullptr;
    if (i < 0 || i >= Py_ssize_t(std::size(BROKEN_TABLES))) return PyErr_Format(PyExc_IndexError, "no table %zd", i);
    Owned module = Owned::steal(PyModule_New("scratch"));
    if (!module || add_names(module.get(), *BROKEN_TABLES[i]) < 0) return nullptr;
    return module.release();
}

// Keeps a reference to `obj` for the rest of the process, as a careless extension would: a module
// so held outlives its interpreter. `leaked` hands the last one back, in whatever interpreter asks
// (only one sharing the leaking one's allocator may use it).
std::atomic<PyObject*> last_leaked{nullptr};

PyObject* leak(Args<"leak(obj)">& a) {
    last_leaked.store(Py_NewRef(a["obj"]));
    Py_RETURN_NONE;
}

PyObject* leaked(Args<"leaked()">&) {
    PyObject* obj = last_leaked.load();
    return Py_NewRef(obj ? obj : Py_None);
}

// The interpreters whose cells are open: one per interpreter that imported brisko and still runs.
PyObject* open_interpreters(Args<"open_interpreters()">&) { return PyLong_FromSize_t(interpreter_cells::open_count()); }

PyMethodDef hook_methods[] = {
    function_def<failing_iter>(),
    function_def<leaking_iter>(),
    function_def<panic_now>(),
    function_def<collector_clear>(),
    function_def<int64_displacement>(),
    function_def<int64_hash>(),
    function_def<progression_displacement>(),
    function_def<int64_colliding>(),
    function_def<add_broken_table>(),
    function_def<open_interpreters>(),
    function_def<leak>(),
    function_def<leaked>(),
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef_Slot hook_slots[] = {
    {Py_mod_multiple_interpreters, Py_MOD_PER_INTERPRETER_GIL_SUPPORTED},
    {Py_mod_gil, BRISKO_MOD_GIL},
    {0, nullptr},
};

PyModuleDef hook_def = {
    PyModuleDef_HEAD_INIT, "_testhooks", "", 0, hook_methods, hook_slots, nullptr, nullptr, nullptr,
};

}  // namespace
}  // namespace brisko

PyMODINIT_FUNC PyInit__testhooks() { return PyModuleDef_Init(&brisko::hook_def); }
