"""Grouping and counting: groupby, countby, reduceby, frequencies, against plain-Python loops."""

import collections
import operator

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko._brisko import countby, frequencies, groupby, isdistinct, reduceby, unique
from conftest import Collide, hashables


def test_groupby_key_forms():
    assert groupby("k", [{"k": 1}, {"k": 1}]) == {1: [{"k": 1}, {"k": 1}]} and groupby([], [1, 2]) == {(): [1, 2]}
    with pytest.raises(IndexError):
        groupby(3, ["ab"])


@pytest.mark.parametrize(
    "call, message",
    [(lambda: groupby(lambda x: [x], [1]), "unhashable type: 'list'"),
     (lambda: countby(lambda x: {}, [1]), "unhashable type: 'dict'"),
     (lambda: frequencies([[1]]), "unhashable type: 'list'"), (lambda: list(unique([{}])), "unhashable type: 'dict'"),
     (lambda: isdistinct([1, [1]]), "cannot use 'list' as a set element (unhashable type: 'list')"),
     (lambda: reduceby(lambda x: [x], operator.add, [1]), "cannot use 'list' as a dict key (unhashable type: 'list')")],
)
def test_unhashable_keys_raise_the_host_type_error(call, message):
    with pytest.raises(TypeError) as info:
        call()
    assert str(info.value) == message


def test_reduceby():
    assert reduceby(lambda x: x % 2, operator.add, [1, 2, 3, 4], 10) == {1: 14, 0: 16}
    with pytest.raises(TypeError):  # None is an initial value too: None + "ab"
        reduceby(0, operator.add, ["ab"], None)
    assert reduceby(0, lambda acc, x: acc + [x], ["ab", "ac", "b"], list) == {"a": ["ab", "ac"], "b": ["b"]}
    assert reduceby(0, lambda a, b: 1 / 0, ["ab", "bc"]) == {"a": "ab", "b": "bc"}  # no binop without a match


def test_reduceby_fresh_starts_are_distinct_and_shared_starts_are_not():
    fresh = reduceby(len, lambda acc, x: acc + [x], ["a", "bb", "c"], list)
    assert fresh == {1: ["a", "c"], 2: ["bb"]}
    shared = []
    result = reduceby(len, lambda acc, x: (acc.append(x), acc)[1], ["a", "bb"], shared)
    assert result[1] is result[2] is shared


def test_isdistinct_stops_at_the_first_duplicate():
    it = iter([1, 1.0, 2, 3])
    assert isdistinct(it) is False and list(it) == [2, 3]


keys = st.sampled_from([len, 0, [0, -1], lambda s: s[:1]])
items = st.lists(st.text(alphabet="abc", min_size=1, max_size=3) | st.lists(hashables, min_size=1, max_size=3).map(tuple))


def key_value(key, item):
    if callable(key):
        return key(item)
    if isinstance(key, list):
        return tuple(item[k] for k in key)
    return item[key]


@given(keys, items)
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
        reduced[k] = (reduced[k], item) if k in reduced else item
    assert reduceby(key, lambda a, b: (a, b), items) == reduced


@given(st.lists(hashables))
def test_frequencies_matches_counter(values):
    assert list(frequencies(values).items()) == list(collections.Counter(values).items())
    assert isdistinct(values) == (len(set(values)) == len(values))


# Enough distinct keys that counting moves from the native table into the result dict midway;
# the tail mixes in keys equal across types and colliding keys, new and already seen.
MANY = [f"k{i}" for i in range(140_000)] + [1, 1.0, True, Collide(1), Collide(1), "k7", "k139999", (1, 2)] * 3


def test_many_keys_match_counter_and_dict_loops():
    for count in (frequencies, lambda seq: countby(lambda x: x, seq)):
        assert list(count(iter(MANY)).items()) == list(collections.Counter(MANY).items())
        with pytest.raises(TypeError, match="unhashable"):
            count(MANY + [[1]])
    groups = collections.defaultdict(list)
    for item in MANY:
        groups[item].append(item)
    result = groupby(lambda x: x, MANY)
    assert list(result.items()) == list(groups.items()) and all(type(m) is list for m in result.values())
