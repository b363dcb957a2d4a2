"""Module-level definitions for the pickling tests: pickle finds them by name, both in the test
process and in the worker processes of a pool."""

from brisko import Result, curry, memoize


def add(a, b):
    return a + b


@curry
def add3(a, b, c):
    return a + b + c


@memoize
def square(x):
    return x * x


# Each decorator's function is named by the one above it: pickle finds it only from there.
@curry
@memoize
def scaled(factor, x):
    return factor * x


@memoize
@curry
def power(base, exp):  # power(2) is a memoized partial application
    return base**exp


class Tools:
    @curry
    def sub(a, b):  # a curry does not bind as a method: Tools.sub is the curry itself
        return a - b


class OrderedCache(dict):
    pass


def first_arg(args, kwargs):
    return args[0]


def half(x):
    return x // 2


def inverse(x):
    return 100 // x  # ZeroDivisionError at 0


def minus_one(exc):
    return -1


class Rejected(Exception):
    pass


def checked_inverse(x):
    """A worker's task: Ok(100 // x), or Err of the exception raised on the way."""

    def compute():
        if x < 0:
            raise Rejected(f"negative input: {x}")
        return inverse(x)

    return Result.of(compute)

