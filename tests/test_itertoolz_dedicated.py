"""The dedicated iterators behind interpose, sliding_window, pluck and unique: their front ends,
class rules, docstrings, length hints and reentrancy contract."""

import array
import collections
import gc
import itertools
import operator

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko import _brisko as b
from brisko._brisko import interpose, pluck, sliding_window, unique
from conftest import hashables, hashed, raising_after

MAKERS = {
    "InterposeIter": lambda src: interpose(0, src),
    "SlidingWindowIter": lambda src: sliding_window(2, src),
    "UniqueIter": lambda src: unique(src),
    "PluckIter": lambda src: pluck(0, [[x] for x in src] if isinstance(src, list) else ([x] for x in src)),
    "UniqueI64Iter": lambda src: unique(array.array("q", src)),
}


@pytest.mark.parametrize("name", sorted(MAKERS))
def test_class_rules(name):
    it = MAKERS[name]([1, 2, 3])
    cls = type(it)
    assert cls.__name__ == cls.__qualname__ == name
    assert cls.__module__ == "brisko._brisko"
    assert not hasattr(b, name)
    assert iter(it) is it
    assert gc.is_tracked(it)  # it holds user objects: its cycles are collected
    with pytest.raises(TypeError, match="cannot create"):
        cls()
    with pytest.raises(TypeError, match="not an acceptable base type"):
        type("Sub", (cls,), {})
    assert cls.__doc__ and cls.__length_hint__.__doc__
    assert cls.__length_hint__.__text_signature__ == "($self)"


def test_documented_texts():
    assert type(interpose(0, [1])).__doc__ == (
        "Dedicated iterator for `interpose`: raw source access (direct indexing\n"
        "for exact lists) and one INCREF of `el` per separator \u2014 no boxed closure.\n"
        "`el` lives outside the cell: it never mutates."
    )
    assert type(sliding_window(1, [])).__length_hint__.__doc__ == (
        "Exact for list sources (one window per remaining element once\n"
        "primed), the source's own hint otherwise."
    )


@pytest.mark.parametrize("name", sorted(set(MAKERS) - {"UniqueI64Iter"}))
def test_over_every_shape_and_past_the_end(name, shape):
    values = [2**70 + v for v in [5, 1, 5, 2]]  # not immortal: leaks show under ./dev leaks
    expected = {
        "InterposeIter": [values[0], 0, values[1], 0, values[2], 0, values[3]],
        "SlidingWindowIter": list(zip(values, values[1:])),
        "UniqueIter": list(dict.fromkeys(values)),
        "PluckIter": values,
    }[name]
    it = MAKERS[name](shape(values))
    assert list(it) == expected
    for _ in range(2):
        with pytest.raises(StopIteration):
            next(it)
        with pytest.raises(StopIteration):
            it.__next__()


def test_interpose():
    assert list(interpose(0, [1, 2, 3])) == [1, 0, 2, 0, 3]
    assert list(interpose(0, [1])) == [1]
    with pytest.raises(TypeError, match="not iterable"):
        interpose(0, 5)


def test_interpose_of_an_empty_input_is_empty():
    it = interpose(0, [])
    assert list(it) == []
    assert operator.length_hint(it) == 0

    def gen():
        # A StopIteration escaping interpose would become a RuntimeError here.
        yield from interpose(0, iter([]))

    assert list(gen()) == []


def test_interpose_pulls_one_element_at_call_time():
    it = iter([1, 2, 3])
    result = interpose(0, it)
    assert next(it) == 2
    assert list(result) == [1, 0, 3]


def test_length_hints():
    it = interpose(0, [1, 2, 3])
    assert operator.length_hint(it) == 5
    next(it)
    assert operator.length_hint(it) == 4
    next(it)
    assert operator.length_hint(it) == 3  # a pending element: 2k + 1 with k = 1
    w = sliding_window(2, [1, 2, 3])
    assert operator.length_hint(w) == 2
    assert operator.length_hint(sliding_window(3, [1, 2])) == 0
    assert operator.length_hint(unique([1, 1, 2])) == 3
    assert operator.length_hint(pluck(0, [[1], [2]])) == 2

    class BadHint:
        def __iter__(self):
            return self

        def __next__(self):
            raise StopIteration

        def __length_hint__(self):
            raise RuntimeError("no hint")

    for it in [interpose(0, [1, 2]), unique(BadHint()), pluck(0, BadHint())]:
        assert operator.length_hint(it) >= 0
    assert operator.length_hint(unique(BadHint())) == 0


