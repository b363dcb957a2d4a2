"""Type stubs for brisko._brisko, the native module behind the brisko package.

Every exported name is declared here with the most precise type the type system can express; the
limits are written next to the declarations they concern. At run time the generic classes
(`Some`, `Ok`, `Err`, `Iter`, ...) are not subscriptable: write `Some[int]` in annotations (which
Python 3.14 evaluates lazily) or in strings, not in expressions that run.
"""

from _typeshed import SupportsRichComparison, SupportsRichComparisonT
from collections.abc import Callable, Hashable, Iterable, Iterator, Mapping, MutableMapping, Sequence
from typing import (
    Any,
    ClassVar,
    Final,
    Generic,
    Literal,
    Never,
    NoReturn,
    ParamSpec,
    Protocol,
    Self,
    SupportsIndex,
    TypeAlias,
    TypeGuard,
    TypeIs,
    TypeVar,
    TypeVarTuple,
    final,
    overload,
    type_check_only,
)

from typing_extensions import disjoint_base

__all__ = [
    "Some",
    "NothingType",
    "Option",
    "Ok",
    "Err",
    "Result",
    "Nothing",
    "first_opt",
    "last_opt",
    "nth_opt",
    "get_opt",
    "get_in_opt",
    "peek_opt",
    "NativeIter",
    "count",
    "first",
    "second",
    "last",
    "nth",
    "get",
    "isdistinct",
    "frequencies",
    "topk",
    "peek",
    "take",
    "drop",
    "take_nth",
    "tail",
    "cons",
    "concat",
    "concatv",
    "interpose",
    "interleave",
    "sliding_window",
    "partition",
    "partition_all",
    "merge_sorted",
    "diff",
    "groupby",
    "countby",
    "reduceby",
    "mapcat",
    "pluck",
    "remove",
    "accumulate",
    "iterate",
    "unique",
    "join",
    "curry",
    "identity",
    "apply",
    "pipe",
    "do",
    "compose",
    "compose_left",
    "complement",
    "juxt",
    "excepts",
    "memoize",
    "thread_first",
    "thread_last",
    "flip",
    "merge",
    "merge_with",
    "assoc",
    "dissoc",
    "assoc_in",
    "update_in",
    "get_in",
    "keymap",
    "valmap",
    "itemmap",
    "keyfilter",
    "valfilter",
    "itemfilter",
    "Iter",
]

_T = TypeVar("_T")
_T_co = TypeVar("_T_co", covariant=True)
_U = TypeVar("_U")
_V = TypeVar("_V")
_V_co = TypeVar("_V_co", covariant=True)
_W = TypeVar("_W")
_K = TypeVar("_K")
_K_co = TypeVar("_K_co", covariant=True)
_K_contra = TypeVar("_K_contra", contravariant=True)
_K2 = TypeVar("_K2")
_V2 = TypeVar("_V2")
_A = TypeVar("_A")
_D = TypeVar("_D")
_E = TypeVar("_E")
_E_co = TypeVar("_E_co", covariant=True)
_F = TypeVar("_F")
_R = TypeVar("_R")
_H = TypeVar("_H", bound=Hashable)
_M = TypeVar("_M", bound=MutableMapping[Any, Any])
_X = TypeVar("_X", bound=BaseException)
_O = TypeVar("_O", bound=Option[Any])
_RO = TypeVar("_RO", bound=Result[Any, Any])
_NT = TypeVar("_NT", bound=_NamedTuple)
_TL = TypeVar("_TL")
_TR = TypeVar("_TR")
_DL = TypeVar("_DL")
_DR = TypeVar("_DR")
_P = ParamSpec("_P")
# Positional parameters of curried functions. Bound to Any so that a lambda's unannotated
# parameters, typed from them, accept any operation (as unannotated parameters do) instead of only
# those of object.
_A1 = TypeVar("_A1", bound=Any)
_A2 = TypeVar("_A2", bound=Any)
_A3 = TypeVar("_A3", bound=Any)
_A4 = TypeVar("_A4", bound=Any)
_A1_contra = TypeVar("_A1_contra", contravariant=True)
_A2_contra = TypeVar("_A2_contra", contravariant=True)
_A3_contra = TypeVar("_A3_contra", contravariant=True)
_A4_contra = TypeVar("_A4_contra", contravariant=True)
_R_co = TypeVar("_R_co", covariant=True)
# The stages of the pipelines.
_T0 = TypeVar("_T0")
_T1 = TypeVar("_T1")
_T2 = TypeVar("_T2")
_T3 = TypeVar("_T3")
_T4 = TypeVar("_T4")
_T5 = TypeVar("_T5")
_T6 = TypeVar("_T6")
_T7 = TypeVar("_T7")
_T8 = TypeVar("_T8")
_X1a = TypeVar("_X1a"); _X1b = TypeVar("_X1b"); _X1c = TypeVar("_X1c")
_X2a = TypeVar("_X2a"); _X2b = TypeVar("_X2b"); _X2c = TypeVar("_X2c")
_X3a = TypeVar("_X3a"); _X3b = TypeVar("_X3b"); _X3c = TypeVar("_X3c")
_X4a = TypeVar("_X4a"); _X4b = TypeVar("_X4b"); _X4c = TypeVar("_X4c")
_X5a = TypeVar("_X5a"); _X5b = TypeVar("_X5b"); _X5c = TypeVar("_X5c")
_X6a = TypeVar("_X6a"); _X6b = TypeVar("_X6b"); _X6c = TypeVar("_X6c")
_X7a = TypeVar("_X7a"); _X7b = TypeVar("_X7b"); _X7c = TypeVar("_X7c")
_X8a = TypeVar("_X8a"); _X8b = TypeVar("_X8b"); _X8c = TypeVar("_X8c")
# The items of a tuple before and after the one a literal index selects.
_I0 = TypeVar("_I0"); _I1 = TypeVar("_I1"); _I2 = TypeVar("_I2"); _I3 = TypeVar("_I3")
_I4 = TypeVar("_I4"); _I5 = TypeVar("_I5"); _I6 = TypeVar("_I6")
_Ts = TypeVarTuple("_Ts")

# A key given as an index or a list of indices selects from each element something whose type
# depends on the element's own type, which no signature can name: such keys give `Any` key values
# (but see below for literal indices into tuples). They are typed `int | str | list` rather than
# any hashable, so that a key function of the wrong type is still reported (other index types work
# at run time; pass a lambda to have them typed).
_KeySpec: TypeAlias = int | str | list[Any]

# A literal index 0..7 into tuples has overloads of its own, which give the item's own type (to a
# protocol's `__getitem__`, a tuple's returns the union of its items). Grouping by one matches each
# row as a whole tuple, so that the keys have that item's type and the groups hold the rows; that
# would turn a NamedTuple into a plain tuple, so an overload before those keeps NamedTuples whole,
# with `Any` keys. pyright keeps the literal types of tuples written out in the call
# (`countby(0, [("a", 1)])` has `Literal["a"]` keys), as it does wherever a parameter's tuples hold
# type variables: name the list first, or annotate the result.

# A thread_first/thread_last form: a callable, or a tuple of a callable and up to three extra
# arguments, which go after (thread_first) or before (thread_last) the threaded value.
_FirstForm: TypeAlias = (
    Callable[[_T], _U]
    | tuple[Callable[[_T], _U]]
    | tuple[Callable[[_T, _X1a], _U], _X1a]
    | tuple[Callable[[_T, _X1a, _X1b], _U], _X1a, _X1b]
    | tuple[Callable[[_T, _X1a, _X1b, _X1c], _U], _X1a, _X1b, _X1c]
)
_LastForm: TypeAlias = (
    Callable[[_T], _U]
    | tuple[Callable[[_T], _U]]
    | tuple[Callable[[_X1a, _T], _U], _X1a]
    | tuple[Callable[[_X1a, _X1b, _T], _U], _X1a, _X1b]
    | tuple[Callable[[_X1a, _X1b, _X1c, _T], _U], _X1a, _X1b, _X1c]
)

@type_check_only
class _Indexable(Protocol[_K_contra, _V_co]):
    def __getitem__(self, key: _K_contra, /) -> _V_co: ...

@type_check_only
class _NamedTuple(Protocol):
    def _asdict(self) -> dict[str, Any]: ...

@type_check_only
class _SupportsItems(Protocol[_K_co, _V_co]):
    def items(self) -> Iterable[tuple[_K_co, _V_co]]: ...

# ---------------------------------------------------------------- Option and Result values
#
# At run time `Option` and `Result` are namespace classes whose one member is the static
# constructor `of`, and the variants derive from nothing. For a type checker `Option[T]` is a
# protocol that `Some[T]` and `NothingType` derive from (and `Result[T, E]` one that `Ok[T]` and
# `Err[E]` derive from): it offers the methods the variants share (from a checker-only base, as the
# namespace class has none of them), and deriving from it lets a checker solve `case Some(x)`
# against an `Option[T]` as `x: T` (pyright does; mypy binds `x: Any`). Limits:
# - Type checkers cannot close a protocol: a `match` over a value annotated `Option[T]` is not
#   exhaustive. Every function here returns the closed union `Some[T] | NothingType`
#   (`Ok[T] | Err[E]`), on which matches narrow fully and are exhaustive; annotate with that union
#   where a value is matched.
# - `isinstance(x, Option)` is False at run time for every value, so checkers reject it.
# - The variants inherit `of` for a checker: `Some.of(x)` type-checks, though only `Option.of`
#   exists.
#
# A variant that never calls a method's function (`Err.map`, `NothingType.filter`, ...) still types
# it as a function of one argument, `Callable[[Never], object]`, which every such function is: on
# a union such as `Ok[T] | Err[E]` a checker types a lambda against each variant in turn, and a
# bare `object` there would leave its parameters unknown, where `Never` gives that dead branch
# nothing to report.

@type_check_only
class _OptionMethods(Protocol[_T_co]):
    def map(self, f: Callable[[_T_co], _U]) -> Some[_U] | NothingType: ...
    def and_then(self, f: Callable[[_T_co], _O]) -> _O | NothingType: ...
    def filter(self, pred: Callable[[_T_co], object]) -> Some[_T_co] | NothingType: ...
    def unwrap(self) -> _T_co: ...
    def unwrap_or(self, default: _U) -> _T_co | _U: ...
    def unwrap_or_else(self, f: Callable[[], _U]) -> _T_co | _U: ...
    def ok_or(self, err: _E) -> Ok[_T_co] | Err[_E]: ...
    def is_some(self) -> bool: ...
    def is_none(self) -> bool: ...
    def __bool__(self) -> bool: ...

class Option(_OptionMethods[_T_co], Protocol[_T_co]):
    """An optional value: a Some[T] or a NothingType. `Option.of(v)` makes one from a maybe-None v."""
    @staticmethod
    def of(v: _T | None) -> Some[_T] | NothingType:
        """Returns a new `NothingType` when `v` is `None`, else `Some(v)`. `Option` itself has no constructor.

        >>> Option.of({"a": 1}.get("a")), Option.of({"a": 1}.get("b"))
        (Some(1), Nothing)
        """

@final
class Some(Option[_T_co]):
    """A present value. Its methods: `map(f)` gives `Some(f(value))`; `and_then(f)` gives what `f(value)` returns, which
    must be a `Some` or a `NothingType` (else `TypeError`); `filter(pred)` gives a new `Some(value)` or a `NothingType`;
    `unwrap()`, `unwrap_or(default)` and `unwrap_or_else(f)` give `value`; `ok_or(err)` gives `Ok(value)`; `is_some()`
    is `True`, `is_none()` is `False`, and a `Some` is always true, whatever it holds.

    >>> Some(3).map(lambda x: x + 1)
    Some(4)
    >>> Some(3).filter(lambda x: x > 5)
    Nothing
    >>> Some(0).unwrap_or(7), bool(Some(0))
    (0, True)
    >>> for option in Some(5), first_opt([]):
    ...     match option:
    ...         case Some(x):
    ...             print("got", x)
    ...         case NothingType():
    ...             print("nothing")
    got 5
    nothing
    """

    __match_args__ = ("value",)
    __hash__: ClassVar[None]  # type: ignore[assignment]
    def __new__(cls, value: _T_co) -> Some[_T_co]: ...
    @property
    def value(self) -> _T_co:
        """The wrapped object."""
    def map(self, f: Callable[[_T_co], _U]) -> Some[_U]:
        """A new Some(f(value))."""
    def and_then(self, f: Callable[[_T_co], _O]) -> _O:
        """What f(value) returns, which must be a Some or a NothingType (else TypeError)."""
    def filter(self, pred: Callable[[_T_co], object]) -> Some[_T_co] | NothingType:
        """A new Some(value) if pred(value) is true, else a new NothingType."""
    def unwrap(self) -> _T_co:
        """The wrapped value."""
    def unwrap_or(self, default: object) -> _T_co:
        """The wrapped value; `default` is ignored."""
    def unwrap_or_else(self, f: Callable[[], object]) -> _T_co:
        """The wrapped value; `f` is not called."""
    def ok_or(self, err: object) -> Ok[_T_co]:
        """A new Ok(value)."""
    def is_some(self) -> Literal[True]:
        """True."""
    def is_none(self) -> Literal[False]:
        """False."""
    def __bool__(self) -> Literal[True]: ...

