"""The mapping tools: one level of a mapping (merge, merge_with, assoc, dissoc and the six map and
filter tools) against dict updates and comprehensions over every kind of mapping, the factory rule
and exact errors; paths through nested containers (get_in, assoc_in, update_in), copied along the
path only; and keys or callables that raise or mutate the dict being read, which give that
exception or the host's RuntimeError, never a crash."""

import collections
import contextlib
import copy
import gc
import os

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko._brisko import assoc, assoc_in, dissoc, get_in, itemfilter, itemmap, keyfilter, keymap, merge, merge_with
from brisko._brisko import update_in, valfilter, valmap
from conftest import MAPPING_SHAPES, Boom, ItemsOnly, host_message, raising_after
from models import py_get_in

OD = collections.OrderedDict
# Keys that collide (1 == 1.0 == True, 0 == False) next to ones that do not.
KEYS = st.sampled_from([0, 1, 1.0, True, False, 2, -1, -3, "a", "bb", (1, 2), (), None])
DICTS = st.dictionaries(KEYS, st.integers(-5, 5) | st.text(max_size=2), max_size=6)
SHAPES = st.sampled_from(sorted(MAPPING_SHAPES))


def entries(x):
    """Nested structure with key types kept (1, 1.0 and True are equal keys, not the same key)."""
    return [(type(k), k, entries(v)) for k, v in x.items()] if hasattr(x, "items") else x


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
    for k in range(3):  # an error on any pull is the pair's, the one that would end it too
        with pytest.raises(Boom, match="source failed"):
            itemmap(lambda kv: raising_after("xy", k), {"k": "v"})


def test_merge_edges():
    d = {"a": 1}
    assert merge(d) == d and merge(d) is not d and type(merge(factory=OD)) is OD
    Pair = collections.namedtuple("Pair", "k v")
    assert merge(ItemsOnly([Pair(1, 2), (3, 4, 5)])) == {1: 2, 3: 4}  # tuple subclasses, extra elements
    # A key whose hash changes at every call is never found again: merge_with's result must be a new
    # dict, never its grouping table (where storing the result would add a second entry).
    shifting = type("Shifting", (), {"__hash__": lambda self, hashes=iter(range(10**9)): next(hashes)})()
    assert list(merge_with(len, {shifting: 1}).items()) == [(shifting, 1)]
    # Groups slipped into the grouping table (found by gc.get_referrers) while func runs are not combined.
    seen = []
    slip = lambda vs: seen.append(vs) or [r.setdefault(len(seen), [0]) for r in gc.get_referrers(vs)  # noqa: E731
                                          if type(r) is dict and len(seen) < 4]
    assert list(merge_with(slip, {"a": 1}, {"b": 2})) == ["a", "b", 1, 2] and seen == [[1], [2]]


@pytest.mark.parametrize(
    "call, exc, message",
    [
        (lambda: merge([(1, 2)]), TypeError, "'tuple' object is not iterable"),
        (lambda: merge({}, 5), TypeError, "'int' object is not iterable"),
        (lambda: merge(5), TypeError, "'int' object is not iterable"),
        (lambda: merge(ItemsOnly([[1, 2]])), TypeError, "'list' object is not an instance of 'tuple'"),
        (lambda: merge(ItemsOnly([None])), TypeError, "'None' is not an instance of 'tuple'"),
        (lambda: assoc(ItemsOnly([(1,)]), 1, 2), IndexError, "tuple index out of range"),
        (lambda: merge_with(sum, [5]), TypeError, "'int' object is not iterable"),
        (lambda: merge_with(sum, {"a": 1}, [("a", 2)]), TypeError, "'list' object is not iterable"),
        (lambda: itemmap(lambda kv: 5, {"k": "v"}), TypeError, "'int' object is not iterable"),
        # A failing pull is an error, never the end: of the sources, of a mapping's items, of a path.
        (lambda: merge(raising_after([{1: 2}], 1)), Boom, "source failed"),
        (lambda: merge({}, type("M", (), {"keys": 0, "items": lambda m: raising_after([(1, 2)], 1)})()),
         Boom, "source failed"),
        (lambda: assoc_in({}, raising_after(["a"], 1), 0), Boom, "source failed"),
    ],
)
def test_errors(call, exc, message):
    with pytest.raises(exc) as info:
        call()
    assert str(info.value) == message


def test_when_the_factory_is_called():
    calls = []
    factory = lambda: calls.append(1) or {}  # noqa: E731
    with pytest.raises(TypeError):
        merge_with(sum, {"a": 1}, object(), factory=factory)  # every source is read first
    assert merge_with(sum, {"a": 1}, {"a": 2, "b": 3}, factory=factory) == {"a": 3, "b": 3} and calls == [1]

    with pytest.raises(AttributeError, match="items"):  # ...but a map or filter tool makes its result first
        valmap(str, type("KeysNoItems", (), {"keys": lambda self: []})(), factory)
    assert calls == [1, 1]


