"""Element access: first, second, nth, last, get, peek, take, drop, take_nth, tail, cons, count."""

import collections
import itertools
import signal

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko._brisko import count, cons, drop, first, get, last, nth, peek, second, tail, take, take_nth
from conftest import raising_after


def test_first_second_over_every_shape(shape):
    big = [2**70, 2**71, 2**72]  # not immortal: leaks show under ./dev leaks
    assert first(shape(big)) == big[0]
    assert second(shape(big)) == big[1]
    for func, values in [(first, []), (second, [1])]:
        with pytest.raises(StopIteration) as info:
            func(shape(values))
        assert info.value.args == ()


def test_first_pulls_only_one_element():
    it = iter([1, 2, 3])
    assert first(it) == 1
    assert list(it) == [2, 3]


def test_nth_indexes_sequences_and_walks_iterators(shape):
    assert nth(2, shape([1, 2, 3])) == 3
    with pytest.raises((IndexError, StopIteration)):
        nth(5, shape([1, 2, 3]))


@pytest.mark.parametrize(
    "n, seq, expected",
    [(-1, [1, 2, 3], 3), (1, "abc", "b"), (-1, (1, 2), 2), (2, range(10, 20), 12), (slice(1, None), [1, 2], [2])],
)
def test_nth_uses_item_access_on_sequences(n, seq, expected):
    assert nth(n, seq) == expected


def test_nth_errors():
    with pytest.raises(IndexError, match="list index out of range"):
        nth(5, [1, 2, 3])
    with pytest.raises(StopIteration) as info:
        nth(5, iter([1, 2, 3]))
    assert info.value.args == ()
    message = "Indices for islice() must be None or an integer: 0 <= x <= sys.maxsize."
    for n in (-1, 2**64, "a", 1.0):
        with pytest.raises(ValueError) as info:
            nth(n, iter([1]))
        assert str(info.value) == message
        assert info.value.__context__ is None


def test_skipping_propagates_source_errors(boom):
    with pytest.raises(boom):
        nth(3, raising_after([1, 2], 2))
    with pytest.raises(boom):
        second(raising_after([1], 1))


def test_last_over_every_shape(shape):
    assert last(shape([1, 2, 3])) == 3
    with pytest.raises(IndexError):
        last(shape([]))


def test_last_of_empty_raises_the_containers_index_error():
    with pytest.raises(IndexError, match="list index out of range"):
        last([])
    with pytest.raises(IndexError, match="tuple index out of range"):
        last(iter([]))


def test_last_of_strings_and_mappings():
    assert last("abc") == "c"
    assert last({1: "a", 2: "b"}) == 2


class OneShot:
    """Marks a parameter that must be a fresh iterator on every run."""

    def __init__(self, values):
        self.values = values

    def __call__(self):
        return iter(self.values)


@pytest.mark.parametrize(
    "n, seq, expected",
    [
        (2, (1, 2, 3), (2, 3)),
        (2, "abcd", "cd"),
        (2, {1: "a", 2: "b", 3: "c"}, (2, 3)),
        (2**64 - 1, [1, 2], [1, 2]),
        # The last zero elements of anything are none of them.
        (0, [1, 2], []),
        (0, (1, 2), ()),
        (0, "ab", ""),
        (0, OneShot([1, 2]), ()),
        (0, {1: 2}, ()),
    ],
)
def test_tail(n, seq, expected):
    result = tail(n, seq() if isinstance(seq, OneShot) else seq)
    assert type(result) is type(expected)
    assert result == expected


@pytest.mark.parametrize("mapping", [collections.defaultdict, collections.Counter, collections.OrderedDict, dict])
def test_tail_and_last_read_a_mapping_s_keys_and_never_write(mapping):
    d = mapping()
    d.update(a=1, b=2)
    assert tail(1, d) == ("b",)
    assert tail(5, d) == ("a", "b")
    assert last(d) == "b"
    assert dict(d) == {"a": 1, "b": 2}


def test_tail_of_iterator_consumes_it_and_propagates_other_errors(boom):
    it = iter(range(5))
    assert tail(0, it) == ()
    assert list(it) == []
    with pytest.raises(boom):
        tail(2, raising_after([1, 2, 3], 2))

    class Picky:
        def __getitem__(self, key):
            raise ValueError("no slices here")

    with pytest.raises(ValueError, match="no slices here"):
        tail(1, Picky())


@given(st.lists(st.integers()), st.integers(0, 12))
def test_tail_of_iterator_matches_slicing(values, n):
    expected = tuple(values[-n:]) if n else ()
    assert tail(n, iter(values)) == expected
    assert tail(n, values) == (values[-n:] if n else [])


def test_get_single_keys():
    assert get(0, [10]) == 10
    assert get("a", {"a": 1}) == 1
    assert get((0, 1), {(0, 1): "v"}) == "v"
    assert get(-1, "abc") == "c"
    assert get(5, [10], "d") == "d"
    assert get(5, [10], None) is None
    assert get(0, None, "d") == "d"
    assert get("x", {}, 0) == 0
    with pytest.raises(IndexError):
        get(5, [10])
    with pytest.raises(KeyError):
        get("x", {})
    with pytest.raises(TypeError, match="get takes at most 3 arguments"):
        get(0, [1], "a", "b")


def test_get_lists_of_keys():
    assert get([0, 5], [10], "d") == (10, "d")
    assert get([], [1]) == ()
    assert get([0, 2], "abc") == ("a", "c")
    with pytest.raises(IndexError):
        get([0, 5], [10])


def test_get_default_replaces_only_lookup_errors():
    class Failing:
        def __getitem__(self, key):
            raise ValueError(key)

    with pytest.raises(ValueError):
        get(1, Failing(), "d")
    with pytest.raises(ValueError):
        get([1], Failing(), "d")


def test_get_survives_key_list_mutation():
    keys = [0, 1, 2]

    class Shrinking(list):
        def __getitem__(self, i):
            keys.clear()
            return super().__getitem__(i)

    assert get(keys, Shrinking([5, 6, 7])) == (5,)


def test_peek(shape):
    head, rest = peek(shape([1, 2, 3]))
    assert head == 1
    assert list(rest) == [1, 2, 3]
    with pytest.raises(StopIteration):
        peek(shape([]))


def test_delegated_slicing_tools():
    assert list(take(2, [1, 2, 3])) == [1, 2]
    assert list(drop(2, [1, 2, 3])) == [3]
    assert list(take_nth(2, range(7))) == [0, 2, 4, 6]
    assert list(cons(0, iter([1, 2]))) == [0, 1, 2]
    assert type(take(1, [])) is itertools.islice
    assert type(cons(1, [])) is itertools.chain
    with pytest.raises(ValueError, match="Stop argument for islice"):
        take(-1, [1])
    with pytest.raises(ValueError):
        take_nth(0, [1])


def test_count(shape, boom):
    assert count(shape([])) == 0
    assert count(shape([1, 2, 3])) == 3
    assert count(range(5)) == 5
    assert count(object() for _ in range(3)) == 3
    assert count("abc") == 3
    assert count(collections.Counter("aab")) == 2
    with pytest.raises(boom):
        count(raising_after([1, 2], 2))


@pytest.mark.parametrize("func", [first, second, last, count, peek])
def test_non_iterables_raise_the_host_type_error(func):
    with pytest.raises(TypeError, match="'int' object is not iterable"):
        func(5)
