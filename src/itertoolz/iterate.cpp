// iterate: x, func(x), func(func(x)), ... until func raises.
#include "itertoolz.hpp"

#include "../binding/function_def.hpp"
#include "../core/call.hpp"
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

PyObject* iterate(Args<"iterate(func, x)">& a) {
    return new_native_iter<IterateStep>(a.tool(), Owned::borrow(a["func"]), Owned::borrow(a["x"]));
}
Registered ITERATE{ITERTOOLZ_NAMES, function_def<iterate>()};

}  // namespace

}  // namespace brisko
