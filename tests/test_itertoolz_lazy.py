"""Lazy transformers: concat, concatv, mapcat, interleave, remove, iterate, accumulate, partition,
partition_all."""

import gc
import itertools
import operator

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko._brisko import NativeIter, accumulate, concat, concatv, interleave
from brisko._brisko import iterate, mapcat, partition, partition_all, remove
from conftest import hashables, hashed, raising_after


def round_robin(seqs):
    iters = [iter(s) for s in seqs]
    while iters:
        for it in list(iters):
            try:
                yield next(it)
            except StopIteration:
                iters.remove(it)


def groups(n, values, pad=None, padded=False, short=False):
    out = [tuple(values[i : i + n]) for i in range(0, len(values), n)]
    if out and len(out[-1]) < n:
        if padded:
            out[-1] += (pad,) * (n - len(out[-1]))
        elif not short:
            out.pop()
    return out


def test_flattening():
    assert list(concat([[1, 2], [], (3,)])) == [1, 2, 3]
    assert list(concatv()) == []
    assert list(concatv([1], "ab")) == [1, "a", "b"]
    assert list(mapcat(lambda x: [x, x], [1, 2])) == [1, 1, 2, 2]
    assert type(concat([])) is itertools.chain
    assert list(interleave([[1, 2, 3], "ab", []])) == [1, "a", 2, "b", 3]
    with pytest.raises(TypeError):
        mapcat(len, 5)


def test_every_lazy_tool_over_every_shape(shape):
    # Large ints are not immortal, so a reference leaked on any path shows up under ./dev leaks.
    values = [2**70 + v for v in [3, 1, 4, 1, 5, 9, 2, 6]]
    assert list(remove(lambda x: x % 2, shape(values))) == [v for v in values if not v % 2]
    assert list(accumulate(operator.add, shape(values))) == list(itertools.accumulate(values))
    assert list(accumulate(operator.add, shape(values), 10)) == list(itertools.accumulate(values, initial=10))
    assert list(partition(3, shape(values))) == groups(3, values)
    assert list(partition(3, shape(values), None)) == groups(3, values, padded=True)
    assert list(partition_all(3, shape(values))) == groups(3, values, short=True)
    assert list(interleave([shape(values), shape("ab")])) == list(round_robin([values, "ab"]))


def test_lazy_tools_pull_nothing_at_call_time():
    pulled = []

    def source():
        for x in range(4):
            pulled.append(x)
            yield x

    for make in [
        lambda s: remove(bool, s),
        lambda s: accumulate(operator.add, s),
        lambda s: partition(2, s),
        lambda s: partition_all(2, s),
        lambda s: interleave([s, s]),
    ]:
        it = make(source())
        assert pulled == []
        assert type(it) is NativeIter
        list(it)
        pulled.clear()


@pytest.mark.parametrize(
    "make",
    [
        lambda: remove(bool, 5),
        lambda: accumulate(operator.add, 5),
        lambda: partition(2, 5),
        lambda: partition_all(2, 5),
        lambda: interleave([1]),
        lambda: interleave(5),
    ],
)
def test_non_iterables_fail_at_call_time(make):
    with pytest.raises(TypeError, match="'int' object is not iterable"):
        make()


def test_interleave_retries_the_failing_input(boom):
    it = interleave([raising_after([1], 1), [10, 20]])
    assert next(it) == 1
    assert next(it) == 10
    with pytest.raises(boom):
        next(it)
    with pytest.raises(boom):  # the same input is asked again
        next(it)


@given(st.lists(st.lists(st.integers(), max_size=5), max_size=5))
def test_interleave_matches_round_robin(seqs):
    assert list(interleave(seqs)) == list(round_robin(seqs))


def test_remove_skips_past_errors(boom):
    def pred(x):
        if x == 2:
            raise boom(x)
        return x > 3

    it = remove(pred, [1, 2, 3, 4])
    assert next(it) == 1
    with pytest.raises(boom):
        next(it)
    assert list(it) == [3]


def test_remove_truth_errors_propagate():
    class NoBool:
        def __bool__(self):
            raise ZeroDivisionError

    with pytest.raises(ZeroDivisionError):
        list(remove(lambda x: NoBool(), [1]))


