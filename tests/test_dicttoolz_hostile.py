"""Keys whose __hash__/__eq__ raise or mutate the dict being read, and callables that mutate it:
every mapping tool gives that exception or the host's RuntimeError, never a crash."""

import collections
import contextlib

import pytest

from brisko._brisko import (
    assoc, assoc_in, dissoc, get_in, itemfilter, itemmap, keyfilter, keymap, merge, merge_with,
    update_in, valfilter, valmap,
)
from conftest import Boom

OD = collections.OrderedDict


class Hostile:
    """Equal only to itself, all in one hash bucket, running `Hostile.hook` once armed."""

    hook = None

    def __hash__(self):
        if Hostile.hook:
            Hostile.hook()
        return 7

    def __eq__(self, other):
        if Hostile.hook:
            Hostile.hook()
        return self is other


a, b = Hostile(), Hostile()
TOOLS = {
    "merge": lambda d: merge(d, {b: 0, "x": 1}),
    "merge_factory": lambda d: merge({b: 0}, d, factory=OD),
    "merge_with": lambda d: merge_with(list, d, {a: 0, b: 0}),
    "assoc": lambda d: assoc(d, a, 0, OD),
    "dissoc": lambda d: dissoc(d, a, "zz", factory=OD),
    "keymap": lambda d: keymap(lambda k: k, d),
    "valmap": lambda d: valmap(repr, d),
    "itemmap": lambda d: itemmap(tuple, d),
    "keyfilter": lambda d: keyfilter(bool, d),
    "valfilter": lambda d: valfilter(bool, d),
    "itemfilter": lambda d: itemfilter(bool, d),
    "get_in": lambda d: get_in([b], d, "dflt"),
    "assoc_in": lambda d: assoc_in(d, [b, "c"], 0),
    "update_in": lambda d: update_in(d, [a], repr, factory=OD),
}
HOOKS = {
    "clear": lambda d: d.clear,
    "grow": lambda d: lambda: d.update({Hostile(): i for i in range(50)}),
    "pop": lambda d: lambda: d.pop("k", None),
    "raise": lambda d: lambda: (_ for _ in ()).throw(Boom("hostile")),
}


@pytest.mark.parametrize("hook", sorted(HOOKS))
@pytest.mark.parametrize("tool", sorted(TOOLS))
def test_hostile_keys_give_an_exception_or_a_result(tool, hook):
    d = {a: 1, "k": 2, b: 3}
    Hostile.hook = HOOKS[hook](d)
    try:
        # Every tool hashes or compares a hostile key, so a raising hook always surfaces.
        with pytest.raises(Boom, match="hostile") if hook == "raise" else contextlib.nullcontext():
            try:
                assert TOOLS[tool](d) is not None
            except RuntimeError:
                pass
    finally:
        Hostile.hook = None


MUTATIONS = {
    "clear": lambda d: d.clear(),
    "add": lambda d: d.setdefault("new", 0),
    "replace": lambda d: d.update(new=d.pop("b")) if "b" in d else None,
    "value": lambda d: d.update(a=-1),
}
COMPREHENSIONS = {
    valmap: lambda f, d: {k: f(v) for k, v in d.items()},
    keyfilter: lambda f, d: {k: v for k, v in d.items() if f(k)},
    itemmap: lambda f, d: dict(f(kv) for kv in d.items()),
}


@pytest.mark.parametrize("mutation", sorted(MUTATIONS))
@pytest.mark.parametrize("tool", list(COMPREHENSIONS), ids=lambda t: t.__name__)
def test_callables_mutating_the_input_fail_as_the_host_does(tool, mutation):
    def run(impl):
        d = {"a": 1, "b": 2, "c": 3}

        def f(x):
            MUTATIONS[mutation](d)
            return x

        try:
            return impl(f, d)
        except RuntimeError as e:
            return str(e)

    assert run(tool) == run(COMPREHENSIONS[tool])
