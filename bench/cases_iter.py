"""The fluent Iter against the same pipeline written with builtins and a generator: the wrapper
must cost next to nothing over the tools it delegates to, and read only what the chain needs."""

import operator
from itertools import islice

from brisko._brisko import Iter
from harness import Case


def unique_generator(seq):
    seen = set()
    for x in seq:
        if x not in seen:
            seen.add(x)
            yield x


def pipeline(name, elements, ours, base_name, base, target, calls=1):
    """A case running each side `calls` times per timing (a chain that reads ten elements is too
    short to time once); the two results are compared once up front."""
    if ours() != base():
        raise AssertionError(f"{name}: result differs from its baseline")

    def repeat(func):
        def run():
            for _ in range(calls):
                func()

        return run

    return Case(name, elements * calls, repeat(ours), base_name, repeat(base), target)


def cases(scale=1.0):
    n = int(1_000_000 * scale)
    L = list(range(n))
    runs = [i * 10 // n for i in range(n)]  # ten long runs: the tenth new value comes at 90%
    f, p = operator.neg, operator.truth
    return [
        pipeline("Iter(L).map(f).filter(p).collect()", n, lambda: Iter(L).map(f).filter(p).collect(),
                 "list(filter(p, map(f, L)))", lambda: list(filter(p, map(f, L))), 1.05),
        pipeline("Iter(L).unique().take(10).collect()", 10, lambda: Iter(L).unique().take(10).collect(),
                 "list(islice(unique-generator, 10))", lambda: list(islice(unique_generator(L), 10)), 1.1,
                 calls=max(1, int(10_000 * scale))),
        pipeline("Iter(runs).unique().take(10).collect()", n * 9 // 10 + 1,
                 lambda: Iter(runs).unique().take(10).collect(),
                 "list(islice(unique-generator, 10))", lambda: list(islice(unique_generator(runs), 10)), 1.1),
    ]
