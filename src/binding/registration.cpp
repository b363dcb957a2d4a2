// Rows join their table while the library loads; the module checks and reads the tables at import.
#include "registration.hpp"

#include <cassert>
#include <cstring>

#include "../core/owned.hpp"

namespace brisko {
namespace {

// `format` takes the table's name, then the name at fault.
[[gnu::cold]] int broken(const char* format, const char* what, const char* name) noexcept {
    PyErr_Format(PyExc_SystemError, format, what, name);
    return -1;
}

}  // namespace

const Registered* RegistrationTable::find(const char* name) const noexcept {
    for (const Registered* r = first_; r; r = r->next()) {
        if (r->exported() && std::strcmp(r->name(), name) == 0) return r;
    }
    return nullptr;
}

// Quadratic in the rows, which are a few dozen, once per import.
int RegistrationTable::check() const {
    for (const Registered* r = first_; r; r = r->next()) {
        const char* name = r->name();
        for (const Registered* other = r->next(); other; other = other->next()) {
            if (std::strcmp(other->name(), name) == 0)
                return broken("the %s table has two rows for '%s': register a name once, next to its body", what_,
                              name);
        }
        std::size_t listed = 0;
        while (listed < size_ && std::strcmp(order_[listed], name) != 0) ++listed;
        if (r->exported() && listed == size_) {
            return broken("the %s table does not list '%s', which a row exports: add it to the table's order", what_,
                          name);
        }
    }
    for (std::size_t i = 0; i < size_; ++i) {
        if (!find(order_[i]))
            return broken(
                "the %s table lists '%s', which no row exports: register it next to its body, or drop it "
                "from the order",
                what_, order_[i]);
    }
    return 0;
}

const Registered& RegistrationTable::row(std::size_t i) const noexcept {
    const Registered* found = find(order_[i]);
    assert(found);
    return *found;
}

Registered::Registered(RegistrationTable& table, PyMethodDef def) noexcept : own_(def), def_(&own_) { enter(table); }

Registered::Registered(RegistrationTable& table, PyMethodDef* def) noexcept : def_(def) { enter(table); }

Registered::Registered(RegistrationTable& table, ClassDef& cls, Exported exported) noexcept
    : cls_(&cls), exported_(exported) {
    enter(table);
}

Registered::Registered(RegistrationTable& table, const char* name, PyObject* (*make)(PyObject*)) noexcept
    : name_(name), make_(make) {
    enter(table);
}

// Runs during static initialisation, before the interpreter knows the library: nothing here may
// fail, and the name is not read yet.
void Registered::enter(RegistrationTable& table) noexcept {
    next_ = table.first_;
    table.first_ = this;
}

const char* Registered::name() const noexcept {
    if (def_) return def_->ml_name;
    if (cls_) {
        const char* dot = std::strrchr(cls_->spec->name, '.');
        return dot ? dot + 1 : cls_->spec->name;
    }
    return name_;
}

PyObject* Registered::make(PyObject* module) const {
    if (def_) return new_function(def_, module);
    if (cls_) return Py_XNewRef(reinterpret_cast<PyObject*>(class_type(*cls_)));
    return make_(module);
}

PyObject* new_function(PyMethodDef* def, PyObject* module) noexcept {
    Owned module_name = Owned::steal(PyModule_GetNameObject(module));
    if (!module_name) return nullptr;
    return PyCMethod_New(def, module, module_name.get(), nullptr);
}

}  // namespace brisko
