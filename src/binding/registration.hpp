// Registration tables: a subsystem's exported names in export order, each bound at import to the
// object its row makes, and the classes it makes at import without exporting them. The file that
// defines a name registers it (a `Registered` at namespace scope, which joins its table while the
// library loads), so a subsystem writes its order once, in its table, and each declaration once.
#pragma once

#include <Python.h>

#include <cstddef>

#include "class_def.hpp"

namespace brisko {

class Registered;

class RegistrationTable {
public:
    // `order` lists every exported name of the subsystem, in export order; `what` names the table
    // in the errors of a broken one. Both outlive the table.
    template <std::size_t N>
    consteval RegistrationTable(const char* what, const char* const (&order)[N])
        : what_(what), order_(order), size_(N) {}

    std::size_t size() const noexcept { return size_; }
    const char* name(std::size_t i) const noexcept { return order_[i]; }
    // 0 when every listed name has exactly one exporting row, every exporting row is listed and no
    // name has two rows; else a SystemError naming the first name at fault and the table, and -1.
    int check() const;
    // The row exporting the i-th name, once `check` has passed.
    const Registered& row(std::size_t i) const noexcept;
    // The first of all rows, exported or not, in no particular order (Registered::next).
    const Registered* first() const noexcept { return first_; }

private:
    friend class Registered;
    const Registered* find(const char* name) const noexcept;

    const char* what_;
    const char* const* order_;
    std::size_t size_;
    // Rows join in the order static initialisation runs, which is unspecified. Threaded through
    // the rows themselves, the list has room for any number of them and needs no allocation.
    const Registered* first_ = nullptr;
};

// One name and what it is bound to. Objects of this type live at namespace scope: the table keeps
// a pointer to each, and function objects keep a pointer to its PyMethodDef. Guard: immutable after
// load, as the tables are: rows join while the library loads, before any interpreter reads them.
class Registered {
public:
    // A class the module makes at import: exported under its name, or only made.
    enum class Exported : bool { no, yes };

    // A function declared here: `Registered TAKE{ITERTOOLZ_NAMES, function_def<take>()};`, the line
    // read from the type of `take`'s parameter.
    Registered(RegistrationTable& table, PyMethodDef def) noexcept;
    // A function whose method-table entry is defined elsewhere and lives as long as the library.
    Registered(RegistrationTable& table, PyMethodDef* def) noexcept;
    // A class, under the last component of its spec's name.
    Registered(RegistrationTable& table, ClassDef& cls, Exported exported = Exported::yes) noexcept;
    // Any other object; `make` returns a new reference, or null with an exception.
    Registered(RegistrationTable& table, const char* name, PyObject* (*make)(PyObject* module)) noexcept;

    Registered(const Registered&) = delete;
    Registered& operator=(const Registered&) = delete;

    // Read at import only: while the library loads, a definition in another file may not be
    // initialised yet.
    const char* name() const noexcept;
    bool exported() const noexcept { return exported_ == Exported::yes; }
    // The object bound to the name, for the module being initialised: a new reference, or null
    // with an exception. Called at import, inside the module's boundary.
    PyObject* make(PyObject* module) const;
    // The table's next row, or null after its last.
    const Registered* next() const noexcept { return next_; }

private:
    void enter(RegistrationTable& table) noexcept;

    PyMethodDef own_{};
    PyMethodDef* def_ = nullptr;
    ClassDef* cls_ = nullptr;
    const char* name_ = nullptr;
    PyObject* (*make_)(PyObject*) = nullptr;
    Exported exported_ = Exported::yes;
    const Registered* next_ = nullptr;
};

// A builtin function object for `def` whose `self` is `module` (so that its body reaches the
// module) and whose __module__ is the module's name: a new reference.
PyObject* new_function(PyMethodDef* def, PyObject* module) noexcept;

}  // namespace brisko
