"""Option and Result values: the variants' methods, truth, repr, equality, the collector, with
property tests against Option as "a 1-tuple or None". (Long chains of them are freed in
test_soundness's deep-chain run; pattern matching is the reference's and the typed usage
program's.)"""

import gc
import math
import weakref

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko._brisko import Err, Nothing, NothingType, Ok, Option, Result, Some
from conftest import Boom, fail, outcome


def test_variants_answer_without_calling_what_they_ignore():
    s = Some(value=0)
    assert (s.unwrap(), s.unwrap_or_else(fail), s.is_some(), s.is_none(), bool(s), bool(Some(None))) == (
        0, 0, True, False, True, True)
    assert (Nothing.unwrap_or_else(lambda: 6), Nothing.is_some(), Nothing.is_none(), bool(NothingType())) == (
        6, False, True, False)
    ok, err = Ok(None), Err(3)
    assert (ok.is_ok(), ok.is_err(), bool(ok), err.is_ok(), err.is_err(), bool(err)) == (
        True, False, True, False, True, False)
    assert ok.map_err(fail) == ok and err.map(fail) == err and err.and_then(fail) == err
    filtered = s.filter(lambda v: True)
    assert filtered == s and filtered is not s and filtered.value is s.value
    fresh = (Nothing.map(None), Nothing.and_then(None), Nothing.filter(None), s.filter(lambda v: 0), ok.err(), err.ok())
    assert all(type(n) is NothingType and n == Nothing and n is not Nothing for n in fresh)
    assert Some(1).and_then(lambda v: Nothing) is Nothing and ok.and_then(lambda v: err) is err


@pytest.mark.parametrize(
    "call, exc, message",
    [(lambda: Some(1).and_then(lambda v: 1), TypeError, "and_then callback must return an Option"),
     (lambda: Some(1).and_then(Ok), TypeError, "and_then callback must return an Option"),
     (lambda: Ok(1).and_then(Some), TypeError, "and_then callback must return a Result"),
     (lambda: Nothing.unwrap_or_else(abs), TypeError, "abs() takes exactly one argument (0 given)")],
)
def test_failures(call, exc, message):
    with pytest.raises(exc) as info:
        call()
    assert str(info.value) == message


class Raising:
    def __bool__(self):
        raise Boom

    __eq__ = __repr__ = fail


def test_repr_and_equality():
    assert [repr(v) for v in (Some("a"), Some(Some(1)), Nothing, Ok(None), Err(KeyError(1)))] == [
        "Some('a')", "Some(Some(1))", "Nothing", "Ok(None)", "Err(KeyError(1))"]
    assert Some(1) == Some(1.0) and Some(None) != Nothing and Ok(1) != Err(1) and Ok(1) != Some(1)
    assert Some(1) != 1 and 1 != Some(1) and NothingType() == Nothing and not (Nothing != NothingType())


@pytest.mark.parametrize(
    "call",
    [lambda: repr(Some(Raising())), lambda: Err(Raising()).unwrap(), lambda: Ok(Raising()) == Ok(1),
     lambda: Some(1) != Some(Raising())],
)
def test_exceptions_from_the_held_values_pass_through(call):
    with pytest.raises(Boom):
        call()


def test_result_of_keeps_exceptions_but_not_requests_to_stop():
    error = ValueError("bad")
    captured = Result.of(lambda: (_ for _ in ()).throw(error))
    assert type(captured) is Err and captured.error is error and error.__traceback__ is not None
    assert type(Result.of(5).error) is TypeError
    for exc in (KeyboardInterrupt, SystemExit, GeneratorExit):
        with pytest.raises(exc):
            Result.of(lambda: (_ for _ in ()).throw(exc))


def test_values_take_part_in_collection_only_when_they_can_close_a_cycle():
    assert not gc.is_tracked(Ok(Some(1))) and gc.is_tracked(Some([])) and gc.is_tracked(Ok(Some([])))
    marker, d = Boom(), {}
    held = Some(d)  # made while the dict holds nothing
    d["self"], d["marker"] = held, marker
    ref = weakref.ref(marker)
    del marker, d, held
    gc.collect()
    assert ref() is None


# Properties: Option against a 1-tuple or None, Result against ("ok", v) or ("err", e).
values = st.one_of(st.integers(), st.text(max_size=3), st.none(), st.just(math.nan), st.floats(),
                   st.tuples(st.integers()), st.lists(st.integers(), max_size=2))
callbacks = st.sampled_from([repr, bool, lambda x: (x,), lambda x: None, lambda x: x, fail, lambda x: x is None])


def model(value):
    if isinstance(value, Some):
        return (value.value,)
    if isinstance(value, NothingType):
        return None
    return ("ok", value.value) if isinstance(value, Ok) else ("err", value.error)


def agree(ours, theirs):
    ours = outcome(ours)
    assert (("value", model(ours[1])) if ours[0] == "value" else ours) == outcome(theirs)


@given(values, callbacks, values)
def test_option_combinators_match_the_tuple_model(v, f, default):
    for opt, t in ((Option.of(v), None if v is None else (v,)), (Nothing, None)):
        assert model(opt) == t
        agree(lambda: opt.map(f), lambda: t and (f(t[0]),))
        agree(lambda: opt.filter(f), lambda: t if t is None or f(t[0]) else None)
        agree(lambda: opt.and_then(lambda x: Option.of(f(x))),
              lambda: t and (None if f(t[0]) is None else (f(t[0]),)))
        assert opt.unwrap_or(default) is (default if t is None else t[0])
        agree(lambda: opt.ok_or(default), lambda: ("err", default) if t is None else ("ok", t[0]))


@given(values, callbacks)
def test_result_conversions_match_the_model(v, f):
    try:
        expected = ("ok", f(v))
    except Exception as e:
        expected = ("err", type(e))
    captured = Result.of(lambda: f(v))
    assert (model(captured) if isinstance(captured, Ok) else ("err", type(captured.error))) == expected
    for res, t in ((Ok(v), ("ok", v)), (Err(v), ("err", v))):
        agree(lambda: res.map(f), lambda: ("ok", f(v)) if t[0] == "ok" else t)
        agree(lambda: res.map_err(f), lambda: ("err", f(v)) if t[0] == "err" else t)
        assert model(res.ok()) == ((v,) if t[0] == "ok" else None)
        assert model(res.err()) == ((v,) if t[0] == "err" else None)


@given(values, values)
def test_equality_is_the_equality_of_the_held_values(a, b):
    for make in (Some, Ok, Err):
        for x, y in ((a, b), (a, a)):  # a NaN is unequal even to itself
            assert (make(x) == make(y)) == (x == y) and (make(x) != make(y)) == (not x == y)
