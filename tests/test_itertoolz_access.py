"""Element access: first, second, nth, last, get, peek, take, drop, take_nth, tail, cons, count, and
the optional accessors first_opt, last_opt, nth_opt, peek_opt, get_opt and get_in_opt."""

import collections
import itertools

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko._brisko import Nothing, NothingType, Some, concat, cons, first, first_opt, get, get_in, get_in_opt, get_opt
from brisko._brisko import last, last_opt, nth, nth_opt, peek, peek_opt, second, tail, take_nth
from conftest import SHAPES, Boom, hashables


@pytest.mark.parametrize("name", sorted(SHAPES))
def test_the_end_of_the_input(name):
    shape = SHAPES[name]
    container = {"list": "list", "list_subclass": "list", "tuple": "tuple"}.get(name)
    # A sequence is indexed; anything else is walked, its last elements kept in a tuple.
    for call, exc, args in [
        (lambda: nth(3, shape([1])), IndexError if container else StopIteration,
         (f"{container} index out of range",) if container else ()),
        (lambda: last(shape([])), IndexError, (f"{container or 'tuple'} index out of range",)),
        (lambda: first(shape([])), StopIteration, ()),
        (lambda: second(shape([1])), StopIteration, ()),
        (lambda: peek(shape([])), StopIteration, ()),
    ]:
        with pytest.raises(exc) as info:
            call()
        assert type(info.value) is exc and info.value.args == args
    for call in (first_opt, last_opt, peek_opt, lambda s: nth_opt(0, s)):
        result = call(shape([]))
        assert type(result) is NothingType and result is not Nothing
    assert nth_opt(3, shape([1])) == Nothing and first_opt(shape([None])) == Some(None)


def test_only_what_is_needed_is_pulled():
    it = iter([1, 2, 3, 4, 5])
    assert first(it) == 1 and first_opt(it) == Some(2) and nth_opt(1, it) == Some(4) and list(it) == [5]
    gen = (x for x in "abc")
    assert last_opt(gen) == Some("c") and list(gen) == []


def test_nth_uses_item_access_on_sequences():
    assert (nth(-1, (1, 2)), nth(-2, range(10, 20)), nth(slice(1, None), [1, 2])) == (2, 18, [2])


def test_nth_of_an_iterator_takes_islice_counts():
    message = "Indices for islice() must be None or an integer: 0 <= x <= sys.maxsize."
    for n in (-1, 2**64, "a", 1.0):
        with pytest.raises(ValueError) as info:
            nth(n, iter([1]))
        assert str(info.value) == message and info.value.__context__ is None


@pytest.mark.parametrize("mapping", [collections.defaultdict, collections.Counter, collections.OrderedDict, dict])
def test_tail_and_last_read_a_mapping_s_keys_and_never_write(mapping):
    d = mapping()
    d.update(a=1, b=2)
    assert tail(1, d) == ("b",) and tail(5, d) == ("a", "b") and tail(0, d) == () and last(d) == "b"
    assert dict(d) == {"a": 1, "b": 2}


class Strict:
    """Its lookups fail with no lookup error."""

    def __getitem__(self, key):
        raise Boom(key)


class StrictDict(dict):  # a dict fast path would miss its __getitem__
    __getitem__ = Strict.__getitem__


def test_tail_edges():
    it = iter(range(5))
    assert tail(0, it) == () and list(it) == [] and tail(2**64 - 1, [1, 2]) == [1, 2]
    with pytest.raises(Boom):  # only a TypeError or KeyError from slicing falls back to iteration
        tail(1, Strict())


# The last zero elements of anything are none of them (seq[0:0], not seq[-0:]).
@given(st.lists(hashables), st.integers(0, 12))
def test_tail_matches_slicing(values, n):
    assert tail(n, iter(values)) == (tuple(values[-n:]) if n else ())
    assert tail(n, values) == (values[-n:] if n else [])
    assert tail(n, tuple(values)) == (tuple(values[-n:]) if n else ())


