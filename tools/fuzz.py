"""Hostile input: every export and every method of every class, called with objects that fail,
mutate what is being read, reenter the iterator calling them, run Python code from __del__, or
exaggerate (huge ints, odd subclasses, every kind of buffer, deep nesting). Nothing may crash,
every failure is an ordinary host exception (never SystemError, never PanicException), and a lazy
result stays usable after an error. `./dev fuzz` runs it for minutes under the sanitizers;
`./dev test` runs a small budget of it, through tests/test_hostile_fuzz.py."""

import array
import atexit
import functools
import gc
import inspect
import itertools
import math
import os

from hypothesis import HealthCheck, given, settings
from hypothesis import strategies as st

from brisko import _brisko as b
from conftest import Boom

EXAMPLES = int(os.environ.get("BRISKO_FUZZ_EXAMPLES", "60"))
CALLS = {"calls": 0, "errors": 0, "steps": 0}


class Halt(BaseException):
    """Neither Exception nor an interrupt: must pass through everything unchanged."""


# What each protocol of a Raiser returns when it does not fail.
PLAIN_ANSWERS = {
    "iter": lambda self: iter([1, (2, 3), "x"]), "hash": lambda self: 7, "eq": lambda self, other: self is other,
    "bool": lambda self: True, "index": lambda self: 2, "getitem": lambda self, key: key, "len": lambda self: 3,
    "length_hint": lambda self: 3, "repr": lambda self: "Raiser()", "keys": lambda self: ["a"],
    "call": lambda self, *args, **kwargs: args[0] if args else None,
}


def _protocol(name, answer):
    def method(self, *args, **kwargs):
        if self.protocol == name:
            raise self.exc(name)
        return answer(self, *args, **kwargs)

    return method


class Raiser:
    """Fails one protocol with one exception; answers plainly otherwise."""

    def __init__(self, protocol, exc):
        self.protocol, self.exc = protocol, exc


for _name, _answer in PLAIN_ANSWERS.items():
    setattr(Raiser, _name if _name == "keys" else f"__{_name}__", _protocol(_name, _answer))


def failing_iterator(values, exc, k=None):
    """Yields its first k values (all by default), then raises once (and is over)."""
    yield from itertools.islice(values, k)
    raise exc("next")


class Failing:
    """An iterable whose every iterator is a failing_iterator, item i what pull i + 1 gives; of a
    dict, a mapping whose items() fail the same way."""

    def __init__(self, values, exc, k):
        self.values, self.exc, self.k = values, exc, k

    def __iter__(self):
        return failing_iterator(self.values, self.exc, self.k)

    def __getitem__(self, i):
        return next(itertools.islice(self, i, None))

    def keys(self):
        return self.values.keys()

    def items(self):
        return Failing(list(self.values.items()), self.exc, self.k)


class Mutator:
    """A callable (and a key with __eq__/__hash__) that changes a container while it is read; as a
    key, its hash changes with the container's size."""

    def __init__(self, target, how):
        self.target, self.how = target, how

    def _mutate(self, answer):
        t = self.target
        if self.how == "clear":
            t.clear()
        elif self.how == "grow":
            t.extend(range(3)) if isinstance(t, list) else t.update({len(t) + 1000: 0})
        elif t:
            t.pop() if isinstance(t, list) else t.popitem()
        return answer

    def __call__(self, *args, **kwargs):
        return self._mutate(args[0] if args else 0)

    def __hash__(self):
        return len(self._mutate(self.target)) % 2

    def __eq__(self, other):
        return self._mutate(self is other)


class Reentrant:
    """A callable that advances whatever brisko iterator it is attached to after the call."""

    target = None

    def __call__(self, *args, **kwargs):
        if self.target is not None:
            try:
                next(self.target)
            except Exception:
                pass
        return args[0] if args else None


class Deleter:
    """Runs Python code, a collection included, whenever one of them is freed."""

    def __del__(self):
        sum(range(10))
        gc.collect(0)


