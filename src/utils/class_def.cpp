// Type objects are made from specs once per process and shared by every module object.
#include "class_def.hpp"

namespace brisko {

PyTypeObject* class_type(ClassDef& def) noexcept {
    PyObject* type = def.cell.get_or_init([&]() {
        Owned made = Owned::steal(PyType_FromMetaclass(nullptr, nullptr, def.spec, nullptr));
        if (!made) return made;
        auto* tp = reinterpret_cast<PyTypeObject*>(made.get());
        if ((def.install && def.install(tp) < 0) || PyType_Freeze(tp) < 0) return Owned();
        return made;
    });
    return reinterpret_cast<PyTypeObject*>(type);
}

}  // namespace brisko
