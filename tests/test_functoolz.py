"""The function tools: composition and application (compose, compose_left, pipe, thread_first,
thread_last, juxt, complement, do, apply, identity); curry and flip (gathering, the host's
signature binding, the once-per-chain signature lookup); memoize (keys derived from the
signature, the cache dict); and excepts."""

import collections
import functools
import gc
import inspect
import operator
import threading
import time
import types

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko._brisko import apply, complement, compose, compose_left, curry, do, excepts, flip, identity, juxt, memoize
from brisko._brisko import pipe, thread_first, thread_last
from conftest import Boom, CustomIterator, X, Y, Z, hashables, outcome, pair, raising_after
from models import PyCurry


def inc(x):
    return x + 1


@given(st.lists(st.sampled_from([inc, operator.neg, abs, str, len, hash]), min_size=1, max_size=6), hashables)
def test_compose_and_pipe_fold_like_plain_python(funcs, x):  # len of an int fails alike on both sides
    expected = outcome(lambda: functools.reduce(lambda v, f: f(v), funcs, x))
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


# ---------------------------------------------------------------- curry and flip


class Signed:
    """A callable whose signature lookups are counted, and can be slow or fail once."""

    def __init__(self, fail=None, delay=0.0):
        self.lookups, self.fail, self.delay = 0, fail, delay

    @property
    def __signature__(self):
        self.lookups += 1
        time.sleep(self.delay)  # releases the interpreter while other threads pile up
        if self.fail is not None:
            exc, self.fail = self.fail, None
            raise exc
        return inspect.signature(pair)

    def __call__(self, x, y):
        return (x, y)


def test_arguments_gather_until_they_bind():
    # Binding itself is the property test's below; here, what a curry starts from and keeps.
    assert curry(pair)(X)(Y) == curry(pair, X)(Y) == (X, Y)
    start = curry(pair, y=Y)
    assert start(y=Z)(X) == (X, Z)  # a later keyword wins...
    assert start(X) == (X, Y)  # ...without touching the curry it came from
    held, given = {f"k{i}": i for i in range(12)}, {f"k{i}": -i for i in range(6, 18)}  # many: no scan
    assert list(curry(lambda **k: k, **held)(**given).items()) == list({**held, **given}.items())
    defaulted = curry(lambda x, y=0: (x, y))  # one chain: a shape that bound alone binds with keywords too
    assert defaulted(X) == (X, 0) and defaulted(y=Y)(X) == (X, Y)

    class Holder:
        method = curry(pair)  # no __get__: the instance is not bound as `self`

    assert Holder().method(X, Y) == (X, Y)


def test_callables_without_a_signature_are_called_at_once():
    with pytest.raises(TypeError, match="'int' object is not callable"):
        curry(5)(1)
    # inspect.signature(max) raises ValueError: the builtin is called whatever the arguments.
    assert curry(max)(X, Y) == Y
    with pytest.raises(TypeError, match="not iterable"):
        curry(max)(1)


def test_the_signature_is_looked_up_once_per_chain_and_retried_after_a_failure():
    target = Signed(fail=Boom("lookup failed"))
    c = curry(target)
    with pytest.raises(Boom, match="lookup failed"):
        c(X)
    assert c(X)(Y) == c(X, Y) == (X, Y)
    assert target.lookups == 2

    target = Signed(fail=ValueError("no signature"))
    c = curry(target)
    with pytest.raises(TypeError):  # no signature: called straight away, with one argument
        c(X)
    assert c(X, Y) == (X, Y) and target.lookups == 1


def test_a_signature_subclass_binds_on_every_call_and_its_errors_propagate():
    calls, holders = [], []

    class Counting(inspect.Signature):
        def bind(self, *args, **kwargs):
            calls.append(len(args))
            if args and args[0] is None:
                raise Boom("bind")  # not a TypeError: no sign of missing arguments
            # User code: nothing it finds holding a keyword value may be changed (and free the value).
            holders.extend(r for v in kwargs.values() for r in gc.get_referrers(v)
                           if type(r) in (dict, list) and r is not kwargs)
            return super().bind(*args, **kwargs)

    target = type("Target", (), {"__signature__": Counting.from_callable(pair), "__call__": lambda self, x, y: (x, y)})
    c, y = curry(target()), object()
    assert [c(X, Y), c(X, Y), c(X)(Y), curry(target(), y=y)(X), c(y=object())(X, y=y)] == [(X, Y)] * 3 + [(X, y)] * 2
    assert calls == [2, 2, 1, 2, 1, 0, 1] and holders == []
    with pytest.raises(Boom, match="bind"):
        c(None)


def three(a, b, /, c, d=0, *, e, f=1):
    if a == "boom":  # a TypeError from the body is no sign of missing arguments
        raise TypeError("inside the body")
    return (a, b, c, d, e, f)


def step(obj, positional, keywords):
    """One call: the value, the TypeError's message, or a partial application to go on from."""
    try:
        result = obj(*positional, **keywords)
    except TypeError as e:
        return ("raised", str(e)), None
    if isinstance(result, (curry, PyCurry)):
        return ("partial",), result
    return ("value", result), None


# A call: some positionals (a value, or one that makes the body raise TypeError) and keywords.
calls = st.lists(
    st.tuples(st.lists(st.sampled_from([1, "boom"]), max_size=4),
              st.lists(st.sampled_from(["c", "d", "e", "f", "g", "a"]), max_size=3, unique=True)),
    min_size=1, max_size=16,
)


