// head_and_rest, with the chain it builds looked up at every call.
#include "peeked.hpp"

#include "../binding/cached_attr.hpp"
#include "../core/owned.hpp"

namespace brisko {
namespace {

HostAttr CHAIN_AT_EVERY_CALL{"itertools", "chain", HostAttr::Lookup::EveryCall};

}  // namespace

PyObject* head_and_rest(PyObject* head, PyObject* it) {
    Owned first = Owned::steal(PyTuple_Pack(1, head));
    if (!first) return nullptr;
    PyObject* argv[] = {first.get(), it};
    Owned chained = Owned::steal(call_attr(CHAIN_AT_EVERY_CALL, argv, 2));
    if (!chained) return nullptr;
    return PyTuple_Pack(2, head, chained.get());
}

}  // namespace brisko