# ---------------------------------------------------------------- nested paths

LEAVES = st.integers(-3, 3) | st.text(max_size=2) | st.none()
NESTED = st.recursive(LEAVES, lambda inner: st.dictionaries(KEYS, inner, max_size=4) | st.lists(inner, max_size=3))
NESTED_DICTS = st.dictionaries(KEYS, NESTED, max_size=4)
PATHS = st.lists(KEYS, min_size=1, max_size=4)


def py_update_in(d, keys, func, default=None):
    k, *rest = keys
    out, old, found = {}, None, False
    if hasattr(d, "keys"):
        out.update(d)
        if k in d:
            old, found = d[k], True
    if rest:
        out[k] = py_update_in(old if found else {}, rest, func, default)
    else:
        out[k] = func(old if found else default)
    return out


@given(NESTED_DICTS, st.lists(KEYS, max_size=4))
def test_get_in_is_a_loop_with_try_except(d, path):
    got, want = get_in(path, d, "dflt"), py_get_in(path, d, "dflt")  # indexing a str makes a new one
    assert type(got) is type(want) and got == want


@given(NESTED_DICTS, PATHS)
def test_writers_are_the_recursive_formulation(d, path):
    before = entries(copy.deepcopy(d))
    tag = lambda old: ("new", old)  # noqa: E731
    assert entries(update_in(d, path, tag, "dflt")) == entries(py_update_in(d, path, tag, "dflt"))
    out = assoc_in(d, path, "v")
    assert entries(out) == entries(py_update_in(d, path, lambda old: "v"))
    assert all(out[k] is v for k, v in d.items() if k != path[0])  # off the path: shared
    assert entries(d) == before


@pytest.mark.parametrize(
    "keys, coll, exc, args",
    [([0, 5], [[1]], IndexError, "list index out of range"),
     ([0, "x"], [[1]], TypeError, "list indices must be integers or slices, not str"),
     (["a", "z"], {"a": {}}, KeyError, "z"), ([(1, 2)], {}, KeyError, (1, 2)),
     ([[]], {}, TypeError, host_message(lambda: {}[[]])),
     ("ab", {"a": "x"}, TypeError, "string indices must be integers, not 'str'")],
)
def test_get_in_failed_lookups(keys, coll, exc, args):
    assert get_in(keys, coll, "d") == "d"
    with pytest.raises(exc) as info:  # without a default: the host's own failure
        get_in(keys, coll, "d", True)
    assert type(info.value) is exc and info.value.args == (args,)


def test_get_in_edges():
    assert get_in("ab", {"a": {"b": 1}}) == 1
    assert get_in(iter(["a"]), OD(a=1)) == 1

    def keys():
        yield "a"
        raise KeyError("from the keys")

    with pytest.raises(KeyError, match="from the keys"):
        get_in(keys(), {"a": {}}, "d")  # pulling keys is not a lookup
    with pytest.raises(TypeError, match="'int' object is not iterable"):
        get_in(5, {})


@pytest.mark.skipif(os.environ.get("BRISKO_LEAKS") == "1", reason="numpy under the debug interpreter")
def test_no_default_accepts_numpy_bools():
    np = pytest.importorskip("numpy", reason="numpy is not built for this interpreter", exc_type=ImportError)
    assert get_in(["a"], {}, "d", np.False_) == "d"
    with pytest.raises(KeyError):
        get_in(["a"], {}, "d", np.True_)


def test_writer_edges():
    for writer in (lambda keys: assoc_in({}, keys, 1), lambda keys: update_in({}, keys, str)):
        with pytest.raises(StopIteration) as info:
            writer([])
        assert info.value.args == ()
    with pytest.raises(TypeError, match="unhashable"):
        assoc_in({}, [[1]], 1)
    depth = 100_000  # walked in a loop: no C stack per level
    assert get_in(range(depth), assoc_in({}, range(depth), "leaf")) == "leaf"


def test_factory_calls_and_sharing():
    calls = []
    factory = lambda: calls.append(1) or OD()  # noqa: E731
    out = assoc_in({}, ["a", "b", "c"], 1, factory)
    assert len(calls) == 5  # three levels, two placeholders
    assert out == {"a": {"b": {"c": 1}}} and type(out["a"]["b"]) is OD
    calls.clear()
    update_in({"a": {"b": {}}}, ["a", "b", "c"], str, factory=factory)
    assert len(calls) == 3
    sibling = {"t": 2}
    d = {"a": {"b": {"c": 0}, "x": sibling}}
    out = assoc_in(d, ["a", "b", "c"], 1)
    assert out["a"]["x"] is sibling and out["a"] is not d["a"] and d == {"a": {"b": {"c": 0}, "x": sibling}}


