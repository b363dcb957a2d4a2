"""Lazy transformers: concat, concatv, mapcat, interleave, remove, accumulate, partition,
partition_all. (Their steps around an error, iterate's among them, are in test_utils_iteration.)"""

import gc
import itertools
import subprocess
import sys

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko._brisko import accumulate, concat, concatv, interleave, mapcat, partition, partition_all, remove
from brisko._brisko import sliding_window
from conftest import hashables, hashed


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


@given(st.lists(st.lists(hashables, max_size=5), max_size=5))
def test_interleave_matches_round_robin(seqs):
    assert list(interleave(seqs)) == list(round_robin(seqs))


@given(st.lists(hashables))
def test_remove_matches_filterfalse(values):
    pred = lambda x: hash(x) % 3 == 0  # noqa: E731
    assert list(remove(pred, values)) == list(itertools.filterfalse(pred, values))


@given(st.lists(hashables, max_size=20), st.none() | st.tuples(hashables))
def test_accumulate_matches_itertools(values, initial):
    rest = initial or ()  # an explicit None is an initial value too
    pair = lambda a, b: (b, a)  # noqa: E731
    assert list(accumulate(pair, values, *rest)) == list(itertools.accumulate([*rest, *values], pair))


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


