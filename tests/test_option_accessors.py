"""The optional accessors: first_opt, last_opt, nth_opt, peek_opt, get_opt and get_in_opt."""

import itertools

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko._brisko import Nothing, NothingType, Some, first_opt, get_in_opt, get_opt, last_opt, nth_opt, peek_opt
from conftest import hashables


def test_peek_opt_looks_chain_up_at_every_call():
    chain = itertools.chain
    itertools.chain = lambda first, rest: ("chained", first, list(rest))
    try:
        assert peek_opt(iter([1, 2])) == Some((1, ("chained", (1,), [2])))
    finally:
        itertools.chain = chain


@pytest.mark.parametrize(
    "ind, coll, expected",
    [(-1, [1, 2], Some(2)), ("a", {}, None), ("a", [1], None), (0, None, None), ([1], {}, None),
     ((1, 2), {(1, 2): "t"}, Some("t")), (slice(1, None), (1, 2), Some((2,))), ("k", {"k": None}, Some(None))],
)
def test_get_opt(ind, coll, expected):
    result = get_opt(ind, coll)
    assert (type(result) is NothingType and result is not Nothing) if expected is None else result == expected


def test_get_in_opt():
    coll = {"a": [1, 2]}
    assert get_in_opt(coll).unwrap() is coll and get_in_opt(coll, "a", 1) == Some(2)
    for keys in (("a", 5), ("a", "x"), ("b",)):
        result = get_in_opt(coll, *keys)
        assert type(result) is NothingType and result is not Nothing


@given(st.lists(hashables, max_size=5), st.integers(0, 6))
def test_accessors_match_plain_python(values, n):
    def opt(items):
        return Some(items[0]) if items else Nothing

    assert first_opt(iter(values)) == opt(values[:1]) and last_opt(iter(values)) == opt(values[-1:])
    assert nth_opt(n, iter(values)) == nth_opt(n, values) == opt(values[n : n + 1])
    assert get_opt(n, values) == get_in_opt([values], 0, n) == get_opt(n, tuple(values)) == opt(values[n : n + 1])