@final
class NothingType(Option[Never]):
    """An absent value. `map`, `and_then` and `filter` give a new `NothingType` without calling their argument;
    `unwrap()` raises `ValueError`; `unwrap_or(default)` gives `default` and `unwrap_or_else(f)` gives `f()`;
    `ok_or(err)` gives `Err(err)`; `is_some()` is `False`, `is_none()` is `True`, and every instance is false and equal
    to every other.

    >>> NothingType().unwrap_or(7)
    7
    >>> NothingType().ok_or("missing")
    Err('missing')
    >>> NothingType().unwrap()
    Traceback (most recent call last):
      ...
    ValueError: called `unwrap` on Nothing
    """

    __hash__: ClassVar[None]  # type: ignore[assignment]
    def __new__(cls) -> Self: ...
    def map(self, f: Callable[[Never], object]) -> NothingType:
        """A new NothingType; `f` is not called."""
    def and_then(self, f: Callable[[Never], object]) -> NothingType:
        """A new NothingType; `f` is not called."""
    def filter(self, pred: Callable[[Never], object]) -> NothingType:
        """A new NothingType; `pred` is not called."""
    def unwrap(self) -> NoReturn:
        """Raises ValueError."""
    def unwrap_or(self, default: _U) -> _U:
        """`default` itself."""
    def unwrap_or_else(self, f: Callable[[], _U]) -> _U:
        """What f() returns."""
    def ok_or(self, err: _E) -> Err[_E]:
        """A new Err(err)."""
    def is_some(self) -> Literal[False]:
        """False."""
    def is_none(self) -> Literal[True]:
        """True."""
    def __bool__(self) -> Literal[False]: ...

Nothing: Final[NothingType]
"""A ready-made `NothingType` instance. Operations make new instances, so test with `==` (or `is_none()`), not `is`; in
a `match`, write `case NothingType():` or the dotted `case brisko.Nothing:` (compared with `==`), never a bare `case
Nothing:`.

>>> first_opt([]) == Nothing, first_opt([]) is Nothing
(True, False)
>>> import brisko
>>> match last_opt([]):
...     case brisko.Nothing:
...         print("empty")
empty
"""

@type_check_only
class _ResultMethods(Protocol[_T_co, _E_co]):
    def map(self, f: Callable[[_T_co], _U]) -> Ok[_U] | Err[_E_co]: ...
    def map_err(self, f: Callable[[_E_co], _F]) -> Ok[_T_co] | Err[_F]: ...
    def and_then(self, f: Callable[[_T_co], _RO]) -> _RO | Err[_E_co]: ...
    def unwrap(self) -> _T_co: ...
    def unwrap_or(self, default: _U) -> _T_co | _U: ...
    def ok(self) -> Some[_T_co] | NothingType: ...
    def err(self) -> Some[_E_co] | NothingType: ...
    def is_ok(self) -> bool: ...
    def is_err(self) -> bool: ...
    def __bool__(self) -> bool: ...

class Result(_ResultMethods[_T_co, _E_co], Protocol[_T_co, _E_co]):
    """An outcome: an Ok[T] or an Err[E]. `Result.of(f)` runs f and captures what it raises."""
    @staticmethod
    def of(f: Callable[[], _T]) -> Ok[_T] | Err[Exception]:
        """Returns `Ok(f())`, or `Err(exception)` when `f()` raises an `Exception` (an exception that only derives from
        `BaseException`, such as `KeyboardInterrupt`, propagates). `Result` itself has no constructor.

        >>> Result.of(lambda: 10 // 2)
        Ok(5)
        >>> match Result.of(lambda: int("ten")):
        ...     case Ok(v):
        ...         print("value", v)
        ...     case Err(e):
        ...         print("failed:", e)
        failed: invalid literal for int() with base 10: 'ten'
        """

@final
class Ok(Result[_T_co, Never]):
    """A success. `map(f)` gives `Ok(f(value))`; `map_err(f)` gives a new `Ok` with the same value; `and_then(f)` gives
    what `f(value)` returns, which must be an `Ok` or an `Err` (else `TypeError`); `unwrap()` and `unwrap_or(default)`
    give `value`; `ok()` gives `Some(value)` and `err()` a `NothingType`; `is_ok()` is `True`, `is_err()` is `False`,
    and an `Ok` is always true.

    >>> Ok(2).map(lambda x: x * 10)
    Ok(20)
    >>> Ok(2).and_then(lambda x: Err("odd") if x % 2 else Ok(x // 2))
    Ok(1)
    >>> Ok(2).ok()
    Some(2)
    """

    __match_args__ = ("value",)
    __hash__: ClassVar[None]  # type: ignore[assignment]
    def __new__(cls, value: _T_co) -> Ok[_T_co]: ...
    @property
    def value(self) -> _T_co:
        """The success value."""
    def map(self, f: Callable[[_T_co], _U]) -> Ok[_U]:
        """A new Ok(f(value))."""
    def map_err(self, f: Callable[[Never], object]) -> Ok[_T_co]:
        """A new Ok holding the same value; `f` is not called."""
    def and_then(self, f: Callable[[_T_co], _RO]) -> _RO:
        """What f(value) returns, which must be an Ok or an Err (else TypeError)."""
    def unwrap(self) -> _T_co:
        """The success value."""
    def unwrap_or(self, default: object) -> _T_co:
        """The success value; `default` is ignored."""
    def ok(self) -> Some[_T_co]:
        """A new Some(value)."""
    def err(self) -> NothingType:
        """A new NothingType."""
    def is_ok(self) -> Literal[True]:
        """True."""
    def is_err(self) -> Literal[False]:
        """False."""
    def __bool__(self) -> Literal[True]: ...

@final
class Err(Result[Never, _E_co]):
    """A failure. `map(f)` and `and_then(f)` give a new `Err` with the same error; `map_err(f)` gives `Err(f(error))`;
    `unwrap()` raises `ValueError` naming the error; `unwrap_or(default)` gives `default`; `ok()` gives a `NothingType`
    and `err()` gives `Some(error)`; `is_ok()` is `False`, `is_err()` is `True`, and an `Err` is always false.

    >>> Err("boom").map_err(str.upper)
    Err('BOOM')
    >>> Err("boom").unwrap_or(0)
    0
    >>> Err(KeyError("k")).unwrap()
    Traceback (most recent call last):
      ...
    ValueError: called `unwrap` on Err(KeyError('k'))
    """

    __match_args__ = ("error",)
    __hash__: ClassVar[None]  # type: ignore[assignment]
    def __new__(cls, error: _E_co) -> Err[_E_co]: ...
    @property
    def error(self) -> _E_co:
        """The error value."""
    def map(self, f: Callable[[Never], object]) -> Err[_E_co]:
        """A new Err holding the same error; `f` is not called."""
    def map_err(self, f: Callable[[_E_co], _F]) -> Err[_F]:
        """A new Err(f(error))."""
    def and_then(self, f: Callable[[Never], object]) -> Err[_E_co]:
        """A new Err holding the same error; `f` is not called."""
    def unwrap(self) -> NoReturn:
        """Raises ValueError naming the error."""
    def unwrap_or(self, default: _U) -> _U:
        """`default` itself."""
    def ok(self) -> NothingType:
        """A new NothingType."""
    def err(self) -> Some[_E_co]:
        """A new Some(error)."""
    def is_ok(self) -> Literal[False]:
        """False."""
    def is_err(self) -> Literal[True]:
        """True."""
    def __bool__(self) -> Literal[False]: ...

def first_opt(seq: Iterable[_T]) -> Some[_T] | NothingType:
    """Returns `Some(first element)`, or a `NothingType` for an empty input.

    >>> first_opt([4, 5]), first_opt([])
    (Some(4), Nothing)
    """

def last_opt(seq: Iterable[_T]) -> Some[_T] | NothingType:
    """Returns `Some(last element)`, or a `NothingType` for an empty input; it consumes the input.

    >>> last_opt("abc")
    Some('c')
    """

def nth_opt(n: SupportsIndex, seq: Iterable[_T]) -> Some[_T] | NothingType:
    """Returns `Some(element at position n)`, or a `NothingType` when the input is shorter; there is no negative
    indexing.

    >>> nth_opt(2, [10, 20, 30]), nth_opt(3, [10, 20, 30])
    (Some(30), Nothing)
    """

# BEGIN GENERATED get_opt (tools/stub.py)
@overload
def get_opt(ind: Literal[0], coll: tuple[_V, *tuple[Any, ...]] | None) -> Some[_V] | NothingType:
    """Returns `Some(coll[ind])`, or a `NothingType` when the lookup raises `KeyError`, `IndexError` or `TypeError`;
    other exceptions propagate.

    >>> get_opt("a", {"a": 1}), get_opt(5, [1]), get_opt(-1, [1, 2])
    (Some(1), Nothing, Some(2))
    """
@overload
def get_opt(ind: Literal[1], coll: tuple[Any, _V, *tuple[Any, ...]] | None) -> Some[_V] | NothingType: ...
@overload
def get_opt(ind: Literal[2], coll: tuple[Any, Any, _V, *tuple[Any, ...]] | None) -> Some[_V] | NothingType: ...
@overload
def get_opt(ind: Literal[3], coll: tuple[Any, Any, Any, _V, *tuple[Any, ...]] | None) -> Some[_V] | NothingType: ...
@overload
def get_opt(ind: Literal[4], coll: tuple[Any, Any, Any, Any, _V, *tuple[Any, ...]] | None) -> Some[_V] | NothingType: ...
@overload
def get_opt(ind: Literal[5], coll: tuple[Any, Any, Any, Any, Any, _V, *tuple[Any, ...]] | None) -> Some[_V] | NothingType: ...
@overload
def get_opt(ind: Literal[6], coll: tuple[Any, Any, Any, Any, Any, Any, _V, *tuple[Any, ...]] | None) -> Some[_V] | NothingType: ...
@overload
def get_opt(ind: Literal[7], coll: tuple[Any, Any, Any, Any, Any, Any, Any, _V, *tuple[Any, ...]] | None) -> Some[_V] | NothingType: ...
@overload
def get_opt(ind: _K, coll: _Indexable[_K, _V] | None) -> Some[_V] | NothingType: ...
# END GENERATED get_opt

def get_in_opt(coll: Any, *keys: Any) -> Some[Any] | NothingType:
    """Returns `Some(coll[k1][k2]...)`, or a `NothingType` when a lookup raises `KeyError`, `IndexError` or `TypeError`.

    >>> get_in_opt({"a": [1, 2]}, "a", 1), get_in_opt({"a": [1, 2]}, "a", 5)
    (Some(2), Nothing)
    """

def peek_opt(seq: Iterable[_T]) -> Some[tuple[_T, Iterator[_T]]] | NothingType:
    """Returns `Some((first element, iterator over every element))`, or a `NothingType` for an empty input.

    >>> match peek_opt(iter("xyz")):
    ...     case Some((head, everything)):
    ...         print(head, list(everything))
    ...     case NothingType():
    ...         print("empty")
    x ['x', 'y', 'z']
    """

# ---------------------------------------------------------------- sequence and iterator tools

@final
class NativeIter(Iterator[_T_co]):
    """The class of the iterators most lazy tools return (`remove`, `iterate`, `accumulate`, ...). It has no
    constructor: `NativeIter()` raises `TypeError`. Calling `next()` on one from inside a callable it is running raises
    `ValueError` "iterator already executing".

    >>> type(remove(bool, [])) is NativeIter
    True
    """

    def __iter__(self) -> Self: ...
    def __next__(self) -> _T_co: ...

def count(seq: Iterable[object]) -> int:
    """Returns the number of elements, consuming an iterator (lists are iterated too).

    >>> count(x for x in "abc" if x != "b")
    2
    """

def first(seq: Iterable[_T]) -> _T:
    """Returns the first element of `seq`; raises `StopIteration` when `seq` is empty.

    >>> first([10, 20, 30])
    10
    >>> first([])
    Traceback (most recent call last):
      ...
    StopIteration
    """

def second(seq: Iterable[_T]) -> _T:
    """Returns the second element; raises `StopIteration` when `seq` has fewer than two.

    >>> second("abc")
    'b'
    """

def last(seq: Iterable[_T]) -> _T:
    """Returns the last element; raises `IndexError` when `seq` is empty.

    >>> last("abc")
    'c'
    >>> last(x for x in range(4))
    3
    """

def nth(n: SupportsIndex, seq: Iterable[_T]) -> _T:
    """Returns `seq[n]` for a sequence (so a negative `n` counts from the end, and an index out of range raises the
    sequence's `IndexError`) and otherwise the element at position `n` of the iteration; raises `StopIteration` when an
    iterator is shorter, and `ValueError` for a negative `n` on one.

    >>> nth(1, "abc")
    'b'
    >>> nth(-1, [1, 2, 3])
    3
    >>> nth(2, iter([10, 20, 30]))
    30
    """

@overload
def get(ind: list[_K], coll: _Indexable[_K, _V]) -> tuple[_V, ...]:
    """Returns `coll[ind]`, or for a list `ind` the tuple of `coll[i]`; with a `default`, a lookup that raises
    `KeyError`, `IndexError` or `TypeError` gives the default instead, and without one the error propagates.

    >>> get(1, ["a", "b", "c"])
    'b'
    >>> get("x", {"x": 1, "y": 2})
    1
    >>> get([0, 5], [10], "d")
    (10, 'd')
    >>> get(5, [10], None) is None
    True
    >>> get(5, [10])
    Traceback (most recent call last):
      ...
    IndexError: list index out of range
    """
