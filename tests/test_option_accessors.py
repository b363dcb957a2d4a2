"""The optional accessors: first_opt, last_opt, nth_opt, peek_opt, get_opt and get_in_opt."""

import itertools
import signal

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko._brisko import Nothing, NothingType, Some, first_opt, get_in_opt, get_opt, last_opt, nth_opt, peek_opt
from conftest import raising_after


def is_nothing(value):
    return type(value) is NothingType and value is not Nothing


def test_sequence_accessors_over_every_shape(shape):
    big = [2**70, 2**71, 2**72]  # not immortal: leaks show under ./dev leaks
    assert first_opt(shape(big)) == Some(big[0])
    assert last_opt(shape(big)) == Some(big[-1])
    assert nth_opt(2, shape(big)) == Some(big[2])
    head, rest = peek_opt(shape(big)).unwrap()
    assert head == big[0] and list(rest) == big
    for call in (first_opt, last_opt, peek_opt, lambda s: nth_opt(0, s)):
        assert is_nothing(call(shape([])))
    assert is_nothing(nth_opt(3, shape(big)))
    assert first_opt(shape([None])) == Some(None)


def test_only_what_is_needed_is_pulled():
    it = iter([1, 2, 3, 4])
    assert first_opt(it) == Some(1) and nth_opt(1, it) == Some(3) and list(it) == [4]
    gen = (x for x in "abc")
    assert last_opt(gen) == Some("c") and list(gen) == []


@pytest.mark.parametrize(
    "call, k",
    [(first_opt, 0), (last_opt, 2), (lambda it: nth_opt(0, it), 0), (lambda it: nth_opt(3, it), 1)],
    ids=["first_opt", "last_opt", "nth_opt-taking", "nth_opt-skipping"],
)
def test_pull_errors_propagate(call, k, boom):
    with pytest.raises(boom):
        call(raising_after([1, 2], k))


@pytest.mark.parametrize("func", [first_opt, last_opt, peek_opt, lambda s: nth_opt(0, s)])
def test_non_iterables_raise_the_host_type_error(func):
    with pytest.raises(TypeError, match="'int' object is not iterable"):
        func(5)


@pytest.mark.parametrize("n, exc", [(-1, OverflowError), (2**64, OverflowError), ("1", TypeError), (1.0, TypeError)])
def test_nth_opt_counts_are_non_negative_words(n, exc):
    with pytest.raises(exc) as info:
        nth_opt(n, [1])
    assert type(info.value) is exc and info.value.__notes__ == ["while processing 'n'"]


def test_peek_opt_looks_chain_up_at_every_call():
    chain = itertools.chain
    itertools.chain = lambda first, rest: ("chained", first, list(rest))
    try:
        assert peek_opt(iter([1, 2])) == Some((1, ("chained", (1,), [2])))
    finally:
        itertools.chain = chain


@pytest.mark.parametrize(
    "ind, coll, expected",
    [(0, [1], Some(1)), (-1, [1, 2], Some(2)), (5, [1], None), ("a", {}, None), ("a", [1], None),
     (0, None, None), ([1], {}, None), ((1, 2), {(1, 2): "t"}, Some("t")), (slice(1, None), (1, 2), Some((2,))),
     ("k", {"k": None}, Some(None))],
)
def test_get_opt(ind, coll, expected):
    result = get_opt(ind, coll)
    assert is_nothing(result) if expected is None else result == expected


@pytest.mark.parametrize(
    "keys, expected", [(("a", 1), Some(2)), (("a", 5), None), (("a", "x"), None), (("b",), None), ((), "itself")]
)
def test_get_in_opt(keys, expected):
    coll = {"a": [1, 2]}
    result = get_in_opt(coll, *keys)
    if expected == "itself":
        assert result.unwrap() is coll
    else:
        assert is_nothing(result) if expected is None else result == expected


def test_only_lookup_errors_become_nothing():
    class Strict(dict):
        def __getitem__(self, key):
            raise ValueError(key)

    with pytest.raises(ValueError):
        get_opt("a", Strict())
    with pytest.raises(ValueError):
        get_in_opt({"a": Strict()}, "a", "b")
    with pytest.raises(TypeError, match="get_in_opt\\(\\) got an unexpected keyword argument 'keys'"):
        get_in_opt({}, keys=["a"])


@pytest.mark.parametrize("call", [last_opt, lambda src: nth_opt(2**62, src)], ids=["last_opt", "nth_opt"])
def test_long_walks_can_be_interrupted(call):
    class Interrupted(Exception):
        pass

    def handler(signum, frame):
        raise Interrupted

    previous = signal.signal(signal.SIGALRM, handler)
    try:
        signal.setitimer(signal.ITIMER_REAL, 0.05)
        with pytest.raises(Interrupted):
            call(itertools.count())
    finally:
        signal.setitimer(signal.ITIMER_REAL, 0)
        signal.signal(signal.SIGALRM, previous)


@given(st.lists(st.integers(), max_size=5), st.integers(0, 6))
def test_accessors_match_plain_python(values, n):
    def opt(items):
        return Some(items[0]) if items else Nothing

    assert first_opt(iter(values)) == opt(values[:1])
    assert last_opt(iter(values)) == opt(values[-1:])
    assert nth_opt(n, iter(values)) == opt(values[n : n + 1])
    assert get_opt(n, values) == opt(values[n : n + 1])
    assert get_in_opt([values], 0, n) == opt(values[n : n + 1])
