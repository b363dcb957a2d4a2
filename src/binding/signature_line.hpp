// The text-signature line of a registered callable, read at compile time: the one declaration from
// which the binder's Signature and the docstring (the line, then "\n--\n\n") are both made.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "args.hpp"

namespace brisko {

// A signature line as a template argument: `Args<"take(n, seq)">`, the parameter of `take`'s body.
template <std::size_t N>
struct SignatureLine {
    static constexpr std::size_t SIZE = N;
    char text[N]{};
    consteval SignatureLine(const char (&line)[N]) {
        for (std::size_t i = 0; i < N; ++i) text[i] = line[i];
    }
};

// What a line declares, and how it is spelled:
//   function       "take(n, seq)"
//   method         "Iter.take($self, n)"   (the class name is what argument errors show)
//   static_method  "Option.of(v)"
//   constructor    "Some(value)"           (errors name it "Some.__new__()")
enum class Callable : std::uint8_t { function, method, static_method, constructor };

// Why a line is rejected. Parameters are written "a, b=None, *rest, k=None, **kwargs": names
// separated by ", ", `$self` only first, a default on every parameter after the first one that has
// one and on every keyword-only one (the binder has no required keyword-only parameters). A default
// is `None`, `False` or `True`, which the binder passes for an omitted argument, or `...`: the
// parameter is optional and has no default, so the body sees an omitted one as absent (null).
// `...` is the one mark for "no default" that the host's signature parser takes (inspect shows it
// as `default=Ellipsis`); such a line reports too many positional arguments as "<name> takes at
// most <n> arguments".
enum class LineError : std::uint8_t {
    none,
    syntax,
    self_not_first,
    required_after_default,
    required_keyword_only,
    too_many_parameters,
    rest_twice,
    parameter_after_kwargs,
    unknown_default,
};

// A line taken apart. `names` is the line with a NUL written after each name, so that the Signature
// points into it; the doc is the line without any "Cls." prefix.
template <std::size_t N>
struct ParsedLine {
    char names[N]{};
    std::size_t owner = N;  // N when the line has no "Cls." prefix
    std::size_t name = 0;
    std::size_t params[MAX_PARAMS]{};
    Default defaults[MAX_PARAMS]{};
    std::uint8_t n_positional = 0, n_required = 0, n_kwonly = 0;
    bool self = false, varargs = false, varkw = false;
    LineError error = LineError::none;

    constexpr bool has_owner() const { return owner != N; }

