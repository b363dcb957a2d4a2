"""Every exported name used as the reference uses it, one line per stub overload it reaches.
`mypy --strict` and pyright (as pyproject.toml configures it) must accept this program and it must
run: `assert_type` pins what the checkers infer, the plain asserts what the code does. Where a
`# type: ignore` marks a limit of mypy, pyright still checks the line."""

import operator
from collections import OrderedDict
from collections.abc import Callable, Iterator, MutableMapping, Sequence
from typing import Any, NamedTuple, assert_type

from brisko import Err, Iter, NativeIter, Nothing, NothingType, Ok, Option, Result, Some, accumulate, apply, assoc
from brisko import assoc_in, complement, compose, compose_left, concat, concatv, cons, count, countby, curry, diff
from brisko import dissoc, do, drop, excepts, first, first_opt, flip, frequencies, get, get_in, get_in_opt, get_opt
from brisko import groupby, identity, interleave, interpose, isdistinct, itemfilter, itemmap, iterate, join, juxt
from brisko import keyfilter, keymap, last, last_opt, mapcat, memoize, merge, merge_sorted, merge_with, nth, nth_opt
from brisko import partition, partition_all, peek, peek_opt, pipe, pluck, reduceby, remove, second, sliding_window, tail
from brisko import take, take_nth, thread_first, thread_last, topk, unique, update_in, valfilter, valmap


class Sale(NamedTuple):
    item: str
    qty: int


SALES = [Sale("a", 1), Sale("b", 5), Sale("a", 2)]
PAIRS = [("a", 1), ("b", 5)]


