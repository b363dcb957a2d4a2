// sliding_window: primes the first n - 1 elements at call time and hands them, with the rest of
// the source, to a SlidingWindowIter.
#include <vector>

#include "itertoolz.hpp"

#include "../core/errors.hpp"
#include "../binding/function_def.hpp"
#include "../iteration/py_source.hpp"
#include "dedicated_constructors.hpp"

namespace brisko {

PyObject* sliding_window_impl(std::uint64_t n, PyObject* seq) {
    if (n == 0) return empty_iter();
    PySource source = PySource::from(seq);
    if (!source) return nullptr;
    // Room for a bounded number up front: a huge n allocates only as elements actually arrive.
    constexpr std::uint64_t RESERVE = 4096;
    std::vector<Owned> primed;
    primed.reserve(std::size_t(n - 1 < RESERVE ? n - 1 : RESERVE));
    while (primed.size() + 1 < n) {
        if (check_signals(primed.size() + 1) < 0) return nullptr;
        PyObject* item = source.next();
        if (!item) {
            if (PyErr_Occurred()) return nullptr;
            break;
        }
        primed.push_back(Owned::steal(item));
    }
    return new_sliding_window_iter(n, std::move(source), std::move(primed));
}

namespace {

constexpr Signature SLIDING_WINDOW_SIG = Signature::function("sliding_window", {"n", "seq"});
PyObject* sliding_window(Args<SLIDING_WINDOW_SIG>& a) {
    std::int64_t n;
    if (to_i64(SLIDING_WINDOW_SIG, 0, a[0], n) < 0) return nullptr;
    if (n < 0) {
        PyErr_SetString(PyExc_ValueError, "n must be >= 0");
        return nullptr;
    }
    return sliding_window_impl(std::uint64_t(n), a[1]);
}

}  // namespace

PyMethodDef SLIDING_WINDOW_DEF = function_def<SLIDING_WINDOW_SIG, sliding_window>("sliding_window(n, seq)\n--\n\n");

}  // namespace brisko
