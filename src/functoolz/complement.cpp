// complement: a Complement returns the negated truth of its function's result.

#include "functoolz.hpp"

#include "../binding/function_def.hpp"
#include "../binding/vectorcall_class.hpp"
#include "../core/call.hpp"

namespace brisko {
namespace {

struct Complement {
    static constexpr const char* NAME = "brisko._brisko.Complement";
    Owned func;  // not tested for callability
    DecoratorStack stack;

    int traverse(const GcVisit& visit) const { return visit.all(func, stack); }
    static PyObject* wrapped(const Complement& self) { return self.func.get(); }

    static PyObject* call(Complement& self, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
        Owned result = Owned::steal(PyObject_Vectorcall(self.func.get(), args, nargsf, kwnames));
        if (!result) return nullptr;
        int is_true = truth(result.get());
        if (is_true < 0) return nullptr;
        return Py_NewRef(is_true ? Py_False : Py_True);
    }
};

PyObject* complement(Args<"complement(func)">& a) {
    DecoratorStack stack;
    if (stack_over(a["func"], stack) < 0) return nullptr;
    return CallOnly<Complement>::new_instance(Complement{Owned::borrow(a["func"]), std::move(stack)});
}
Registered COMPLEMENT{FUNCTOOLZ_NAMES, function_def<complement>()};

}  // namespace

PyTypeObject* complement_type() noexcept { return CallOnly<Complement>::type(); }

const DecoratorStack* complement_stack(PyObject* obj) noexcept {
    const Complement* self = CallOnly<Complement>::live_fields(obj);
    return self ? &self->stack : nullptr;
}

PyObject* complement_parts(PyObject* obj) {
    const Complement* self = CallOnly<Complement>::fields_of(obj);
    return self ? PyTuple_Pack(1, self->func.get()) : nullptr;
}

}  // namespace brisko
