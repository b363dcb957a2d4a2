"""Rules every tool keeps whatever the input: interrupts and exits are never swallowed, long loops
answer signals, cycles through brisko objects are collected, deep chains raise RecursionError."""

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