@overload
def get(ind: list[_K], coll: _Indexable[_K, _V] | None, default: _D) -> tuple[_V | _D, ...]: ...
# BEGIN GENERATED get (tools/stub.py)
@overload
def get(ind: Literal[0], coll: tuple[_V, *tuple[Any, ...]]) -> _V: ...
@overload
def get(ind: Literal[0], coll: tuple[_V, *tuple[Any, ...]] | None, default: _D) -> _V | _D: ...
@overload
def get(ind: Literal[1], coll: tuple[Any, _V, *tuple[Any, ...]]) -> _V: ...
@overload
def get(ind: Literal[1], coll: tuple[Any, _V, *tuple[Any, ...]] | None, default: _D) -> _V | _D: ...
@overload
def get(ind: Literal[2], coll: tuple[Any, Any, _V, *tuple[Any, ...]]) -> _V: ...
@overload
def get(ind: Literal[2], coll: tuple[Any, Any, _V, *tuple[Any, ...]] | None, default: _D) -> _V | _D: ...
@overload
def get(ind: Literal[3], coll: tuple[Any, Any, Any, _V, *tuple[Any, ...]]) -> _V: ...
@overload
def get(ind: Literal[3], coll: tuple[Any, Any, Any, _V, *tuple[Any, ...]] | None, default: _D) -> _V | _D: ...
@overload
def get(ind: Literal[4], coll: tuple[Any, Any, Any, Any, _V, *tuple[Any, ...]]) -> _V: ...
@overload
def get(ind: Literal[4], coll: tuple[Any, Any, Any, Any, _V, *tuple[Any, ...]] | None, default: _D) -> _V | _D: ...
@overload
def get(ind: Literal[5], coll: tuple[Any, Any, Any, Any, Any, _V, *tuple[Any, ...]]) -> _V: ...
@overload
def get(ind: Literal[5], coll: tuple[Any, Any, Any, Any, Any, _V, *tuple[Any, ...]] | None, default: _D) -> _V | _D: ...
@overload
def get(ind: Literal[6], coll: tuple[Any, Any, Any, Any, Any, Any, _V, *tuple[Any, ...]]) -> _V: ...
@overload
def get(ind: Literal[6], coll: tuple[Any, Any, Any, Any, Any, Any, _V, *tuple[Any, ...]] | None, default: _D) -> _V | _D: ...
@overload
def get(ind: Literal[7], coll: tuple[Any, Any, Any, Any, Any, Any, Any, _V, *tuple[Any, ...]]) -> _V: ...
@overload
def get(ind: Literal[7], coll: tuple[Any, Any, Any, Any, Any, Any, Any, _V, *tuple[Any, ...]] | None, default: _D) -> _V | _D: ...
# END GENERATED get
@overload
def get(ind: _K, coll: _Indexable[_K, _V]) -> _V: ...
@overload
def get(ind: _K, coll: _Indexable[_K, _V] | None, default: _D) -> _V | _D: ...

def isdistinct(seq: Iterable[Hashable]) -> bool:
    """Returns whether no two elements are equal, stopping at the first repeat; an unhashable element raises
    `TypeError`.

    >>> isdistinct([1, 2, 3]), isdistinct("aba")
    (True, False)
    """

def frequencies(seq: Iterable[_H]) -> dict[_H, int]:
    """Returns a dict mapping each distinct element to its number of occurrences, in first-appearance order; an
    unhashable element raises `TypeError`. An int64 buffer is counted natively, as `unique` scans one (and with the same
    result for a buffer written meanwhile), with the interpreter lock released: threads counting their own buffers run
    at once, each on its own core.

    >>> frequencies("abca")
    {'a': 2, 'b': 1, 'c': 1}
    >>> frequencies([1, 1.0, True])
    {1: 3}
    """

@overload
def topk(k: SupportsIndex, seq: Iterable[SupportsRichComparisonT], key: None = None) -> tuple[SupportsRichComparisonT, ...]:
    """Returns a tuple of the `k` largest elements (by `key` when given), largest first, equal ones in input order.

    >>> topk(2, [1, 5, 3, 5])
    (5, 5)
    >>> topk(2, ["bb", "a", "cc"], key=len)
    ('bb', 'cc')
    """
@overload
def topk(k: SupportsIndex, seq: Iterable[_T], key: Callable[[_T], SupportsRichComparison]) -> tuple[_T, ...]: ...
@overload
def topk(k: SupportsIndex, seq: Iterable[_T], key: _KeySpec) -> tuple[_T, ...]: ...

def peek(seq: Iterable[_T]) -> tuple[_T, Iterator[_T]]:
    """Returns the tuple of the first element and an iterator that yields every element, that one included; raises
    `StopIteration` when `seq` is empty.

    >>> head, everything = peek(iter([1, 2, 3]))
    >>> head, list(everything)
    (1, [1, 2, 3])
    """

def take(n: int, seq: Iterable[_T]) -> Iterator[_T]:
    """Returns a lazy iterator over the first `n` elements (`itertools.islice(seq, n)`).

    >>> list(take(2, [10, 20, 30]))
    [10, 20]
    """

def drop(n: int, seq: Iterable[_T]) -> Iterator[_T]:
    """Returns a lazy iterator over the elements after the first `n`.

    >>> list(drop(2, [10, 20, 30]))
    [30]
    """

def take_nth(n: int, seq: Iterable[_T]) -> Iterator[_T]:
    """Returns a lazy iterator over every `n`-th element, starting with the first.

    >>> list(take_nth(2, range(7)))
    [0, 2, 4, 6]
    """

# A sliceable input gives its own slice; anything else gives a tuple. For an input known only as
# an Iterable the checker cannot tell which, hence Sequence.
@overload
def tail(n: SupportsIndex, seq: list[_T]) -> list[_T]:
    """Returns the last `n` elements: `seq[-n:]` when `seq` can be sliced (a list for a list, a string for a string),
    otherwise a tuple; `tail(0, seq)` is empty.

    >>> tail(2, [1, 2, 3])
    [2, 3]
    >>> tail(2, iter([1, 2, 3]))
    (2, 3)
    """
@overload
def tail(n: SupportsIndex, seq: tuple[_T, ...]) -> tuple[_T, ...]: ...
@overload
def tail(n: SupportsIndex, seq: str) -> str: ...
@overload
def tail(n: SupportsIndex, seq: Iterator[_T]) -> tuple[_T, ...]: ...
@overload
def tail(n: SupportsIndex, seq: Iterable[_T]) -> Sequence[_T]: ...

def cons(el: _U, seq: Iterable[_T]) -> Iterator[_T | _U]:
    """Returns a lazy iterator over `el` followed by the elements of `seq`.

    >>> list(cons(0, [1, 2]))
    [0, 1, 2]
    """

def concat(seqs: Iterable[Iterable[_T]]) -> Iterator[_T]:
    """Returns a lazy iterator over the elements of each iterable in `seqs` in turn.

    >>> list(concat([[1, 2], [], (3,)]))
    [1, 2, 3]
    """

def concatv(*seqs: Iterable[_T]) -> Iterator[_T]:
    """Returns a lazy iterator over the elements of each argument in turn.

    >>> list(concatv([1], "ab"))
    [1, 'a', 'b']
    """

def interpose(el: _U, seq: Iterable[_T]) -> Iterator[_T | _U]:
    """Returns an iterator over the elements of `seq` with `el` between each two; the first element is taken from `seq`
    at the call. An empty `seq` gives an empty iterator.

    >>> list(interpose(0, [1, 2, 3]))
    [1, 0, 2, 0, 3]
    >>> list(interpose(0, []))
    []
    """

def interleave(seqs: Iterable[Iterable[_T]]) -> Iterator[_T]:
    """Returns a lazy iterator taking one element from each iterable in turn, dropping the ones that run out; raises
    `TypeError` at the call when an item of `seqs` is not iterable.

    >>> list(interleave([[1, 2, 3], "ab", []]))
    [1, 'a', 2, 'b', 3]
    """

def sliding_window(n: SupportsIndex, seq: Iterable[_T]) -> Iterator[tuple[_T, ...]]:
    """Returns an iterator over the overlapping `n`-tuples of `seq`, having taken its first `n - 1` elements at the
    call; `n` below 1 raises `ValueError` (see "Counts").

    >>> list(sliding_window(2, [1, 2, 3]))
    [(1, 2), (2, 3)]
    >>> list(sliding_window(4, [1, 2, 3]))
    []
    """

@overload
def partition(n: SupportsIndex, seq: Iterable[_T]) -> Iterator[tuple[_T, ...]]:
    """Returns a lazy iterator over tuples of exactly `n` elements: a short final group is dropped, or padded with the
    pad value when one is given; `n` below 1 raises `ValueError` (see "Counts").

    >>> list(partition(2, [1, 2, 3]))
    [(1, 2)]
    >>> list(partition(2, [1, 2, 3], None))
    [(1, 2), (3, None)]
    """
@overload
def partition(n: SupportsIndex, seq: Iterable[_T], pad: _U) -> Iterator[tuple[_T | _U, ...]]: ...

def partition_all(n: SupportsIndex, seq: Iterable[_T]) -> Iterator[tuple[_T, ...]]:
    """Returns a lazy iterator over tuples of `n` elements, the last one possibly shorter; `n` below 1 raises
    `ValueError` (see "Counts").

    >>> list(partition_all(2, [1, 2, 3]))
    [(1, 2), (3,)]
    """

@overload
def merge_sorted(*seqs: Iterable[SupportsRichComparisonT], key: None = None) -> Iterator[SupportsRichComparisonT]:
    """Returns a lazy iterator merging inputs that are each sorted (by `key` when given) into one sorted stream, as
    `heapq.merge` does.

    >>> list(merge_sorted([1, 4], [2, 3]))
    [1, 2, 3, 4]
    >>> list(merge_sorted(["bb", "dddd"], ["a", "ccc"], key=len))
    ['a', 'bb', 'ccc', 'dddd']
    """
@overload
def merge_sorted(*seqs: Iterable[_T], key: Callable[[_T], SupportsRichComparison]) -> Iterator[_T]: ...

# A single list argument is the list of sequences. `default` fills exhausted inputs (None is a
# fill value too); other keywords are accepted and ignored.
@overload
def diff(seqs: list[Iterable[_T]], /, *, key: Callable[[_T], object] | None = None) -> Iterator[tuple[_T, ...]]:
    """Returns a lazy iterator over the tuples of parallel elements that are not all equal (compared by `key(element)`
    with `key=`), stopping at the shortest input unless `default=` fills the exhausted ones; a single list argument is
    the list of sequences; fewer than two sequences raise `TypeError`.

    >>> list(diff([1, 2, 3], [1, 2, 10]))
    [(3, 10)]
    >>> list(diff([1, 2], [1], default=None))
    [(2, None)]
    >>> list(diff(["a", "b"], ["A", "c"], key=str.lower))
    [('b', 'c')]
    """
@overload
def diff(
    seqs: list[Iterable[_T]], /, *, default: _D, key: Callable[[_T | _D], object] | None = None
) -> Iterator[tuple[_T | _D, ...]]: ...
@overload
def diff(*seqs: Iterable[_T], key: Callable[[_T], object] | None = None) -> Iterator[tuple[_T, ...]]: ...
@overload
def diff(*seqs: Iterable[_T], default: _D, key: Callable[[_T | _D], object] | None = None) -> Iterator[tuple[_T | _D, ...]]: ...

@overload
def groupby(key: Callable[[_T], _H], seq: Iterable[_T]) -> dict[_H, list[_T]]:
    """Returns a dict mapping each key value to the list of elements with that key, keys in first-appearance order; an
    unhashable key value raises `TypeError`.

    >>> groupby(len, ["a", "bb", "c"])
    {1: ['a', 'c'], 2: ['bb']}
    >>> groupby(0, ["ab", "ac", "b"])
    {'a': ['ab', 'ac'], 'b': ['b']}
    """
@overload
def groupby(key: int, seq: Iterable[_NT]) -> dict[Any, list[_NT]]: ...
# BEGIN GENERATED groupby (tools/stub.py)
@overload
def groupby(key: Literal[0], seq: Iterable[tuple[_H, *_Ts]]) -> dict[_H, list[tuple[_H, *_Ts]]]: ...
@overload
def groupby(key: Literal[1], seq: Iterable[tuple[_I0, _H, *_Ts]]) -> dict[_H, list[tuple[_I0, _H, *_Ts]]]: ...
@overload
def groupby(key: Literal[2], seq: Iterable[tuple[_I0, _I1, _H, *_Ts]]) -> dict[_H, list[tuple[_I0, _I1, _H, *_Ts]]]: ...
@overload
def groupby(key: Literal[3], seq: Iterable[tuple[_I0, _I1, _I2, _H, *_Ts]]) -> dict[_H, list[tuple[_I0, _I1, _I2, _H, *_Ts]]]: ...
@overload
def groupby(key: Literal[4], seq: Iterable[tuple[_I0, _I1, _I2, _I3, _H, *_Ts]]) -> dict[_H, list[tuple[_I0, _I1, _I2, _I3, _H, *_Ts]]]: ...
@overload
def groupby(key: Literal[5], seq: Iterable[tuple[_I0, _I1, _I2, _I3, _I4, _H, *_Ts]]) -> dict[_H, list[tuple[_I0, _I1, _I2, _I3, _I4, _H, *_Ts]]]: ...
@overload
def groupby(key: Literal[6], seq: Iterable[tuple[_I0, _I1, _I2, _I3, _I4, _I5, _H, *_Ts]]) -> dict[_H, list[tuple[_I0, _I1, _I2, _I3, _I4, _I5, _H, *_Ts]]]: ...
@overload
def groupby(key: Literal[7], seq: Iterable[tuple[_I0, _I1, _I2, _I3, _I4, _I5, _I6, _H, *_Ts]]) -> dict[_H, list[tuple[_I0, _I1, _I2, _I3, _I4, _I5, _I6, _H, *_Ts]]]: ...
# END GENERATED groupby
@overload
def groupby(key: _KeySpec, seq: Iterable[_T]) -> dict[Any, list[_T]]: ...

@overload
def countby(key: Callable[[_T], _H], seq: Iterable[_T]) -> dict[_H, int]:
    """Returns a dict mapping each key value to the number of elements with that key.

    >>> countby(len, ["a", "bb", "c"])
    {1: 2, 2: 1}
    """
