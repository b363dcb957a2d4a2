"""Iter: laziness and the shared inner object, fresh host lookups, and a property test of random
chains. (Cycles, deep nesting and a cleared Iter are in test_soundness's tables.)"""

import builtins
import itertools
import operator
import sys

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko._brisko import Iter, Nothing, Some
from conftest import hashables


def test_chain_methods_pull_nothing_and_terminals_only_what_they_need():
    pulled = []
    it = Iter(pulled.append(x) or x for x in itertools.count())
    for chain in (it.map(str), it.filter(bool), it.unique(), it.take(3), it.drop(3), it.sliding_window(1),
                  it.partition_all(2), it.flat_map(list), it.pluck(0), it.interpose(0), it.accumulate(max)):
        assert type(chain) is Iter
    assert pulled == []
    assert it.sliding_window(3).take(1).collect() == [(0, 1, 2)] and len(pulled) == 3
    assert it.unique().take(10).collect() == list(range(3, 13)) and len(pulled) == 13
    assert it.first() == Some(13) and it.nth(1) == Some(15) and len(pulled) == 16


def test_derived_iters_share_the_inner_object():
    it = Iter(iter([1, 2, 3, 4]))
    assert it.take(1).collect() == [1] and it.map(str).first() == Some("2")
    assert it.collect() == [3, 4] and it.collect() == []
    listed = Iter([1, 2, 3])
    assert listed.take(1).collect() == [1] and listed.drop(1).collect() == [2, 3] and listed.count() == 3
    assert iter(listed) is not listed and list(listed) == list(listed) == [1, 2, 3]
    with pytest.raises(TypeError, match="is not an iterator"):
        next(listed)
    with pytest.raises(TypeError, match="^reduce\\(\\) of empty iterable with no initial value$"):
        Iter([]).reduce(operator.add)


def test_host_callables_are_looked_up_at_every_call_through_the_import_machinery():
    seen, original, saved = [], builtins.__import__, (sys.modules["functools"], builtins.dict)
    fake = type(sys)("functools")
    fake.reduce = lambda *args: ("fake", args[2:])
    builtins.__import__ = lambda name, *args, **kwargs: seen.append(name) or original(name, *args, **kwargs)
    try:
        listed = Iter([1]).collect()
    finally:
        builtins.__import__ = original
    sys.modules["functools"], builtins.dict = fake, lambda inner: ["dict"]
    try:
        results = Iter([1]).reduce(max, 0), Iter([(1, 2)]).to_dict()
    finally:
        sys.modules["functools"], builtins.dict = saved
    assert listed == [1] and seen == ["builtins"] and results == (("fake", (0,)), ["dict"])


def _unique(xs):
    seen = set()
    return [x for x in xs if not (x in seen or seen.add(x))]


# (method arguments, plain-Python formulation over a list) for each step of a random chain.
STEPS = {
    "map": (lambda v: ((lambda x: (x,)),), lambda xs, v: [(x,) for x in xs]),
    "filter": (lambda v: ((lambda x: hash(x) % 3 != v % 3),), lambda xs, v: [x for x in xs if hash(x) % 3 != v % 3]),
    "unique": (lambda v: (), lambda xs, v: _unique(xs)),
    "take": (lambda v: (v,), lambda xs, v: xs[:v]),
    "drop": (lambda v: (v,), lambda xs, v: xs[v:]),
    "sliding_window": (lambda v: (v + 1,), lambda xs, v: [tuple(xs[i : i + v + 1]) for i in range(len(xs) - v)]),
    "partition_all": (lambda v: (v + 1,), lambda xs, v: [tuple(xs[i : i + v + 1]) for i in range(0, len(xs), v + 1)]),
    "flat_map": (lambda v: ((lambda x: [x] * v),), lambda xs, v: [x for x in xs for _ in range(v)]),
    "interpose": (lambda v: (v,), lambda xs, v: [y for x in xs for y in (v, x)][1:]),
    "accumulate": (lambda v: ((lambda a, b: b if hash(b) % 2 else a),),
                   lambda xs, v: list(itertools.accumulate(xs, lambda a, b: b if hash(b) % 2 else a))),
}

TERMINALS = {
    "collect": lambda xs: xs,
    "count": len,
    "frequencies": lambda xs: {x: xs.count(x) for x in _unique(xs)},
    "first": lambda xs: Some(xs[0]) if xs else Nothing,
    "last": lambda xs: Some(xs[-1]) if xs else Nothing,
}


@given(
    values=st.lists(hashables, max_size=12),
    chain=st.lists(st.tuples(st.sampled_from(sorted(STEPS)), st.integers(0, 3)), max_size=5),
    terminal=st.sampled_from(sorted(TERMINALS)),
    as_iterator=st.booleans(),
)
def test_random_chains_match_plain_python(values, chain, terminal, as_iterator):
    it, expected = Iter(iter(values) if as_iterator else values), list(values)
    for name, v in chain:
        make_args, plain = STEPS[name]
        it, expected = getattr(it, name)(*make_args(v)), plain(expected, v)
    assert getattr(it, terminal)() == TERMINALS[terminal](expected)