def sequence_tools() -> None:
    assert assert_type(first([10, 20, 30]), int) == 10
    assert assert_type(second("abc"), str) == "b"
    assert assert_type(nth(-1, [1, 2, 3]), int) == 3
    assert assert_type(last(x for x in range(4)), int) == 3
    assert assert_type(get("x", {"x": 1, "y": 2}), int) == 1
    assert assert_type(get([0, 5], [10], "d"), tuple[int | str, ...]) == (10, "d")
    assert assert_type(get(5, {1: "a"}, None), str | None) is None
    assert assert_type(get(0, SALES[1]), str) == "b"
    head, everything = assert_type(peek(iter([1, 2, 3])), tuple[int, Iterator[int]])
    assert (head, list(everything)) == (1, [1, 2, 3])
    assert list(assert_type(drop(2, [10, 20, 30]), Iterator[int])) == [30]
    assert list(assert_type(take_nth(2, range(7)), Iterator[int])) == [0, 2, 4, 6]
    assert assert_type(tail(2, [1, 2, 3]), list[int]) == [2, 3]
    assert assert_type(tail(2, iter([1, 2, 3])), tuple[int, ...]) == (2, 3)
    assert assert_type(tail(1, range(3)), Sequence[int]) == range(2, 3)
    assert list(assert_type(cons(0, [1, 2]), Iterator[int])) == [0, 1, 2]
    assert assert_type(count(x for x in "abc" if x != "b"), int) == 2

    assert list(assert_type(concat([[1, 2], [], [3]]), Iterator[int])) == [1, 2, 3]
    assert list(assert_type(concatv([1], (2, 3)), Iterator[int])) == [1, 2, 3]
    assert list(assert_type(mapcat(lambda x: [x, x], [1, 2]), Iterator[int])) == [1, 1, 2, 2]
    assert list(assert_type(interleave([[1, 2, 3], [4]]), Iterator[int])) == [1, 4, 2, 3]
    assert list(assert_type(interpose(0.5, [1, 2]), Iterator[int | float])) == [1, 0.5, 2]
    assert list(assert_type(remove(lambda x: x % 2, range(6)), Iterator[int])) == [0, 2, 4]
    assert list(assert_type(take(4, iterate(lambda x: x * 2, 1)), Iterator[int])) == [1, 2, 4, 8]
    assert list(assert_type(accumulate(operator.add, [1, 2, 3]), Iterator[int])) == [1, 3, 6]
    assert list(assert_type(accumulate(lambda acc, s: acc + len(s), ["ab", "c"], 0), Iterator[int])) == [0, 2, 3]
    assert list(assert_type(partition(2, [1, 2, 3]), Iterator[tuple[int, ...]])) == [(1, 2)]
    assert list(assert_type(partition(2, [1, 2, 3], None), Iterator[tuple[int | None, ...]])) == [(1, 2), (3, None)]
    assert list(assert_type(partition_all(2, [1, 2, 3]), Iterator[tuple[int, ...]])) == [(1, 2), (3,)]
    assert list(assert_type(sliding_window(2, "abc"), Iterator[tuple[str, ...]])) == [("a", "b"), ("b", "c")]
    assert list(assert_type(pluck("name", [{"name": "ada"}, {"name": "bob"}]), Iterator[str])) == ["ada", "bob"]
    assert list(assert_type(pluck([0, 2], ["abc", "xyz"]), Iterator[tuple[str, ...]])) == [("a", "c"), ("x", "z")]
    assert list(assert_type(pluck(1, [[1], [2, 3]], None), Iterator[int | None])) == [None, 3]
    assert assert_type(sum(pluck(1, SALES)), int) == 8
    assert list(assert_type(pluck(len(PAIRS) - 1, SALES), Iterator[str | int])) == [1, 5, 2]
    assert list(assert_type(unique([1, 2, 1, 3, 2]), Iterator[int])) == [1, 2, 3]
    assert list(assert_type(unique(["a", "A", "b"], key=str.lower), Iterator[str])) == ["a", "b"]

    assert assert_type(groupby(0, ["ab", "ac", "b"]), dict[Any, list[str]]) == {"a": ["ab", "ac"], "b": ["b"]}
    assert assert_type(countby(len, ["a", "bb", "c"]), dict[int, int]) == {1: 2, 2: 1}
    assert assert_type(countby(0, SALES), dict[str, int]) == {"a": 2, "b": 1}
    assert assert_type(groupby(1, PAIRS), dict[int, list[tuple[str, int]]]) == {1: [("a", 1)], 5: [("b", 5)]}
    assert assert_type(groupby(0, SALES), dict[Any, list[Sale]])["b"] == [Sale("b", 5)]

    def append(acc: list[int], x: int) -> list[int]:
        return acc + [x]

    lists = reduceby(lambda x: x % 2, append, [1, 2, 3], [])
    assert assert_type(lists, dict[int, list[int]]) == {1: [1, 3], 0: [2]}
    assert assert_type(reduceby(0, lambda acc, row: acc + row[1], PAIRS, 0), dict[str, int]) == {"a": 1, "b": 5}
    assert assert_type(reduceby(0, lambda acc, sale: acc + sale.qty, SALES, 0), dict[Any, int]) == {"a": 3, "b": 5}
    assert assert_type(frequencies("abca"), dict[str, int]) == {"a": 2, "b": 1, "c": 1}
    assert assert_type(isdistinct([1, 2, 3]), bool)

    assert list(assert_type(merge_sorted([1, 4], [2, 3]), Iterator[int])) == [1, 2, 3, 4]
    assert list(assert_type(merge_sorted(["bb"], ["a", "ccc"], key=len), Iterator[str])) == ["a", "bb", "ccc"]
    assert list(assert_type(diff([1, 2, 3], [1, 2, 10]), Iterator[tuple[int, ...]])) == [(3, 10)]
    assert list(assert_type(diff([1, 2], [1], default=None), Iterator[tuple[int | None, ...]])) == [(2, None)]
    assert list(assert_type(diff([[1, 2], [1, 3]]), Iterator[tuple[int, ...]])) == [(2, 3)]
    people = [("ada", 1), ("bob", 2)]
    cities = [(1, "paris"), (3, "rome")]
    inner = join(1, people, 0, cities)
    assert list(assert_type(inner, Iterator[tuple[tuple[str, int], tuple[int, str]]])) == [(("ada", 1), (1, "paris"))]
    outer = join(lambda p: p[1], people, lambda c: c[0], cities, left_default="?", right_default="?")
    assert_type(outer, Iterator[tuple[tuple[str, int] | str, tuple[int, str] | str]])
    assert list(outer)[1:] == [("?", (3, "rome")), (("bob", 2), "?")]
    assert assert_type(topk(2, [1, 5, 3, 5]), tuple[int, ...]) == (5, 5)
    assert assert_type(topk(2, ["bb", "a", "cc"], key=len), tuple[str, ...]) == ("bb", "cc")
    assert isinstance(remove(bool, [0, 1]), NativeIter)


