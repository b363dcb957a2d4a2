"""merge, merge_with, assoc and dissoc: the factory rule, the copy through items(), exact errors."""

import collections
import copy

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko._brisko import assoc, dissoc, merge, merge_with
from conftest import MAPPING_SHAPES, ItemsOnly

OD = collections.OrderedDict
# Keys that collide (1 == 1.0 == True, 0 == False) next to ones that do not.
KEYS = st.sampled_from([0, 1, 1.0, True, False, 2, "a", "b", (1, 2), (), None])
DICTS = st.dictionaries(KEYS, st.integers(), max_size=6)
SHAPES = st.sampled_from(sorted(MAPPING_SHAPES))


def entries(mapping):
    """Items with the key's type: 1, 1.0 and True are equal keys but not the same key."""
    return [(type(k), k, v) for k, v in mapping.items()]


@given(st.lists(DICTS, max_size=4), SHAPES)
def test_merge_is_an_update_chain(dicts, shape):
    before = copy.deepcopy(dicts)
    chain = {}
    for d in dicts:
        chain.update(d)
    expected = entries(chain)
    assert entries(merge(*dicts)) == entries(merge(dicts)) == expected
    assert entries(merge(*map(MAPPING_SHAPES[shape], dicts))) == expected
    ordered = merge(*dicts, factory=OD)
    assert type(ordered) is OD and entries(ordered) == expected
    assert dicts == before


@given(st.lists(DICTS, max_size=4), SHAPES)
def test_merge_with_groups_like_a_defaultdict(dicts, shape):
    groups = collections.defaultdict(list)
    for d in dicts:
        for k, v in d.items():
            groups[k].append(v)
    expected = [(type(k), k, (v, len(v))) for k, v in groups.items()]
    pair = lambda vs: (vs, len(vs))  # noqa: E731
    assert entries(merge_with(pair, *dicts)) == entries(merge_with(pair, dicts, factory=OD)) == expected
    assert entries(merge_with(pair, *map(MAPPING_SHAPES[shape], dicts))) == expected


@given(DICTS, KEYS, st.lists(KEYS, max_size=4), SHAPES)
def test_single_key_edits(d, key, keys, shape):
    source = MAPPING_SHAPES[shape](d)
    expected = dict(d)
    expected[key] = "new"
    assert entries(assoc(source, key, "new")) == entries(assoc(source, key, "new", OD)) == entries(expected)
    kept = entries({k: v for k, v in d.items() if k not in keys})
    assert entries(dissoc(source, *keys)) == entries(dissoc(source, *keys, factory=OD)) == kept
    assert entries(source) == entries(MAPPING_SHAPES[shape](d))


def test_merge_edges():
    d = {"a": 1}
    assert merge(d) == d and merge(d) is not d and type(merge(factory=OD)) is OD
    Pair = collections.namedtuple("Pair", "k v")
    assert merge(ItemsOnly([Pair(1, 2), (3, 4, 5)])) == {1: 2, 3: 4}  # tuple subclasses, extra elements


@pytest.mark.parametrize(
    "call, exc, message",
    [
        (lambda: merge([(1, 2)]), TypeError, "'tuple' object is not iterable"),
        (lambda: merge({}, 5), TypeError, "'int' object is not iterable"),
        (lambda: merge(5), TypeError, "'int' object is not iterable"),
        (lambda: merge(ItemsOnly([[1, 2]])), TypeError, "'list' object is not an instance of 'tuple'"),
        (lambda: merge(ItemsOnly([None])), TypeError, "'None' is not an instance of 'tuple'"),
        (lambda: assoc(ItemsOnly([(1,)]), 1, 2), IndexError, "tuple index out of range"),
        (lambda: merge_with(sum, [5]), AttributeError, "'int' object has no attribute 'items'"),
    ],
)
def test_errors(call, exc, message):
    with pytest.raises(exc) as info:
        call()
    assert str(info.value) == message


def test_the_factory_is_called_once_every_source_is_read():
    calls = []

    def factory():
        calls.append(1)
        return {}

    with pytest.raises(AttributeError):
        merge_with(sum, {"a": 1}, object(), factory=factory)  # every source is read first
    assert merge_with(sum, {"a": 1}, {"a": 2, "b": 3}, factory=factory) == {"a": 3, "b": 3}
    assert calls == [1]
