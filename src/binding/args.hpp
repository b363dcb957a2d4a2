// The one argument binder behind every registered function and method: fast-call, no allocation,
// the host's wording for argument errors. Each Signature is made from its callable's text-signature
// line (signature_line.hpp).
#pragma once

#include <Python.h>

#include <array>
#include <cstdint>

#include "../core/owned.hpp"

namespace brisko {

inline constexpr std::size_t MAX_PARAMS = 8;

struct Signature {
    const char* name = nullptr;                    // the function or method name
    const char* owner = nullptr;                   // the class name for a method, else null
    std::array<const char*, MAX_PARAMS> params{};  // positional-or-keyword first, then keyword-only
    std::uint8_t n_positional = 0;
    std::uint8_t n_required = 0;  // leading positional parameters without a default
    std::uint8_t n_kwonly = 0;    // keyword-only parameters (all optional), after *rest
    bool varargs = false;         // *rest gathers extra positionals
    bool varkw = false;           // **kwargs gathers unknown keywords
    bool forward_kwargs = false;  // **kwargs stay in the caller's vector when no keyword names a parameter

    constexpr std::size_t n_slots() const { return std::size_t(n_positional) + n_kwonly; }
};

// Bound arguments: parameter slots (borrowed, null when absent), the extra positionals of *rest
// (a view into the caller's argument array) and, for **kwargs, a dict made only when needed.
// With `forward_kwargs`, the extra keywords are either the caller's own `kwnames` (borrowed;
// their values follow `rest[n_rest - 1]` in the caller's array, ready for a vectorcall) or `kwargs`.
template <std::size_t N>
struct Bound {
    std::array<PyObject*, N> slots{};
    PyObject* const* rest = nullptr;
    Py_ssize_t n_rest = 0;
    Owned kwargs;
    PyObject* kwnames = nullptr;
    const Signature* sig = nullptr;  // what they were bound to, for the conversions below

    PyObject* operator[](std::size_t i) const { return slots[i]; }
};

int bind_slow(const Signature& sig, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, PyObject** slots,
              PyObject* const** rest, Py_ssize_t* n_rest, Owned* kwargs, PyObject** forwarded);

// Binds a fast-call argument vector to `sig`. Returns 0, or -1 with the host's TypeError set.
template <std::size_t N>
inline int bind(const Signature& sig, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames, Bound<N>& out) {
    assert(sig.n_slots() <= N);
    Py_ssize_t nargs = PyVectorcall_NARGS(nargsf);
    out.sig = &sig;
    if (kwnames == nullptr && nargs >= sig.n_required && (sig.varargs || nargs <= sig.n_positional)) {
        Py_ssize_t n = nargs < sig.n_positional ? nargs : sig.n_positional;
        // Bounded by N, a compile-time constant, so the copy unrolls into a few moves.
        for (std::size_t i = 0; i < N; ++i) {
            if (Py_ssize_t(i) < n) out.slots[i] = args[i];
        }
        out.rest = args + n;
        out.n_rest = nargs - n;
        return 0;
    }
    return bind_slow(sig, args, nargs, kwnames, out.slots.data(), &out.rest, &out.n_rest, &out.kwargs, &out.kwnames);
}

// Typed conversions of one bound argument. On failure the conversion's own exception propagates
// with the note "while processing '<parameter>'".
int to_count(const Signature& sig, std::size_t index, PyObject* obj, std::uint64_t& out);
int to_i64(const Signature& sig, std::size_t index, PyObject* obj, std::int64_t& out);
// A flag: a bool, or a numpy bool scalar (read through its truth slot). Anything else fails the
// type test with the host's cast message.
int to_bool(const Signature& sig, std::size_t index, PyObject* obj, bool& out);
// A parameter that must be a dict (subclasses included): 0, or -1 with the host's conversion TypeError.
int check_dict(const Signature& sig, std::size_t index, PyObject* obj);

// The same conversions of `a[index]`, named after the parameter `a` was bound to: `to_count(a, 0, n)`.
template <std::size_t N>
int to_count(const Bound<N>& a, std::size_t index, std::uint64_t& out) {
    return to_count(*a.sig, index, a[index], out);
}
template <std::size_t N>
int to_i64(const Bound<N>& a, std::size_t index, std::int64_t& out) {
    return to_i64(*a.sig, index, a[index], out);
}
template <std::size_t N>
int to_bool(const Bound<N>& a, std::size_t index, bool& out) {
    return to_bool(*a.sig, index, a[index], out);
}
template <std::size_t N>
int check_dict(const Bound<N>& a, std::size_t index) {
    return check_dict(*a.sig, index, a[index]);
}

}  // namespace brisko