def fib(n: int) -> int:
    return n if n < 2 else memo_fib(n - 1) + memo_fib(n - 2)


memo_fib = memoize(fib)


def function_tools() -> None:
    def add(a: int, b: int, c: int) -> int:
        return a + b + c

    curried = curry(add)
    assert assert_type(curried(1)(2)(3), int) == 6
    assert assert_type(curried(1, 2)(3), int) == 6
    assert assert_type(curry(add, 1)(2, 3), int) == 6
    assert assert_type(curry(add, 1, 2, 3)(), int) == 6
    assert list(assert_type(curry(map)(str)([1, 2]), "map[str]")) == ["1", "2"]
    assert assert_type(curry(sorted)([3, 1]), list[int]) == [1, 3]

    def scale(x: float, by: float = 1.0) -> float:
        return x * by

    # Keyword application is beyond the typed shapes: the results are Any.
    assert curry(scale)(by=2.0)(3.0) == 6.0

    assert assert_type(identity(3), int) == 3
    assert assert_type(apply(max, 1, 5, 3), int) == 5
    assert assert_type(pipe([3, 1, 2], sorted), list[int]) == [1, 2, 3]
    assert pipe([3, 1, 2], sorted, lambda xs: xs[-2:]) == [2, 3]  # an overloaded generic stage: Any
    assert assert_type(pipe(" a ", str.strip, str.upper, len, str), str) == "1"
    seen: list[int] = []
    assert assert_type(do(seen.append, 5), int) == 5 and seen == [5]

    assert assert_type(compose(len, str.split)("a b", "-"), int) == 1
    assert assert_type(compose()(5), int) == 5
    assert assert_type(compose_left(str.split, len, str)("a b"), str) == "2"
    assert assert_type(complement(lambda x: x % 2 == 0)(3), bool)
    # mypy cannot solve min's and max's type variables together: tuple[Any, Any].
    assert assert_type(juxt(min, max)([3, 1, 2]), tuple[int, int]) == (1, 3)  # type: ignore[assert-type]
    assert assert_type(juxt(len, str)([3, 1]), tuple[int, str]) == (2, "[3, 1]")
    stats: list[Callable[[list[int]], int]] = [len, sum]
    assert assert_type(juxt(stats)([3, 1, 2]), tuple[int, ...]) == juxt([len, sum])([3, 1, 2]) == (3, 6)

    def inverse(x: float) -> float:
        return 1 / x

    safe_inverse = excepts(ZeroDivisionError, inverse, lambda e: float("inf"))
    assert (assert_type(safe_inverse(4), float), safe_inverse(0)) == (0.25, float("inf"))
    assert assert_type(excepts(ZeroDivisionError, inverse)(0), float | None) is None
    lookup = excepts((KeyError, IndexError), lambda d: d["k"], lambda e: type(e).__name__)
    assert lookup({}) == "KeyError"

    assert assert_type(memo_fib(30), int) == 832040
    cache: dict[int, int] = {}
    square = memoize(lambda x: x * x, cache=cache)
    assert (square(4), cache) == (16, {4: 16})
    keyed = memoize(fib, key=lambda args, kwargs: args[0] % 10)
    assert assert_type(keyed(12), int) == 144

    def sub(a: int, b: int) -> int:
        return a - b

    assert assert_type(thread_first(2, (pow, 3), str), str) == "8"
    assert assert_type(thread_last(2, (pow, 3), str), str) == "9"
    assert assert_type(thread_first(10, (sub, 3), (sub, 2)), int) == 5
    assert assert_type(thread_last(10, (sub, 3)), int) == -7
    assert assert_type(flip(sub, 1, 10), int) == 9
    assert assert_type(flip(sub)(1)(10), int) == 9