def test_get():
    assert (get(0, [10]), get("a", {"a": 1}), get((0, 1), {(0, 1): "v"}), get(-1, "abc")) == (10, 1, "v", "c")
    assert (get(5, [10], "d"), get(5, [10], None), get(0, None, "d"), get("x", {}, 0)) == ("d", None, "d", 0)
    assert (get([0, 5], [10], "d"), get([], [1]), get([0, 2], "abc")) == ((10, "d"), (), ("a", "c"))
    # Exact lists and tuples index directly; any key they cannot take goes the general way.
    assert get([-1, True, 0], (7, 8, 9)) == (9, 8, 7) and get([2, -4, 2**70, "k"], [7, 8, 9], "d") == (9, "d", "d", "d")
    for call, exc, args in [(lambda: get(5, [10]), IndexError, ("list index out of range",)),
                            (lambda: get("x", {}), KeyError, ("x",)), (lambda: get([0, 5], [10]), IndexError, None)]:
        with pytest.raises(exc) as info:
            call()
        assert args is None or info.value.args == args


@pytest.mark.parametrize("strict", [Strict, StrictDict])
@pytest.mark.parametrize(
    "call",
    [lambda s: get(1, s, "d"), lambda s: get([1], s, "d"), lambda s: get_opt("a", s),
     lambda s: get_in_opt({"a": s}, "a", "b"), lambda s: get_in(["a"], s, "d")],
    ids=["get", "get list", "get_opt", "get_in_opt", "get_in"],
)
def test_only_lookup_errors_become_the_default(call, strict):
    with pytest.raises(Boom):
        call(strict())


def test_get_survives_key_list_mutation():
    keys = [0, 1, 2]

    shrinking = type("Shrinking", (list,), {"__getitem__": lambda self, i: keys.clear() or list.__getitem__(self, i)})
    assert get(keys, shrinking([5, 6, 7])) == (5,)


def test_delegated_tools():  # the values, take's type and error are the reference's examples
    assert type(cons(1, [])) is type(concat([])) is itertools.chain
    with pytest.raises(ValueError, match=r"^Step for islice\(\) must be a positive integer or None\.$"):
        take_nth(0, [1])


def test_get_opt_and_get_in_opt():
    coll = {"a": [1, 2], (1, 2): "t", "k": None}
    found = [get_opt((1, 2), coll), get_opt(slice(1, None), (1, 2)), get_opt("k", coll)]  # and the reference's
    assert found == [Some("t"), Some((2,)), Some(None)] and get_in_opt(coll).unwrap() is coll
    missing = [get_opt("a", {}), get_opt("a", [1]), get_opt(0, None), get_opt([1], {}),
               *(get_in_opt(coll, *keys) for keys in (("a", 5), ("a", "x"), ("b",)))]
    assert all(type(result) is NothingType and result is not Nothing for result in missing)


@given(st.lists(hashables, max_size=5), st.integers(0, 6))
def test_optional_accessors_match_plain_python(values, n):
    def opt(items):
        return Some(items[0]) if items else Nothing

    assert first_opt(iter(values)) == opt(values[:1]) and last_opt(iter(values)) == opt(values[-1:])
    assert nth_opt(n, iter(values)) == nth_opt(n, values) == opt(values[n : n + 1])
    assert get_opt(n, values) == get_in_opt([values], 0, n) == get_opt(n, tuple(values)) == opt(values[n : n + 1])


def test_peek_opt_looks_chain_up_at_every_call():
    chain, _ = itertools.chain, peek_opt(iter([0]))  # a lookup kept from here would hold the real chain
    itertools.chain = lambda first, rest: ("chained", first, list(rest))
    try:
        assert peek_opt(iter([1, 2])) == Some((1, ("chained", (1,), [2])))
    finally:
        itertools.chain = chain
