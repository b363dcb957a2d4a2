// Registration tables: a subsystem's exported names in export order, each bound at import to the
// object its row makes. The file that defines a name registers it (a `Registered` at namespace
// scope, which joins its table while the library loads), so a subsystem writes its order once, in
// its table, and each name's declaration once, next to its body.
#pragma once

#include <Python.h>

#include <array>
#include <cstddef>

#include "class_def.hpp"

namespace brisko {

class Registered;

class RegistrationTable {
public:
    static constexpr std::size_t CAPACITY = 48;

    // `order` lists every name of the subsystem, in export order; it must outlive the table.
    template <std::size_t N>
    consteval explicit RegistrationTable(const char* const (&order)[N]) : order_(order), size_(N) {
        static_assert(N <= CAPACITY, "RegistrationTable::CAPACITY is too small");
    }

    std::size_t size() const noexcept { return size_; }
    const char* name(std::size_t i) const noexcept { return order_[i]; }
    // The row registered under the i-th name: null when there is none, or when another row has the
    // same name or a name the order does not list (the table is then broken, and the import fails).
    const Registered* row(std::size_t i) const noexcept;

private:
    friend class Registered;
    const char* const* order_;
    std::size_t size_;
    // In the order the library's static initialisation happens to run, which is unspecified.
    std::array<const Registered*, CAPACITY> rows_{};
    std::size_t n_rows_ = 0;
};

// One exported name and what it is bound to. Objects of this type live at namespace scope: the
// table keeps a pointer to each, and function objects keep a pointer to its PyMethodDef.
class Registered {
public:
    // A function declared here: `Registered TAKE{ITERTOOLZ_NAMES, function_def<"take(n, seq)", take>()};`
    Registered(RegistrationTable& table, PyMethodDef def) noexcept;
    // A function whose method-table entry is defined elsewhere and lives as long as the library.
    Registered(RegistrationTable& table, PyMethodDef* def) noexcept;
    // A class, under the last component of its spec's name.
    Registered(RegistrationTable& table, ClassDef& cls) noexcept;
    // Any other object; `make` returns a new reference, or null with an exception.
    Registered(RegistrationTable& table, const char* name, PyObject* (*make)()) noexcept;

    Registered(const Registered&) = delete;
    Registered& operator=(const Registered&) = delete;

    // Read at import only: while the library loads, a definition in another file may not be
    // initialised yet.
    const char* name() const noexcept;
    // The object bound to the name: a new reference, or null with an exception. Called at import,
    // inside the module's boundary.
    PyObject* make() const;

private:
    void enter(RegistrationTable& table) noexcept;

    PyMethodDef own_{};
    PyMethodDef* def_ = nullptr;
    ClassDef* cls_ = nullptr;
    const char* name_ = nullptr;
    PyObject* (*make_)() = nullptr;
};

// A builtin function object for `def`, with __module__ "brisko._brisko" (a new reference).
PyObject* new_function(PyMethodDef* def) noexcept;

}  // namespace brisko
