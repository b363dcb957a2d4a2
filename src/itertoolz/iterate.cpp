// iterate: x, func(x), func(func(x)), ... until func raises.
#include "itertoolz.hpp"

#include "../core/call.hpp"
#include "../binding/function_def.hpp"
#include "../iteration/native_iter.hpp"

namespace brisko {
namespace {

class IterateStep final : public Step {
public:
    IterateStep(Owned func, Owned x) : func_(std::move(func)), value_(std::move(x)) {}

    PyObject* next() override {
        // The value is taken out first: once func raises, there is none and every step ends.
        Owned value = std::move(value_);
        if (!value) return nullptr;
        if (first_) {
            first_ = false;
            value_ = std::move(value);
            return Py_NewRef(value_.get());
        }
        Owned result = Owned::steal(call_one(func_.get(), value.get()));
        if (!result) return nullptr;
        value_ = std::move(result);
        return Py_NewRef(value_.get());
    }

    int traverse(const GcVisit& visit) const override { return visit.all(func_, value_); }

private:
    Owned func_;
    Owned value_;  // the last value produced; empty once func has raised
    bool first_ = true;
};

constexpr Signature ITERATE_SIG = Signature::function("iterate", {"func", "x"});
PyObject* iterate(Args<ITERATE_SIG>& a) {
    return new_native_iter<IterateStep>("iterate", Owned::borrow(a[0]), Owned::borrow(a[1]));
}

}  // namespace

PyMethodDef ITERATE_DEF = function_def<ITERATE_SIG, iterate>("iterate(func, x)\n--\n\n");

}  // namespace brisko
