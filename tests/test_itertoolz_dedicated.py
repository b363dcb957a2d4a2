"""The dedicated iterators behind interpose, sliding_window, pluck and unique: their front ends and
length hints. (Their steps around an error are in test_utils_iteration's table.)"""

import collections
import itertools
import operator

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko import _brisko as b
from brisko._brisko import interpose, pluck, sliding_window, unique
from conftest import hashables, hashed


def test_interpose_of_an_empty_input_is_empty():
    it = interpose(0, [])
    assert list(it) == [] and operator.length_hint(it) == 0 and list(interpose(0, [1])) == [1]

    def gen():
        # A StopIteration escaping interpose would become a RuntimeError here.
        yield from interpose(0, iter([]))

    assert list(gen()) == []


class BadHint:
    def __iter__(self):
        return self

    def __next__(self):
        raise StopIteration

    def __length_hint__(self):
        raise RuntimeError("no hint")


def test_length_hints():
    it = interpose(0, [1, 2, 3])
    hints = [operator.length_hint(it)]
    for _ in range(3):
        next(it)
        hints.append(operator.length_hint(it))
    assert hints == [5, 4, 3, 2]  # 3: an element is pending behind the separator just returned
    assert [operator.length_hint(it) for it in (sliding_window(2, [1, 2, 3]), sliding_window(3, [1, 2]))] == [2, 0]
    assert operator.length_hint(unique([1, 1, 2])) == 3 and operator.length_hint(pluck(0, [[1], [2]])) == 2
    # A source whose own hint fails counts as empty.
    assert [operator.length_hint(it) for it in (unique(BadHint()), pluck(0, BadHint()))] == [0, 0]


def test_sliding_window_edges():
    assert list(sliding_window(1, [1, 2])) == [(1,), (2,)] and list(sliding_window(0, 5)) == []
    with pytest.raises(ValueError, match="^n must be >= 0$"):
        sliding_window(-1, [1])
    with pytest.raises(ZeroDivisionError):  # raised while priming, at call time
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
    assert list(pluck(5, [[1], [2, 3]], None)) == [None, None] and list(pluck("k", [{"k": 1}, {}], "d")) == [1, "d"]
    assert list(pluck(-1, [(1, 2), "ab"])) == [2, "b"]


def test_unique_keys():
    assert list(unique(["a", "A", "b"], key=str.lower)) == ["a", "b"] and list(unique([1, 2], key=None)) == [1, 2]
    with pytest.raises(TypeError, match="not callable"):
        list(unique([1], key=0))


def test_long_key_pipelines_stay_lazy():
    assert list(itertools.islice(unique(itertools.count(), key=lambda x: x // 3), 4)) == [0, 3, 6, 9]