# BEGIN GENERATED countby (tools/stub.py)
@overload
def countby(key: Literal[0], seq: Iterable[tuple[_H, *tuple[Any, ...]]]) -> dict[_H, int]: ...
@overload
def countby(key: Literal[1], seq: Iterable[tuple[Any, _H, *tuple[Any, ...]]]) -> dict[_H, int]: ...
@overload
def countby(key: Literal[2], seq: Iterable[tuple[Any, Any, _H, *tuple[Any, ...]]]) -> dict[_H, int]: ...
@overload
def countby(key: Literal[3], seq: Iterable[tuple[Any, Any, Any, _H, *tuple[Any, ...]]]) -> dict[_H, int]: ...
@overload
def countby(key: Literal[4], seq: Iterable[tuple[Any, Any, Any, Any, _H, *tuple[Any, ...]]]) -> dict[_H, int]: ...
@overload
def countby(key: Literal[5], seq: Iterable[tuple[Any, Any, Any, Any, Any, _H, *tuple[Any, ...]]]) -> dict[_H, int]: ...
@overload
def countby(key: Literal[6], seq: Iterable[tuple[Any, Any, Any, Any, Any, Any, _H, *tuple[Any, ...]]]) -> dict[_H, int]: ...
@overload
def countby(key: Literal[7], seq: Iterable[tuple[Any, Any, Any, Any, Any, Any, Any, _H, *tuple[Any, ...]]]) -> dict[_H, int]: ...
# END GENERATED countby
@overload
def countby(key: _KeySpec, seq: Iterable[_T]) -> dict[Any, int]: ...

# A callable initial value is called once per key for a fresh start (list, dict, set, ...). With
# an initial value, every key's value is binop's result, typed apart from the initial value so that
# `init=0` with a binop returning float gives floats, and `init=[]` takes its type from binop.
@overload
def reduceby(key: Callable[[_T], _H], binop: Callable[[_T, _T], _T], seq: Iterable[_T]) -> dict[_H, _T]:
    """Returns a dict mapping each key value to the reduction of its elements by `binop`, starting from the initial
    value when one is given (a callable initial value is called for a fresh start per key).

    >>> reduceby(lambda x: x % 2, operator.add, [1, 2, 3, 4])
    {1: 4, 0: 6}
    >>> reduceby(lambda x: x % 2, lambda acc, x: acc + [x], [1, 2, 3], list)
    {1: [1, 3], 0: [2]}
    """
@overload
def reduceby(key: Callable[[_T], _H], binop: Callable[[_A, _T], _R], seq: Iterable[_T], init: Callable[[], _A]) -> dict[_H, _R]: ...
@overload
def reduceby(key: Callable[[_T], _H], binop: Callable[[_A, _T], _R], seq: Iterable[_T], init: _A) -> dict[_H, _R]: ...
@overload
def reduceby(key: int, binop: Callable[[_NT, _NT], _NT], seq: Iterable[_NT]) -> dict[Any, _NT]: ...
@overload
def reduceby(key: int, binop: Callable[[_A, _NT], _R], seq: Iterable[_NT], init: Callable[[], _A]) -> dict[Any, _R]: ...
@overload
def reduceby(key: int, binop: Callable[[_A, _NT], _R], seq: Iterable[_NT], init: _A) -> dict[Any, _R]: ...
# BEGIN GENERATED reduceby (tools/stub.py)
@overload
def reduceby(key: Literal[0], binop: Callable[[tuple[_H, *_Ts], tuple[_H, *_Ts]], tuple[_H, *_Ts]], seq: Iterable[tuple[_H, *_Ts]]) -> dict[_H, tuple[_H, *_Ts]]: ...
@overload
def reduceby(key: Literal[0], binop: Callable[[_A, tuple[_H, *_Ts]], _R], seq: Iterable[tuple[_H, *_Ts]], init: Callable[[], _A]) -> dict[_H, _R]: ...
@overload
def reduceby(key: Literal[0], binop: Callable[[_A, tuple[_H, *_Ts]], _R], seq: Iterable[tuple[_H, *_Ts]], init: _A) -> dict[_H, _R]: ...
@overload
def reduceby(key: Literal[1], binop: Callable[[tuple[_I0, _H, *_Ts], tuple[_I0, _H, *_Ts]], tuple[_I0, _H, *_Ts]], seq: Iterable[tuple[_I0, _H, *_Ts]]) -> dict[_H, tuple[_I0, _H, *_Ts]]: ...
@overload
def reduceby(key: Literal[1], binop: Callable[[_A, tuple[_I0, _H, *_Ts]], _R], seq: Iterable[tuple[_I0, _H, *_Ts]], init: Callable[[], _A]) -> dict[_H, _R]: ...
@overload
def reduceby(key: Literal[1], binop: Callable[[_A, tuple[_I0, _H, *_Ts]], _R], seq: Iterable[tuple[_I0, _H, *_Ts]], init: _A) -> dict[_H, _R]: ...
@overload
def reduceby(key: Literal[2], binop: Callable[[tuple[_I0, _I1, _H, *_Ts], tuple[_I0, _I1, _H, *_Ts]], tuple[_I0, _I1, _H, *_Ts]], seq: Iterable[tuple[_I0, _I1, _H, *_Ts]]) -> dict[_H, tuple[_I0, _I1, _H, *_Ts]]: ...
@overload
def reduceby(key: Literal[2], binop: Callable[[_A, tuple[_I0, _I1, _H, *_Ts]], _R], seq: Iterable[tuple[_I0, _I1, _H, *_Ts]], init: Callable[[], _A]) -> dict[_H, _R]: ...
@overload
def reduceby(key: Literal[2], binop: Callable[[_A, tuple[_I0, _I1, _H, *_Ts]], _R], seq: Iterable[tuple[_I0, _I1, _H, *_Ts]], init: _A) -> dict[_H, _R]: ...
@overload
def reduceby(key: Literal[3], binop: Callable[[tuple[_I0, _I1, _I2, _H, *_Ts], tuple[_I0, _I1, _I2, _H, *_Ts]], tuple[_I0, _I1, _I2, _H, *_Ts]], seq: Iterable[tuple[_I0, _I1, _I2, _H, *_Ts]]) -> dict[_H, tuple[_I0, _I1, _I2, _H, *_Ts]]: ...
@overload
def reduceby(key: Literal[3], binop: Callable[[_A, tuple[_I0, _I1, _I2, _H, *_Ts]], _R], seq: Iterable[tuple[_I0, _I1, _I2, _H, *_Ts]], init: Callable[[], _A]) -> dict[_H, _R]: ...
@overload
def reduceby(key: Literal[3], binop: Callable[[_A, tuple[_I0, _I1, _I2, _H, *_Ts]], _R], seq: Iterable[tuple[_I0, _I1, _I2, _H, *_Ts]], init: _A) -> dict[_H, _R]: ...
@overload
def reduceby(key: Literal[4], binop: Callable[[tuple[_I0, _I1, _I2, _I3, _H, *_Ts], tuple[_I0, _I1, _I2, _I3, _H, *_Ts]], tuple[_I0, _I1, _I2, _I3, _H, *_Ts]], seq: Iterable[tuple[_I0, _I1, _I2, _I3, _H, *_Ts]]) -> dict[_H, tuple[_I0, _I1, _I2, _I3, _H, *_Ts]]: ...
@overload
def reduceby(key: Literal[4], binop: Callable[[_A, tuple[_I0, _I1, _I2, _I3, _H, *_Ts]], _R], seq: Iterable[tuple[_I0, _I1, _I2, _I3, _H, *_Ts]], init: Callable[[], _A]) -> dict[_H, _R]: ...
@overload
def reduceby(key: Literal[4], binop: Callable[[_A, tuple[_I0, _I1, _I2, _I3, _H, *_Ts]], _R], seq: Iterable[tuple[_I0, _I1, _I2, _I3, _H, *_Ts]], init: _A) -> dict[_H, _R]: ...
@overload
def reduceby(key: Literal[5], binop: Callable[[tuple[_I0, _I1, _I2, _I3, _I4, _H, *_Ts], tuple[_I0, _I1, _I2, _I3, _I4, _H, *_Ts]], tuple[_I0, _I1, _I2, _I3, _I4, _H, *_Ts]], seq: Iterable[tuple[_I0, _I1, _I2, _I3, _I4, _H, *_Ts]]) -> dict[_H, tuple[_I0, _I1, _I2, _I3, _I4, _H, *_Ts]]: ...
@overload
def reduceby(key: Literal[5], binop: Callable[[_A, tuple[_I0, _I1, _I2, _I3, _I4, _H, *_Ts]], _R], seq: Iterable[tuple[_I0, _I1, _I2, _I3, _I4, _H, *_Ts]], init: Callable[[], _A]) -> dict[_H, _R]: ...
@overload
def reduceby(key: Literal[5], binop: Callable[[_A, tuple[_I0, _I1, _I2, _I3, _I4, _H, *_Ts]], _R], seq: Iterable[tuple[_I0, _I1, _I2, _I3, _I4, _H, *_Ts]], init: _A) -> dict[_H, _R]: ...
@overload
def reduceby(key: Literal[6], binop: Callable[[tuple[_I0, _I1, _I2, _I3, _I4, _I5, _H, *_Ts], tuple[_I0, _I1, _I2, _I3, _I4, _I5, _H, *_Ts]], tuple[_I0, _I1, _I2, _I3, _I4, _I5, _H, *_Ts]], seq: Iterable[tuple[_I0, _I1, _I2, _I3, _I4, _I5, _H, *_Ts]]) -> dict[_H, tuple[_I0, _I1, _I2, _I3, _I4, _I5, _H, *_Ts]]: ...
@overload
def reduceby(key: Literal[6], binop: Callable[[_A, tuple[_I0, _I1, _I2, _I3, _I4, _I5, _H, *_Ts]], _R], seq: Iterable[tuple[_I0, _I1, _I2, _I3, _I4, _I5, _H, *_Ts]], init: Callable[[], _A]) -> dict[_H, _R]: ...
@overload
def reduceby(key: Literal[6], binop: Callable[[_A, tuple[_I0, _I1, _I2, _I3, _I4, _I5, _H, *_Ts]], _R], seq: Iterable[tuple[_I0, _I1, _I2, _I3, _I4, _I5, _H, *_Ts]], init: _A) -> dict[_H, _R]: ...
@overload
def reduceby(key: Literal[7], binop: Callable[[tuple[_I0, _I1, _I2, _I3, _I4, _I5, _I6, _H, *_Ts], tuple[_I0, _I1, _I2, _I3, _I4, _I5, _I6, _H, *_Ts]], tuple[_I0, _I1, _I2, _I3, _I4, _I5, _I6, _H, *_Ts]], seq: Iterable[tuple[_I0, _I1, _I2, _I3, _I4, _I5, _I6, _H, *_Ts]]) -> dict[_H, tuple[_I0, _I1, _I2, _I3, _I4, _I5, _I6, _H, *_Ts]]: ...
@overload
def reduceby(key: Literal[7], binop: Callable[[_A, tuple[_I0, _I1, _I2, _I3, _I4, _I5, _I6, _H, *_Ts]], _R], seq: Iterable[tuple[_I0, _I1, _I2, _I3, _I4, _I5, _I6, _H, *_Ts]], init: Callable[[], _A]) -> dict[_H, _R]: ...
@overload
def reduceby(key: Literal[7], binop: Callable[[_A, tuple[_I0, _I1, _I2, _I3, _I4, _I5, _I6, _H, *_Ts]], _R], seq: Iterable[tuple[_I0, _I1, _I2, _I3, _I4, _I5, _I6, _H, *_Ts]], init: _A) -> dict[_H, _R]: ...
# END GENERATED reduceby
@overload
def reduceby(key: _KeySpec, binop: Callable[[_T, _T], _T], seq: Iterable[_T]) -> dict[Any, _T]: ...
@overload
def reduceby(key: _KeySpec, binop: Callable[[_A, _T], _R], seq: Iterable[_T], init: Callable[[], _A]) -> dict[Any, _R]: ...
@overload
def reduceby(key: _KeySpec, binop: Callable[[_A, _T], _R], seq: Iterable[_T], init: _A) -> dict[Any, _R]: ...

def mapcat(func: Callable[[_T], Iterable[_U]], seqs: Iterable[_T]) -> Iterator[_U]:
    """Returns a lazy iterator over the elements of `func(x)` for each `x` in `seqs`.

    >>> list(mapcat(lambda x: [x, x], [1, 2]))
    [1, 1, 2, 2]
    """

@overload
def pluck(ind: list[_K], seqs: Iterable[_Indexable[_K, _V]]) -> Iterator[tuple[_V, ...]]:
    """Returns a lazy iterator over `element[ind]` for each element (the tuple of items for a list `ind`); with a
    default, lookups that raise `KeyError`, `IndexError` or `TypeError` give it instead, and without one the error
    surfaces from the iteration.

    >>> list(pluck("name", [{"name": "ada"}, {"name": "bob"}]))
    ['ada', 'bob']
    >>> list(pluck([0, 2], ["abc", "xyz"]))
    [('a', 'c'), ('x', 'z')]
    >>> list(pluck(1, [[1], [2, 3]], None))
    [None, 3]
    """