# Subclasses whose protocols disagree with what their base's fast paths would read.
IntSub = type("IntSub", (int,), {"__index__": lambda self: 5})
StrSub = type("StrSub", (str,), {"__hash__": lambda self: 1})
TupleSub = type("TupleSub", (tuple,), {"__iter__": lambda self: iter(("odd",))})
ListSub = type("ListSub", (list,), {"__iter__": lambda self: iter(tuple(list.__iter__(self))[::-1]),
                                    "__len__": lambda self: 99})
DictSub = type("DictSub", (dict,), {"__getitem__": lambda self, key: {}[key], "keys": lambda self: ["missing"]})


def buffers():
    np = None
    if not os.environ.get("BRISKO_LEAKS"):  # numpy is built for the release interpreter only
        try:
            import numpy as np
        except ImportError:
            pass
    views = [array.array("q", [3, 1, 3]), memoryview(array.array("q", [5, 5, 6])), array.array("i", [1, 2])]
    if np is not None:
        a = np.arange(10, dtype=np.int64) % 4
        readonly = a.copy()
        readonly.setflags(write=False)
        raw = bytearray(8 * 6 + 1)
        views += [a, a[::2], readonly, np.frombuffer(raw, dtype=np.int64, count=6, offset=1),
                  a.astype(">i8"), a.reshape(2, 5), a.astype(np.float64), a[:0], a.astype(np.int32)]
    return views


EXCEPTIONS = [Boom, Halt, SystemExit, KeyboardInterrupt, StopIteration, TypeError, KeyError]
PROTOCOLS = ["iter", "hash", "eq", "bool", "index", "getitem", "len", "length_hint", "repr", "call", "keys"]


def plain():
    return [None, 0, 1, -1, 3, 2**63 - 1, 2**63, -(2**63), 2**100, -(2**100), 1.5, math.nan, "abc", "", b"xy",
            (), (1,), [], [1, 2, 3], {}, {1: 2, "a": [3]}, range(5), frozenset({1}), object(), len, abs, str,
            lambda *a, **k: 1 / 0]


def pick(make):
    """One of the values `make()` returns, made afresh for every example (a tool may fill a dict it
    is given, as memoize does, and nothing may carry over between examples). Strategies are made
    once, at import: hypothesis keeps every strategy made in a cache of its own, which a strategy
    made per example would grow on every run."""
    return st.integers(0, len(make()) - 1).map(lambda i: make()[i])


def choose(draw, options):
    """One of `options`, drawn inside a composite strategy without making a new strategy."""
    return options[draw(st.integers(0, len(options) - 1))]


def failing(draw, values, kinds=(failing_iterator, Failing)):
    """`values` read through something that raises at pull k + 1, for any k from 0 to len(values)."""
    k = draw(st.sampled_from(range(len(values) + 1)))  # uniform: integers() favours the first pull
    return choose(draw, kinds)(values, draw(st.sampled_from(EXCEPTIONS)), k)


PLAIN, PLAIN_LISTS = pick(plain), st.lists(pick(lambda: plain()[:20]), max_size=4)
KINDS = ["plain", "raiser", "failing", "mutating", "reentrant", "deleter", "subclass", "buffer", "deep", "brisko",
         "list of"]


@st.composite
def hostile(draw):
    kind = draw(st.sampled_from(KINDS))
    if kind == "plain":
        return draw(PLAIN)
    if kind == "raiser":
        return Raiser(draw(st.sampled_from(PROTOCOLS)), draw(st.sampled_from(EXCEPTIONS)))
    if kind == "failing":
        return failing(draw, range(draw(st.integers(0, 3))))
    if kind == "mutating":
        target = draw(st.sampled_from([list, dict]))()
        target.update({i: i for i in range(4)}) if isinstance(target, dict) else target.extend(range(4))
        mutator = Mutator(target, draw(st.sampled_from(["clear", "grow", "pop"])))
        return choose(draw, [mutator, target, [mutator, target], {2: target, mutator: 1}])
    if kind == "reentrant":
        return Reentrant()
    if kind == "deleter":
        return choose(draw, [[Deleter(), Deleter()], (Deleter(),), {1: Deleter()}])
    if kind == "subclass":
        return choose(draw, [IntSub(3), StrSub("k"), TupleSub((1, 2)), ListSub([1, 2, 3]), DictSub({"a": 1})])
    if kind == "buffer":
        return choose(draw, buffers())
    if kind == "deep":
        levels = draw(st.integers(1, 300))
        if draw(st.booleans()):
            return functools.reduce(lambda leaf, _: [leaf], range(levels), draw(st.sampled_from([1, (), "x"])))
        return functools.reduce(lambda it, _: b.unique(it), range(levels), [1, 2, 1])
    if kind == "brisko":
        return choose(draw, [b.Some(1), b.Nothing, b.Ok([]), b.Err(Boom()), b.curry(abs), b.Iter([1, 2]),
                             b.unique([1, 1, 2]), b.compose(abs), b.flip])
    return draw(PLAIN_LISTS)


