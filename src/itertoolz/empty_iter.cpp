// new_empty_iter: the NativeIter that yields nothing.
#include "itertoolz.hpp"

#include "../iteration/native_iter.hpp"

namespace brisko {
namespace {

class EmptyStep final : public Step {
public:
    PyObject* next() override { return nullptr; }
    int traverse(const GcVisit&) const override { return 0; }
};

}  // namespace

PyObject* new_empty_iter() { return new_native_iter<EmptyStep>("empty"); }

}  // namespace brisko