@overload
def pluck(ind: list[_K], seqs: Iterable[_Indexable[_K, _V]], default: _D) -> Iterator[tuple[_V | _D, ...]]: ...
# BEGIN GENERATED pluck (tools/stub.py)
@overload
def pluck(ind: Literal[0], seqs: Iterable[tuple[_V, *tuple[Any, ...]]]) -> Iterator[_V]: ...
@overload
def pluck(ind: Literal[0], seqs: Iterable[tuple[_V, *tuple[Any, ...]]], default: _D) -> Iterator[_V | _D]: ...
@overload
def pluck(ind: Literal[1], seqs: Iterable[tuple[Any, _V, *tuple[Any, ...]]]) -> Iterator[_V]: ...
@overload
def pluck(ind: Literal[1], seqs: Iterable[tuple[Any, _V, *tuple[Any, ...]]], default: _D) -> Iterator[_V | _D]: ...
@overload
def pluck(ind: Literal[2], seqs: Iterable[tuple[Any, Any, _V, *tuple[Any, ...]]]) -> Iterator[_V]: ...
@overload
def pluck(ind: Literal[2], seqs: Iterable[tuple[Any, Any, _V, *tuple[Any, ...]]], default: _D) -> Iterator[_V | _D]: ...
@overload
def pluck(ind: Literal[3], seqs: Iterable[tuple[Any, Any, Any, _V, *tuple[Any, ...]]]) -> Iterator[_V]: ...
@overload
def pluck(ind: Literal[3], seqs: Iterable[tuple[Any, Any, Any, _V, *tuple[Any, ...]]], default: _D) -> Iterator[_V | _D]: ...
@overload
def pluck(ind: Literal[4], seqs: Iterable[tuple[Any, Any, Any, Any, _V, *tuple[Any, ...]]]) -> Iterator[_V]: ...
@overload
def pluck(ind: Literal[4], seqs: Iterable[tuple[Any, Any, Any, Any, _V, *tuple[Any, ...]]], default: _D) -> Iterator[_V | _D]: ...
@overload
def pluck(ind: Literal[5], seqs: Iterable[tuple[Any, Any, Any, Any, Any, _V, *tuple[Any, ...]]]) -> Iterator[_V]: ...
@overload
def pluck(ind: Literal[5], seqs: Iterable[tuple[Any, Any, Any, Any, Any, _V, *tuple[Any, ...]]], default: _D) -> Iterator[_V | _D]: ...
@overload
def pluck(ind: Literal[6], seqs: Iterable[tuple[Any, Any, Any, Any, Any, Any, _V, *tuple[Any, ...]]]) -> Iterator[_V]: ...
@overload
def pluck(ind: Literal[6], seqs: Iterable[tuple[Any, Any, Any, Any, Any, Any, _V, *tuple[Any, ...]]], default: _D) -> Iterator[_V | _D]: ...
@overload
def pluck(ind: Literal[7], seqs: Iterable[tuple[Any, Any, Any, Any, Any, Any, Any, _V, *tuple[Any, ...]]]) -> Iterator[_V]: ...
@overload
def pluck(ind: Literal[7], seqs: Iterable[tuple[Any, Any, Any, Any, Any, Any, Any, _V, *tuple[Any, ...]]], default: _D) -> Iterator[_V | _D]: ...
# END GENERATED pluck
@overload
def pluck(ind: _K, seqs: Iterable[_Indexable[_K, _V]]) -> Iterator[_V]: ...
@overload
def pluck(ind: _K, seqs: Iterable[_Indexable[_K, _V]], default: _D) -> Iterator[_V | _D]: ...

def remove(predicate: Callable[[_T], object], seq: Iterable[_T]) -> Iterator[_T]:
    """Returns a lazy iterator over the elements for which `predicate` is false.

    >>> list(remove(lambda x: x % 2, range(6)))
    [0, 2, 4]
    """

@overload
def accumulate(binop: Callable[[_T, _T], _T], seq: Iterable[_T]) -> Iterator[_T]:
    """Returns a lazy iterator over the running reductions of `seq` by `binop`, starting with the initial value when one
    is given.

    >>> list(accumulate(operator.add, [1, 2, 3]))
    [1, 3, 6]
    >>> list(accumulate(operator.add, [1, 2, 3], 10))
    [10, 11, 13, 16]
    """
@overload
def accumulate(binop: Callable[[_A, _T], _A], seq: Iterable[_T], initial: _A) -> Iterator[_A]: ...

def iterate(func: Callable[[_T], _T], x: _T) -> Iterator[_T]:
    """Returns an endless lazy iterator over `x`, `func(x)`, `func(func(x))`, ...; an exception from `func` surfaces
    once, and the iterator is over after it.

    >>> list(take(4, iterate(lambda x: x * 2, 1)))
    [1, 2, 4, 8]
    """

@overload
def unique(seq: Iterable[_H], key: None = None) -> Iterator[_H]:
    """Returns a lazy iterator over the first occurrence of each distinct element, or of each distinct `key(element)`;
    an unhashable element (or key) raises `TypeError` when it is reached. A one-dimensional int64 buffer (an
    `array('q')`, a numpy `int64` array) is scanned natively, and stays exported (it cannot be resized) until the
    iterator is exhausted; a buffer that another thread or process writes meanwhile gives some result, not necessarily
    one of any single state of the buffer, and never a crash.

    >>> list(unique([1, 2, 1, 3, 2]))
    [1, 2, 3]
    >>> list(unique(["a", "A", "b"], key=str.lower))
    ['a', 'b']
    >>> from array import array
    >>> list(unique(array("q", [3, 1, 3])))
    [3, 1]
    """
@overload
def unique(seq: Iterable[_T], key: Callable[[_T], Hashable]) -> Iterator[_T]: ...

# `None` as a default means no default, so it never appears in the pairs.
@overload
def join(
    leftkey: Callable[[_TL], Hashable] | _KeySpec,
    leftseq: Iterable[_TL],
    rightkey: Callable[[_TR], Hashable] | _KeySpec,
    rightseq: Iterable[_TR],
    left_default: None = None,
    right_default: None = None,
) -> Iterator[tuple[_TL, _TR]]:
    """Returns a lazy iterator over the `(left, right)` pairs whose keys are equal, in right order; a `left_default`
    pairs unmatched right elements with it, and a `right_default` adds the unmatched left elements at the end, paired
    with it (`None` means no default).

    >>> people = [("ada", 1), ("bob", 2)]
    >>> cities = [(1, "paris"), (3, "rome")]
    >>> list(join(1, people, 0, cities))
    [(('ada', 1), (1, 'paris'))]
    >>> list(join(1, people, 0, cities, left_default="?", right_default="?"))
    [(('ada', 1), (1, 'paris')), ('?', (3, 'rome')), (('bob', 2), '?')]
    """
@overload
def join(
    leftkey: Callable[[_TL], Hashable] | _KeySpec,
    leftseq: Iterable[_TL],
    rightkey: Callable[[_TR], Hashable] | _KeySpec,
    rightseq: Iterable[_TR],
    left_default: _DL,
    right_default: None = None,
) -> Iterator[tuple[_TL | _DL, _TR]]: ...
@overload
def join(
    leftkey: Callable[[_TL], Hashable] | _KeySpec,
    leftseq: Iterable[_TL],
    rightkey: Callable[[_TR], Hashable] | _KeySpec,
    rightseq: Iterable[_TR],
    left_default: None = None,
    *,
    right_default: _DR,
) -> Iterator[tuple[_TL, _TR | _DR]]: ...
@overload
def join(
    leftkey: Callable[[_TL], Hashable] | _KeySpec,
    leftseq: Iterable[_TL],
    rightkey: Callable[[_TR], Hashable] | _KeySpec,
    rightseq: Iterable[_TR],
    left_default: _DL | None,
    right_default: _DR,
) -> Iterator[tuple[_TL | _DL, _TR | _DR]]: ...

# ---------------------------------------------------------------- function tools
#
# `curry` is typed for functions of up to four positional parameters: each positional call with
# fewer arguments than remain gives a curry waiting for the rest, and a call with all of them gives
# the result. A function is curried at its smallest arity (parameters with defaults and *args are
# not part of the typed shape), and the curry is typed from the function's positional parameters
# only. A call that passes keyword arguments gives Any, as does every call of a curry of anything
# else (keyword-only parameters, more than four parameters, overloaded callables that match none
# of the shapes), and every call of a curry of a curry still waiting for arguments.
#
# The partial applications are typed as callback protocols (_Curried0 to _Curried4) rather than as
# subclasses of curry: a checker can then keep the type variables of a generic function open
# through the stages (`curry(map)(str)` waits for an Iterable[object] and gives a map[str]). A
# protocol that returns itself would close them again, so calling a curry with no arguments gives
# Any too. mypy wants __new__ to return a subclass of curry; the protocols describe the calls of
# the curry that __new__ does return, hence its ignored `misc` errors.

@disjoint_base
class curry(Generic[_R]):
    """Returns a curry: a callable that gathers positional and keyword arguments until they bind to `func`'s signature
    (as `inspect.signature(func).bind` decides), then calls `func`; arguments that can never bind are passed to `func`,
    which raises its own `TypeError`.

    >>> add3 = curry(lambda a, b, c: a + b + c)
    >>> add3(1)(2)(3), add3(1, 2)(3), curry(add3, 1)(2, 3)
    (6, 6, 6)
    """

    @overload
    def __new__(cls, func: _Curried1[Any, Any], *args: Any, **kwargs: Any) -> curry[Any]: ...
    @overload
    def __new__(cls, func: Callable[[], _R]) -> _Curried0[_R]: ...  # type: ignore[misc]
    @overload
    def __new__(cls, func: Callable[[_A1], _R]) -> _Curried1[_A1, _R]: ...  # type: ignore[misc]
    @overload
    def __new__(cls, func: Callable[[_A1], _R], a1: _A1, /) -> _Curried0[_R]: ...  # type: ignore[misc]
    @overload
    def __new__(cls, func: Callable[[_A1, _A2], _R]) -> _Curried2[_A1, _A2, _R]: ...  # type: ignore[misc]
    @overload
    def __new__(cls, func: Callable[[_A1, _A2], _R], a1: _A1, /) -> _Curried1[_A2, _R]: ...  # type: ignore[misc]
    @overload
    def __new__(cls, func: Callable[[_A1, _A2], _R], a1: _A1, a2: _A2, /) -> _Curried0[_R]: ...  # type: ignore[misc]
    @overload
    def __new__(cls, func: Callable[[_A1, _A2, _A3], _R]) -> _Curried3[_A1, _A2, _A3, _R]: ...  # type: ignore[misc]
    @overload
    def __new__(cls, func: Callable[[_A1, _A2, _A3], _R], a1: _A1, /) -> _Curried2[_A2, _A3, _R]: ...  # type: ignore[misc]
    @overload
    def __new__(cls, func: Callable[[_A1, _A2, _A3], _R], a1: _A1, a2: _A2, /) -> _Curried1[_A3, _R]: ...  # type: ignore[misc]
    @overload
    def __new__(cls, func: Callable[[_A1, _A2, _A3], _R], a1: _A1, a2: _A2, a3: _A3, /) -> _Curried0[_R]: ...  # type: ignore[misc]
    @overload
    def __new__(cls, func: Callable[[_A1, _A2, _A3, _A4], _R]) -> _Curried4[_A1, _A2, _A3, _A4, _R]: ...  # type: ignore[misc]
    @overload
    def __new__(cls, func: Callable[[_A1, _A2, _A3, _A4], _R], a1: _A1, /) -> _Curried3[_A2, _A3, _A4, _R]: ...  # type: ignore[misc]
    @overload
    def __new__(cls, func: Callable[[_A1, _A2, _A3, _A4], _R], a1: _A1, a2: _A2, /) -> _Curried2[_A3, _A4, _R]: ...  # type: ignore[misc]
    @overload
    def __new__(cls, func: Callable[[_A1, _A2, _A3, _A4], _R], a1: _A1, a2: _A2, a3: _A3, /) -> _Curried1[_A4, _R]: ...  # type: ignore[misc]
    @overload
    def __new__(cls, func: Callable[[_A1, _A2, _A3, _A4], _R], a1: _A1, a2: _A2, a3: _A3, a4: _A4, /) -> _Curried0[_R]: ...  # type: ignore[misc]
    @overload
    def __new__(cls, func: Callable[..., _R], *args: Any, **kwargs: Any) -> curry[_R]: ...
    def __call__(self, *args: Any, **kwargs: Any) -> Any: ...

@type_check_only
class _Curried0(Protocol[_R_co]):
    """A curry whose arguments are complete: calling it calls the function."""
    @overload
    def __call__(self) -> _R_co: ...
    @overload
    def __call__(self, **kwargs: Any) -> Any: ...

@type_check_only
class _Curried1(Protocol[_A1_contra, _R_co]):
    """A curry still waiting for 1 positional argument."""
    @overload
    def __call__(self, a1: _A1_contra, /) -> _R_co: ...
    @overload
    def __call__(self, a1: _A1_contra = ..., /, **kwargs: Any) -> Any: ...

@type_check_only
class _Curried2(Protocol[_A1_contra, _A2_contra, _R_co]):
    """A curry still waiting for 2 positional arguments."""
    @overload
    def __call__(self, a1: _A1_contra, a2: _A2_contra, /) -> _R_co: ...
    @overload
    def __call__(self, a1: _A1_contra, /) -> _Curried1[_A2_contra, _R_co]: ...
    @overload
    def __call__(self, a1: _A1_contra = ..., a2: _A2_contra = ..., /, **kwargs: Any) -> Any: ...

@type_check_only
class _Curried3(Protocol[_A1_contra, _A2_contra, _A3_contra, _R_co]):
    """A curry still waiting for 3 positional arguments."""
    @overload
    def __call__(self, a1: _A1_contra, a2: _A2_contra, a3: _A3_contra, /) -> _R_co: ...
    @overload
    def __call__(self, a1: _A1_contra, a2: _A2_contra, /) -> _Curried1[_A3_contra, _R_co]: ...
    @overload
    def __call__(self, a1: _A1_contra, /) -> _Curried2[_A2_contra, _A3_contra, _R_co]: ...
    @overload
    def __call__(self, a1: _A1_contra = ..., a2: _A2_contra = ..., a3: _A3_contra = ..., /, **kwargs: Any) -> Any: ...

@type_check_only
class _Curried4(Protocol[_A1_contra, _A2_contra, _A3_contra, _A4_contra, _R_co]):
    """A curry still waiting for 4 positional arguments."""
    @overload
    def __call__(self, a1: _A1_contra, a2: _A2_contra, a3: _A3_contra, a4: _A4_contra, /) -> _R_co: ...
    @overload
    def __call__(self, a1: _A1_contra, a2: _A2_contra, a3: _A3_contra, /) -> _Curried1[_A4_contra, _R_co]: ...
    @overload
    def __call__(self, a1: _A1_contra, a2: _A2_contra, /) -> _Curried2[_A3_contra, _A4_contra, _R_co]: ...
    @overload
    def __call__(self, a1: _A1_contra, /) -> _Curried3[_A2_contra, _A3_contra, _A4_contra, _R_co]: ...
    @overload
    def __call__(
        self, a1: _A1_contra = ..., a2: _A2_contra = ..., a3: _A3_contra = ..., a4: _A4_contra = ..., /, **kwargs: Any
    ) -> Any: ...

