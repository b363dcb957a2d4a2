"""Pickling: one pickle.dumps + pickle.loads round trip per loop step, against the same payload in
a plain tuple and functools.partial. Any class pickles as a reference to its constructor, which
pickle checks on the way out and imports on the way in; a tuple needs no such reference, so for a
small payload that reference dominates (the "floor" rows show it for a class written in Python).
The cloudpickle row pickles a function of __main__, which goes by value, as a worker of a
cloudpickle-based engine receives it; brisko asks each pickler once whether it takes the function
by value, which costs that pickler one more reduction of it."""

import functools
import pickle
import sys

import brisko  # noqa: F401  (registers the reducers)
from brisko._brisko import Ok, curry
from harness import Case

FLOOR = float("inf")  # rows against a floor: reported, never a miss


def add2(x, y):
    return x + y


class PyOk:
    """The least a Python class can do to pickle: a reduce to its constructor and one value."""

    __slots__ = ("value",)

    def __init__(self, value):
        self.value = value

    def __reduce__(self):
        return PyOk, (self.value,)


# Defined in __main__ (the runner's module), as a one-file job defines them.
MAIN_DEFINITIONS = """
from brisko import curry as _bench_curry

@_bench_curry
def bench_main_curried(k, x):
    return k * x

def bench_main_plain(k, x):
    return k * x
"""


def main_definitions():
    """The curried and the plain function, defined in __main__."""
    namespace = vars(sys.modules["__main__"])
    if "bench_main_plain" not in namespace:
        exec(MAIN_DEFINITIONS, namespace)
    return namespace["bench_main_curried"], namespace["bench_main_plain"]


def round_trip(name, make, base_name, make_base, target, steps, dumps=pickle.dumps, loads=pickle.loads):
    """A case timing loads(dumps(obj)) against loads(dumps(base)); both must come back intact."""
    obj, base = make(), make_base()
    if type(loads(dumps(obj))) is not type(obj) or loads(dumps(base)) == base is False:
        raise AssertionError(f"{name}: does not round-trip")

    def ours():
        for _ in range(steps):
            loads(dumps(obj))

    def theirs():
        for _ in range(steps):
            loads(dumps(base))

    return Case(name, steps, ours, base_name, theirs, target)


def cases(scale=1.0):
    steps = max(1, int(20_000 * scale))
    record = {"id": 12345, "name": "widget", "tags": ["a", "b"], "price": 9.5}
    ints = list(range(100))
    oks, py_oks, tuples = [Ok(i) for i in range(1000)], [PyOk(i) for i in range(1000)], [(i,) for i in range(1000)]
    batches = max(1, steps // 100)
    return [
        round_trip("pickle Ok(x), x an int", lambda: Ok(12345), "(x,)", lambda: (12345,), 1.5, steps),
        round_trip("pickle Ok(x), x an int (floor)", lambda: Ok(12345), "PyOk(x), __reduce__",
                   lambda: PyOk(12345), FLOOR, steps),
        round_trip("pickle Ok(x), x a 4-key record", lambda: Ok(record), "(x,)", lambda: (record,), 1.5, steps),
        round_trip("pickle Ok(x), x 100 ints", lambda: Ok(ints), "(x,)", lambda: (ints,), 1.5, steps),
        round_trip("pickle [Ok(i) for 1000 i]", lambda: oks, "[(i,) ...]", lambda: tuples, FLOOR, batches),
        round_trip("pickle [Ok(i) for 1000 i] (floor)", lambda: oks, "[PyOk(i) ...]", lambda: py_oks, FLOOR,
                   batches),
        round_trip("pickle curry(f, 1)", lambda: curry(add2, 1), "functools.partial(f, 1)",
                   lambda: functools.partial(add2, 1), 1.5, steps),
    ] + cloudpickle_cases(max(1, steps // 10))


def cloudpickle_cases(steps):
    try:
        import cloudpickle
    except ImportError:
        return []
    curried, plain = main_definitions()
    return [
        round_trip("cloudpickle @curry def f, f in __main__", lambda: curried, "a plain def f in __main__",
                   lambda: plain, 1.5, steps, cloudpickle.dumps, cloudpickle.loads),
    ]
