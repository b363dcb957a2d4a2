"""Input shapes shared by the tests: every lazy tool runs over each of them."""

import collections.abc
import contextlib
import pathlib
import subprocess
import sys

import pytest

from brisko import _pickling

# brisko._testhooks, when this build has it (never a wheel's): the tests import it by name.
with contextlib.suppress(ImportError):
    _pickling._library_module("_testhooks")

# The test tools (the doc-example runner, the leak checker, the fuzzer) live in tools/.
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tools"))


class ListSubclass(list):
    """A list subclass with its own __iter__, which the tools must honour."""

    def __iter__(self):
        return iter(tuple(super().__iter__()))


class CustomIterator:
    """A plain-Python iterator with a length hint."""

    def __init__(self, values):
        self._values = list(values)
        self._i = 0

    def __iter__(self):
        return self

    def __next__(self):
        if self._i >= len(self._values):
            raise StopIteration
        self._i += 1
        return self._values[self._i - 1]

    def __length_hint__(self):
        return len(self._values) - self._i


class Boom(Exception):
    """Raised by the failing inputs and callables of the tests."""


def fail(*args):
    """A callable that fails whatever it is given."""
    raise Boom("failed")


def raising_after(values, k, exc=Boom):
    """An iterator yielding the first k values, then raising exc on every later pull."""

    class Failing:
        def __init__(self):
            self.i = 0

        def __iter__(self):
            return self

        def __next__(self):
            if self.i >= k:
                raise exc("source failed")
            self.i += 1
            return values[self.i - 1]

    return Failing()


X, Y, Z = 2**70, 2**71, 2**72  # not immortal, so a leaked reference shows up under ./dev leaks


def pair(x, y):
    return (x, y)


def consumed(result):
    """A lazy result read to its end (an Iter through collect()); any other result as it is."""
    if isinstance(result, collections.abc.Iterator):
        return list(result)
    return result.collect() if type(result).__name__ == "Iter" else result


def run_child(code, *args, env=None, timeout=600):
    """The output of `code` run in a fresh process of the interpreter under test, which must exit
    cleanly: a fault there ends the child, not the suite."""
    out = subprocess.run([sys.executable, "-c", code, *args], capture_output=True, text=True, timeout=timeout, env=env)
    assert out.returncode == 0, out.stderr[-3000:] + out.stdout[-1000:]
    return out.stdout.strip()


# For a child: load(name) loads brisko's library by path as the module `name` (brisko._brisko, or one
# of the other modules it holds), past the package, whose import keeps a module of its own.
LOAD_BY_PATH = """
import gc, glob, importlib.machinery, importlib.util, os
package = importlib.machinery.PathFinder.find_spec("brisko").submodule_search_locations[0]
def load(name="brisko._brisko"):
    spec = importlib.util.spec_from_file_location(name, glob.glob(os.path.join(package, "_brisko.*.so"))[0])
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module
"""


def host_message(call):
    """The message of what the host's own operation raises: the words brisko passes through, which
    differ between interpreters ("unhashable type: 'list'" on 3.13)."""
    try:
        call()
    except Exception as e:
        return str(e)
    raise AssertionError("the host's operation did not raise")


def outcome(call):
    """What a call gives: ("value", its result), or ("raised", the type and arguments of what it raised)."""
    try:
        return ("value", call())
    except Exception as e:
        return ("raised", type(e), e.args)


def hashed(results):
    """Consumes tuples as users do: hashes each one (as set(), Counter and dict.fromkeys do), keeps
    every other one and drops the rest (so an iterator may recycle it). Returns each one's items and
    hash, once the kept ones are found intact."""
    seen, kept = [], []
    for i, t in enumerate(results):
        seen.append((list(t), hash(t)))
        if i % 2 == 0:
            kept.append(t)
    assert [(list(t), hash(t)) for t in kept] == seen[::2], "a tuple handed out was changed"
    return seen


class Collide:
    """Equal when the values are; every instance hashes alike, so tables must fall back on ==."""

    __slots__ = ("v",)

    def __init__(self, v):
        self.v = v

    def __eq__(self, other):
        return isinstance(other, Collide) and self.v == other.v

    def __hash__(self):
        return 7

    def __repr__(self):
        return f"Collide({self.v!r})"


def _generator(values):
    yield from values


SHAPES = {
    "list": list,
    "list_subclass": ListSubclass,
    "tuple": tuple,
    "generator": _generator,
    "custom_iterator": CustomIterator,
}


@pytest.fixture(params=sorted(SHAPES))
def shape(request):
    """A factory turning a list of values into a fresh input of one shape."""
    return SHAPES[request.param]


@pytest.fixture
def boom():
    return Boom


def pytest_addoption(parser):
    parser.addoption("--leaks", action="store_true", help="fail tests whose reference counts keep growing")


def pytest_configure(config):
    config.addinivalue_line(
        "markers", "out_of_process: the test's work runs in a child process; the leak check runs it once"
    )
    if config.getoption("--leaks"):
        import refleak

        refleak.configure(config)


try:
    from hypothesis import settings
    from hypothesis import strategies as st
except ImportError:  # pragma: no cover - hypothesis is part of the environment
    pass
else:
    # Hashable values of mixed types, equal across types (1, 1.0, True) and colliding on purpose.
    hashables = st.recursive(
        st.integers(-3, 3) | st.integers(-2, 2).map(float) | st.booleans() | st.text("ab", max_size=2) | st.none()
        | st.integers().map(lambda v: v * 2**64) | st.integers(0, 3).map(Collide),
        lambda inner: st.tuples(inner, inner),
        max_leaves=4,
    )

    # Timing is the benchmarks' business; a slow CI machine must not fail a property test.
    settings.register_profile("brisko", deadline=None)
    settings.load_profile("brisko")


class MappingOnly(collections.abc.Mapping):
    """A Mapping with its own __getitem__; keys() and items() come from the ABC."""

    def __init__(self, data):
        self._data = dict(data)

    def __getitem__(self, key):
        return self._data[key]

    def __iter__(self):
        return iter(self._data)

    def __len__(self):
        return len(self._data)


class ItemsOnly:
    """No mapping at all, only keys() and items(): all that the mapping tools read."""

    def __init__(self, pairs):
        self._pairs = list(pairs)

    def keys(self):
        return [p[0] for p in self._pairs]

    def items(self):
        return iter(self._pairs)


# Each turns a dict into a fresh mapping of one kind with the same items in the same order.
MAPPING_SHAPES = {
    "dict": dict,
    "ordered_dict": collections.OrderedDict,
    "user_dict": collections.UserDict,
    "counter": collections.Counter,
    "defaultdict": lambda d: collections.defaultdict(list, d),
    "mapping": MappingOnly,
    "items_only": lambda d: ItemsOnly(d.items()),
}
