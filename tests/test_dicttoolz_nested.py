"""get_in, assoc_in and update_in: paths through nested containers, copies along the path only."""

import collections
import copy
import os

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko._brisko import assoc_in, get_in, update_in

KEYS = st.sampled_from([0, 1, 1.0, True, False, -1, "a", "b", (1, 2)])
LEAVES = st.integers(-3, 3) | st.text(max_size=2) | st.none()
NESTED = st.recursive(LEAVES, lambda inner: st.dictionaries(KEYS, inner, max_size=4) | st.lists(inner, max_size=3))
DICTS = st.dictionaries(KEYS, NESTED, max_size=4)
PATHS = st.lists(KEYS, min_size=1, max_size=4)
OD = collections.OrderedDict


def normal(x):
    """Nested structure with key types kept (1, 1.0 and True are equal keys, not the same key)."""
    return [(type(k), k, normal(v)) for k, v in x.items()] if isinstance(x, dict) else x


def py_get_in(keys, coll, default=None):
    try:
        for k in keys:
            coll = coll[k]
    except (KeyError, IndexError, TypeError):
        return default
    return coll


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


@given(DICTS, PATHS)
def test_get_in_is_a_loop_with_try_except(d, path):
    assert get_in(path, d, "dflt") is py_get_in(path, d, "dflt")


@given(DICTS, PATHS)
def test_writers_are_the_recursive_formulation(d, path):
    before = normal(copy.deepcopy(d))
    tag = lambda old: ("new", old)  # noqa: E731
    assert normal(update_in(d, path, tag, "dflt")) == normal(py_update_in(d, path, tag, "dflt"))
    out = assoc_in(d, path, "v")
    assert normal(out) == normal(py_update_in(d, path, lambda old: "v"))
    assert all(out[k] is v for k, v in d.items() if k != path[0])  # off the path: shared
    assert normal(d) == before


@pytest.mark.parametrize(
    "keys, coll, exc, args",
    [([0, 5], [[1]], IndexError, "list index out of range"),
     ([0, "x"], [[1]], TypeError, "list indices must be integers or slices, not str"),
     (["a", "z"], {"a": {}}, KeyError, "z"), ([(1, 2)], {}, KeyError, (1, 2)),
     ([[]], {}, TypeError, "cannot use 'list' as a dict key (unhashable type: 'list')"),
     ("ab", {"a": "x"}, TypeError, "string indices must be integers, not 'str'")],
)
def test_get_in_failed_lookups(keys, coll, exc, args):
    assert get_in(keys, coll, "d") == "d"
    with pytest.raises(exc) as info:  # without a default: the host's own failure
        get_in(keys, coll, "d", True)
    assert type(info.value) is exc and info.value.args == (args,)


def test_get_in_edges():
    assert get_in([], None) is None
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
    np = pytest.importorskip("numpy")
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

    def factory():
        calls.append(1)
        return OD()

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