def mapping_tools() -> None:
    assert assert_type(merge({"a": 1, "b": 2}, {"b": 3}), dict[str, int]) == {"a": 1, "b": 3}
    assert assert_type(merge([{"a": 1}, {"c": 4}]), dict[str, int]) == {"a": 1, "c": 4}
    ordered = merge({"a": 1}, factory=OrderedDict[str, int])
    assert assert_type(ordered, OrderedDict[str, int]) == OrderedDict(a=1)
    made = merge({"a": 1}, factory=lambda: OrderedDict())
    assert assert_type(made, MutableMapping[str, int]) == {"a": 1}
    assert assert_type(merge_with(sum, {"a": 1}, {"a": 2, "b": 3}), dict[str, int]) == {"a": 3, "b": 3}
    assert assert_type(assoc({"a": 1}, "b", "x"), dict[str, int | str]) == {"a": 1, "b": "x"}
    assert assert_type(dissoc({"a": 1, "b": 2, "c": 3}, "a", "z"), dict[str, int]) == {"b": 2, "c": 3}
    assert assert_type(assoc_in({"a": {"b": 1}}, ["a", "c"], 2), dict[Any, Any]) == {"a": {"b": 1, "c": 2}}
    assert update_in({}, ["hits"], lambda n: n + 1, 0) == {"hits": 1}
    assert get_in(["a", 5], {"a": [10, 20]}, "missing") == "missing"
    assert assert_type(keymap(str.upper, {"a": 1, "b": 2}), dict[str, int]) == {"A": 1, "B": 2}
    assert assert_type(valmap(len, {"a": "xyz", "b": ""}), dict[str, int]) == {"a": 3, "b": 0}
    assert assert_type(itemmap(lambda kv: (kv[1], kv[0]), {"a": 1}), dict[int, str]) == {1: "a"}
    assert assert_type(keyfilter(lambda k: k.startswith("_"), {"_x": 1, "y": 2}), dict[str, int]) == {"_x": 1}
    assert assert_type(valfilter(bool, {"a": [], "b": [0]}), dict[str, list[int]]) == {"b": [0]}
    assert assert_type(itemfilter(lambda kv: kv[0] == kv[1], {1: 1, 2: 3}), dict[int, int]) == {1: 1}


def from_option(o: Some[int] | NothingType) -> int:
    match o:
        case Some(x):
            return assert_type(x, int)
        case NothingType():
            return 0


def from_result(r: Ok[int] | Err[ValueError]) -> int:
    match r:
        case Ok(v):
            return v
        case Err(e):
            assert_type(e, ValueError)
            return 0