@type_check_only
class _Flip(curry[Any]):
    @overload
    def __call__(self, func: Callable[[_A2, _A1], _R], a: _A1, b: _A2, /) -> _R: ...
    @overload
    def __call__(self, func: Callable[[_A2, _A1], _R], a: _A1, /) -> _Curried1[_A2, _R]: ...
    @overload
    def __call__(self, func: Callable[[_A2, _A1], _R], /) -> _Curried2[_A1, _A2, _R]: ...
    @overload
    def __call__(self) -> _Flip: ...

flip: Final[_Flip]
"""Returns `func(b, a)`. `flip` is a `curry`, so `flip(func)` and `flip(func, a)` wait for the remaining arguments.

>>> flip(pow, 2, 3)
9
>>> flip(operator.sub)(1)(10)
9
"""

# apply, complement, compose, compose_left, excepts and memoize keep the wrapped function's
# parameters (a ParamSpec), so a call with the wrong arguments is an error. A ParamSpec cannot
# carry an overload set: for an overloaded callable (many builtins, such as max or sorted) the
# checker keeps one of its signatures or none, so wrap a function with a single signature where the
# parameters matter.

def identity(x: _T) -> _T:
    """Returns `x` itself.

    >>> identity(3)
    3
    """

def apply(func: Callable[_P, _R], *args: _P.args, **kwargs: _P.kwargs) -> _R:
    """Returns `func(*args, **kwargs)`.

    >>> apply(max, 1, 5, 3)
    5
    """

# pipe, compose, compose_left, thread_first and thread_last are typed stage by stage for up to
# eight functions; beyond that every stage must map a type to itself (and the tuple forms of the
# threads must share the types of their extra arguments).
# BEGIN GENERATED pipe (tools/stub.py)
@overload
def pipe(data: _T0) -> _T0:
    """Returns `data` passed through each function in turn: `pipe(x, f, g)` is `g(f(x))`.

    >>> pipe([3, 1, 2], sorted, lambda xs: xs[-2:])
    [2, 3]
    """
@overload
def pipe(data: _T0, f1: Callable[[_T0], _T1], /) -> _T1: ...
@overload
def pipe(data: _T0, f1: Callable[[_T0], _T1], f2: Callable[[_T1], _T2], /) -> _T2: ...
@overload
def pipe(data: _T0, f1: Callable[[_T0], _T1], f2: Callable[[_T1], _T2], f3: Callable[[_T2], _T3], /) -> _T3: ...
@overload
def pipe(data: _T0, f1: Callable[[_T0], _T1], f2: Callable[[_T1], _T2], f3: Callable[[_T2], _T3], f4: Callable[[_T3], _T4], /) -> _T4: ...
@overload
def pipe(data: _T0, f1: Callable[[_T0], _T1], f2: Callable[[_T1], _T2], f3: Callable[[_T2], _T3], f4: Callable[[_T3], _T4], f5: Callable[[_T4], _T5], /) -> _T5: ...
@overload
def pipe(data: _T0, f1: Callable[[_T0], _T1], f2: Callable[[_T1], _T2], f3: Callable[[_T2], _T3], f4: Callable[[_T3], _T4], f5: Callable[[_T4], _T5], f6: Callable[[_T5], _T6], /) -> _T6: ...
@overload
def pipe(data: _T0, f1: Callable[[_T0], _T1], f2: Callable[[_T1], _T2], f3: Callable[[_T2], _T3], f4: Callable[[_T3], _T4], f5: Callable[[_T4], _T5], f6: Callable[[_T5], _T6], f7: Callable[[_T6], _T7], /) -> _T7: ...
@overload
def pipe(data: _T0, f1: Callable[[_T0], _T1], f2: Callable[[_T1], _T2], f3: Callable[[_T2], _T3], f4: Callable[[_T3], _T4], f5: Callable[[_T4], _T5], f6: Callable[[_T5], _T6], f7: Callable[[_T6], _T7], f8: Callable[[_T7], _T8], /) -> _T8: ...
@overload
def pipe(data: _T, *funcs: Callable[[_T], _T]) -> _T: ...
# END GENERATED pipe

def do(func: Callable[[_T], object], x: _T) -> _T:
    """Returns `x` after calling `func(x)` for its effect.

    >>> seen = []
    >>> do(seen.append, 5), seen
    (5, [5])
    """

# BEGIN GENERATED compose (tools/stub.py)
@overload
def compose() -> Callable[[_T], _T]:
    """Returns a function calling the last of `funcs` first: `compose(f, g)(x)` is `f(g(x))`; only the first function
    called receives keyword arguments; no functions give the identity function.

    >>> compose(str, abs)(-3)
    '3'
    >>> compose()(5)
    5
    """
@overload
def compose(f1: Callable[_P, _T1], /) -> Callable[_P, _T1]: ...
@overload
def compose(f2: Callable[[_T1], _T2], f1: Callable[_P, _T1], /) -> Callable[_P, _T2]: ...
@overload
def compose(f3: Callable[[_T2], _T3], f2: Callable[[_T1], _T2], f1: Callable[_P, _T1], /) -> Callable[_P, _T3]: ...
@overload
def compose(f4: Callable[[_T3], _T4], f3: Callable[[_T2], _T3], f2: Callable[[_T1], _T2], f1: Callable[_P, _T1], /) -> Callable[_P, _T4]: ...
@overload
def compose(f5: Callable[[_T4], _T5], f4: Callable[[_T3], _T4], f3: Callable[[_T2], _T3], f2: Callable[[_T1], _T2], f1: Callable[_P, _T1], /) -> Callable[_P, _T5]: ...
@overload
def compose(f6: Callable[[_T5], _T6], f5: Callable[[_T4], _T5], f4: Callable[[_T3], _T4], f3: Callable[[_T2], _T3], f2: Callable[[_T1], _T2], f1: Callable[_P, _T1], /) -> Callable[_P, _T6]: ...
@overload
def compose(f7: Callable[[_T6], _T7], f6: Callable[[_T5], _T6], f5: Callable[[_T4], _T5], f4: Callable[[_T3], _T4], f3: Callable[[_T2], _T3], f2: Callable[[_T1], _T2], f1: Callable[_P, _T1], /) -> Callable[_P, _T7]: ...
@overload
def compose(f8: Callable[[_T7], _T8], f7: Callable[[_T6], _T7], f6: Callable[[_T5], _T6], f5: Callable[[_T4], _T5], f4: Callable[[_T3], _T4], f3: Callable[[_T2], _T3], f2: Callable[[_T1], _T2], f1: Callable[_P, _T1], /) -> Callable[_P, _T8]: ...
@overload
def compose(*funcs: Callable[[_T], _T]) -> Callable[[_T], _T]: ...
# END GENERATED compose

# BEGIN GENERATED compose_left (tools/stub.py)
@overload
def compose_left() -> Callable[[_T], _T]:
    """Returns a function calling the first of `funcs` first: `compose_left(f, g)(x)` is `g(f(x))`.

    >>> compose_left(abs, str)(-3)
    '3'
    """
@overload
def compose_left(f1: Callable[_P, _T1], /) -> Callable[_P, _T1]: ...
@overload
def compose_left(f1: Callable[_P, _T1], f2: Callable[[_T1], _T2], /) -> Callable[_P, _T2]: ...
@overload
def compose_left(f1: Callable[_P, _T1], f2: Callable[[_T1], _T2], f3: Callable[[_T2], _T3], /) -> Callable[_P, _T3]: ...
@overload
def compose_left(f1: Callable[_P, _T1], f2: Callable[[_T1], _T2], f3: Callable[[_T2], _T3], f4: Callable[[_T3], _T4], /) -> Callable[_P, _T4]: ...
@overload
def compose_left(f1: Callable[_P, _T1], f2: Callable[[_T1], _T2], f3: Callable[[_T2], _T3], f4: Callable[[_T3], _T4], f5: Callable[[_T4], _T5], /) -> Callable[_P, _T5]: ...
@overload
def compose_left(f1: Callable[_P, _T1], f2: Callable[[_T1], _T2], f3: Callable[[_T2], _T3], f4: Callable[[_T3], _T4], f5: Callable[[_T4], _T5], f6: Callable[[_T5], _T6], /) -> Callable[_P, _T6]: ...
@overload
def compose_left(f1: Callable[_P, _T1], f2: Callable[[_T1], _T2], f3: Callable[[_T2], _T3], f4: Callable[[_T3], _T4], f5: Callable[[_T4], _T5], f6: Callable[[_T5], _T6], f7: Callable[[_T6], _T7], /) -> Callable[_P, _T7]: ...
@overload
def compose_left(f1: Callable[_P, _T1], f2: Callable[[_T1], _T2], f3: Callable[[_T2], _T3], f4: Callable[[_T3], _T4], f5: Callable[[_T4], _T5], f6: Callable[[_T5], _T6], f7: Callable[[_T6], _T7], f8: Callable[[_T7], _T8], /) -> Callable[_P, _T8]: ...
@overload
def compose_left(*funcs: Callable[[_T], _T]) -> Callable[[_T], _T]: ...
# END GENERATED compose_left

def complement(func: Callable[_P, object]) -> Callable[_P, bool]:
    """Returns a function whose result is `not func(...)`.

    >>> is_odd = complement(lambda x: x % 2 == 0)
    >>> is_odd(3)
    True
    """

# juxt is typed for functions of one argument, whose type they share, and otherwise leaves the
# combined function's parameters unchecked (its functions may each take different ones); its
# results are typed either way. A list of functions that a checker can only join as `function`
# (mypy, for [len, sum]) gives Any results.
# BEGIN GENERATED juxt (tools/stub.py)
@overload
def juxt() -> Callable[..., tuple[()]]:
    """Returns a function that calls each function with the same arguments and returns the tuple of results; a single
    non-callable argument is an iterable of functions.

    >>> juxt(min, max)([3, 1, 2])
    (1, 3)
    >>> juxt([len, sum])([3, 1, 2])
    (3, 6)
    """
@overload
def juxt(funcs: Iterable[Callable[..., _T]], /) -> Callable[..., tuple[_T, ...]]: ...
@overload
def juxt(funcs: Iterable[Callable[..., Any]], /) -> Callable[..., tuple[Any, ...]]: ...
@overload
def juxt(f1: Callable[[_T0], _T1], /) -> Callable[[_T0], tuple[_T1]]: ...
@overload
def juxt(f1: Callable[..., _T1], /) -> Callable[..., tuple[_T1]]: ...
@overload
def juxt(f1: Callable[[_T0], _T1], f2: Callable[[_T0], _T2], /) -> Callable[[_T0], tuple[_T1, _T2]]: ...
@overload
def juxt(f1: Callable[..., _T1], f2: Callable[..., _T2], /) -> Callable[..., tuple[_T1, _T2]]: ...
@overload
def juxt(f1: Callable[[_T0], _T1], f2: Callable[[_T0], _T2], f3: Callable[[_T0], _T3], /) -> Callable[[_T0], tuple[_T1, _T2, _T3]]: ...
@overload
def juxt(f1: Callable[..., _T1], f2: Callable[..., _T2], f3: Callable[..., _T3], /) -> Callable[..., tuple[_T1, _T2, _T3]]: ...
@overload
def juxt(f1: Callable[[_T0], _T1], f2: Callable[[_T0], _T2], f3: Callable[[_T0], _T3], f4: Callable[[_T0], _T4], /) -> Callable[[_T0], tuple[_T1, _T2, _T3, _T4]]: ...
@overload
def juxt(f1: Callable[..., _T1], f2: Callable[..., _T2], f3: Callable[..., _T3], f4: Callable[..., _T4], /) -> Callable[..., tuple[_T1, _T2, _T3, _T4]]: ...
@overload
def juxt(*funcs: Callable[..., _T]) -> Callable[..., tuple[_T, ...]]: ...
# END GENERATED juxt

@overload
def excepts(
    exc: type[BaseException] | tuple[type[BaseException], ...], func: Callable[_P, _R], handler: None = None
) -> Callable[_P, _R | None]:
    """Returns a function that calls `func` and, when it raises an exception matching `exc` (a class, or a tuple of
    classes and such tuples, nested to any depth), returns `handler(exception)` instead, or `None` without a handler;
    other exceptions propagate. A nesting too deep for the stack raises `RecursionError`, whose `__context__` is the
    exception caught.

    >>> safe_inverse = excepts(ZeroDivisionError, lambda x: 1 / x, lambda e: float("inf"))
    >>> safe_inverse(4), safe_inverse(0)
    (0.25, inf)
    >>> excepts(ZeroDivisionError, lambda x: 1 / x)(0) is None
    True
    """
@overload
def excepts(exc: type[_X] | tuple[type[_X], ...], func: Callable[_P, _R], handler: Callable[[_X], _U]) -> Callable[_P, _R | _U]: ...

