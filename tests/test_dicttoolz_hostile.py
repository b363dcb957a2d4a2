"""Keys whose __hash__/__eq__ raise or mutate the dict being read, and callables that mutate it:
every mapping tool gives that exception or the host's RuntimeError, never a crash."""

import collections

import pytest

from brisko._brisko import (
    assoc, assoc_in, dissoc, get_in, itemfilter, itemmap, keyfilter, keymap, merge, merge_with,
    update_in, valfilter, valmap,
)
from conftest import Boom, ItemsOnly


class Hostile:
    """Equal only to itself, all in one hash bucket, and running `Hostile.hook` once armed."""

    hook = None

    def __init__(self, name):
        self.name = name

    def __hash__(self):
        if Hostile.hook:
            Hostile.hook()
        return 7

    def __eq__(self, other):
        if Hostile.hook:
            Hostile.hook()
        return self is other


@pytest.fixture(autouse=True)
def disarm():
    yield
    Hostile.hook = None


a, b = Hostile("a"), Hostile("b")

TOOLS = {
    "merge": lambda d: merge(d, {b: 0, "x": 1}),
    "merge_factory": lambda d: merge({b: 0}, d, factory=collections.OrderedDict),
    "merge_with": lambda d: merge_with(list, d, {a: 0, b: 0}),
    "assoc": lambda d: assoc(d, b, 0),
    "assoc_factory": lambda d: assoc(d, a, 0, collections.OrderedDict),
    "dissoc": lambda d: dissoc(d, a, "zz", factory=collections.OrderedDict),
    "keymap": lambda d: keymap(lambda k: k, d),
    "valmap": lambda d: valmap(repr, d),
    "itemmap": lambda d: itemmap(tuple, d),
    "keyfilter": lambda d: keyfilter(bool, d),
    "valfilter": lambda d: valfilter(bool, d),
    "itemfilter": lambda d: itemfilter(bool, d),
    "get_in": lambda d: get_in([b], d, "dflt"),
    "assoc_in": lambda d: assoc_in(d, [b, "c"], 0),
    "update_in": lambda d: update_in(d, [a], repr, factory=collections.OrderedDict),
}


def grow(d):
    d.update({Hostile(i): i for i in range(50)})


HOOKS = {
    "clear": lambda d: d.clear,
    "grow": lambda d: lambda: grow(d),
    "pop": lambda d: lambda: d.pop("k", None),
    "raise": lambda d: lambda: (_ for _ in ()).throw(Boom("hostile")),
}


@pytest.mark.parametrize("hook", sorted(HOOKS))
@pytest.mark.parametrize("tool", sorted(TOOLS))
def test_hostile_keys_give_an_exception_or_a_result(tool, hook):
    d = {a: 1, "k": 2, b: 3}
    Hostile.hook = HOOKS[hook](d)
    try:
        out = TOOLS[tool](d)
    except (RuntimeError, Boom):
        return
    finally:
        Hostile.hook = None
    assert out is not None


MUTATIONS = {
    "clear": lambda d: d.clear(),
    "add": lambda d: d.setdefault("new", 0),
    "replace": lambda d: d.update(new=d.pop("b", 0)) if "b" in d else None,
    "value": lambda d: d.update(a=-1),
}


@pytest.mark.parametrize("mutation", sorted(MUTATIONS))
@pytest.mark.parametrize(
    "tool, comprehension",
    [
        (valmap, lambda f, d: {k: f(v) for k, v in d.items()}),
        (keyfilter, lambda f, d: {k: v for k, v in d.items() if f(k)}),
        (itemmap, lambda f, d: dict(f(kv) for kv in d.items())),
    ],
    ids=["valmap", "keyfilter", "itemmap"],
)
def test_callables_mutating_the_input_fail_as_the_host_does(tool, comprehension, mutation):
    def run(impl):
        d = {"a": 1, "b": 2, "c": 3}

        def f(x):
            MUTATIONS[mutation](d)
            return x

        try:
            return "ok", impl(f, d)
        except RuntimeError as e:
            return "raised", str(e)

    assert run(tool) == run(comprehension)


class RaisingHash:
    def __hash__(self):
        raise Boom("hash")


@pytest.mark.parametrize(
    "call",
    [
        lambda: valmap(str, ItemsOnly([(RaisingHash(), 1)])),
        lambda: merge_with(list, ItemsOnly([(RaisingHash(), 1)])),
        lambda: merge(ItemsOnly([(RaisingHash(), 1)])),
        lambda: get_in([RaisingHash()], {}, "d"),
        lambda: update_in({}, [RaisingHash()], str),
    ],
)
def test_raising_hash_propagates(call):
    with pytest.raises(Boom, match="hash"):
        call()
