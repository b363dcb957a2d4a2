"""Function tools: one call per loop step against the same work written in plain Python."""

import functools
import operator

from brisko._brisko import complement, compose, curry, flip, juxt, memoize, pipe
from cases_itertoolz import per_call
from models import PyCurry


def py_flip_apply(func, a, b):
    return func(b, a)


def add2(x, y):
    return x + y


def cases(scale=1.0):
    n = int(200_000 * scale)
    f, g, h = abs, operator.neg, operator.invert
    lru = functools.lru_cache(maxsize=None)(operator.neg)
    memo = memoize(operator.neg)
    indices = [i % 256 for i in range(n)]
    for i in range(256):  # every timed call is a hit
        lru(i), memo(i)

    def piped(x):
        return h(g(f(x)))

    env = {
        "indices": indices,
        "f": f,
        "g": g,
        "h": h,
        "cfg": compose(f, g),
        "lfg": lambda x: f(g(x)),
        "pipe": pipe,
        "piped": piped,
        "jfg": juxt(f, g),
        "ljfg": lambda x: (f(x), g(x)),
        "cf": complement(f),
        "lcf": lambda x: not f(x),
        "memo": memo,
        "lru": lru,
        "curry": curry,
        "PyCurry": PyCurry,
        "add2": add2,
        "flip": flip,
        "pyflip": PyCurry(py_flip_apply),
        "c": curry(add2),
        "p1": functools.partial(add2, 1),
        "partial": functools.partial,
    }
    calls = max(1, n // 20)  # the signature-binding rows run Python's inspect: fewer repeats
    slow_env = {**env, "indices": indices[:calls]}
    return [
        per_call("compose(f, g)(x)", "cfg(i)", "(lambda x: f(g(x)))(x)", "lfg(i)", 1.0, env),
        per_call("pipe(x, f, g, h)", "pipe(i, f, g, h)", "h(g(f(x))) in a def", "piped(i)", 1.0, env),
        per_call("juxt(f, g)(x)", "jfg(i)", "(lambda x: (f(x), g(x)))(x)", "ljfg(i)", 1.0, env),
        per_call("complement(f)(x)", "cf(i)", "(lambda x: not f(x))(x)", "lcf(i)", 1.0, env),
        per_call("memoize(f)(x), a hit", "memo(i)", "lru_cache(maxsize=None)(f)(x)", "lru(i)", 1.0, env),
        # A curry made once and called many times: binding is asked once per call shape.
        per_call("c(1, 2), c = curry(f)", "c(i, 2)", "f(1, 2)", "add2(i, 2)", 3.0, env),
        per_call("c(1)(2), c = curry(f)", "c(i)(2)", "functools.partial(f, 1)(2)", "partial(add2, i)(2)", 2.0, env),
        per_call("flip(f, a, b)", "flip(add2, i, 2)", "f(b, a)", "add2(2, i)", 3.0, env),
        # A new chain every time: inspect.signature runs once per chain, as in Python.
        per_call("curry(f)(1)(2), fresh", "curry(add2)(i)(2)", "PyCurry(f)(1)(2)", "PyCurry(add2)(i)(2)", 1.0,
                 slow_env),
    ]
