"""Mapping tools: merging, mapping/filtering and nested paths against the plain-Python formulations."""

import collections
import operator

from brisko._brisko import assoc_in, get_in, keyfilter, merge, merge_with, valmap
from cases_itertoolz import per_call
from harness import Case
from models import py_get_in


def py_merge(*dicts, factory=dict):
    out = factory()
    for d in dicts:
        out.update(d)
    return out


def py_merge_with(func, *dicts):
    groups = collections.defaultdict(list)
    for d in dicts:
        for k, v in d.items():
            groups[k].append(v)
    return {k: func(v) for k, v in groups.items()}


def py_assoc_in(d, keys, value, factory=dict):
    k, rest = keys[0], keys[1:]
    out = factory()
    out.update(d)
    if rest:
        out[k] = py_assoc_in(d[k] if k in d else factory(), rest, value, factory)
    else:
        out[k] = value
    return out


def nested(depth, width):
    """`depth` levels of dicts with `width` keys each; the path runs through key "k0"."""
    node = {f"k{i}": i for i in range(width)}
    for _ in range(depth - 1):
        node = {**{f"k{i}": {"leaf": i} for i in range(1, width)}, "k0": node}
    return node


def eager(name, ours, base_name, base, target, elements):
    """A case for an eager tool: the results are compared once up front."""
    if ours() != base():
        raise AssertionError(f"{name}: result differs from its baseline")
    return Case(name, elements, ours, base_name, base, target)


def cases(scale=1.0):
    small = max(1, int(1_000 * scale))
    d1 = {f"k{i}": i for i in range(small)}
    d2 = {f"k{i}": -i for i in range(small // 2, small + small // 2)}
    big = max(1, int(10_000 * scale))
    m1, m2, m3 = ({i: i * j for i in range(j, big + j)} for j in range(3))
    huge = max(1, int(100_000 * scale))
    h = {i: i for i in range(huge)}
    odd = (1).__and__
    path = ["k0"] * 5
    env = {
        "indices": range(max(1, int(20_000 * scale))),
        "get_in": get_in,
        "py_get_in": py_get_in,
        "assoc_in": assoc_in,
        "py_assoc_in": py_assoc_in,
        "path": path,
        "tree": nested(5, 8),
        "merge": merge,
        "d1": d1,
        "d2": d2,
    }
    calls = max(1, int(2_000 * scale))
    merge_env = {**env, "indices": range(calls)}
    OD = collections.OrderedDict
    return [
        per_call("merge(d1, d2), 1,000-key dicts", "merge(d1, d2)", "{**d1, **d2}", "{**d1, **d2}", 1.0, merge_env),
        eager("merge(d1, d2, factory=OrderedDict), 1,000-key dicts", lambda: merge(d1, d2, factory=OD),
              "for d in dicts: out.update(d)", lambda: py_merge(d1, d2, factory=OD), 0.7, 2 * small),
        eager("merge_with(sum, d1, d2, d3), 10,000-key dicts", lambda: merge_with(sum, m1, m2, m3),
              "defaultdict(list) loop", lambda: py_merge_with(sum, m1, m2, m3), 0.5, 3 * big),
        eager("valmap(neg, d), 100,000-key dict", lambda: valmap(operator.neg, h), "{k: neg(v) for ...}",
              lambda: {k: operator.neg(v) for k, v in h.items()}, 0.7, huge),
        eager("valmap(lambda, d), 100,000-key dict", lambda: valmap(lambda v: -v, h), "{k: (lambda)(v) for ...}",
              lambda: (lambda f: {k: f(v) for k, v in h.items()})(lambda v: -v), 0.7, huge),
        eager("keyfilter(odd, d), 100,000-key dict", lambda: keyfilter(odd, h), "{k: v for ... if odd(k)}",
              lambda: {k: v for k, v in h.items() if odd(k)}, 0.7, huge),
        eager("keyfilter(lambda, d), 100,000-key dict", lambda: keyfilter(lambda k: k & 1, h), "{... if (lambda)(k)}",
              lambda: (lambda p: {k: v for k, v in h.items() if p(k)})(lambda k: k & 1), 0.7, huge),
        per_call("get_in(keys, d), dicts 5 deep", "get_in(path, tree)", "loop with try/except",
                 "py_get_in(path, tree)", 0.6, env),
        per_call("assoc_in(d, keys, v), dicts 5 deep", "assoc_in(tree, path, i)", "recursive Python",
                 "py_assoc_in(tree, path, i)", 0.5, {**env, "indices": range(calls)}),
    ]
