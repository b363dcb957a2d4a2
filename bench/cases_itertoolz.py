"""Sequence tools: element access and lazy transformers on 1,000,000-element lists of ints."""

import itertools
import operator
from collections import deque

from brisko._brisko import accumulate, count, first, get, interleave, last, nth, partition, partition_all, remove
from harness import Case
from models import round_robin


def drain(it):
    """Consumes an iterator the way a C-level consumer does, keeping nothing."""
    deque(it, maxlen=0)


def lazy(name, ours, base_name, base, target, elements):
    """A case for a lazy tool: both sides are drained; their outputs are compared once up front."""
    if list(ours()) != list(base()):
        raise AssertionError(f"{name}: output differs from its baseline")
    return Case(name, elements, lambda: drain(ours()), base_name, lambda: drain(base()), target)


def per_call(name, body, base_name, base_body, target, env):
    """A case timing one evaluation of an expression per loop step, written inline on both sides
    (no wrapper call dilutes the difference)."""

    def compile_loop(expr):
        namespace = dict(env)
        exec(f"def run():\n    for i in indices:\n        {expr}\n", namespace)
        return namespace["run"]

    check = {**env}
    if [eval(body, check, {"i": i}) for i in env["indices"][:100]] != [
        eval(base_body, check, {"i": i}) for i in env["indices"][:100]
    ]:
        raise AssertionError(f"{name}: result differs from its baseline")
    return Case(name, len(env["indices"]), compile_loop(body), base_name, compile_loop(base_body), target)


def cases(scale=1.0):
    n = int(1_000_000 * scale)
    L = list(range(n))
    third = n // 3
    L1, L2, L3 = L[:third], L[third : 2 * third], L[2 * third :]
    pred, add = operator.truth, operator.add
    env = {"L": L, "indices": list(range(0, n, 5)), "first": first, "nth": nth, "last": last, "get": get,
           "getitem": operator.getitem}
    return [
        lazy("accumulate(add, L)", lambda: accumulate(add, L), "itertools.accumulate(L, add)",
             lambda: itertools.accumulate(L, add), 1.1, n),
        lazy("remove(pred, L)", lambda: remove(pred, L), "itertools.filterfalse(pred, L)",
             lambda: itertools.filterfalse(pred, L), 1.1, n),
        lazy("partition(3, L)", lambda: partition(3, L), "zip(*[iter(L)] * 3)",
             lambda: zip(*[iter(L)] * 3), 1.2, n),
        lazy("partition_all(3, L)", lambda: partition_all(3, L), "itertools.batched(L, 3)",
             lambda: itertools.batched(L, 3), 1.0, n),
        lazy("interleave([L1, L2, L3])", lambda: interleave([L1, L2, L3]), "round-robin generator",
             lambda: round_robin([L1, L2, L3]), 0.5, n),
        Case("count(L)", n, lambda: count(L), "sum(1 for _ in L)", lambda: sum(1 for _ in L), 0.5),
        Case("count(iter(L))", n, lambda: count(iter(L)), "sum(1 for _ in iter(L))",
             lambda: sum(1 for _ in iter(L)), 0.5),
        per_call("first(L)", "first(L)", "next(iter(L))", "next(iter(L))", 1.5, env),
        # Against a builtin call doing the same lookup: no call can beat the L[i] bytecode.
        per_call("nth(i, L)", "nth(i, L)", "operator.getitem(L, i)", "getitem(L, i)", 1.1, env),
        per_call("last(L)", "last(L)", "operator.getitem(L, -1)", "getitem(L, -1)", 1.1, env),
        per_call("get(i, L)", "get(i, L)", "operator.getitem(L, i)", "getitem(L, i)", 1.1, env),
    ]
