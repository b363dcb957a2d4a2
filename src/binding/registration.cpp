// Rows join their table while the library loads; the module reads the tables at import.
#include "registration.hpp"

#include <cstring>

#include "../core/owned.hpp"

namespace brisko {

const Registered* RegistrationTable::row(std::size_t i) const noexcept {
    if (n_rows_ > CAPACITY) return nullptr;
    const Registered* found = nullptr;
    for (std::size_t r = 0; r < n_rows_; ++r) {
        const char* name = rows_[r]->name();
        std::size_t listed = 0;
        while (listed < size_ && std::strcmp(order_[listed], name) != 0) ++listed;
        if (listed == size_) return nullptr;
        if (listed != i) continue;
        if (found) return nullptr;
        found = rows_[r];
    }
    return found;
}

Registered::Registered(RegistrationTable& table, PyMethodDef def) noexcept : own_(def), def_(&own_) { enter(table); }

Registered::Registered(RegistrationTable& table, PyMethodDef* def) noexcept : def_(def) { enter(table); }

Registered::Registered(RegistrationTable& table, ClassDef& cls) noexcept : cls_(&cls) { enter(table); }

Registered::Registered(RegistrationTable& table, const char* name, PyObject* (*make)()) noexcept
    : name_(name), make_(make) {
    enter(table);
}

// Runs during static initialisation, before the interpreter knows the library: nothing here may
// fail. A table too small for its rows counts one row too many, which `row` reports as broken.
void Registered::enter(RegistrationTable& table) noexcept {
    if (table.n_rows_ < RegistrationTable::CAPACITY) {
        table.rows_[table.n_rows_++] = this;
    } else {
        table.n_rows_ = RegistrationTable::CAPACITY + 1;
    }
}

const char* Registered::name() const noexcept {
    if (def_) return def_->ml_name;
    if (cls_) {
        const char* dot = std::strrchr(cls_->spec->name, '.');
        return dot ? dot + 1 : cls_->spec->name;
    }
    return name_;
}

PyObject* Registered::make() const {
    if (def_) return new_function(def_);
    if (cls_) return Py_XNewRef(reinterpret_cast<PyObject*>(class_type(*cls_)));
    return make_();
}

PyObject* new_function(PyMethodDef* def) noexcept {
    Owned module_name = Owned::steal(PyUnicode_InternFromString("brisko._brisko"));
    if (!module_name) return nullptr;
    return PyCMethod_New(def, nullptr, module_name.get(), nullptr);
}

}  // namespace brisko
