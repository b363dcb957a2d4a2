"""Multi-sequence tools: merge_sorted, diff, join and topk."""

import heapq
import itertools

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko._brisko import diff, join, merge_sorted, topk
from conftest import hashables


def test_merge_sorted():
    assert list(merge_sorted()) == [] and list(merge_sorted([1], [2], key=None)) == [1, 2]
    with pytest.raises(TypeError, match="unexpected keyword argument 'reverse'"):
        merge_sorted([1], reverse=True)


@given(st.lists(st.lists(st.integers(-5, 5)), max_size=4))
def test_merge_sorted_is_heapq_merge(seqs):
    seqs = [sorted(s) for s in seqs]
    assert list(merge_sorted(*seqs)) == list(heapq.merge(*seqs))
    assert list(merge_sorted(*seqs, key=abs)) == list(heapq.merge(*seqs, key=abs))


def test_diff():
    assert list(diff([[1, 2], [1, 3]])) == [(2, 3)]  # one argument: the sequences
    assert list(diff(["1", 2], [1, 2], key=str)) == [] and list(diff([1], [2], key=None)) == [(1, 2)]
    assert list(diff([1, 2], [1, 3], foo=1)) == [(2, 3)]  # other keywords are ignored
    nan = float("nan")
    assert len(list(diff([nan], [nan]))) == 1  # == decides, with no identity shortcut
    for args in [((1, 2),), ([[1, 2]],), ()]:
        with pytest.raises(TypeError, match=r"^Too few sequences given \(min 2 required\)$"):
            diff(*args)
    with pytest.raises(TypeError, match="not iterable"):
        diff([1], 5)


# With a default (None included), diff runs to the longest input, filling in the default.
@given(st.lists(st.lists(st.integers(0, 2) | hashables, max_size=5), min_size=2, max_size=4),
       st.sampled_from([{}, {"default": None}, {"default": "-"}]))
def test_diff_matches_zip(seqs, default):
    rows = itertools.zip_longest(*seqs, fillvalue=default["default"]) if default else zip(*seqs)
    assert list(diff(*seqs, **default)) == [r for r in rows if any(v != r[0] for v in r)]


def nested_loop_join(leftkey, left, rightkey, right, left_default=None, right_default=None):
    """Right items in order, each with its left matches in left order; then unmatched left items
    grouped by key in first-appearance order."""
    out, matched = [], set()
    for r in right:
        hits = [l for l in left if leftkey(l) == rightkey(r)]
        if hits:
            matched.add(rightkey(r))
            out += [(l, r) for l in hits]
        elif left_default is not None:
            out.append((left_default, r))
    if right_default is not None:
        for k in dict.fromkeys(leftkey(l) for l in left):
            if k not in matched:
                out += [(l, right_default) for l in left if leftkey(l) == k]
    return out


def test_join_keys_by_index_lists():
    assert list(join([0, 1], [(1, 2, "l")], [1, 0], [(2, 1, "r")])) == [((1, 2, "l"), (2, 1, "r"))]


def test_join_reads_the_left_side_lazily_and_retries_it(boom):
    calls = []

    def left():
        calls.append(1)
        if len(calls) == 1:
            raise boom
        yield (1, "a")

    class Left:
        def __iter__(self):
            return left()

    it = join(0, Left(), 0, [(1, "x")])
    assert calls == []
    with pytest.raises(boom):
        next(it)
    assert list(it) == [((1, "a"), (1, "x"))]
    with pytest.raises(TypeError, match="not iterable"):
        join(0, [], 0, 5)
    with pytest.raises(TypeError, match="not iterable"):
        next(join(0, 5, 0, []))


@given(
    st.lists(st.tuples(st.integers(0, 3), st.integers()), max_size=6),
    st.lists(st.tuples(st.integers(0, 4), st.integers()), max_size=6),
    st.sampled_from([None, "L"]),
    st.sampled_from([None, "R"]),
)
def test_join_matches_a_nested_loop(left, right, left_default, right_default):
    first = lambda t: t[0]  # noqa: E731
    expected = nested_loop_join(first, left, first, right, left_default, right_default)
    assert list(join(0, left, 0, right, left_default, right_default)) == expected
    assert list(join(first, iter(left), first, iter(right), left_default, right_default)) == expected


def test_topk():
    assert topk(2, ["bb", "a", "cc"], key=len) == ("bb", "cc") and topk(1, [(1, "b"), (1, "a")], key=0) == ((1, "b"),)
    assert topk(2, iter([1, 2, 3]), None) == (3, 2)
    with pytest.raises(TypeError):
        topk(1, [1, "a"])


@given(st.lists(st.integers(-5, 5)), st.integers(0, 8))
def test_topk_matches_sorting(values, k):
    assert topk(k, values) == tuple(sorted(values, reverse=True)[:k])
    ranked = sorted(enumerate(values), key=lambda p: (abs(p[1]), -p[0]), reverse=True)
    assert topk(k, values, key=abs) == tuple(v for _, v in ranked[:k])