arguments = st.lists(hostile(), max_size=5)


def callables():
    return [abs, len, str, lambda *a, **k: a[0] if a else None, lambda x, y=0: (x, y), lambda *a: 1 / 0,
            Raiser("call", Boom), Raiser("call", Halt), Raiser("bool", Boom), Reentrant(), b.Some, b.identity]


def elements():
    """Elements for the data a tool reads: equal across types, colliding, unhashable, failing."""
    return [1, 1.0, True, "a", (1, 2), None, [1], {"a": 1}, Raiser("hash", Boom), Raiser("eq", Boom),
            Raiser("getitem", Boom), StrSub("a"), IntSub(1), math.nan, 2**70, (Raiser("hash", Halt),)]


ELEMENT_LISTS = st.lists(pick(elements), max_size=6)


@st.composite
def data(draw, shape=None):
    """Something to read: mostly an iterable of elements, sometimes a mapping or plain hostile."""
    items = draw(ELEMENT_LISTS)
    shape = shape or draw(st.sampled_from(["list", "tuple", "iter", "failing", "dict", "list of lists", "mutating",
                                           "hostile"]))
    if shape == "list":
        return items
    if shape == "tuple":
        return tuple(items)
    if shape == "iter":
        return iter(items)
    if shape == "failing":
        return failing(draw, items)
    if shape == "dict":
        d = {i: v for i, v in enumerate(items)}
        return failing(draw, d, [Failing]) if draw(st.booleans()) else d
    if shape == "list of lists":  # rows, some failing at any pull, in a list or in something failing
        rows = [failing(draw, [v, i]) if draw(st.booleans()) else [v, i] for i, v in enumerate(items)]
        return failing(draw, rows) if draw(st.booleans()) else rows
    if shape == "mutating":
        return items + [Mutator(items, draw(st.sampled_from(["clear", "grow", "pop"])))]
    return draw(hostile())


# What each parameter name gets: callables for the function-like ones, counts for the counts,
# data (for the mapping tools' d and dicts, mostly mappings) for the rest; a fifth of the time,
# anything at all.
CALLABLE_PARAMS = {"func", "f", "key", "binop", "predicate", "pred", "handler", "leftkey", "rightkey", "exc"}
COUNT_PARAMS = {"n", "k", "i"}


@functools.cache
def argument(name):
    if name in CALLABLE_PARAMS:
        sensible = pick(callables) | st.builds(  # half return a pair or row failing at one of its pulls
            functools.partial, st.just(failing_iterator), exc=st.sampled_from(EXCEPTIONS), k=st.sampled_from(range(4)))
    elif name in COUNT_PARAMS:
        sensible = st.integers(-3, 2**64) | pick(lambda: [IntSub(2), Raiser("index", Boom), 2**100, -(2**63)])
    elif name in {"ind", "keys"}:
        sensible = st.integers(-2, 2) | st.lists(st.integers(-2, 2), max_size=3) | pick(elements)
    else:
        sensible = data("dict") | data() if name in {"d", "dicts"} else data()
    return st.one_of(sensible, sensible, sensible, sensible, hostile())


