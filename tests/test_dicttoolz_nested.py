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


def normal(x):
    """Nested structure with key types kept (1, 1.0 and True are equal keys, not the same key)."""
    if isinstance(x, dict):
        return [(type(k), k, normal(v)) for k, v in x.items()]
    return x


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
    assert normal(assoc_in(d, path, "v")) == normal(py_update_in(d, path, lambda old: "v"))
    out = assoc_in(d, path, "v")
    assert all(out[k] is v for k, v in d.items() if k != path[0])  # off the path: shared
    assert normal(d) == before


def test_get_in_edges():
    assert get_in([], None) is None
    assert get_in("ab", {"a": {"b": 1}}) == 1
    assert get_in((0, 5), [[1]], "d") == "d"
    assert get_in([0, "x"], [[1]], "d") == "d"
    assert get_in(iter(["a"]), collections.OrderedDict(a=1)) == 1
    assert get_in(["a"], {}) is None


@pytest.mark.parametrize(
    "keys, coll, exc, message",
    [
        ([0, 5], [[1]], IndexError, "list index out of range"),
        ([0, "x"], [[1]], TypeError, "list indices must be integers or slices, not str"),
        (["a", "z"], {"a": {}}, KeyError, "'z'"),
        ([(1, 2)], {}, KeyError, "(1, 2)"),
        ([[]], {}, TypeError, None),  # the host's own message for an unhashable dict key
    ],
)
def test_get_in_no_default_reraises(keys, coll, exc, message):
    if message is None:
        with pytest.raises(exc) as host:
            coll[keys[0]]
        message = str(host.value)
    with pytest.raises(exc) as info:
        get_in(keys, coll, "d", True)
    assert str(info.value) == message
    if exc is KeyError:
        assert info.value.args == (keys[-1],)


def test_get_in_passes_other_errors_through(boom):
    class Raising:
        def __getitem__(self, key):
            raise boom(key)

    with pytest.raises(boom):
        get_in(["a"], Raising(), "d")

    def keys():
        yield "a"
        raise KeyError("from the keys")

    with pytest.raises(KeyError, match="from the keys"):
        get_in(keys(), {"a": {}}, "d")
    with pytest.raises(TypeError, match="'int' object is not iterable"):
        get_in(5, {})


@pytest.mark.parametrize("flag", [0, 1, None, "yes", 1.0])
def test_no_default_must_be_a_bool(flag):
    with pytest.raises(TypeError) as info:
        get_in(["a"], {}, None, flag)
    name = "'None' is" if flag is None else f"'{type(flag).__name__}' object is"
    assert str(info.value) == f"{name} not an instance of 'bool'"
    assert info.value.__notes__ == ["while processing 'no_default'"]


@pytest.mark.skipif(os.environ.get("BRISKO_LEAKS") == "1", reason="numpy under the debug interpreter")
def test_no_default_accepts_numpy_bools():
    np = pytest.importorskip("numpy")
    assert get_in(["a"], {}, "d", np.False_) == "d"
    with pytest.raises(KeyError):
        get_in(["a"], {}, "d", np.True_)


def test_writer_edges():
    assert assoc_in({}, ["a", "b", "c"], 1) == {"a": {"b": {"c": 1}}}
    assert update_in({"a": 1}, ["b"], lambda x: [x]) == {"a": 1, "b": [None]}
    assert update_in({"a": 1}, ["b"], lambda x: [x], 0) == {"a": 1, "b": [0]}
    assert update_in({"a": 5}, ["a", "b"], str) == {"a": {"b": "None"}}
    assert assoc_in({"a": [1, 2]}, ["a", 0], "x") == {"a": {0: "x"}}
    for writer in (lambda keys: assoc_in({}, keys, 1), lambda keys: update_in({}, keys, str)):
        with pytest.raises(StopIteration) as info:
            writer([])
        assert info.value.args == ()
    with pytest.raises(TypeError, match="unhashable"):
        assoc_in({}, [[1]], 1)


def test_factory_is_called_once_per_level_and_per_placeholder():
    calls = []

    def factory():
        calls.append(1)
        return collections.OrderedDict()

    out = assoc_in({}, ["a", "b", "c"], 1, factory)
    assert len(calls) == 5
    assert type(out) is type(out["a"]) is type(out["a"]["b"]) is collections.OrderedDict
    calls.clear()
    update_in({"a": {"b": {}}}, ["a", "b", "c"], str, factory=factory)
    assert len(calls) == 3


def test_only_the_path_is_copied():
    sibling, inner_sibling = {"s": 1}, {"t": 2}
    d = {"a": {"b": {"c": 0}, "x": inner_sibling}, "y": sibling}
    before = copy.deepcopy(d)
    out = assoc_in(d, ["a", "b", "c"], 1)
    assert out == {"a": {"b": {"c": 1}, "x": {"t": 2}}, "y": {"s": 1}}
    assert out["y"] is sibling and out["a"]["x"] is inner_sibling
    assert out["a"] is not d["a"] and out["a"]["b"] is not d["a"]["b"]
    assert d == before


def test_deep_paths_use_no_native_recursion():
    depth = 100_000
    out = assoc_in({}, range(depth), "leaf")
    assert get_in(range(depth), out) == "leaf"
    assert update_in(out, range(depth), str.upper) is not out


def inc(x):
    return x + 1


def test_defaultdicts_are_read_without_writing():
    counts = collections.defaultdict(int)
    assert update_in(counts, ["x"], inc) == {"x": 1}
    assert get_in(["x"], counts) == 0
    assert counts == {}
    tree = collections.defaultdict(lambda: collections.defaultdict(list))
    assert assoc_in(tree, ["a", "b"], 1) == {"a": {"b": 1}}
    assert get_in(["a", "b"], tree) == []
    assert get_in(["a", "b", 0], tree, "d") == "d"
    assert tree == {}
    no_factory = collections.defaultdict(None, {"k": 1})
    assert get_in(["z"], no_factory, "d") == "d"
    assert update_in(no_factory, ["z"], str, "d") == {"k": 1, "z": "d"}
    with pytest.raises(KeyError):
        get_in(["z"], no_factory, no_default=True)
    assert no_factory == {"k": 1}


def test_defaultdict_subclasses_and_other_mappings():
    class Sub(collections.defaultdict):
        def __getitem__(self, key):
            return ("sub", super().__getitem__(key))

    sub = Sub(list, {"k": 1})
    assert get_in(["k"], sub) == ("sub", 1)
    assert get_in(["z"], sub) == []
    assert sub == {"k": 1}
    assert get_in(["z"], collections.Counter()) == 0
    assert update_in(collections.Counter(a=1), ["a"], inc) == {"a": 2}


def test_defaultdict_factory_errors(boom):
    def factory():
        raise boom("factory")

    dd = collections.defaultdict(factory)
    with pytest.raises(boom):
        get_in(["x"], dd, "d")
    with pytest.raises(boom):
        update_in(dd, ["x"], str)
