// The lazy map behind Iter.map and mapcat: one call of the function per element, from a native
// step, so that the function's errors are the step's (a StopIteration among them).
#include "itertoolz.hpp"

#include "../utils/call.hpp"
#include "../utils/native_iter.hpp"
#include "../utils/py_source.hpp"

namespace brisko {
namespace {

class MapStep final : public Step {
public:
    MapStep(PySource source, Owned func) : source_(std::move(source)), func_(std::move(func)) {}

    PyObject* next() override {
        Owned item = Owned::steal(source_.next());
        if (!item) return nullptr;
        return call_one(func_.get(), item.get());
    }

    int traverse(const GcVisit& visit) const override { return visit.all(source_, func_); }

private:
    PySource source_;
    Owned func_;
};

}  // namespace

PyObject* map_impl(const char* tool, PyObject* func, PyObject* seq) {
    PySource source = PySource::from(seq);
    if (!source) return nullptr;
    return native_iter<MapStep>(tool, std::move(source), Owned::borrow(func));
}

}  // namespace brisko