def test_sliding_window():
    assert list(sliding_window(2, [1, 2, 3])) == [(1, 2), (2, 3)]
    assert list(sliding_window(4, [1, 2, 3])) == []
    assert list(sliding_window(1, [1, 2])) == [(1,), (2,)]
    assert list(sliding_window(0, 5)) == []
    with pytest.raises(ValueError, match="^n must be >= 0$"):
        sliding_window(-1, [1])
    with pytest.raises(TypeError) as info:
        sliding_window("2", [1])
    assert info.value.__notes__ == ["while processing 'n'"]
    it = iter(range(10))
    sliding_window(3, it)
    assert next(it) == 2  # two elements were primed at call time
    with pytest.raises(ZeroDivisionError):
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


def test_windows_handed_out_stay_intact():
    it = sliding_window(3, range(10))
    kept = next(it)
    lasts = [w[-1] for w in it]  # dropped windows may be recycled
    assert kept == (0, 1, 2)
    assert lasts == list(range(3, 10))
    it = sliding_window(2, [1, 2, [], []])
    w = next(it)
    del w
    gc.collect()
    w = next(it)
    w = next(it)
    assert w == ([], []) and gc.is_tracked(w)


def test_pluck():
    it = pluck(0, [[1, 2], [3, 4]])
    assert type(it).__name__ == "PluckIter"
    assert list(it) == [1, 3]
    assert list(pluck([0, 1], [[1, 2], [3, 4]])) == [(1, 2), (3, 4)]
    assert type(pluck([0], [])) is b.NativeIter
    assert list(pluck(5, [[1], [2, 3]], None)) == [None, None]
    assert list(pluck("k", [{"k": 1}, {}], "d")) == [1, "d"]
    assert list(pluck(-1, [(1, 2), "ab"])) == [2, "b"]
    with pytest.raises(IndexError):
        list(pluck(5, [[1]]))
    with pytest.raises(TypeError, match="pluck takes at most 3 arguments"):
        pluck(0, [], 1, 2)


def test_pluck_continues_past_a_failing_element():
    it = pluck(0, [[1], [], [3]])
    assert next(it) == 1
    with pytest.raises(IndexError):
        next(it)
    assert next(it) == 3


def test_unique():
    assert list(unique([1, 2, 1, 3, 2])) == [1, 2, 3]
    assert list(unique(["a", "A", "b"], key=str.lower)) == ["a", "b"]
    assert list(unique([1, 2], key=None)) == [1, 2]
    with pytest.raises(TypeError, match="not callable"):
        list(unique([1], key=0))


def test_key_errors_skip_the_element(boom):
    def key(x):
        if x == 2:
            raise boom
        return x

    it = unique([1, 2, 3], key=key)
    assert next(it) == 1
    with pytest.raises(boom):
        next(it)
    assert list(it) == [3]


def test_source_errors_propagate_and_the_iterator_survives(boom):
    for make in [lambda s: unique(s), lambda s: pluck(0, ([x] for x in s)), lambda s: sliding_window(1, s)]:
        it = make(raising_after([1, 2], 1))
        next(it)
        with pytest.raises(boom):
            next(it)


@pytest.mark.parametrize("probe", ["next", "length_hint"])
def test_reentrant_use_from_a_key_is_refused(probe):
    messages = []

    def key(x):
        try:
            next(it) if probe == "next" else operator.length_hint(it) and it.__length_hint__()
        except ValueError as e:
            messages.append(str(e))
        return x

    it = unique([1, 2, 1], key=key)
    assert list(it) == [1, 2]
    assert messages == ["iterator already executing"] * 3
    it = None  # the key's closure and the iterator form a cycle


def test_list_sources_see_appends():
    data = [1, 2]
    it = unique(data)
    next(it)
    data.append(3)
    assert list(it) == [2, 3]
    data.append(4)
    assert list(it) == []


def test_long_key_pipelines_stay_lazy():
    assert list(itertools.islice(unique(itertools.count(), key=lambda x: x // 3), 4)) == [0, 3, 6, 9]
