// Type objects are made from specs once per interpreter and shared by its module objects.
#include "class_def.hpp"

#include "../core/python_compat.hpp"

namespace brisko {

PyTypeObject* class_type(ClassDef& def) noexcept { return class_type(def, interpreter_cells::current()); }

PyTypeObject* class_type(ClassDef& def, interpreter_cells::Block* block) noexcept {
    PyObject* type = def.cell.get_or_init(block, [&]() {
        Owned made = Owned::steal(type_from_spec(nullptr, def.spec));
        if (!made) return made;
        auto* tp = reinterpret_cast<PyTypeObject*>(made.get());
        if ((def.install && def.install(tp) < 0) || PyType_Freeze(tp) < 0) return Owned();
        return made;
    });
    return reinterpret_cast<PyTypeObject*>(type);
}

int bare_static_methods(PyTypeObject* type) noexcept {
    auto* cls = reinterpret_cast<PyObject*>(type);
    for (PyMethodDef* m = type->tp_methods; m && m->ml_name; ++m) {
        if (!(m->ml_flags & METH_STATIC)) continue;
        // Reading the attribute through the class unwraps the staticmethod.
        Owned func = Owned::steal(PyObject_GetAttrString(cls, m->ml_name));
        if (!func || PyObject_SetAttrString(cls, m->ml_name, func.get()) < 0) return -1;
    }
    return 0;
}

}  // namespace brisko
