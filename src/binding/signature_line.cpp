// Compile-time checks of the signature-line reader: this file defines nothing, and fails to compile
// when a line is read into the wrong Signature or docstring, or a malformed line gets through.
#include "signature_line.hpp"

#include <initializer_list>
#include <string_view>

namespace brisko {
namespace {

template <SignatureLine LINE>
constexpr LineError error_of = parse_line(LINE).error;

// A null `a` is no constant expression, so it fails the check as well.
constexpr bool same(const char* a, std::string_view b) { return std::string_view(a) == b; }

constexpr bool same_params(const Signature& s, std::initializer_list<std::string_view> names) {
    std::size_t i = 0;
    for (std::string_view name : names) {
        if (!same(s.params[i++], name)) return false;
    }
    return i == s.n_slots();
}

using Get = Declared<"get_in(keys, coll, default=None, no_default=False)", Callable::function>;
static_assert(same(Get::SIG.name, "get_in") && Get::SIG.owner == nullptr);
static_assert(same_params(Get::SIG, {"keys", "coll", "default", "no_default"}));
static_assert(Get::SIG.n_positional == 4 && Get::SIG.n_required == 2 && Get::SIG.n_kwonly == 0);
static_assert(!Get::SIG.varargs && !Get::SIG.varkw && !Get::SIG.forward_kwargs && !Get::SIG.at_most_message);
static_assert(Get::SIG.defaults[0] == Default::required && Get::SIG.defaults[2] == Default::none &&
              Get::SIG.defaults[3] == Default::false_);
static_assert(Get::Read::slot("coll") == 1 && Get::Read::slot("no_default") == 3);
static_assert(same(Get::DOC.data(), "get_in(keys, coll, default=None, no_default=False)\n--\n\n"));

using Dissoc = Declared<"dissoc(d, *keys, factory=None)", Callable::function>;
static_assert(same_params(Dissoc::SIG, {"d", "factory"}) && Dissoc::SIG.varargs && !Dissoc::SIG.varkw);
static_assert(Dissoc::SIG.n_positional == 1 && Dissoc::SIG.n_required == 1 && Dissoc::SIG.n_kwonly == 1);

using Apply = Declared<"apply(func, *args, **kwargs)", Callable::function, true>;
static_assert(same_params(Apply::SIG, {"func"}) && Apply::SIG.varargs && Apply::SIG.varkw);
static_assert(Apply::SIG.forward_kwargs && Apply::SIG.n_required == 1);

using Compose = Declared<"compose(*funcs)", Callable::function>;
static_assert(Compose::SIG.n_slots() == 0 && Compose::SIG.varargs && Compose::SIG.n_required == 0);

using Reduce = Declared<"Iter.reduce($self, binop, initial=...)", Callable::method>;
static_assert(same(Reduce::SIG.owner, "Iter") && same(Reduce::SIG.name, "reduce"));
static_assert(same_params(Reduce::SIG, {"binop", "initial"}) && !Reduce::SIG.varargs);
static_assert(Reduce::SIG.n_required == 1 && Reduce::SIG.defaults[1] == Default::unset && Reduce::SIG.at_most_message);
static_assert(same(Reduce::DOC.data(), "reduce($self, binop, initial=...)\n--\n\n"));

using Unwrap = Declared<"Some.unwrap($self)", Callable::method>;
static_assert(Unwrap::SIG.n_slots() == 0 && same(Unwrap::DOC.data(), "unwrap($self)\n--\n\n"));

using Of = Declared<"Option.of(v)", Callable::static_method>;
static_assert(same(Of::SIG.owner, "Option") && same(Of::SIG.name, "of") && same(Of::DOC.data(), "of(v)\n--\n\n"));

using New = Declared<"Some(value)", Callable::constructor>;
static_assert(same(New::SIG.owner, "Some") && same(New::SIG.name, "__new__") && same_params(New::SIG, {"value"}));
static_assert(same(New::DOC.data(), "Some(value)\n--\n\n"));

static_assert(error_of<"NothingType()"> == LineError::none);
static_assert(error_of<"take(n,seq)"> == LineError::syntax);
static_assert(error_of<"take(n, seq"> == LineError::syntax);
static_assert(error_of<"take(n, seq) "> == LineError::syntax);
static_assert(error_of<"take n"> == LineError::syntax);
static_assert(error_of<"take(n, 2x)"> == LineError::syntax);
static_assert(error_of<"take(n=)"> == LineError::syntax);
static_assert(error_of<"take(n, *)"> == LineError::syntax);
static_assert(error_of<"Cls.(n)"> == LineError::syntax);
static_assert(error_of<"Cls.f($this)"> == LineError::syntax);
static_assert(error_of<"Cls.f(a, $self)"> == LineError::self_not_first);
static_assert(error_of<"f(a=None, b)"> == LineError::required_after_default);
static_assert(error_of<"f(*a, b)"> == LineError::required_keyword_only);
static_assert(error_of<"f(*a, *b)"> == LineError::rest_twice);
static_assert(error_of<"f(**k, a=None)"> == LineError::parameter_after_kwargs);
static_assert(error_of<"f(a=0)"> == LineError::unknown_default);
static_assert(error_of<"f(a=Nonesuch)"> == LineError::unknown_default);
static_assert(error_of<"f(a, b, c, d, e, f, g, h)"> == LineError::none);
static_assert(error_of<"f(a, b, c, d, e, f, g, h, i)"> == LineError::too_many_parameters);

}  // namespace
}  // namespace brisko