@st.composite
def signature_arguments(draw, func):
    """Positional arguments shaped by `func`'s signature, some extra and some missing."""
    try:
        params = list(inspect.signature(func).parameters.values())
    except (TypeError, ValueError):
        return draw(arguments), {}
    args, kwargs = [], {}
    for p in params:
        if p.kind is p.VAR_POSITIONAL:
            args += draw(st.lists(argument(p.name), max_size=3))
        elif p.kind is p.KEYWORD_ONLY or (p.default is not p.empty and draw(st.booleans())):
            if draw(st.booleans()):
                kwargs[p.name] = draw(argument(p.name))
        elif p.kind is not p.VAR_KEYWORD:
            args.append(draw(argument(p.name)))
    if draw(st.integers(0, 9)) == 0:  # the wrong number of arguments now and then
        args = args[:-1] if args and draw(st.booleans()) else args + [draw(hostile())]
    return args, kwargs


def attach(reentrants, result):
    for r in reentrants:
        r.target = result


def check(exc):
    """An exception that a call may end with: anything but the markers of an internal fault."""
    CALLS["errors"] += 1
    assert type(exc) is not SystemError, repr(exc)
    assert type(exc).__name__ != "PanicException", repr(exc)


def attempt(func, *args, **kwargs):
    """func(*args, **kwargs), or None once whatever it raised has been checked."""
    try:
        return func(*args, **kwargs)
    except BaseException as e:  # noqa: B902 - interrupts from the zoo are results too
        check(e)


def drive(result, reentrants):
    """Uses a result as a program would: pull from an iterator (past its errors), call a callable."""
    attach(reentrants, result)
    try:
        if hasattr(result, "__next__"):
            for _ in range(40):
                CALLS["steps"] += 1
                try:
                    next(result)
                except StopIteration:
                    break
                except BaseException as e:  # noqa: B902
                    check(e)
            for _ in range(2):  # after the end, or after errors, it stays well behaved
                attempt(next, result)
        elif callable(result) and not isinstance(result, type):
            attempt(result, 1)
    finally:
        attach(reentrants, None)  # breaks the cycle through the callable


def call(func, args, kwargs):
    CALLS["calls"] += 1
    drive(attempt(func, *args, **kwargs), [a for a in args if isinstance(a, Reentrant)])


FUNCTIONS = [name for name in b.__all__ if callable(getattr(b, name))]
HYPOTHESIS = settings(max_examples=EXAMPLES, suppress_health_check=list(HealthCheck), deadline=None)


@HYPOTHESIS
@given(st.data())
def test_every_export(draw):
    name = draw.draw(st.sampled_from(FUNCTIONS))
    args, kwargs = draw.draw(signature_arguments(getattr(b, name)))
    call(getattr(b, name), args, kwargs)


def instances(k=2):
    return [b.Some(1), b.Some(Raiser("eq", Boom)), b.NothingType(), b.Ok(2), b.Err(Boom("e")), b.Iter([3, 1, 3]),
            b.Iter(failing_iterator([1, 2, 3], Boom, k)), b.Option, b.Result]


METHODS = [(i, m) for i, obj in enumerate(instances()) for m in dir(obj)
           if not m.startswith("_") and callable(getattr(obj, m))]


@HYPOTHESIS
@given(st.data())
def test_every_method(draw):
    index, name = draw.draw(st.sampled_from(METHODS))
    method = getattr(instances(draw.draw(st.sampled_from(range(4))))[index], name)
    args, kwargs = draw.draw(signature_arguments(method))
    call(method, args, kwargs)


@HYPOTHESIS
@given(st.sampled_from(["==", "!=", "<", "repr", "bool", "hash", "iter"]), hostile(), hostile())
def test_value_protocols(op, x, y):
    for value in (b.Some(x), b.Ok(x), b.Err(x), b.Iter(x)):
        CALLS["calls"] += 1
        attempt({"==": lambda: value == y, "!=": lambda: value != y, "<": lambda: value < y,
                 "repr": lambda: repr(value), "bool": lambda: bool(value), "hash": lambda: hash(value),
                 "iter": lambda: list(itertools.islice(value, 5))}[op])


def _report():
    path = os.environ.get("BRISKO_FUZZ_STATS")
    if path:
        with open(path, "a") as f:
            f.write(f"{CALLS['calls']} {CALLS['steps']} {CALLS['errors']}\n")


atexit.register(_report)