@given(calls)
def test_remembered_verdicts_agree_with_binding_every_call(sequence):
    # One chain sees many shapes (more than it remembers), from curries at different stages.
    root_ours, root_theirs = curry(three), PyCurry(three)
    ours, theirs = root_ours, root_theirs
    for positional, names in sequence:
        keywords = dict.fromkeys(names, 2)
        mine, next_ours = step(ours, positional, keywords)
        reference, next_theirs = step(theirs, positional, keywords)
        assert mine == reference
        ours, theirs = (next_ours, next_theirs) if next_ours is not None else (root_ours, root_theirs)


def test_a_lookup_that_reenters_its_curry_fails_instead_of_hanging():
    c = curry(type("Reentrant", (), {"__signature__": property(lambda self: c(X)), "__call__": lambda self, x: x})())
    with pytest.raises(RuntimeError, match="recursive signature lookup"):
        c(X)
    c = None  # the property's closure refers to the curry, which the collector cannot see into


def test_concurrent_first_calls_share_one_lookup():
    target = Signed(delay=0.05)
    c = curry(target)
    start = threading.Barrier(8)
    results = []

    def worker():
        start.wait()
        results.append(c(X)(Y))

    threads = [threading.Thread(target=worker, daemon=True) for _ in range(8)]
    for t in threads:
        t.start()
    for t in threads:
        t.join(timeout=30)
    assert not any(t.is_alive() for t in threads), "a waiting thread kept the interpreter"
    assert results == [(X, Y)] * 8 and target.lookups == 1


def test_flip_is_a_curry_over_a_builtin():  # its other shapes are the reference's examples
    assert type(flip(pow)) is curry and flip(pow, 2)(3) == 9 and flip(func=pair, a=X, b=Y) == (Y, X)


def test_curries_lend_out_no_state_they_share():
    # What the collector's traversal hands out, user code cannot change: no keyword can be replaced.
    referents = gc.get_referents(curry(lambda w, x, y, z: w, X, y=Y)(z=Z))
    # The function twice: it is the bottom of the curry's stack of decorators too.
    names = ["CurryChain", "function", "function", "tuple", "tuple", "tuple", "type"]
    assert sorted(type(r).__name__ for r in referents) == names


# ---------------------------------------------------------------- memoize and excepts


def keys_after(func, *calls):
    """The cache keys left by the calls, each given as (args, kwargs)."""
    cache = {}
    m = memoize(func, cache)
    for args, kwargs in calls:
        m(*args, **kwargs)
    return list(cache)


def test_key_forms_follow_the_signature():
    assert keys_after(lambda x: x, ((X,), {}), ((), {"x": X})) == [X, ((), frozenset({("x", X)}))]
    assert keys_after(lambda x, y: x, ((1, X), {}), ((1,), {"y": X})) == [(1, X), ((1,), frozenset({("y", X)}))]
    assert keys_after(lambda x, y=0: x, ((1,), {}), ((), {"x": X})) == [((1,), None), (None, frozenset({("x", X)}))]
    assert keys_after(lambda *a: a, ((X,), {}), ((), {})) == [(X,), ()]
    assert keys_after(lambda x, /, *, k: x, ((X,), {"k": 1})) == [((X,), frozenset({("k", 1)}))]
    assert keys_after(lambda **k: k, ((), {})) == [(None, None)]
    # No readable signature (max; a raising __signature__): every call is keyed with its keywords.
    assert keys_after(max, ((X, Y), {})) == [((X, Y), None)]
    assert keys_after(Signed(fail=Boom("no signature")), ((X, Y), {})) == [((X, Y), None)]
    # Parameters that fail to read partway through: the cautious key, as with no signature at all.
    parameters = types.SimpleNamespace(values=lambda: raising_after([inspect.Parameter("x", 0)], 1))
    partly = type("Partly", (inspect.Signature,), {"parameters": parameters})()
    assert keys_after(type("F", (), {"__call__": lambda s, x: x, "__signature__": partly})(), ((X,), {})) == [
        ((X,), None)]
    # Parameters read through a class-based iterator, which ends by raising StopIteration: read whole.
    parameters = types.SimpleNamespace(values=lambda: CustomIterator([inspect.Parameter("x", 1)]))
    whole = type("Whole", (inspect.Signature,), {"parameters": parameters})()
    assert keys_after(type("F", (), {"__call__": lambda s, x: x, "__signature__": whole})(), ((5,), {})) == [5]
    # A stack of memoizes keys as its lowest one, whose signature is read once, not once per level.
    signed = Signed()
    assert keys_after(functools.reduce(lambda f, _: memoize(f), range(3), signed), ((X, Y), {})) == [(X, Y)]
    assert signed.lookups == 1 and keys_after(memoize(memoize(lambda x: x)), ((X,), {})) == [X]


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


def test_excepts():
    lookup = excepts((KeyError, IndexError), lambda c, k: c[k], lambda e: type(e).__name__)
    assert (lookup({}, 1), lookup([], 1), lookup(c=[X], k=0)) == ("KeyError", "IndexError", X)

    class Special(ValueError):
        pass

    def raise_special():
        raise Special("sub")

    assert excepts(ValueError, raise_special, type)() is Special
    assert excepts(ValueError, raise_special, lambda e: e.__traceback__ is not None)()
    # Nested tuples, subclasses too, match as the host's own matching does.
    nest = lambda leaf: functools.reduce(lambda spec, _: (KeyError, spec), range(50), leaf)  # noqa: E731
    Pair = collections.namedtuple("Pair", "a b")
    assert excepts(nest(Pair(5, ValueError)), raise_special, type)() is Special
    for spec in (KeyError, (KeyError, 5), nest(Pair(5, TypeError))):
        with pytest.raises(Special):
            excepts(spec, raise_special)()