@given(st.lists(st.integers()))
def test_remove_matches_filterfalse(values):
    pred = lambda x: x % 3 == 0  # noqa: E731
    assert list(remove(pred, values)) == list(itertools.filterfalse(pred, values))


def test_iterate_yields_x_first_and_stops_for_good_after_an_error(boom):
    calls = []

    def f(x):
        calls.append(x)
        if len(calls) == 3:
            raise boom
        return x * 2

    it = iterate(f, 1)
    assert [next(it) for _ in range(3)] == [1, 2, 4]
    with pytest.raises(boom):
        next(it)
    for _ in range(2):
        with pytest.raises(StopIteration):
            next(it)
    assert calls == [1, 2, 4]


def test_accumulate_details(boom):
    assert list(accumulate(operator.add, [], 10)) == [10]
    assert list(accumulate(operator.add, [], None)) == [None]
    assert list(accumulate(operator.add, [])) == []
    with pytest.raises(TypeError, match="accumulate takes at most 3 arguments"):
        accumulate(operator.add, [], 1, 2)

    def add(a, b):
        if b == 2:
            raise boom
        return a + b

    it = accumulate(add, [1, 2, 3])
    assert next(it) == 1
    with pytest.raises(boom):
        next(it)
    assert list(it) == [4]  # the running value survived the failed step


@given(st.lists(st.integers()), st.none() | st.integers())
def test_accumulate_matches_itertools(values, initial):
    rest = () if initial is None else (initial,)
    assert list(accumulate(operator.sub, values, *rest)) == list(
        itertools.accumulate(values, operator.sub, initial=initial)
    )


def test_partition_edges():
    assert list(partition(2, [1, 2, 3])) == [(1, 2)]
    assert list(partition(2, [1, 2, 3], None)) == [(1, 2), (3, None)]
    assert list(partition(0, 5)) == []
    assert list(partition(-1, 5)) == []
    assert list(partition_all(0, [1])) == []
    assert list(partition_all(-3, [1])) == []
    assert list(partition(5000, range(5001))) == [tuple(range(5000))]
    assert list(partition_all(5000, range(5001))) == [tuple(range(5000)), (5000,)]
    assert list(partition(5000, range(3), "x")) == [(0, 1, 2) + ("x",) * 4997]
    assert list(partition(2**62, [1, 2])) == []
    assert list(partition_all(2**62, [1, 2])) == [(1, 2)]
    with pytest.raises(TypeError, match="partition takes at most 3 arguments"):
        partition(2, [1], "a", "b")


@given(st.lists(hashables), st.integers(1, 7))
def test_partition_matches_slicing(values, n):
    assert list(partition(n, values)) == groups(n, values)
    assert hashed(partition(n, values, "p")) == hashed(groups(n, values, "p", padded=True))
    assert hashed(partition_all(n, iter(values))) == hashed(groups(n, values, short=True))
    assert set(partition_all(n, values)) == set(groups(n, values, short=True))


def test_groups_handed_out_stay_intact():
    it = partition(2, range(8))
    kept = next(it)
    firsts = [group[0] for group in it]  # each dropped group may be recycled
    assert kept == (0, 1)
    assert firsts == [2, 4, 6]


def test_recycled_groups_are_tracked_by_the_collector():
    it = partition(2, [1, 2, [], []])
    group = next(it)
    del group
    gc.collect()  # may untrack the all-int tuple
    group = next(it)
    assert group == ([], [])
    assert gc.is_tracked(group)


def test_groups_being_filled_are_invisible_to_the_collector():
    def source():
        for x in range(6):
            # Touching every tracked tuple would crash on a half-filled one.
            for obj in gc.get_objects():
                if type(obj) is tuple:
                    tuple(obj)
            yield x

    assert list(partition(3, source())) == [(0, 1, 2), (3, 4, 5)]


def test_impossible_padding_is_a_memory_error():
    with pytest.raises(MemoryError):
        list(partition(2**62, [1], None))


def test_partition_discards_a_failing_group_and_continues(boom):
    class Flaky:
        def __init__(self):
            self.values = iter([1, 2, 3, "boom", 4, 5, 6])

        def __iter__(self):
            return self

        def __next__(self):
            value = next(self.values)
            if value == "boom":
                raise boom
            return value

    it = partition_all(2, Flaky())
    assert next(it) == (1, 2)
    with pytest.raises(boom):
        next(it)
    assert list(it) == [(4, 5), (6,)]
