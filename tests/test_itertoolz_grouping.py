"""Grouping and counting: groupby, countby, reduceby, frequencies, against plain-Python loops."""

import collections
import operator

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko._brisko import countby, frequencies, groupby, isdistinct, reduceby
from conftest import Collide, hashables, raising_after


def test_groupby_key_forms():
    assert groupby(len, ["a", "bb", "c"]) == {1: ["a", "c"], 2: ["bb"]}
    assert groupby(0, ["ab", "ac", "b"]) == {"a": ["ab", "ac"], "b": ["b"]}
    assert groupby([0, 1], [(1, 2, 3), (1, 2, 4)]) == {(1, 2): [(1, 2, 3), (1, 2, 4)]}
    assert groupby("k", [{"k": 1}, {"k": 1}]) == {1: [{"k": 1}, {"k": 1}]}
    assert groupby([], [1, 2]) == {(): [1, 2]}
    assert groupby(len, []) == {}


def test_counting():
    assert countby(len, ["a", "bb", "c"]) == {1: 2, 2: 1}
    assert countby(0, ["ab", "ac", "b"]) == {"a": 2, "b": 1}
    assert frequencies("abca") == {"a": 2, "b": 1, "c": 1}
    assert list(frequencies("cabca")) == ["c", "a", "b"]


def test_every_shape_gives_the_same_groups(shape):
    values = [2**70 + v for v in [3, 1, 3, 2, 1, 3]]  # not immortal: leaks show under ./dev leaks
    key = lambda x: x % 2  # noqa: E731
    assert groupby(key, shape(values)) == {1: [values[0], values[1], values[2], values[4], values[5]], 0: [values[3]]}
    assert countby(key, shape(values)) == {1: 5, 0: 1}
    assert frequencies(shape(values)) == dict(collections.Counter(values))
    assert reduceby(key, operator.add, shape(values)) == {1: sum(values) - values[3], 0: values[3]}


def test_list_shrinking_under_the_key_is_safe():
    data = [1, 2, 3, 4]

    def key(x):
        data.clear()
        return x

    assert groupby(key, data) == {1: [1]}


@pytest.mark.parametrize(
    "call",
    [
        lambda: groupby(lambda x: [x], [1]),
        lambda: countby(lambda x: {}, [1]),
        lambda: frequencies([[1]]),
        lambda: reduceby(lambda x: [x], operator.add, [1]),
    ],
)
def test_unhashable_keys_raise_the_host_type_error(call):
    with pytest.raises(TypeError, match="unhashable"):
        call()


@pytest.mark.parametrize("tool", [groupby, countby])
def test_errors_from_keys_and_sources_propagate(tool, boom):
    def key(x):
        raise boom("key")

    with pytest.raises(boom, match="key"):
        tool(key, [1])
    with pytest.raises(boom, match="source failed"):
        tool(len, raising_after(["a", "b"], 1))
    with pytest.raises(IndexError):
        tool(3, ["ab"])
    with pytest.raises(TypeError, match="not iterable"):
        tool(len, 5)


def test_reduceby():
    iseven = lambda x: x % 2 == 0  # noqa: E731
    assert reduceby(lambda x: x % 2, operator.add, [1, 2, 3, 4]) == {1: 4, 0: 6}
    assert reduceby(lambda x: x % 2, operator.add, [1, 2, 3, 4], 10) == {1: 14, 0: 16}
    assert reduceby(iseven, operator.add, [], 0) == {}
    with pytest.raises(TypeError):  # None is an initial value too: None + "ab"
        reduceby(0, operator.add, ["ab"], None)
    assert reduceby(0, lambda acc, x: acc + [x], ["ab", "ac", "b"], list) == {"a": ["ab", "ac"], "b": ["b"]}
    with pytest.raises(TypeError, match="reduceby takes at most 4 arguments"):
        reduceby(0, operator.add, [], 1, 2)


def test_reduceby_fresh_starts_are_distinct_and_shared_starts_are_not():
    fresh = reduceby(len, lambda acc, x: acc + [x], ["a", "bb", "c"], list)
    assert fresh == {1: ["a", "c"], 2: ["bb"]}
    shared = []
    result = reduceby(len, lambda acc, x: (acc.append(x), acc)[1], ["a", "bb"], shared)
    assert result[1] is result[2] is shared


def test_reduceby_binop_errors_propagate(boom):
    def binop(a, b):
        raise boom

    with pytest.raises(boom):
        reduceby(0, binop, ["ab", "ac"])
    assert reduceby(0, binop, ["ab", "bc"]) == {"a": "ab", "b": "bc"}  # no binop without a match


def test_isdistinct():
    assert isdistinct([1, 2, 3]) is True
    assert isdistinct("aba") is False
    assert isdistinct([]) is True
    assert isdistinct([1, 1.0]) is False
    with pytest.raises(TypeError, match="unhashable"):
        isdistinct([[1]])
    it = iter([1, 1, 2, 3])
    assert isdistinct(it) is False
    assert list(it) == [2, 3]  # stops at the first duplicate


keys = st.sampled_from([len, 0, [0, -1], lambda s: s[:1]])
words = st.lists(st.text(alphabet="abc", min_size=1, max_size=3))


def key_value(key, item):
    if callable(key):
        return key(item)
    if isinstance(key, list):
        return tuple(item[k] for k in key)
    return item[key]


@given(keys, words)
def test_grouping_matches_dict_loops(key, items):
    groups = collections.defaultdict(list)
    for item in items:
        groups[key_value(key, item)].append(item)
    assert list(groupby(key, items).items()) == list(groups.items())
    counts = collections.Counter(key_value(key, item) for item in items)
    assert list(countby(key, items).items()) == list(counts.items())
    reduced = {}
    for item in items:
        k = key_value(key, item)
        reduced[k] = reduced[k] + item if k in reduced else item
    assert reduceby(key, operator.add, items) == reduced


@given(st.lists(hashables))
def test_frequencies_matches_counter(values):
    assert list(frequencies(values).items()) == list(collections.Counter(values).items())
    assert isdistinct(values) == (len(set(values)) == len(values))


# Enough distinct keys that counting moves from the native table into the result dict midway;
# the tail mixes in keys equal across types and colliding keys, new and already seen.
MANY = [f"k{i}" for i in range(140_000)] + [1, 1.0, True, Collide(1), Collide(1), "k7", "k139999", (1, 2)] * 3


@pytest.mark.parametrize("count", [frequencies, lambda seq: countby(lambda x: x, seq)], ids=["frequencies", "countby"])
def test_counting_many_keys_matches_counter(count):
    assert list(count(iter(MANY)).items()) == list(collections.Counter(MANY).items())
    with pytest.raises(TypeError, match="unhashable"):
        count(MANY + [[1]])


def test_grouping_many_keys_matches_dict_loops():
    groups = collections.defaultdict(list)
    for item in MANY:
        groups[item].append(item)
    result = groupby(lambda x: x, MANY)
    assert list(result.items()) == list(groups.items())
    assert all(type(members) is list for members in result.values())
