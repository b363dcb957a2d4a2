"""memoize (signature-derived keys, the cache dict) and excepts."""

import pytest

from brisko._brisko import excepts, memoize
from conftest import Boom

X, Y = 2**70, 2**71  # not immortal, so a leaked reference shows up under ./dev leaks


def keys_after(func, *calls):
    """The cache keys left by the calls, each given as (args, kwargs)."""
    cache = {}
    m = memoize(func, cache)
    for args, kwargs in calls:
        m(*args, **kwargs)
    return list(cache)


class NoSignature:
    @property
    def __signature__(self):
        raise Boom("no signature for you")

    def __call__(self, x):
        return x


def test_key_forms_follow_the_signature():
    assert keys_after(lambda x: x, ((X,), {}), ((), {"x": X})) == [X, ((), frozenset({("x", X)}))]
    assert keys_after(lambda x, y: x, ((1, X), {}), ((1,), {"y": X})) == [(1, X), ((1,), frozenset({("y", X)}))]
    assert keys_after(lambda x, y=0: x, ((1,), {}), ((), {"x": X})) == [((1,), None), (None, frozenset({("x", X)}))]
    assert keys_after(lambda *a: a, ((X,), {}), ((), {})) == [(X,), ()]
    assert keys_after(lambda x, /, *, k: x, ((X,), {"k": 1})) == [((X,), frozenset({("k", 1)}))]
    assert keys_after(lambda **k: k, ((), {})) == [(None, None)]
    # No readable signature (max; a raising __signature__): every call is keyed with its keywords.
    assert keys_after(max, ((X, Y), {})) == [((X, Y), None)]
    assert keys_after(NoSignature(), ((X,), {})) == [((X,), None)]


def test_hits_skip_the_call_and_failures_store_nothing():
    calls = []
    cache = {}
    m = memoize(lambda x: calls.append(x) or [1 / x], cache=cache)
    first = m(X)
    assert m(X) is first and calls == [X]
    cache.clear()  # the wrapper sees the caller's dict as it is now
    assert m(X) is not first and calls == [X, X]
    with pytest.raises(ZeroDivisionError):
        m(0)
    with pytest.raises(TypeError, match="unhashable type: 'list'"):
        m([1])
    assert list(cache) == [X] and calls == [X, X, 0]


def test_key_function_gets_args_and_keywords_or_none():
    seen = []
    cache = {}
    m = memoize(lambda x, y=0: x + y, cache, lambda args, kwargs: seen.append((args, kwargs)) or args[0])
    assert m(X) == m(X, y=1) == X  # same key, so the second call is a hit
    assert seen == [((X,), None), ((X,), {"y": 1})] and list(cache) == [X]


def test_a_dict_subclass_cache_is_used_at_the_c_level():
    class Spy(dict):
        def __getitem__(self, key):
            pytest.fail("__getitem__ called")

        def __setitem__(self, key, value):
            pytest.fail("__setitem__ called")

    cache = Spy()
    m = memoize(lambda x: [x], cache)
    assert m(X) is m(X) and dict(cache) == {X: [X]}


def test_recursion_through_the_wrapper():
    fib = memoize(lambda n: n if n < 2 else fib(n - 1) + fib(n - 2))
    assert fib(200) == 280571172992510140037611932413038677189525
    fib = None  # the lambda's closure refers to the wrapper, which the collector cannot see into


def test_excepts():
    assert excepts(ZeroDivisionError, lambda x: 1 / x)(0) is None
    lookup = excepts((KeyError, IndexError), lambda c, k: c[k], lambda e: type(e).__name__)
    assert (lookup({}, 1), lookup([], 1), lookup(c=[X], k=0)) == ("KeyError", "IndexError", X)

    class Special(ValueError):
        pass

    def raise_special():
        raise Special("sub")

    assert excepts(ValueError, raise_special, type)() is Special
    assert excepts(ValueError, raise_special, lambda e: e.__traceback__ is not None)()
    for unmatched in (excepts(KeyError, raise_special), excepts((KeyError, 5), raise_special)):
        with pytest.raises(Special):
            unmatched()
