"""Lazy transformers: interleave, remove, accumulate, partition, partition_all, and the dedicated
iterators behind interpose, sliding_window, pluck and unique with their length hints. (Their steps
around an error, iterate's among them, are in test_iteration's table.)"""

import collections
import gc
import itertools
import operator

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko import _brisko as b
from brisko._brisko import accumulate, interleave, interpose, partition, partition_all, pluck, remove, sliding_window
from brisko._brisko import unique
from conftest import CustomIterator, hashables, hashed, run_child
from models import round_robin


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


# Every path that cuts a sequence into pieces of n, by the name its errors give.
SIZED = {
    "partition": partition, "partition_all": partition_all, "sliding_window": sliding_window,
    "Iter.partition_all": lambda n, seq: b.Iter(seq).partition_all(n),
    "Iter.sliding_window": lambda n, seq: b.Iter(seq).sliding_window(n),
}


@pytest.mark.parametrize("tool", sorted(SIZED))
def test_a_size_below_one_is_refused_before_the_sequence_is_touched(tool):
    touched = []
    seq = type("Watched", (), {"__iter__": lambda self: touched.append("iter") or iter([1, 2])})()
    for n in (0, -1, -2**70):
        with pytest.raises(ValueError, match=rf"^{tool}: n must be at least 1, got {n}$") as raised:
            SIZED[tool](n, seq)
        assert touched == [] and not getattr(raised.value, "__notes__", None)
    with pytest.raises(OverflowError, match="^int too big to convert\n"):
        SIZED[tool](2**64, [1])
    assert list(SIZED[tool](1, [1, 2])) == [(1,), (2,)]


def test_partition_edges():
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


@pytest.mark.out_of_process
def test_tuples_being_filled_are_invisible_to_the_collector():
    # Reaching a half-filled tuple through gc.get_objects() would crash repr(): run it apart. A
    # recycled chunk (map drops each one) must not be seen changing either.
    code = """
import gc
from brisko._brisko import juxt, partition, topk
M = type("M", (str,), {})
def scan(x):
    assert not [o for o in gc.get_objects() if type(o) is tuple and len(o) == 3 and M in map(type, o)]
    [repr(o) for o in gc.get_objects() if type(o) is tuple and len(o) == 3]
    return x
recycled = map(list, partition(3, map(scan, map(M, "abcdef"))))
K = type("K", (int,), {"__lt__": lambda a, b: scan(int(a) < int(b))})  # topk's heap asks it
print(list(partition(3, map(scan, range(6)))), juxt(scan, scan, scan)(7), list(recycled), topk(3, map(K, range(6))))
"""
    assert run_child(code) == "[(0, 1, 2), (3, 4, 5)] (7, 7, 7) [['a', 'b', 'c'], ['d', 'e', 'f']] (5, 4, 3)"


# ---------------------------------------------------------------- the dedicated iterators


class BadHint(CustomIterator):
    def __length_hint__(self):
        raise RuntimeError("no hint")


def test_length_hints():
    it = interpose(0, [1, 2, 3])
    hints = [operator.length_hint(it)]
    for _ in range(3):
        next(it)
        hints.append(operator.length_hint(it))
    assert hints == [5, 4, 3, 2]  # 3: an element is pending behind the separator just returned
    assert operator.length_hint(interpose(0, [])) == 0
    assert [operator.length_hint(it) for it in (sliding_window(2, [1, 2, 3]), sliding_window(3, [1, 2]))] == [2, 0]
    assert operator.length_hint(unique([1, 1, 2])) == 3 and operator.length_hint(pluck(0, [[1], [2]])) == 2
    # A source whose own hint fails counts as empty.
    assert [operator.length_hint(it) for it in (unique(BadHint([])), pluck(0, BadHint([])))] == [0, 0]


def test_sliding_window_edges():
    with pytest.raises(ZeroDivisionError):  # raised while priming, at call time, and not taken for the end
        sliding_window(3, (1 / x for x in [1, 0]))


@given(st.lists(hashables), st.integers(1, 6))
def test_sliding_window_matches_a_deque(values, n):
    def reference():
        window = collections.deque(maxlen=n)
        for v in values:
            window.append(v)
            if len(window) == n:
                yield tuple(window)

    assert list(sliding_window(n, values)) == list(reference())
    assert hashed(sliding_window(n, iter(values))) == hashed(reference())
    assert set(sliding_window(n, values)) == set(reference())


def test_pluck():
    assert list(pluck([0, 1], [[1, 2], [3, 4]])) == [(1, 2), (3, 4)] and type(pluck([0], [])) is b.NativeIter
    assert list(pluck("k", [{"k": 1}, {}], "d")) == [1, "d"] and list(pluck(-1, [(1, 2), "ab"])) == [2, "b"]


def test_unique_keys():
    assert list(unique(["a", "A", "b"], key=str.lower)) == ["a", "b"] and list(unique([1, 2], key=None)) == [1, 2]
    assert list(itertools.islice(unique(itertools.count(), key=lambda x: x // 3), 4)) == [0, 3, 6, 9]  # lazy
    with pytest.raises(TypeError, match="not callable"):
        list(unique([1], key=0))
