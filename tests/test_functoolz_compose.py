"""Composition and application: compose, compose_left, pipe, thread_first, thread_last, juxt,
complement, do, apply, identity, and the call-only classes of all the function tools."""

import collections
import functools
import gc
import operator
import subprocess
import sys

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko._brisko import apply, complement, compose, compose_left, curry, do
from brisko._brisko import excepts, identity, juxt, memoize, pipe, thread_first, thread_last
from conftest import Boom

X = 2**70  # not immortal, so a leaked reference shows up under ./dev leaks


def inc(x):
    return x + 1


def py_pipe(data, *funcs):
    return functools.reduce(lambda v, f: f(v), funcs, data)


def outcome(call):
    try:
        return call()
    except TypeError as e:  # len of an int and the like: the same error on both sides
        return ("raised", str(e))


@given(st.lists(st.sampled_from([inc, operator.neg, abs, str, len, hash]), min_size=1, max_size=6), st.integers())
def test_compose_and_pipe_fold_like_plain_python(funcs, x):
    expected = outcome(lambda: py_pipe(x, *funcs))
    assert outcome(lambda: pipe(x, *funcs)) == expected
    assert outcome(lambda: compose_left(*funcs)(x)) == expected
    assert outcome(lambda: compose(*reversed(funcs))(x)) == expected


def test_compose():
    assert compose(abs, lambda a, b=0: a - b)(1, b=3) == 2  # keywords reach the first call only
    ident = compose()
    assert ident(X) is X and compose_left()(x=X) is X
    assert ident is not identity and type(ident) is type(identity)
    assert ident.__self__ is None and ident.__module__ is None


def test_pipe_and_threading():
    assert pipe(X) is X and pipe(data=X) is X and thread_first(val=X) is X
    assert thread_first(1, (pow, 3)) == 1 and thread_last(2, (pow, 3)) == 9
    assert thread_first(X, inc, (lambda *a: a, 1, 2)) == (X + 1, 1, 2)
    assert thread_last(X, inc, (lambda *a: a, 1, 2)) == (1, 2, X + 1)
    # A tuple subclass is a form too, read at the C level.
    assert thread_first(10, collections.namedtuple("Form", "func arg")(operator.sub, 3)) == 7
    with pytest.raises(IndexError, match="tuple index out of range"):
        thread_first(1, ())


def test_juxt():
    assert juxt(inc, str)(X) == juxt([inc, str])(X) == juxt(f for f in (inc, str))(X) == (X + 1, str(X))
    assert juxt(inc)(X) == (X + 1,) and juxt()(X) == ()
    assert juxt(lambda a, b=0: a + b, lambda a, b=0: a * b)(2, b=5) == (7, 10)
    strings = juxt("ab")  # not callable, so an iterable of functions
    with pytest.raises(TypeError, match="'str' object is not callable"):
        strings(1)
    with pytest.raises(TypeError, match="'int' object is not iterable"):
        juxt(5)


def test_a_juxt_result_is_hidden_from_the_collector_until_full():
    # A half-filled tuple reached through gc.get_objects() would crash repr().
    code = """
import gc
from brisko._brisko import juxt
def scan(x):
    [repr(o) for o in gc.get_objects() if type(o) is tuple and len(o) == 3]
    return x
print(juxt(scan, scan, scan)(7))
"""
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True)
    assert (out.returncode, out.stdout.strip()) == (0, "(7, 7, 7)"), out.stderr


def test_complement_and_application():
    assert complement(bool)(0) is True and complement(bool)(X) is False
    assert complement(lambda a, b: a == b)(1, b=2) is True

    class Undecided:
        def __bool__(self):
            raise Boom("truth")

    with pytest.raises(Boom, match="truth"):
        complement(Undecided)()
    assert identity(X) is X and identity(x=X) is X
    seen = []
    assert do(seen.append, X) is X and seen == [X]
    assert apply(tuple) == ()
    assert apply(lambda *a, **k: (a, k), 1, X, k=X) == ((1, X), {"k": X})
    assert apply(func=lambda **k: k, k=X) == {"k": X}
    with pytest.raises(TypeError) as info:
        apply(tuple, func=1)
    assert str(info.value) == "apply() got multiple values for argument 'func'"


def test_exceptions_from_user_callables_pass_through_untouched():
    raised = Boom("user callable")

    def body(*args, **kwargs):
        raise raised

    calls = [
        lambda: curry(body)(X),
        lambda: compose(inc, body)(X),
        lambda: pipe(X, body),
        lambda: thread_last(X, (body, 1)),
        lambda: juxt(inc, body, str)(X),
        lambda: complement(body)(X),
        lambda: do(body, X),
        lambda: apply(body, X),
        lambda: memoize(body)(X),
        lambda: excepts(KeyError, body)(X),
    ]
    for call in calls:
        with pytest.raises(Boom) as info:
            call()
        assert info.value is raised and info.traceback[-1].name == "body"


@pytest.mark.parametrize(
    "make, name, result",
    [
        (lambda: compose(inc), "Compose", 2),
        (lambda: juxt(inc), "Juxt", (2,)),
        (lambda: complement(inc), "Complement", False),
        (lambda: memoize(inc), "Memoize", 2),
        (lambda: excepts(Boom, inc), "Excepts", 2),
    ],
)
def test_call_only_classes(make, name, result):
    obj = make()
    cls = type(obj)
    assert (cls.__name__, cls.__module__, cls.__doc__) == (name, "brisko._brisko", None)
    assert gc.is_tracked(obj)
    assert [n for n in dir(obj) if not n.startswith("__")] == [] and "__vectorcalloffset__" not in dir(cls)
    assert obj(1) == obj.__call__(1) == result  # vectorcall and tp_call agree
    with pytest.raises(TypeError, match=f"cannot create 'brisko._brisko.{name}' instances"):
        cls()
    with pytest.raises(TypeError, match="not an acceptable base type"):
        type("Sub", (cls,), {})
