"""Option and Result values and the optional accessors, one call per loop step, against what a user
would write without them: a small class with __slots__, try/except returning a 1-tuple or None."""

from brisko._brisko import Nothing, Ok, Result, Some, first_opt, get_in_opt, get_opt
from harness import Case

FLOOR = float("inf")  # rows against a floor that no call can reach: reported, never a miss


class PySome:
    __slots__ = ("value",)

    def __init__(self, value):
        self.value = value

    def unwrap(self):
        return self.value

    def map(self, f):
        return PySome(f(self.value))


def py_result_of(f):
    try:
        return (f(),)
    except Exception as e:
        return e


def py_first_opt(seq):
    try:
        return (next(iter(seq)),)
    except StopIteration:
        return None


def py_get_opt(ind, coll):
    try:
        return (coll[ind],)
    except (KeyError, IndexError, TypeError):
        return None


def py_get_in_opt(coll, k1, k2):
    try:
        return (coll[k1][k2],)
    except (KeyError, IndexError, TypeError):
        return None


def returns():
    return 1


def raises():
    raise ValueError("no")


def plain(value):
    """An Option, a PySome, a Result or a 1-tuple/None/exception as one comparable shape."""
    if isinstance(value, (Some, PySome, Ok)):
        return ("value", value.value)
    if isinstance(value, tuple):
        return ("value", value[0])
    if isinstance(value, Exception) or (hasattr(value, "is_err") and value.is_err()):
        return ("error", type(getattr(value, "error", value)))
    return ("nothing", None) if value is None or value == Nothing else ("other", value)


def per_call(name, body, base_name, base_body, target, env):
    """One evaluation of an expression per loop step, inline on both sides; the two results agree
    (as Option/Result against tuple/None/exception) on the first steps."""

    def compile_loop(expr):
        namespace = dict(env)
        exec(f"def run():\n    for i in indices:\n        {expr}\n", namespace)
        return namespace["run"]

    for i in env["indices"][:100]:
        ours, theirs = eval(body, dict(env), {"i": i}), eval(base_body, dict(env), {"i": i})
        if plain(ours) != plain(theirs):
            raise AssertionError(f"{name}: {ours!r} differs from its baseline {theirs!r}")
    return Case(name, len(env["indices"]), compile_loop(body), base_name, compile_loop(base_body), target)


def cases(scale=1.0):
    n = int(200_000 * scale)
    L = list(range(100))
    env = {
        "indices": [i % 100 for i in range(n)],
        "L": L,
        "d": {"a": {i: i for i in range(100)}},
        "Some": Some,
        "PySome": PySome,
        "f": abs,
        "Result": Result,
        "py_result_of": py_result_of,
        "returns": returns,
        "raises": raises,
        "first_opt": first_opt,
        "py_first_opt": py_first_opt,
        "get_opt": get_opt,
        "py_get_opt": py_get_opt,
        "get_in_opt": get_in_opt,
        "py_get_in_opt": py_get_in_opt,
    }
    return [
        per_call("Some(x).unwrap()", "Some(i).unwrap()", "PySome(x).unwrap()", "PySome(i).unwrap()", 0.5, env),
        per_call("Some(x).unwrap() (floor)", "Some(i).unwrap()", "(x,)[0]", "(i,)[0]", FLOOR, env),
        per_call("Some(x).map(f)", "Some(i).map(f)", "PySome(x).map(f)", "PySome(i).map(f)", 0.5, env),
        per_call("Some(x).map(f) (floor)", "Some(i).map(f)", "(f((x,)[0]),)", "(f((i,)[0]),)", FLOOR, env),
        per_call("Result.of(f), returns", "Result.of(returns)", "try: (f(),) except Exception",
                 "py_result_of(returns)", 1.0, env),
        per_call("Result.of(f), raises", "Result.of(raises)", "try: (f(),) except Exception",
                 "py_result_of(raises)", 1.0, env),
        per_call("Result.of(f), builtin f returns", "Result.of(int)", "try: (f(),) except Exception",
                 "py_result_of(int)", 1.0, env),
        per_call("first_opt(L)", "first_opt(L)", "try: (next(iter(L)),) except", "py_first_opt(L)", 1.0, env),
        per_call("get_opt(i, L)", "get_opt(i, L)", "try: (L[i],) except", "py_get_opt(i, L)", 1.0, env),
        per_call("get_opt(i, L), missing", "get_opt(i + 100, L)", "try: (L[i],) except",
                 "py_get_opt(i + 100, L)", 1.0, env),
        per_call("get_in_opt(d, k1, k2)", "get_in_opt(d, 'a', i)", "try: (d[k1][k2],) except",
                 "py_get_in_opt(d, 'a', i)", 1.0, env),
    ]