    constexpr Signature signature(Callable kind, bool forward_kwargs) const {
        Signature s;
        s.name = kind == Callable::constructor ? "__new__" : names + name;
        s.owner = kind == Callable::constructor ? names + name : has_owner() ? names + owner : nullptr;
        for (std::size_t i = 0; i < std::size_t(n_positional) + n_kwonly; ++i) {
            s.params[i] = names + params[i];
            s.defaults[i] = defaults[i];
            s.at_most_message = s.at_most_message || defaults[i] == Default::unset;
        }
        s.n_positional = n_positional;
        s.n_required = n_required;
        s.n_kwonly = n_kwonly;
        s.varargs = varargs;
        s.varkw = varkw;
        s.forward_kwargs = forward_kwargs;
        return s;
    }
};

namespace line_parsing {

constexpr bool is_name_start(char c) { return c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
constexpr bool is_name_char(char c) { return is_name_start(c) || (c >= '0' && c <= '9'); }

// Skips a name at `i`; false when there is none.
template <std::size_t N>
constexpr bool skip_name(const char (&text)[N], std::size_t& i) {
    if (!is_name_start(text[i])) return false;
    while (is_name_char(text[i])) ++i;
    return true;
}

// The default written in text[from, to), or `Default::required` for one the binder cannot pass.
template <std::size_t N>
constexpr Default read_default(const char (&text)[N], std::size_t from, std::size_t to) {
    auto is = [&](const char* word) {
        std::size_t k = 0;
        while (word[k] != '\0' && from + k < to && text[from + k] == word[k]) ++k;
        return word[k] == '\0' && from + k == to;
    };
    if (is("None")) return Default::none;
    if (is("False")) return Default::false_;
    if (is("True")) return Default::true_;
    if (is("...")) return Default::unset;
    return Default::required;
}

}  // namespace line_parsing

template <std::size_t N>
consteval ParsedLine<N> parse_line(const SignatureLine<N>& line) {
    using line_parsing::read_default;
    using line_parsing::skip_name;
    const auto& text = line.text;
    ParsedLine<N> p;
    for (std::size_t k = 0; k < N; ++k) p.names[k] = text[k];
    auto fail = [&](LineError e) {
        p.error = e;
        return p;
    };
    std::size_t i = 0;
    if (!skip_name(text, i)) return fail(LineError::syntax);
    if (text[i] == '.') {
        p.owner = 0;
        p.names[i++] = '\0';
        p.name = i;
        if (!skip_name(text, i)) return fail(LineError::syntax);
    }
    if (text[i] != '(') return fail(LineError::syntax);
    p.names[i++] = '\0';
    bool seen_default = false;
    std::size_t count = 0;  // parameters written, $self and the starred ones included
    while (text[i] != ')') {
        if (count++ > 0) {
            if (text[i] != ',' || text[i + 1] != ' ') return fail(LineError::syntax);
            p.names[i] = '\0';
            i += 2;
        }
        if (p.varkw) return fail(LineError::parameter_after_kwargs);
        if (text[i] == '$') {
            const char self[] = "$self";
            for (std::size_t k = 0; k < 5; ++k) {
                if (text[i + k] != self[k]) return fail(LineError::syntax);
            }
            if (count != 1) return fail(LineError::self_not_first);
            i += 5;
            p.self = true;
            continue;
        }
        if (text[i] == '*') {
            bool kwargs = text[i + 1] == '*';
            i += kwargs ? 2 : 1;
            if (!skip_name(text, i)) return fail(LineError::syntax);
            if (!kwargs && p.varargs) return fail(LineError::rest_twice);
            (kwargs ? p.varkw : p.varargs) = true;
            continue;
        }
        std::size_t start = i;
        if (!skip_name(text, i)) return fail(LineError::syntax);
        bool has_default = text[i] == '=';
        Default value = Default::required;
        if (has_default) {
            p.names[i++] = '\0';
            std::size_t from = i;
            while (text[i] != ',' && text[i] != ')' && text[i] != '\0') ++i;
            if (i == from) return fail(LineError::syntax);
            value = read_default(text, from, i);
            if (value == Default::required) return fail(LineError::unknown_default);
        }
        if (std::size_t(p.n_positional) + p.n_kwonly == MAX_PARAMS) return fail(LineError::too_many_parameters);
        p.defaults[p.n_positional + p.n_kwonly] = value;
        p.params[p.n_positional + p.n_kwonly] = start;
        if (p.varargs) {
            if (!has_default) return fail(LineError::required_keyword_only);
            ++p.n_kwonly;
            continue;
        }
        if (!has_default && seen_default) return fail(LineError::required_after_default);
        seen_default = seen_default || has_default;
        if (!has_default) ++p.n_required;
        ++p.n_positional;
    }
    p.names[i++] = '\0';
    if (i != N - 1) return fail(LineError::syntax);
    return p;
}

// A line read once, whatever it declares: its parse, checked, and its parameters' slots by name.
template <SignatureLine LINE>
struct Line {
    static constexpr std::size_t N = decltype(LINE)::SIZE;
    static constexpr ParsedLine<N> PARSED = parse_line(LINE);

