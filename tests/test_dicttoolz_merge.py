"""merge, merge_with, assoc and dissoc: the factory rule, the copy through items(), exact errors."""

import collections
import copy

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko._brisko import assoc, dissoc, merge, merge_with
from conftest import MAPPING_SHAPES, ItemsOnly

# Keys that collide (1 == 1.0 == True, 0 == False) next to ones that do not.
KEYS = st.sampled_from([0, 1, 1.0, True, False, 2, "a", "b", (1, 2), (), None])
DICTS = st.dictionaries(KEYS, st.integers(), max_size=6)


def entries(mapping):
    """Items with the key's type: 1, 1.0 and True are equal keys but not the same key."""
    return [(type(k), k, v) for k, v in mapping.items()]


def update_chain(dicts):
    out = {}
    for d in dicts:
        out.update(d)
    return out


@given(st.lists(DICTS, max_size=4), st.sampled_from(sorted(MAPPING_SHAPES)))
def test_merge_is_an_update_chain(dicts, shape):
    before = copy.deepcopy(dicts)
    expected = entries(update_chain(dicts))
    assert entries(merge(*dicts)) == expected
    assert entries(merge(dicts)) == expected
    assert entries(merge(*map(MAPPING_SHAPES[shape], dicts))) == expected
    ordered = merge(*dicts, factory=collections.OrderedDict)
    assert type(ordered) is collections.OrderedDict and entries(ordered) == expected
    assert dicts == before


@given(st.lists(DICTS, max_size=4), st.sampled_from(sorted(MAPPING_SHAPES)))
def test_merge_with_groups_like_a_defaultdict(dicts, shape):
    groups = collections.defaultdict(list)
    for d in dicts:
        for k, v in d.items():
            groups[k].append(v)
    expected = [(type(k), k, (v, len(v))) for k, v in groups.items()]
    pair = lambda vs: (vs, len(vs))  # noqa: E731
    assert entries(merge_with(pair, *dicts)) == expected
    assert entries(merge_with(pair, *map(MAPPING_SHAPES[shape], dicts))) == expected
    assert entries(merge_with(pair, dicts, factory=collections.OrderedDict)) == expected


@given(DICTS, KEYS, st.lists(KEYS, max_size=4), st.sampled_from(sorted(MAPPING_SHAPES)))
def test_single_key_edits(d, key, keys, shape):
    before = dict(d)
    source = MAPPING_SHAPES[shape](d)
    expected = dict(d)
    expected[key] = "new"
    assert entries(assoc(source, key, "new")) == entries(expected)
    assert entries(assoc(source, key, "new", collections.OrderedDict)) == entries(expected)
    kept = {k: v for k, v in d.items() if k not in keys}
    assert entries(dissoc(source, *keys)) == entries(kept)
    assert entries(dissoc(source, *keys, factory=collections.OrderedDict)) == entries(kept)
    assert d == before


def test_merge_edges():
    assert merge() == {} and type(merge()) is dict
    empty = merge(factory=collections.OrderedDict)
    assert type(empty) is collections.OrderedDict and not empty
    d = {"a": 1}
    assert merge(d) == d and merge(d) is not d
    assert merge({"a": 1}, collections.OrderedDict(a=2, b=3)) == {"a": 2, "b": 3}
    assert list(merge({"b": 1}, {"a": 2, "b": 3})) == ["b", "a"]


@pytest.mark.parametrize(
    "call, exc, message",
    [
        (lambda: merge([(1, 2)]), TypeError, "'tuple' object is not iterable"),
        (lambda: merge({}, 5), TypeError, "'int' object is not iterable"),
        (lambda: merge(5), TypeError, "'int' object is not iterable"),
        (lambda: merge(ItemsOnly([[1, 2]])), TypeError, "'list' object is not an instance of 'tuple'"),
        (lambda: merge(ItemsOnly([None])), TypeError, "'None' is not an instance of 'tuple'"),
        (lambda: assoc(ItemsOnly([(1,)]), 1, 2), IndexError, "tuple index out of range"),
        (lambda: merge_with(sum, 5), TypeError, "'int' object is not iterable"),
        (lambda: merge_with(sum, [5]), AttributeError, "'int' object has no attribute 'items'"),
        (lambda: merge(factory=collections.OrderedDict, x=1), TypeError, "merge() got an unexpected keyword argument 'x'"),
        (lambda: merge_with(), TypeError, "merge_with() missing 1 required positional argument: 'func'"),
        (lambda: dissoc({}, 1, 2, d=3), TypeError, "dissoc() got multiple values for argument 'd'"),
        (lambda: assoc({}, 1), TypeError, "assoc() missing 1 required positional argument: 'value'"),
    ],
)
def test_errors(call, exc, message):
    with pytest.raises(exc) as info:
        call()
    assert str(info.value) == message


def test_tuple_entries_may_be_longer_or_subclasses():
    Pair = collections.namedtuple("Pair", "k v")
    assert merge(ItemsOnly([Pair(1, 2), (3, 4, 5)])) == {1: 2, 3: 4}


def test_merge_with_reads_every_source_before_the_factory(boom):
    calls = []

    def factory():
        calls.append(1)
        return {}

    with pytest.raises(AttributeError):
        merge_with(sum, {"a": 1}, object(), factory=factory)
    assert calls == []
    assert merge_with(sum, {"a": 1}, {"a": 2, "b": 3}, factory=factory) == {"a": 3, "b": 3}
    assert calls == [1]
    with pytest.raises(boom):
        merge_with(lambda vs: (_ for _ in ()).throw(boom()), {"a": 1})


def test_dissoc_skips_absent_and_repeated_keys():
    d = {"a": 1, "b": 2}
    assert dissoc(d, "z") == d
    assert dissoc(d, "a", "a") == {"b": 2}
    assert dissoc(collections.Counter(a=1), "a", factory=collections.Counter) == collections.Counter()


def test_factory_errors_propagate(boom):
    def factory():
        raise boom("factory")

    for call in (lambda: merge({}, factory=factory), lambda: assoc({}, 1, 2, factory), lambda: dissoc({}, factory=factory)):
        with pytest.raises(boom, match="factory"):
            call()
