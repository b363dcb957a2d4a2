// Args: a body's bound arguments, read by the names its signature line declares. A name is turned
// into its slot while compiling, so a body that names a parameter its line lacks does not build,
// and reordering a line cannot swap what a body reads.
#pragma once

#include <Python.h>

#include <cstddef>
#include <cstdint>

#include "args.hpp"
#include "signature_line.hpp"

namespace brisko {

template <SignatureLine LINE>
class Args {
public:
    using Read = Line<LINE>;

    // A parameter of the line, by name: `a["seq"]`.
    class Name {
    public:
        template <std::size_t K>
        consteval Name(const char (&name)[K]) : slot_(Read::slot(name)) {}
        constexpr std::size_t slot() const { return slot_; }

    private:
        std::size_t slot_;
    };

    Args() noexcept = default;
    Args(const Args&) = delete;
    Args& operator=(const Args&) = delete;

    // The argument (borrowed), its default when omitted, null when omitted and declared without one.
    PyObject* operator[](Name name) const noexcept { return bound_.slots[name.slot()]; }
    // For options where None means absent, as for an omitted one: the argument, or null.
    PyObject* unless_none(Name name) const noexcept {
        PyObject* value = (*this)[name];
        return value == Py_None ? nullptr : value;
    }

    // The extra positionals of *rest, a view into the caller's arguments.
    PyObject* const* rest() const noexcept { return bound_.rest; }
    Py_ssize_t n_rest() const noexcept { return bound_.n_rest; }
    // What **kwargs gathered: a dict, or null when nothing was; with Kwargs::forward, the caller's own
    // keyword names instead when every keyword went to **kwargs (see Bound).
    PyObject* kwargs() const noexcept { return bound_.kwargs.get(); }
    PyObject* kwnames() const noexcept { return bound_.kwnames; }
    // A keyword that **kwargs gathered, by name (gathered_keyword): 1 present, 0 absent, -1 error.
    int kwarg(const char* name, Owned& out) const { return gathered_keyword(kwargs(), name, out); }

    // The callable's name as its line gives it, "take" or "Iter.take", for what names the tool.
    static constexpr const char* tool() noexcept { return Read::TOOL.data(); }

    // The typed conversions of args.hpp, of the argument called `name`.
    int to_count(Name name, std::uint64_t& out) const { return brisko::to_count(param(name), (*this)[name], out); }
    int to_size(Name name, std::uint64_t& out) const {
        return brisko::to_size(tool(), param(name), (*this)[name], out);
    }
    int to_bool(Name name, bool& out) const {
        PyObject* value = (*this)[name];
        if (PyBool_Check(value)) {  // the common case, a default among them, needs no call
            out = value == Py_True;
            return 0;
        }
        return brisko::to_bool(param(name), value, out);
    }
    int check_dict(Name name) const { return brisko::check_dict(param(name), (*this)[name]); }

    // Binds a fast-call argument vector to `sig`, the Signature declared from LINE: 0, or -1 with the
    // host's TypeError set.
    int bind(const Signature& sig, PyObject* const* args, Py_ssize_t nargsf, PyObject* kwnames) {
        return brisko::bind(sig, args, nargsf, kwnames, bound_);
    }

private:
    static constexpr const char* param(Name name) { return Read::param(name.slot()); }

    Bound<Read::N_SLOTS> bound_;
};

}  // namespace brisko