    static_assert(PARSED.error != LineError::syntax, "a signature line reads name(a, b=None, *rest, k=None, **kwargs)");
    static_assert(PARSED.error != LineError::self_not_first, "$self comes first");
    static_assert(PARSED.error != LineError::required_after_default, "a parameter after a default needs one too");
    static_assert(PARSED.error != LineError::required_keyword_only, "a keyword-only parameter needs a default");
    static_assert(PARSED.error != LineError::too_many_parameters, "more parameters than MAX_PARAMS");
    static_assert(PARSED.error != LineError::rest_twice, "one *rest at most");
    static_assert(PARSED.error != LineError::parameter_after_kwargs, "**kwargs comes last");
    static_assert(PARSED.error != LineError::unknown_default,
                  "a default is None, False or True (passed when omitted), or ... (optional, no default)");

    // Parameters besides $self, *rest and **kwargs: the slots the binder fills.
    static constexpr std::size_t N_SLOTS = std::size_t(PARSED.n_positional) + PARSED.n_kwonly;

    static constexpr const char* param(std::size_t slot) { return PARSED.names + PARSED.params[slot]; }

    // What the line names, "take" or "Iter.take": the tool its body's errors and iterators name.
    static constexpr std::array<char, N> TOOL = [] {
        std::array<char, N> tool{};
        for (std::size_t i = 0; LINE.text[i] != '('; ++i) tool[i] = LINE.text[i];
        return tool;
    }();
    static constexpr Default default_of(std::size_t slot) { return PARSED.defaults[slot]; }

    // The slot of the parameter called `name`. Evaluated while compiling only: a name the line does
    // not declare stops the build at the call below.
    template <std::size_t K>
    static consteval std::size_t slot(const char (&name)[K]) {
        for (std::size_t i = 0; i < N_SLOTS; ++i) {
            const char* p = param(i);
            std::size_t k = 0;
            while (k + 1 < K && p[k] == name[k]) ++k;
            if (k + 1 == K && p[k] == '\0') return i;
        }
        the_signature_line_declares_no_parameter_of_this_name();
        return 0;
    }

private:
    static void the_signature_line_declares_no_parameter_of_this_name();
};

// The docstring of a callable that the binder does not bind (a slot-like method such as
// __length_hint__): its line, checked as any other, then `text`, the prose help() shows.
template <SignatureLine LINE, std::size_t K>
consteval std::array<char, decltype(LINE)::SIZE + 4 + K> line_doc(const char (&text)[K]) {
    static_assert(Line<LINE>::PARSED.error == LineError::none);
    std::array<char, decltype(LINE)::SIZE + 4 + K> doc{};
    std::size_t at = 0;
    for (std::size_t i = 0; i + 1 < decltype(LINE)::SIZE; ++i) doc[at++] = LINE.text[i];
    for (char c : {'\n', '-', '-', '\n', '\n'}) doc[at++] = c;
    for (std::size_t i = 0; i < K; ++i) doc[at++] = text[i];
    return doc;
}

// The parsed line, its Signature and its docstring, as constants of static storage duration: the
// Signature's names point into Line's PARSED, and the method table keeps a pointer to DOC.
template <SignatureLine LINE, Callable KIND, bool FORWARD_KWARGS = false>
struct Declared {
    using Read = Line<LINE>;
    static constexpr std::size_t N = Read::N;
    static constexpr const ParsedLine<N>& PARSED = Read::PARSED;

    static_assert(PARSED.self == (KIND == Callable::method), "a method's line, and only a method's, starts with $self");
    static_assert(PARSED.has_owner() == (KIND == Callable::method || KIND == Callable::static_method),
                  "a method's line, and only a method's, starts with its class name: \"Cls.name(...)\"");
    static_assert(!FORWARD_KWARGS || PARSED.varkw, "only **kwargs can be forwarded");

    static constexpr Signature SIG = PARSED.signature(KIND, FORWARD_KWARGS);

    static constexpr std::array<char, N + 5> DOC = [] {
        std::array<char, N + 5> doc{};
        std::size_t from = PARSED.has_owner() ? PARSED.name : 0, at = 0;
        for (std::size_t i = from; i + 1 < N; ++i) doc[at++] = LINE.text[i];
        for (char c : {'\n', '-', '-', '\n', '\n'}) doc[at++] = c;
        return doc;
    }();
};

}  // namespace brisko
