// count: the number of elements, by iteration.
#include "itertoolz.hpp"

#include "../binding/function_def.hpp"
#include "../iteration/for_each_element.hpp"

namespace brisko {

int count_impl(PyObject* seq, std::uint64_t& out) {
    // Iterating an exact list or tuple runs no Python code and yields exactly its length.
    if (PyList_CheckExact(seq) || PyTuple_CheckExact(seq)) {
        out = std::uint64_t(PySequence_Fast_GET_SIZE(seq));
        return 0;
    }
    std::uint64_t n = 0;
    if (for_each_element(seq, [&](PyObject*) { return ++n, 0; }) < 0) return -1;
    out = n;
    return 0;
}

namespace {

PyObject* count(Args<"count(seq)">& a) {
    std::uint64_t n;
    if (count_impl(a["seq"], n) < 0) return nullptr;
    return PyLong_FromUnsignedLongLong(n);
}
Registered COUNT{ITERTOOLZ_NAMES, function_def<count>()};

}  // namespace

}  // namespace brisko
