"""Lazy transformers: concat, concatv, mapcat, interleave, remove, iterate, accumulate, partition,
partition_all."""

import gc
import itertools
import operator
import subprocess
import sys

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko._brisko import accumulate, concat, concatv, interleave, iterate, mapcat, partition, partition_all, remove
from brisko._brisko import sliding_window
from conftest import hashables, hashed, raising_after


def round_robin(seqs):
    iters = [iter(s) for s in seqs]
    while iters:
        for it in list(iters):
            try:
                yield next(it)
            except StopIteration:
                iters.remove(it)


def test_flattening():
    assert list(concat([[1, 2], [], (3,)])) == [1, 2, 3] and list(concatv()) == []
    assert list(concatv([1], "ab")) == [1, "a", "b"] and list(mapcat(lambda x: [x, x], [1, 2])) == [1, 1, 2, 2]
    assert type(concat([])) is itertools.chain
    with pytest.raises(TypeError):
        mapcat(len, 5)


def test_interleave_retries_the_failing_input(boom):
    it = interleave([raising_after([1], 1), [10, 20]])
    assert next(it) == 1 and next(it) == 10
    for _ in range(2):  # the same input is asked again
        with pytest.raises(boom):
            next(it)


@given(st.lists(st.lists(hashables, max_size=5), max_size=5))
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


@given(st.lists(hashables))
def test_remove_matches_filterfalse(values):
    pred = lambda x: hash(x) % 3 == 0  # noqa: E731
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


def test_accumulate_keeps_its_running_value_past_a_failed_step(boom):
    assert list(accumulate(operator.add, [], 10)) == [10] and list(accumulate(operator.add, [], None)) == [None]

    def add(a, b):
        if b == 2:
            raise boom
        return a + b

    it = accumulate(add, [1, 2, 3])
    assert next(it) == 1
    with pytest.raises(boom):
        next(it)
    assert list(it) == [4]


@given(st.lists(hashables, max_size=20), st.none() | hashables)
def test_accumulate_matches_itertools(values, initial):
    rest = () if initial is None else (initial,)
    pair = lambda a, b: (b, a)  # noqa: E731
    assert list(accumulate(pair, values, *rest)) == list(itertools.accumulate(values, pair, initial=initial))


def test_partition_edges():
    assert list(partition(0, 5)) == [] and list(partition(-1, 5)) == []
    assert list(partition_all(0, [1])) == [] and list(partition_all(-3, [1])) == []
    assert list(partition(5000, range(5001))) == [tuple(range(5000))]
    assert list(partition_all(5000, range(5001))) == [tuple(range(5000)), (5000,)]
    assert list(partition(5000, range(3), "x")) == [(0, 1, 2) + ("x",) * 4997]
    assert list(partition(2**62, [1, 2])) == [] and list(partition_all(2**62, [1, 2])) == [(1, 2)]
    with pytest.raises(MemoryError):
        list(partition(2**62, [1], None))


@given(st.lists(hashables), st.integers(1, 7))
def test_partition_matches_zip_and_batched(values, n):
    short = list(itertools.batched(values, n))
    assert list(partition(n, values)) == list(zip(*[iter(values)] * n))
    assert hashed(partition(n, values, "p")) == hashed(itertools.zip_longest(*[iter(values)] * n, fillvalue="p"))
    assert hashed(partition_all(n, iter(values))) == hashed(short) and set(partition_all(n, values)) == set(short)


@pytest.mark.parametrize("tool", [partition, sliding_window])
def test_recycled_tuples_are_tracked_by_the_collector(tool):
    it = tool(2, [1, 2, [], []])
    group = next(it)
    del group
    gc.collect()  # may untrack the all-int tuple, which the next step then refills
    group = next(it)
    assert group[-1] == [] and gc.is_tracked(group)


def test_tuples_being_filled_are_invisible_to_the_collector():
    # Reaching a half-filled tuple through gc.get_objects() would crash repr(): run it apart.
    code = """
import gc
from brisko._brisko import juxt, partition
def scan(x):
    [repr(o) for o in gc.get_objects() if type(o) is tuple and len(o) == 3]
    return x
print(list(partition(3, map(scan, range(6)))), juxt(scan, scan, scan)(7))
"""
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True)
    assert (out.returncode, out.stdout.strip()) == (0, "[(0, 1, 2), (3, 4, 5)] (7, 7, 7)"), out.stderr


def test_partition_discards_a_failing_group_and_continues(boom):
    def check(value):
        if value == "boom":
            raise boom
        return value

    it = partition_all(2, map(check, [1, 2, 3, "boom", 4, 5, 6]))  # map goes on past a failure
    assert next(it) == (1, 2)
    with pytest.raises(boom):
        next(it)
    assert list(it) == [(4, 5), (6,)]