def test_defaultdicts_are_read_without_writing():
    counts = collections.defaultdict(int)
    assert update_in(counts, ["x"], lambda n: n + 1) == {"x": 1}
    assert get_in(["x"], counts) == 0
    tree = collections.defaultdict(lambda: collections.defaultdict(list))
    assert assoc_in(tree, ["a", "b"], 1) == {"a": {"b": 1}}
    assert get_in(["a", "b"], tree) == [] and get_in(["a", "b", 0], tree, "d") == "d"
    plain = collections.defaultdict(None, {"k": 1})
    assert get_in(["z"], plain, "d") == "d" and update_in(plain, ["z"], str, "d") == {"k": 1, "z": "d"}
    with pytest.raises(KeyError):
        get_in(["z"], plain, no_default=True)

    class Sub(collections.defaultdict):
        def __getitem__(self, key):
            return ("sub", super().__getitem__(key))

    sub = Sub(list, {"k": 1})
    assert get_in(["k"], sub) == ("sub", 1) and get_in(["z"], sub) == []
    assert counts == {} and tree == {} and plain == {"k": 1} and sub == {"k": 1}
    assert get_in(["z"], collections.Counter()) == 0  # other dict subclasses: plain item access


# ---------------------------------------------------------------- hostile keys and callables


class Hostile:
    """Equal only to itself, all in one hash bucket, running `Hostile.hook` once armed."""

    hook = None

    def __hash__(self):
        if Hostile.hook:
            Hostile.hook()
        return 7

    def __eq__(self, other):
        if Hostile.hook:
            Hostile.hook()
        return self is other


a, b = Hostile(), Hostile()
TOOLS = {
    "merge": lambda d: merge(d, {b: 0, "x": 1}),
    "merge_factory": lambda d: merge({b: 0}, d, factory=OD),
    "merge_with": lambda d: merge_with(list, d, {a: 0, b: 0}),
    "assoc": lambda d: assoc(d, a, 0, OD),
    "dissoc": lambda d: dissoc(d, a, "zz", factory=OD),
    "keymap": lambda d: keymap(lambda k: k, d),
    "valmap": lambda d: valmap(repr, d),
    "itemmap": lambda d: itemmap(tuple, d),
    "itemfilter": lambda d: itemfilter(bool, d),
    "get_in": lambda d: get_in([b], d, "dflt"),
    "assoc_in": lambda d: assoc_in(d, [b, "c"], 0),
    "update_in": lambda d: update_in(d, [a], repr, factory=OD),
}
HOOKS = {
    "clear": lambda d: d.clear,
    "grow": lambda d: lambda: d.update({Hostile(): i for i in range(50)}),
    "pop": lambda d: lambda: d.pop("k", None),
    "raise": lambda d: lambda: (_ for _ in ()).throw(Boom("hostile")),
}


@pytest.mark.parametrize("hook", sorted(HOOKS))
@pytest.mark.parametrize("tool", sorted(TOOLS))
def test_hostile_keys_give_an_exception_or_a_result(tool, hook):
    d = {a: 1, "k": 2, b: 3}
    Hostile.hook = HOOKS[hook](d)
    try:
        # Every tool hashes or compares a hostile key, so a raising hook always surfaces.
        with pytest.raises(Boom, match="hostile") if hook == "raise" else contextlib.nullcontext():
            try:
                assert TOOLS[tool](d) is not None
            except RuntimeError:
                pass
    finally:
        Hostile.hook = None


MUTATIONS = {
    "clear": lambda d: d.clear(),
    "add": lambda d: d.setdefault("new", 0),
    "replace": lambda d: d.update(new=d.pop("b")) if "b" in d else None,
    "value": lambda d: d.update(a=-1),
}
COMPREHENSIONS = {
    valmap: lambda f, d: {k: f(v) for k, v in d.items()},
    keyfilter: lambda f, d: {k: v for k, v in d.items() if f(k)},
    itemmap: lambda f, d: dict(f(kv) for kv in d.items()),
}


@pytest.mark.parametrize("mutation", sorted(MUTATIONS))
@pytest.mark.parametrize("tool", list(COMPREHENSIONS), ids=lambda t: t.__name__)
def test_callables_mutating_the_input_fail_as_the_host_does(tool, mutation):
    def run(impl):
        d = {"a": 1, "b": 2, "c": 3}

        def f(x):
            MUTATIONS[mutation](d)
            return x

        try:
            return impl(f, d)
        except RuntimeError as e:
            return str(e)

    assert run(tool) == run(COMPREHENSIONS[tool])