def memoize(
    func: Callable[_P, _R],
    cache: dict[Any, _R] | None = None,
    key: Callable[[tuple[Any, ...], dict[str, Any] | None], Hashable] | None = None,
) -> Callable[_P, _R]:
    """Returns `func` with its results cached in `cache` (a dict, new by default), under the key below; a `cache` that
    is not a dict raises `TypeError`, and unhashable arguments raise `TypeError` at the call. Pickled or copied, it
    leaves its entries behind (see [Pickling and copying](#pickling-and-copying)).

    >>> cache = {}
    >>> @memoize
    ... def fib(n):
    ...     return n if n < 2 else fib(n - 1) + fib(n - 2)
    >>> fib(30)
    832040
    >>> square = memoize(lambda x: x * x, cache=cache)
    >>> square(4), cache
    (16, {4: 16})
    >>> pairs = {}
    >>> pair = memoize(lambda x, y: (x, y), cache=pairs)
    >>> pair(1, y=2), pairs
    ((1, 2), {((1,), frozenset({('y', 2)})): (1, 2)})
    >>> pair((1,), frozenset({("y", 2)}))
    (1, 2)
    >>> class Circle:
    ...     def __init__(self, r):
    ...         self.r = r
    ...         self.area = memoize(self._area)
    ...     def _area(self, scale):
    ...         return 3 * self.r * self.r * scale
    ...     @staticmethod
    ...     @memoize
    ...     def unit_area(scale):
    ...         return 3 * scale
    >>> Circle(2).area(10), Circle(2).unit_area(10)
    (120, 30)
    """

# BEGIN GENERATED thread_first (tools/stub.py)
@overload
def thread_first(val: _T0) -> _T0:
    """Returns `val` threaded through `forms` as the first argument: a callable `f` gives `f(val)`, a tuple `(f, a, b)`
    gives `f(val, a, b)`; an empty tuple raises `IndexError`.

    >>> thread_first(2, (pow, 3), str)
    '8'
    """
@overload
def thread_first(val: _T0, f1: _FirstForm[_T0, _T1, _X1a, _X1b, _X1c], /) -> _T1: ...
@overload
def thread_first(val: _T0, f1: _FirstForm[_T0, _T1, _X1a, _X1b, _X1c], f2: _FirstForm[_T1, _T2, _X2a, _X2b, _X2c], /) -> _T2: ...
@overload
def thread_first(val: _T0, f1: _FirstForm[_T0, _T1, _X1a, _X1b, _X1c], f2: _FirstForm[_T1, _T2, _X2a, _X2b, _X2c], f3: _FirstForm[_T2, _T3, _X3a, _X3b, _X3c], /) -> _T3: ...
@overload
def thread_first(val: _T0, f1: _FirstForm[_T0, _T1, _X1a, _X1b, _X1c], f2: _FirstForm[_T1, _T2, _X2a, _X2b, _X2c], f3: _FirstForm[_T2, _T3, _X3a, _X3b, _X3c], f4: _FirstForm[_T3, _T4, _X4a, _X4b, _X4c], /) -> _T4: ...
@overload
def thread_first(val: _T0, f1: _FirstForm[_T0, _T1, _X1a, _X1b, _X1c], f2: _FirstForm[_T1, _T2, _X2a, _X2b, _X2c], f3: _FirstForm[_T2, _T3, _X3a, _X3b, _X3c], f4: _FirstForm[_T3, _T4, _X4a, _X4b, _X4c], f5: _FirstForm[_T4, _T5, _X5a, _X5b, _X5c], /) -> _T5: ...
@overload
def thread_first(val: _T0, f1: _FirstForm[_T0, _T1, _X1a, _X1b, _X1c], f2: _FirstForm[_T1, _T2, _X2a, _X2b, _X2c], f3: _FirstForm[_T2, _T3, _X3a, _X3b, _X3c], f4: _FirstForm[_T3, _T4, _X4a, _X4b, _X4c], f5: _FirstForm[_T4, _T5, _X5a, _X5b, _X5c], f6: _FirstForm[_T5, _T6, _X6a, _X6b, _X6c], /) -> _T6: ...
@overload
def thread_first(val: _T0, f1: _FirstForm[_T0, _T1, _X1a, _X1b, _X1c], f2: _FirstForm[_T1, _T2, _X2a, _X2b, _X2c], f3: _FirstForm[_T2, _T3, _X3a, _X3b, _X3c], f4: _FirstForm[_T3, _T4, _X4a, _X4b, _X4c], f5: _FirstForm[_T4, _T5, _X5a, _X5b, _X5c], f6: _FirstForm[_T5, _T6, _X6a, _X6b, _X6c], f7: _FirstForm[_T6, _T7, _X7a, _X7b, _X7c], /) -> _T7: ...
@overload
def thread_first(val: _T0, f1: _FirstForm[_T0, _T1, _X1a, _X1b, _X1c], f2: _FirstForm[_T1, _T2, _X2a, _X2b, _X2c], f3: _FirstForm[_T2, _T3, _X3a, _X3b, _X3c], f4: _FirstForm[_T3, _T4, _X4a, _X4b, _X4c], f5: _FirstForm[_T4, _T5, _X5a, _X5b, _X5c], f6: _FirstForm[_T5, _T6, _X6a, _X6b, _X6c], f7: _FirstForm[_T6, _T7, _X7a, _X7b, _X7c], f8: _FirstForm[_T7, _T8, _X8a, _X8b, _X8c], /) -> _T8: ...
@overload
def thread_first(val: _T, *forms: _FirstForm[_T, _T, _X1a, _X1b, _X1c]) -> _T: ...
# END GENERATED thread_first

# BEGIN GENERATED thread_last (tools/stub.py)
@overload
def thread_last(val: _T0) -> _T0:
    """Returns `val` threaded through `forms` as the last argument: a tuple `(f, a, b)` gives `f(a, b, val)`.

    >>> thread_last(2, (pow, 3), str)
    '9'
    """
@overload
def thread_last(val: _T0, f1: _LastForm[_T0, _T1, _X1a, _X1b, _X1c], /) -> _T1: ...
@overload
def thread_last(val: _T0, f1: _LastForm[_T0, _T1, _X1a, _X1b, _X1c], f2: _LastForm[_T1, _T2, _X2a, _X2b, _X2c], /) -> _T2: ...
@overload
def thread_last(val: _T0, f1: _LastForm[_T0, _T1, _X1a, _X1b, _X1c], f2: _LastForm[_T1, _T2, _X2a, _X2b, _X2c], f3: _LastForm[_T2, _T3, _X3a, _X3b, _X3c], /) -> _T3: ...
@overload
def thread_last(val: _T0, f1: _LastForm[_T0, _T1, _X1a, _X1b, _X1c], f2: _LastForm[_T1, _T2, _X2a, _X2b, _X2c], f3: _LastForm[_T2, _T3, _X3a, _X3b, _X3c], f4: _LastForm[_T3, _T4, _X4a, _X4b, _X4c], /) -> _T4: ...
@overload
def thread_last(val: _T0, f1: _LastForm[_T0, _T1, _X1a, _X1b, _X1c], f2: _LastForm[_T1, _T2, _X2a, _X2b, _X2c], f3: _LastForm[_T2, _T3, _X3a, _X3b, _X3c], f4: _LastForm[_T3, _T4, _X4a, _X4b, _X4c], f5: _LastForm[_T4, _T5, _X5a, _X5b, _X5c], /) -> _T5: ...
@overload
def thread_last(val: _T0, f1: _LastForm[_T0, _T1, _X1a, _X1b, _X1c], f2: _LastForm[_T1, _T2, _X2a, _X2b, _X2c], f3: _LastForm[_T2, _T3, _X3a, _X3b, _X3c], f4: _LastForm[_T3, _T4, _X4a, _X4b, _X4c], f5: _LastForm[_T4, _T5, _X5a, _X5b, _X5c], f6: _LastForm[_T5, _T6, _X6a, _X6b, _X6c], /) -> _T6: ...
@overload
def thread_last(val: _T0, f1: _LastForm[_T0, _T1, _X1a, _X1b, _X1c], f2: _LastForm[_T1, _T2, _X2a, _X2b, _X2c], f3: _LastForm[_T2, _T3, _X3a, _X3b, _X3c], f4: _LastForm[_T3, _T4, _X4a, _X4b, _X4c], f5: _LastForm[_T4, _T5, _X5a, _X5b, _X5c], f6: _LastForm[_T5, _T6, _X6a, _X6b, _X6c], f7: _LastForm[_T6, _T7, _X7a, _X7b, _X7c], /) -> _T7: ...
@overload
def thread_last(val: _T0, f1: _LastForm[_T0, _T1, _X1a, _X1b, _X1c], f2: _LastForm[_T1, _T2, _X2a, _X2b, _X2c], f3: _LastForm[_T2, _T3, _X3a, _X3b, _X3c], f4: _LastForm[_T3, _T4, _X4a, _X4b, _X4c], f5: _LastForm[_T4, _T5, _X5a, _X5b, _X5c], f6: _LastForm[_T5, _T6, _X6a, _X6b, _X6c], f7: _LastForm[_T6, _T7, _X7a, _X7b, _X7c], f8: _LastForm[_T7, _T8, _X8a, _X8b, _X8c], /) -> _T8: ...
@overload
def thread_last(val: _T, *forms: _LastForm[_T, _T, _X1a, _X1b, _X1c]) -> _T: ...
# END GENERATED thread_last

# ---------------------------------------------------------------- mapping tools
#
# The result is a new dict, or what calling `factory` makes. A factory class given bare
# (`factory=OrderedDict`) yields that class with `Any` type arguments: subscript it
# (`factory=OrderedDict[str, int]`) or annotate the target to keep them. Any other callable
# factory is typed as making a MutableMapping of the result's key and value types.

@overload
def merge(*dicts: Mapping[_K, _V], factory: None = None) -> dict[_K, _V]:
    """Returns a new mapping with every key of every mapping, later mappings winning; a single argument without `keys`
    is an iterable of mappings; another argument without `keys` raises `TypeError`.

    >>> merge({"a": 1, "b": 2}, {"b": 3})
    {'a': 1, 'b': 3}
    >>> merge([{"a": 1}, {"c": 4}])
    {'a': 1, 'c': 4}
    >>> from collections import OrderedDict
    >>> merge({"a": 1}, factory=OrderedDict)
    OrderedDict({'a': 1})
    """
@overload
def merge(dicts: Iterable[Mapping[_K, _V]], /, *, factory: None = None) -> dict[_K, _V]: ...
@overload
def merge(*dicts: Mapping[_K, _V], factory: type[_M]) -> _M: ...
@overload
def merge(dicts: Iterable[Mapping[_K, _V]], /, *, factory: type[_M]) -> _M: ...
@overload
def merge(*dicts: Mapping[_K, _V], factory: Callable[[], MutableMapping[_K, _V]]) -> MutableMapping[_K, _V]: ...
@overload
def merge(
    dicts: Iterable[Mapping[_K, _V]], /, *, factory: Callable[[], MutableMapping[_K, _V]]
) -> MutableMapping[_K, _V]: ...

@overload
def merge_with(func: Callable[[list[_V]], _W], *dicts: Mapping[_K, _V], factory: None = None) -> dict[_K, _W]:
    """Returns a new mapping from each key to `func` of the list of its values across the mappings, in order (`func`
    always receives a list). As for `merge`, a single argument without `keys` is an iterable of mappings, and another
    argument without `keys` raises `TypeError`.

    >>> merge_with(sum, {"a": 1}, {"a": 2, "b": 3})
    {'a': 3, 'b': 3}
    """
@overload
def merge_with(func: Callable[[list[_V]], _W], dicts: Iterable[Mapping[_K, _V]], /, *, factory: None = None) -> dict[_K, _W]: ...
@overload
def merge_with(func: Callable[[list[_V]], _W], *dicts: Mapping[_K, _V], factory: type[_M]) -> _M: ...
@overload
def merge_with(func: Callable[[list[_V]], _W], dicts: Iterable[Mapping[_K, _V]], /, *, factory: type[_M]) -> _M: ...
@overload
def merge_with(
    func: Callable[[list[_V]], _W], *dicts: Mapping[_K, _V], factory: Callable[[], MutableMapping[_K, _W]]
) -> MutableMapping[_K, _W]: ...
@overload
def merge_with(
    func: Callable[[list[_V]], _W], dicts: Iterable[Mapping[_K, _V]], /, *, factory: Callable[[], MutableMapping[_K, _W]]
) -> MutableMapping[_K, _W]: ...

@overload
def assoc(d: _SupportsItems[_K, _V], key: _K2, value: _V2, factory: None = None) -> dict[_K | _K2, _V | _V2]:
    """Returns a copy of `d` with `key` set to `value`.

    >>> assoc({"a": 1}, "b", 2)
    {'a': 1, 'b': 2}
    """
@overload
def assoc(d: _SupportsItems[_K, _V], key: _K2, value: _V2, factory: type[_M]) -> _M: ...
@overload
def assoc(
    d: _SupportsItems[_K, _V], key: _K2, value: _V2, factory: Callable[[], MutableMapping[_K | _K2, _V | _V2]]
) -> MutableMapping[_K | _K2, _V | _V2]: ...

@overload
def dissoc(d: _SupportsItems[_K, _V], *keys: Hashable, factory: None = None) -> dict[_K, _V]:
    """Returns a copy of `d` without the given keys; absent keys are skipped.

    >>> dissoc({"a": 1, "b": 2, "c": 3}, "a", "z")
    {'b': 2, 'c': 3}
    """
@overload
def dissoc(d: _SupportsItems[_K, _V], *keys: Hashable, factory: type[_M]) -> _M: ...
@overload
def dissoc(
    d: _SupportsItems[_K, _V], *keys: Hashable, factory: Callable[[], MutableMapping[_K, _V]]
) -> MutableMapping[_K, _V]: ...

# The nested tools address values whose types depend on the path, which no signature can follow.
@overload
def assoc_in(d: Mapping[Any, Any], keys: Iterable[Hashable], value: object, factory: None = None) -> dict[Any, Any]:
    """Returns a copy of the nested mapping `d` with the value at the path `keys` set to `value`, creating missing
    levels; every mapping on the path is copied, the rest is shared; an empty path raises `StopIteration`.

    >>> assoc_in({"a": {"b": 1}}, ["a", "c"], 2)
    {'a': {'b': 1, 'c': 2}}
    >>> assoc_in({}, ["x", "y"], 0)
    {'x': {'y': 0}}
    """
