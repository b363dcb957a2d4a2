"""One level of a mapping: merge, merge_with, assoc, dissoc and the six map and filter tools against
dict updates and comprehensions over every kind of mapping; the factory rule; exact errors."""

import collections
import copy

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko._brisko import assoc, dissoc, itemfilter, itemmap, keyfilter, keymap, merge, merge_with, valfilter, valmap
from conftest import MAPPING_SHAPES, ItemsOnly

OD = collections.OrderedDict
# Keys that collide (1 == 1.0 == True, 0 == False) next to ones that do not.
KEYS = st.sampled_from([0, 1, 1.0, True, False, 2, -3, "a", "bb", (1, 2), (), None])
DICTS = st.dictionaries(KEYS, st.integers(-5, 5) | st.text(max_size=2), max_size=6)
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


def halve(x):
    return x // 2 if isinstance(x, int) else x  # 1 and True both give 0: keys collide


CASES = [  # tool, callable, the same work as a comprehension
    (keymap, halve, lambda d: {halve(k): v for k, v in d.items()}),
    (valmap, repr, lambda d: {k: repr(v) for k, v in d.items()}),
    (itemmap, lambda kv: (kv[1], kv[0]), lambda d: {v: k for k, v in d.items()}),
    (keyfilter, bool, lambda d: {k: v for k, v in d.items() if k}),
    (valfilter, bool, lambda d: {k: v for k, v in d.items() if v}),
    (itemfilter, lambda kv: kv[0] == kv[1], lambda d: {k: v for k, v in d.items() if k == v}),
]


@pytest.mark.parametrize("tool, func, comprehension", CASES, ids=[c[0].__name__ for c in CASES])
@given(d=DICTS, shape=SHAPES)
def test_map_and_filter_tools_are_comprehensions(tool, func, comprehension, d, shape):
    source = MAPPING_SHAPES[shape](d)
    assert entries(tool(func, source)) == entries(comprehension(d))
    ordered = tool(func, source, OD)
    assert type(ordered) is OD and entries(ordered) == entries(comprehension(d))
    assert entries(source) == entries(MAPPING_SHAPES[shape](d))


@pytest.mark.parametrize(
    "returned, outcome",
    [((1, 2), {1: 2}), ([1, 2], {1: 2}), ("xy", {"x": "y"}), ((), "<"), ((1,), "<"), ((1, 2, 3), ">"), ("xyz", ">")],
)
def test_itemmap_unpacks_any_pair(returned, outcome):
    for result in (returned, iter(returned)):  # sized, then through the iterator protocol
        if isinstance(outcome, dict):
            assert itemmap(lambda kv: result, {"k": "v"}) == outcome
            continue
        with pytest.raises(ValueError) as info:
            itemmap(lambda kv: result, {"k": "v"})
        assert str(info.value) == f"dictionary update sequence element has length {outcome} 2; 2 is required"


def test_itemmap_pulls_at_most_three():
    gen = iter(range(10**9))
    with pytest.raises(ValueError, match="length > 2"):
        itemmap(lambda kv: gen, {"k": "v"})
    assert next(gen) == 3


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
        (lambda: itemmap(lambda kv: 5, {"k": "v"}), TypeError, "'int' object is not iterable"),
    ],
)
def test_errors(call, exc, message):
    with pytest.raises(exc) as info:
        call()
    assert str(info.value) == message


def test_when_the_factory_is_called():
    calls = []

    def factory():
        calls.append(1)
        return {}

    with pytest.raises(AttributeError):
        merge_with(sum, {"a": 1}, object(), factory=factory)  # every source is read first
    assert merge_with(sum, {"a": 1}, {"a": 2, "b": 3}, factory=factory) == {"a": 3, "b": 3} and calls == [1]

    class KeysNoItems:
        def keys(self):
            return []

    with pytest.raises(AttributeError, match="items"):
        valmap(str, KeysNoItems(), factory)  # ...but a map or filter tool makes its result first
    assert calls == [1, 1]
