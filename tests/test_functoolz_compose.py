"""Composition and application: compose, compose_left, pipe, thread_first, thread_last, juxt,
complement, do, apply, identity."""

import collections
import functools
import operator

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko._brisko import apply, complement, compose, compose_left, do, identity, juxt, pipe, thread_first
from brisko._brisko import thread_last
from conftest import hashables

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


@given(st.lists(st.sampled_from([inc, operator.neg, abs, str, len, hash]), min_size=1, max_size=6), hashables)
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


def test_complement_and_application():
    assert complement(bool)(0) is True and complement(bool)(X) is False
    assert complement(lambda a, b: a == b)(1, b=2) is True
    assert identity(X) is X and identity(x=X) is X
    seen = []
    assert do(seen.append, X) is X and seen == [X]
    assert apply(tuple) == ()
    assert apply(lambda *a, **k: (a, k), 1, X, k=X) == ((1, X), {"k": X})
    assert apply(func=lambda **k: k, k=X) == {"k": X}