@overload
def assoc_in(d: Mapping[Any, Any], keys: Iterable[Hashable], value: object, factory: Callable[[], _M]) -> _M: ...

@overload
def update_in(
    d: Mapping[Any, Any], keys: Iterable[Hashable], func: Callable[[Any], object], default: object = None, factory: None = None
) -> dict[Any, Any]:
    """Returns a copy of the nested mapping `d` with the value at the path `keys` replaced by `func(value)`, or by
    `func(default)` when the path ends at a missing key; an empty path raises `StopIteration`.

    >>> update_in({"a": {"n": 1}}, ["a", "n"], lambda n: n + 1)
    {'a': {'n': 2}}
    >>> update_in({}, ["hits"], lambda n: n + 1, 0)
    {'hits': 1}
    """
@overload
def update_in(
    d: Mapping[Any, Any], keys: Iterable[Hashable], func: Callable[[Any], object], default: object, factory: Callable[[], _M]
) -> _M: ...

def get_in(keys: Iterable[Any], coll: Any, default: Any = None, no_default: bool = False) -> Any:
    """Returns `coll[k1][k2]...` for the keys in turn, or `default` when a lookup raises `KeyError`, `IndexError` or
    `TypeError`; with `no_default=True` (a `bool`) that error propagates instead.

    >>> get_in(["a", 1], {"a": [10, 20]})
    20
    >>> get_in(["a", 5], {"a": [10, 20]}, "missing")
    'missing'
    """

@overload
def keymap(func: Callable[[_K], _K2], d: _SupportsItems[_K, _V], factory: None = None) -> dict[_K2, _V]:
    """Returns a new mapping with `func(key)` for each key (a later item wins when two keys map to the same one).

    >>> keymap(str.upper, {"a": 1, "b": 2})
    {'A': 1, 'B': 2}
    """
@overload
def keymap(func: Callable[[_K], _K2], d: _SupportsItems[_K, _V], factory: type[_M]) -> _M: ...
@overload
def keymap(
    func: Callable[[_K], _K2], d: _SupportsItems[_K, _V], factory: Callable[[], MutableMapping[_K2, _V]]
) -> MutableMapping[_K2, _V]: ...

@overload
def valmap(func: Callable[[_V], _V2], d: _SupportsItems[_K, _V], factory: None = None) -> dict[_K, _V2]:
    """Returns a new mapping with `func(value)` for each value.

    >>> valmap(len, {"a": "xyz", "b": ""})
    {'a': 3, 'b': 0}
    """
@overload
def valmap(func: Callable[[_V], _V2], d: _SupportsItems[_K, _V], factory: type[_M]) -> _M: ...
@overload
def valmap(
    func: Callable[[_V], _V2], d: _SupportsItems[_K, _V], factory: Callable[[], MutableMapping[_K, _V2]]
) -> MutableMapping[_K, _V2]: ...

@overload
def itemmap(
    func: Callable[[tuple[_K, _V]], tuple[_K2, _V2]], d: _SupportsItems[_K, _V], factory: None = None
) -> dict[_K2, _V2]:
    """Returns a new mapping with the pair `func((key, value))` for each item; a result that is not a pair raises
    `ValueError`.

    >>> itemmap(lambda kv: (kv[1], kv[0]), {"a": 1, "b": 2})
    {1: 'a', 2: 'b'}
    """
@overload
def itemmap(func: Callable[[tuple[_K, _V]], tuple[_K2, _V2]], d: _SupportsItems[_K, _V], factory: type[_M]) -> _M: ...
@overload
def itemmap(
    func: Callable[[tuple[_K, _V]], tuple[_K2, _V2]],
    d: _SupportsItems[_K, _V],
    factory: Callable[[], MutableMapping[_K2, _V2]],
) -> MutableMapping[_K2, _V2]: ...

@overload
def keyfilter(predicate: Callable[[_K], object], d: _SupportsItems[_K, _V], factory: None = None) -> dict[_K, _V]:
    """Returns a new mapping with the items whose key satisfies `predicate`.

    >>> keyfilter(lambda k: k.startswith("_"), {"_x": 1, "y": 2})
    {'_x': 1}
    """
@overload
def keyfilter(predicate: Callable[[_K], object], d: _SupportsItems[_K, _V], factory: type[_M]) -> _M: ...
@overload
def keyfilter(
    predicate: Callable[[_K], object], d: _SupportsItems[_K, _V], factory: Callable[[], MutableMapping[_K, _V]]
) -> MutableMapping[_K, _V]: ...

@overload
def valfilter(predicate: Callable[[_V], object], d: _SupportsItems[_K, _V], factory: None = None) -> dict[_K, _V]:
    """Returns a new mapping with the items whose value satisfies `predicate`.

    >>> valfilter(bool, {"a": [], "b": [0]})
    {'b': [0]}
    """
@overload
def valfilter(predicate: Callable[[_V], object], d: _SupportsItems[_K, _V], factory: type[_M]) -> _M: ...
@overload
def valfilter(
    predicate: Callable[[_V], object], d: _SupportsItems[_K, _V], factory: Callable[[], MutableMapping[_K, _V]]
) -> MutableMapping[_K, _V]: ...

@overload
def itemfilter(predicate: Callable[[tuple[_K, _V]], object], d: _SupportsItems[_K, _V], factory: None = None) -> dict[_K, _V]:
    """Returns a new mapping with the items whose `(key, value)` pair satisfies `predicate`.

    >>> itemfilter(lambda kv: kv[0] == kv[1], {1: 1, 2: 3})
    {1: 1}
    """
@overload
def itemfilter(predicate: Callable[[tuple[_K, _V]], object], d: _SupportsItems[_K, _V], factory: type[_M]) -> _M: ...
@overload
def itemfilter(
    predicate: Callable[[tuple[_K, _V]], object], d: _SupportsItems[_K, _V], factory: Callable[[], MutableMapping[_K, _V]]
) -> MutableMapping[_K, _V]: ...

# ---------------------------------------------------------------- fluent iterator

@final
class Iter(Generic[_T_co]):
    """Wraps any object without iterating it; errors for a non-iterable appear at the first method that iterates. Chain
    methods return a new `Iter` around a lazy result and never iterate; terminal methods consume the wrapped object. An
    `Iter` is iterable (each `for` loop over one wrapping a list starts again) but is not itself an iterator. Derived
    `Iter`s share the wrapped object, so over an iterator they advance it together.

    >>> Iter([3, 1, 3, 2, 5]).unique().map(lambda x: x * 10).take(3).collect()
    [30, 10, 20]
    >>> it = Iter(iter([1, 2, 3]))
    >>> it.take(1).collect(), it.collect()
    ([1], [2, 3])
    """

    def __new__(cls, inner: Iterable[_T_co]) -> Iter[_T_co]: ...
    def __iter__(self) -> Iterator[_T_co]: ...
    def map(self, f: Callable[[_T_co], _U]) -> Iter[_U]:
        """Iter over f(x) for each element."""
    @overload
    def filter(self: Iter[_T | None], f: None) -> Iter[_T]:
        """Iter over the elements for which f(x) is true (truthy elements for None)."""
    @overload
    def filter(self, f: Callable[[_T_co], TypeGuard[_U]]) -> Iter[_U]: ...
    @overload
    def filter(self, f: Callable[[_T_co], TypeIs[_U]]) -> Iter[_U]: ...
    @overload
    def filter(self, f: Callable[[_T_co], object]) -> Iter[_T_co]: ...
    @overload
    def unique(self: Iter[_H], key: None = None) -> Iter[_H]:
        """Iter over the first occurrence of each distinct element (or key)."""
    @overload
    def unique(self, key: Callable[[_T_co], Hashable]) -> Iter[_T_co]: ...
    def take(self, n: SupportsIndex) -> Iter[_T_co]:
        """Iter over the first n elements."""
    def drop(self, n: SupportsIndex) -> Iter[_T_co]:
        """Iter over the elements after the first n."""
    def sliding_window(self, n: SupportsIndex) -> Iter[tuple[_T_co, ...]]:
        """Iter over overlapping n-tuples."""
    def partition_all(self, n: SupportsIndex) -> Iter[tuple[_T_co, ...]]:
        """Iter over n-tuples, the last one possibly shorter."""
    def flat_map(self, f: Callable[[_T_co], Iterable[_U]]) -> Iter[_U]:
        """Iter over the elements of f(x) for each element."""
    @overload
    def pluck(self: Iter[_Indexable[_K, _V]], ind: list[_K]) -> Iter[tuple[_V, ...]]:
        """Iter over element[ind] (a tuple of items for a list `ind`)."""
    # BEGIN GENERATED Iter.pluck (tools/stub.py)
    @overload
    def pluck(self: Iter[tuple[_V, *tuple[Any, ...]]], ind: Literal[0]) -> Iter[_V]: ...
    @overload
    def pluck(self: Iter[tuple[Any, _V, *tuple[Any, ...]]], ind: Literal[1]) -> Iter[_V]: ...
    @overload
    def pluck(self: Iter[tuple[Any, Any, _V, *tuple[Any, ...]]], ind: Literal[2]) -> Iter[_V]: ...
    @overload
    def pluck(self: Iter[tuple[Any, Any, Any, _V, *tuple[Any, ...]]], ind: Literal[3]) -> Iter[_V]: ...
    @overload
    def pluck(self: Iter[tuple[Any, Any, Any, Any, _V, *tuple[Any, ...]]], ind: Literal[4]) -> Iter[_V]: ...
    @overload
    def pluck(self: Iter[tuple[Any, Any, Any, Any, Any, _V, *tuple[Any, ...]]], ind: Literal[5]) -> Iter[_V]: ...
    @overload
    def pluck(self: Iter[tuple[Any, Any, Any, Any, Any, Any, _V, *tuple[Any, ...]]], ind: Literal[6]) -> Iter[_V]: ...
    @overload
    def pluck(self: Iter[tuple[Any, Any, Any, Any, Any, Any, Any, _V, *tuple[Any, ...]]], ind: Literal[7]) -> Iter[_V]: ...
    # END GENERATED Iter.pluck
    @overload
    def pluck(self: Iter[_Indexable[_K, _V]], ind: _K) -> Iter[_V]: ...
    def interpose(self, el: _U) -> Iter[_T_co | _U]:
        """Iter over the elements with `el` between each two."""
    def accumulate(self: Iter[_T], binop: Callable[[_T, _T], _T]) -> Iter[_T]:
        """Iter over the running reductions by binop."""
    def collect(self) -> list[_T_co]:
        """The elements as a list."""
    @overload
    def reduce(self: Iter[_T], binop: Callable[[_T, _T], _T]) -> _T:
        """functools.reduce(binop, elements[, initial])."""
    @overload
    def reduce(self, binop: Callable[[_A, _T_co], _A], initial: _A) -> _A: ...
    def count(self) -> int:
        """The number of elements."""
    def frequencies(self: Iter[_H]) -> dict[_H, int]:
        """Each distinct element mapped to its number of occurrences."""
    @overload
    def group_by(self, key: Callable[[_T_co], _H]) -> dict[_H, list[_T_co]]:
        """Each key value mapped to the list of elements with that key."""
    @overload
    def group_by(self: Iter[_NT], key: int) -> dict[Any, list[_NT]]: ...
    # BEGIN GENERATED Iter.group_by (tools/stub.py)
    @overload
    def group_by(self: Iter[tuple[_H, *_Ts]], key: Literal[0]) -> dict[_H, list[tuple[_H, *_Ts]]]: ...
    @overload
    def group_by(self: Iter[tuple[_I0, _H, *_Ts]], key: Literal[1]) -> dict[_H, list[tuple[_I0, _H, *_Ts]]]: ...
    @overload
    def group_by(self: Iter[tuple[_I0, _I1, _H, *_Ts]], key: Literal[2]) -> dict[_H, list[tuple[_I0, _I1, _H, *_Ts]]]: ...
    @overload
    def group_by(self: Iter[tuple[_I0, _I1, _I2, _H, *_Ts]], key: Literal[3]) -> dict[_H, list[tuple[_I0, _I1, _I2, _H, *_Ts]]]: ...
    @overload
    def group_by(self: Iter[tuple[_I0, _I1, _I2, _I3, _H, *_Ts]], key: Literal[4]) -> dict[_H, list[tuple[_I0, _I1, _I2, _I3, _H, *_Ts]]]: ...
    @overload
    def group_by(self: Iter[tuple[_I0, _I1, _I2, _I3, _I4, _H, *_Ts]], key: Literal[5]) -> dict[_H, list[tuple[_I0, _I1, _I2, _I3, _I4, _H, *_Ts]]]: ...
    @overload
    def group_by(self: Iter[tuple[_I0, _I1, _I2, _I3, _I4, _I5, _H, *_Ts]], key: Literal[6]) -> dict[_H, list[tuple[_I0, _I1, _I2, _I3, _I4, _I5, _H, *_Ts]]]: ...
    @overload
    def group_by(self: Iter[tuple[_I0, _I1, _I2, _I3, _I4, _I5, _I6, _H, *_Ts]], key: Literal[7]) -> dict[_H, list[tuple[_I0, _I1, _I2, _I3, _I4, _I5, _I6, _H, *_Ts]]]: ...
    # END GENERATED Iter.group_by
    @overload
    def group_by(self, key: _KeySpec) -> dict[Any, list[_T_co]]: ...
    def to_dict(self: Iter[tuple[_K, _V]]) -> dict[_K, _V]:
        """dict() of the (key, value) pairs."""
    def first(self) -> Some[_T_co] | NothingType:
        """Some(first element), or a NothingType."""
    def last(self) -> Some[_T_co] | NothingType:
        """Some(last element), or a NothingType."""
    def nth(self, i: SupportsIndex) -> Some[_T_co] | NothingType:
        """Some(element at position i), or a NothingType; i >= 0."""
