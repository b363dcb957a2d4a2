// tail: the last n elements, as a slice of the input when it slices, else as a tuple.
#include <vector>

#include "itertoolz.hpp"

#include "../binding/function_def.hpp"
#include "../iteration/for_each_element.hpp"

namespace brisko {
namespace {

// Keeps the last `n` elements pulled; never holds more than `n` (none at all for n = 0).
PyObject* tail_of_iterator(std::uint64_t n, PyObject* seq) {
    std::vector<Owned> ring;  // grows to n as elements come, then wraps at `oldest`
    std::size_t oldest = 0;
    int rc = for_each_element(seq, [&](PyObject* item) {
        if (n == 0) return 0;
        if (ring.size() < n) {
            ring.push_back(Owned::borrow(item));
        } else {
            ring[oldest] = Owned::borrow(item);  // the assignment releases the dropped element
            oldest = (oldest + 1) % ring.size();
        }
        return 0;
    });
    if (rc < 0) return nullptr;
    Owned result = Owned::steal(PyTuple_New(Py_ssize_t(ring.size())));
    if (!result) return nullptr;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        PyTuple_SET_ITEM(result.get(), i, ring[(oldest + i) % ring.size()].release());
    }
    return result.release();
}

PyObject* tail(Args<"tail(n, seq)">& a) {
    std::uint64_t n;
    if (a.to_count("n", n) < 0) return nullptr;
    return tail_impl(n, a["seq"]);
}
Registered TAIL{ITERTOOLZ_NAMES, function_def<tail>()};

}  // namespace

PyObject* tail_impl(std::uint64_t n, PyObject* seq) {
    // Subscripting a mapping with a slice is a key lookup, and a defaultdict or a Counter answers
    // a missing key (the first one by writing it into the caller's dict): iterate its keys instead.
    if (PyDict_Check(seq)) return tail_of_iterator(n, seq);
    // The last zero elements of anything are none of them: seq[0:0] rather than seq[-0:].
    constexpr std::uint64_t MAX_START = 0x7fffffffffffffffULL;
    Owned start = Owned::steal(PyLong_FromLongLong(-static_cast<long long>(n < MAX_START ? n : MAX_START)));
    if (!start) return nullptr;
    Owned stop = Owned::borrow(n == 0 ? start.get() : Py_None);
    Owned slice = Owned::steal(PySlice_New(start.get(), stop.get(), nullptr));
    if (!slice) return nullptr;
    if (PyObject* sliced = PyObject_GetItem(seq, slice.get())) return sliced;
    // A mapping looks the slice up as a missing key; a plain iterable cannot be subscripted.
    if (!PyErr_ExceptionMatches(PyExc_TypeError) && !PyErr_ExceptionMatches(PyExc_KeyError)) return nullptr;
    PyErr_Clear();
    return tail_of_iterator(n, seq);
}

}  // namespace brisko
