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

// What the binder passes for an omitted argument: nothing (a required parameter, or an optional one
// without a default: the body sees null) or one of the host's immortal constants.
enum class Default : std::uint8_t { required, unset, none, false_, true_ };

// The object a default stands for (borrowed; immortal), or null.
constexpr PyObject* default_value(Default d) noexcept {
    switch (d) {
        case Default::none:
            return Py_None;
        case Default::false_:
            return Py_False;
        case Default::true_:
            return Py_True;
        default:
            return nullptr;
    }
}

struct Signature {
    const char* name = nullptr;                    // the function or method name
    const char* owner = nullptr;                   // the class name for a method, else null
    std::array<const char*, MAX_PARAMS> params{};  // positional-or-keyword first, then keyword-only
    std::array<Default, MAX_PARAMS> defaults{};    // per parameter
    std::uint8_t n_positional = 0;
    std::uint8_t n_required = 0;  // leading positional parameters without a default
    std::uint8_t n_kwonly = 0;    // keyword-only parameters (all optional), after *rest
    bool varargs = false;         // *rest gathers extra positionals
    bool varkw = false;           // **kwargs gathers unknown keywords
    bool forward_kwargs = false;  // **kwargs stay in the caller's vector when no keyword names a parameter
    // A parameter without a default stands for an optional trailing value: too many positional
    // arguments read "<name> takes at most <n> arguments", as the tools that take one always said.
    bool at_most_message = false;

    constexpr std::size_t n_slots() const { return std::size_t(n_positional) + n_kwonly; }
};

// Bound arguments: parameter slots (borrowed; an omitted argument is its default, null when it has
// none), the extra positionals of *rest (a view into the caller's argument array) and, for
// **kwargs, a dict made only when needed. With `forward_kwargs`, the extra keywords are either the
// caller's own `kwnames` (borrowed; their values follow `rest[n_rest - 1]` in the caller's array,
// ready for a vectorcall) or `kwargs`. Bodies read them by name, through Args.
template <std::size_t N>
struct Bound {
    std::array<PyObject*, N> slots{};
    PyObject* const* rest = nullptr;
    Py_ssize_t n_rest = 0;
    Owned kwargs;
    PyObject* kwnames = nullptr;
};

int bind_slow(const Signature& sig, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, PyObject** slots,
              PyObject* const** rest, Py_ssize_t* n_rest, Owned* kwargs, PyObject** forwarded);

// Binds a fast-call argument vector to `sig`. Returns 0, or -1 with the host's TypeError set.
template <std::size_t N>
inline int bind(const Signature& sig, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames, Bound<N>& out) {
    assert(sig.n_slots() <= N);
    Py_ssize_t nargs = PyVectorcall_NARGS(nargsf);
    if (kwnames == nullptr && nargs >= sig.n_required && (sig.varargs || nargs <= sig.n_positional)) {
        Py_ssize_t n = nargs < sig.n_positional ? nargs : sig.n_positional;
        // Bounded by N, a compile-time constant, so the copy unrolls into a few moves.
        for (std::size_t i = 0; i < N; ++i) {
            out.slots[i] = Py_ssize_t(i) < n ? args[i] : default_value(sig.defaults[i]);
        }
        out.rest = args + n;
        out.n_rest = nargs - n;
        return 0;
    }
    return bind_slow(sig, args, nargs, kwnames, out.slots.data(), &out.rest, &out.n_rest, &out.kwargs, &out.kwnames);
}

// Typed conversions of one bound argument, the parameter named by `param`. On failure the
// conversion's own exception propagates with the note "while processing '<param>'".
int to_count(const char* param, PyObject* obj, std::uint64_t& out);
// The size of each piece a sequence is cut into: an integer from 1 up. Below 1, ValueError
// "<tool>: <param> must be at least 1, got <n>", without a note; beyond the signed 64-bit range, the
// host's OverflowError "int too big to convert".
int to_size(const char* tool, const char* param, PyObject* obj, std::uint64_t& out);
// A flag: a bool, or a numpy bool scalar (read through its truth slot). Anything else fails the
// type test with the host's cast message.
int to_bool(const char* param, PyObject* obj, bool& out);
// A parameter that must be a dict (subclasses included): 0, or -1 with the host's conversion TypeError.
int check_dict(const char* param, PyObject* obj);
// For a line that takes **kwargs and reads some of them by name: the keyword `name` of `kwargs`
// (null when none were given) into `out`, 1 when present, 0 absent, -1 with an exception.
int gathered_keyword(PyObject* kwargs, const char* name, Owned& out);

}  // namespace brisko
