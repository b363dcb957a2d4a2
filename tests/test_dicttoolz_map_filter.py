"""keymap, valmap, itemmap, keyfilter, valfilter, itemfilter against dict comprehensions."""

import collections

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko._brisko import itemfilter, itemmap, keyfilter, keymap, valfilter, valmap
from conftest import MAPPING_SHAPES, ItemsOnly

TOOLS = (keymap, valmap, itemmap, keyfilter, valfilter, itemfilter)
KEYS = st.sampled_from([0, 1, 1.0, True, False, 2, -3, "a", "bb", (1, 2), None])
DICTS = st.dictionaries(KEYS, st.integers(-5, 5) | st.text(max_size=2), max_size=8)


def entries(mapping):
    return [(type(k), k, v) for k, v in mapping.items()]


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
@given(d=DICTS, shape=st.sampled_from(sorted(MAPPING_SHAPES)))
def test_like_a_comprehension(tool, func, comprehension, d, shape):
    source = MAPPING_SHAPES[shape](d)
    assert entries(tool(func, source)) == entries(comprehension(d))
    ordered = tool(func, source, collections.OrderedDict)
    assert type(ordered) is collections.OrderedDict and entries(ordered) == entries(comprehension(d))
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
    with pytest.raises(TypeError, match="'int' object is not iterable"):
        itemmap(lambda kv: 5, {"k": "v"})


def test_edges():
    def never(x):
        raise AssertionError("called")

    assert all(tool(never, {}) == {} for tool in TOOLS)
    assert valfilter(lambda v: v, {"a": [], "b": [0], "c": 0}) == {"b": [0]}
    assert keymap(lambda k: "same", {"a": 1, "b": 2, "c": 3}) == {"same": 3}
    assert valmap(func=str, d={1: 2}, factory=None) == {1: "2"}


def test_errors():
    calls = []

    class KeysNoItems:
        def keys(self):
            return []

    with pytest.raises(AttributeError, match="items"):
        valmap(str, KeysNoItems(), lambda: calls.append(1) or {})
    assert calls == [1]  # the factory comes first
    with pytest.raises(TypeError, match="missing 1 required positional argument"):
        itemfilter(lambda k, v: True, {"a": 1})
    with pytest.raises(TypeError, match="'list' object is not an instance of 'tuple'"):
        keyfilter(bool, ItemsOnly([[1, 2]]))