def halve(x: int) -> Ok[int] | Err[str]:
    return Err("odd") if x % 2 else Ok(x // 2)


def loose(o: Option[int], r: Result[int, str]) -> int:
    # The protocol types accept every variant and offer their shared methods; matching one solves
    # the variant's type (mypy binds Any).
    match o:
        case Some(v):
            assert_type(v, int)  # type: ignore[assert-type]
        case _:
            pass
    return o.map(lambda x: x + 1).unwrap_or(0) + r.unwrap_or(0)


def option_and_result() -> None:
    assert assert_type(Some(3).map(lambda x: x + 1), "Some[int]") == Some(4)
    assert assert_type(Some(3).filter(lambda x: x > 5), "Some[int] | NothingType") == Nothing
    assert assert_type(Some(2).and_then(lambda x: first_opt([x])), "Some[int] | NothingType") == Some(2)
    assert assert_type(NothingType().unwrap_or(7), int) == 7
    assert assert_type(NothingType().ok_or("missing"), "Err[str]") == Err("missing")

    found = Option.of({"a": 1}.get("a"))
    assert assert_type(found, "Some[int] | NothingType") == Some(1)
    assert from_option(found) == 1 and from_option(Option.of(None)) == 0
    o = first_opt(["a"])
    assert assert_type(o.unwrap(), str) == "a"
    assert assert_type(o.map(len), "Some[int] | NothingType") == Some(1)
    assert assert_type(o.unwrap_or(0), str | int) == "a"
    if o:
        assert_type(o, "Some[str]")

    assert assert_type(Ok(2).map(lambda x: x * 10), "Ok[int]") == Ok(20)
    assert assert_type(Ok(2).and_then(halve), "Ok[int] | Err[str]") == Ok(1)
    assert assert_type(Ok(2).ok(), "Some[int]") == Some(2)
    assert assert_type(Err("boom").map_err(str.upper), "Err[str]") == Err("BOOM")
    assert assert_type(Err("boom").unwrap_or(0), int) == 0
    outcome = Result.of(lambda: 10 // 2)
    assert assert_type(outcome, "Ok[int] | Err[Exception]") == Ok(5)
    assert from_result(Ok(5)) == 5 and from_result(Err(ValueError())) == 0
    assert loose(Some(1), Err("no")) == 2 and loose(Nothing, Ok(3)) == 3

    assert assert_type(last_opt("abc"), "Some[str] | NothingType") == Some("c")
    assert assert_type(nth_opt(2, [10, 20, 30]), "Some[int] | NothingType") == Some(30)
    assert assert_type(get_opt("a", {"a": 1}), "Some[int] | NothingType") == Some(1)
    assert assert_type(get_opt(1, SALES[0]), "Some[int] | NothingType") == Some(1)
    assert get_in_opt({"a": [1, 2]}, "a", 1) == Some(2)
    match peek_opt(iter("xyz")):
        case Some((head, everything)):
            assert (assert_type(head, str), list(everything)) == ("x", ["x", "y", "z"])
        case NothingType():
            raise AssertionError


def fluent() -> None:
    tens = Iter([3, 1, 3, 2, 5]).unique().map(lambda x: x * 10).take(3)
    assert assert_type(tens, "Iter[int]").collect() == [30, 10, 20]
    assert assert_type(Iter([1, 2]).map(str), "Iter[str]").collect() == ["1", "2"]
    assert assert_type(Iter([1, None]).filter(None), "Iter[int]").collect() == [1]
    letters = Iter(["ab", "cd"]).flat_map(list).interpose("-")
    assert assert_type(letters, "Iter[str]").collect() == ["a", "-", "b", "-", "c", "-", "d"]
    assert assert_type(Iter([[1, 2], [3, 4]]).pluck(1).accumulate(operator.add), "Iter[int]").collect() == [2, 6]
    assert assert_type(Iter(SALES).pluck(0), "Iter[str]").collect() == ["a", "b", "a"]
    assert assert_type(Iter(PAIRS).group_by(0), dict[str, list[tuple[str, int]]]) == {"a": [("a", 1)], "b": [("b", 5)]}
    assert assert_type(Iter(range(5)).partition_all(2), "Iter[tuple[int, ...]]").collect() == [(0, 1), (2, 3), (4,)]
    assert assert_type(Iter([1, 2, 3]).reduce(operator.add), int) == 6
    assert assert_type(Iter(["ab", "c"]).reduce(lambda n, s: n + len(s), 0), int) == 3
    assert assert_type(Iter("abca").frequencies(), dict[str, int]) == {"a": 2, "b": 1, "c": 1}
    assert assert_type(Iter(["a", "bb", "c"]).group_by(len), dict[int, list[str]]) == {1: ["a", "c"], 2: ["bb"]}
    assert assert_type(Iter([("a", 1), ("b", 2)]).to_dict(), dict[str, int]) == {"a": 1, "b": 2}
    assert assert_type(Iter({"x": 0, "y": 0}).count(), int) == 2
    assert assert_type(Iter([1, 2]).last(), "Some[int] | NothingType") == Some(2)
    assert [x for x in Iter([1, 2])] == [1, 2]


sequence_tools()
function_tools()
mapping_tools()
option_and_result()
fluent()
