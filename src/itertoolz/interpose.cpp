// interpose: picks up the first element at call time and hands the rest to an InterposeIter.
#include "itertoolz.hpp"

#include "../binding/function_def.hpp"
#include "../iteration/py_source.hpp"
#include "dedicated_constructors.hpp"

namespace brisko {
namespace {

constexpr Signature INTERPOSE_SIG = Signature::function("interpose", {"el", "seq"});
PyObject* interpose(Args<INTERPOSE_SIG>& a) {
    PySource source = PySource::from(a[1]);
    if (!source) return nullptr;
    // The first element is pulled now. An empty input is valid: its interposition is empty, so
    // the iterator starts out ended rather than the call raising StopIteration.
    Owned first = Owned::steal(source.next());
    if (!first && PyErr_Occurred()) return nullptr;
    bool empty = !first;
    return new_interpose_iter(Owned::borrow(a[0]), std::move(source), std::move(first), true, empty);
}

}  // namespace

PyMethodDef INTERPOSE_DEF = function_def<INTERPOSE_SIG, interpose>("interpose(el, seq)\n--\n\n");

}  // namespace brisko
