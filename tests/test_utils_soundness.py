"""Rules every tool keeps whatever the input: interrupts and exits are never swallowed, long loops
answer signals, cycles through brisko objects are collected, deep chains raise RecursionError."""

import gc
import itertools
import operator
import signal

import pytest

from brisko import _brisko as b


class Stop(BaseException):
    """Stands for KeyboardInterrupt and SystemExit: not an Exception, so nothing may swallow it."""


class RaisingIndex:
    def __index__(self):
        raise Stop


class RaisingHint:
    def __init__(self, values=()):
        self.values = iter(values)

    def __iter__(self):
        return self

    def __next__(self):
        return next(self.values)

    def __length_hint__(self):
        raise Stop


class RaisingBuffer:
    def __buffer__(self, flags):
        raise Stop


class RaisingSignature:
    def __call__(self, x):
        return x

    @property
    def __signature__(self):
        raise Stop


@pytest.mark.parametrize(
    "call",
    [
        lambda: b.nth(RaisingIndex(), iter([1])),
        lambda: operator.length_hint(b.unique(RaisingHint())),
        lambda: operator.length_hint(b.interpose(0, RaisingHint([1]))),
        lambda: b.unique(RaisingBuffer()),
        lambda: b.frequencies(RaisingBuffer()),
        lambda: b.memoize(RaisingSignature()),
        lambda: b.curry(RaisingSignature())(1),
    ],
    ids=["nth index", "unique hint", "interpose hint", "unique buffer", "frequencies buffer", "memoize", "curry"],
)
def test_base_exceptions_pass_where_exceptions_are_discarded(call):
    with pytest.raises(Stop):
        call()


# Each runs forever over an endless input, in native code only (builtin callables, so no Python
# frame checks for signals on its behalf).
ENDLESS = {
    "count": lambda: b.count(itertools.count()),
    "tail": lambda: b.tail(1, itertools.count()),
    "nth": lambda: b.nth(2**62, itertools.count()),
    "unique": lambda: list(b.unique(itertools.repeat(1))),
    "unique key": lambda: list(b.unique(itertools.repeat(1), key=abs)),
    "remove": lambda: next(b.remove(bool, itertools.repeat(1))),
    "frequencies": lambda: b.frequencies(itertools.cycle([1, 2])),
    "groupby": lambda: b.groupby(abs, itertools.cycle([1, 2])),
    "countby": lambda: b.countby(abs, itertools.cycle([1, 2])),
    "reduceby": lambda: b.reduceby(abs, max, itertools.cycle([1, 2])),
    "isdistinct": lambda: b.isdistinct(itertools.count()),
    "topk": lambda: b.topk(1, itertools.repeat(1)),
    "topk key": lambda: b.topk(1, itertools.repeat(1), key=abs),
    "diff": lambda: next(b.diff(itertools.repeat(1), itertools.repeat(1))),
    "join left": lambda: next(b.join(abs, itertools.cycle([1]), abs, [1])),
    "join right": lambda: next(b.join(abs, [1], abs, itertools.repeat(2))),
    "partition": lambda: next(b.partition(2**40, itertools.repeat(1))),
    "sliding_window": lambda: b.sliding_window(2**40, itertools.repeat(1)),
    "juxt": lambda: b.juxt(itertools.repeat(abs)),
    "interleave": lambda: b.interleave(itertools.repeat(())),
}


@pytest.fixture
def alarm():
    """Raises Interrupted from a signal handler every 50 ms until the test ends."""

    class Interrupted(Exception):
        pass

    def handler(signum, frame):
        raise Interrupted

    callbacks = gc.callbacks[:]
    gc.callbacks.clear()  # a handler run inside a collector callback has its exception swallowed
    previous = signal.signal(signal.SIGALRM, handler)
    signal.setitimer(signal.ITIMER_REAL, 0.05, 0.05)
    try:
        yield Interrupted
    finally:
        signal.signal(signal.SIGALRM, lambda *args: None)  # absorbs a signal already on its way
        signal.setitimer(signal.ITIMER_REAL, 0)
        signal.signal(signal.SIGALRM, previous)
        gc.callbacks[:] = callbacks


@pytest.mark.parametrize("name", sorted(ENDLESS))
def test_endless_loops_answer_signals(name, alarm):
    with pytest.raises(alarm):
        ENDLESS[name]()
