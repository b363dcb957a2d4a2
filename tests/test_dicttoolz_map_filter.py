"""keymap, valmap, itemmap, keyfilter, valfilter, itemfilter against dict comprehensions."""

import collections

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko._brisko import itemfilter, itemmap, keyfilter, keymap, valfilter, valmap
from conftest import MAPPING_SHAPES, ItemsOnly

KEYS = st.sampled_from([0, 1, 1.0, True, False, 2, -3, "a", "bb", (1, 2), None])
DICTS = st.dictionaries(KEYS, st.integers(-5, 5) | st.text(max_size=2), max_size=8)


def entries(mapping):
    return [(type(k), k, v) for k, v in mapping.items()]


def halve(x):
    return x // 2 if isinstance(x, int) else x


# (tool, callable, the same work as a comprehension over d)
CASES = [
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
    expected = entries(comprehension(d))
    source = MAPPING_SHAPES[shape](d)
    assert entries(tool(func, source)) == expected
    ordered = tool(func, source, collections.OrderedDict)
    assert type(ordered) is collections.OrderedDict and entries(ordered) == expected
    assert entries(source) == entries(MAPPING_SHAPES[shape](d))  # the input is untouched


def test_keymap_collisions_keep_the_last_value():
    assert keymap(lambda k: "same", {"a": 1, "b": 2, "c": 3}) == {"same": 3}


@pytest.mark.parametrize(
    "returned, expected",
    [((1, 2), {1: 2}), ([1, 2], {1: 2}), ("xy", {"x": "y"}), (range(1, 3), {1: 2})],
)
def test_itemmap_accepts_any_pair(returned, expected):
    assert itemmap(lambda kv: iter(returned), {"k": "v"}) == expected
    assert itemmap(lambda kv: returned, {"k": "v"}) == expected


def endless():
    yield from range(10**9)


@pytest.mark.parametrize(
    "returned, relation",
    [((), "<"), ((1,), "<"), (range(1), "<"), ((1, 2, 3), ">"), ([1, 2, 3], ">"), ("xyz", ">")],
)
def test_itemmap_length_messages(returned, relation):
    message = f"dictionary update sequence element has length {relation} 2; 2 is required"
    for result in (returned, iter(returned)):
        with pytest.raises(ValueError) as info:
            itemmap(lambda kv: result, {"k": "v"})
        assert str(info.value) == message


def test_itemmap_pulls_no_more_than_three():
    gen = endless()
    with pytest.raises(ValueError, match="length > 2"):
        itemmap(lambda kv: gen, {"k": "v"})
    assert next(gen) == 3
    with pytest.raises(TypeError, match="'int' object is not iterable"):
        itemmap(lambda kv: 5, {"k": "v"})


def test_empty_input_calls_nothing_and_filters_use_truth():
    def never(x):
        raise AssertionError("called")

    assert all(tool(never, {}) == {} for tool in (keymap, valmap, itemmap, keyfilter, valfilter, itemfilter))
    assert valfilter(lambda v: v, {"a": [], "b": [0], "c": 0}) == {"b": [0]}


def test_factory_comes_first_and_errors_pass_through(boom):
    calls = []

    def factory():
        calls.append(1)
        return collections.OrderedDict()

    class KeysNoItems:
        def keys(self):
            return []

        def __getitem__(self, key):
            raise KeyError(key)

    with pytest.raises(AttributeError, match="items"):
        valmap(str, KeysNoItems(), factory)
    assert calls == [1]
    with pytest.raises(TypeError, match="missing 1 required positional argument"):
        itemfilter(lambda k, v: True, {"a": 1})
    with pytest.raises(TypeError, match="'list' object is not an instance of 'tuple'"):
        keyfilter(bool, ItemsOnly([[1, 2]]))

    def raising(x):
        raise boom(x)

    for tool in (keymap, valmap, itemmap, keyfilter, valfilter, itemfilter):
        with pytest.raises(boom):
            tool(raising, {"a": 1})

    class BadBool:
        def __bool__(self):
            raise boom("truth")

    with pytest.raises(boom, match="truth"):
        valfilter(lambda v: BadBool(), {"a": 1})


def test_argument_names():
    assert valmap(func=str, d={1: 2}, factory=None) == {1: "2"}
    assert keyfilter(predicate=bool, d={0: 1, 1: 2}) == {1: 2}
    with pytest.raises(TypeError) as info:
        valfilter(bool)
    assert str(info.value) == "valfilter() missing 1 required positional argument: 'd'"
