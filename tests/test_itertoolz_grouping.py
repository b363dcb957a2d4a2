"""Grouping and counting (groupby, countby, reduceby, frequencies, isdistinct) and the tools over
several sequences (merge_sorted, diff, join, topk), against plain-Python formulations."""

import collections
import gc
import heapq
import itertools
import operator

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko._brisko import countby, diff, frequencies, groupby, isdistinct, join, merge_sorted, reduceby, topk, unique
from conftest import Collide, hashables, host_message


def test_groupby_key_forms():
    assert groupby("k", [{"k": 1}, {"k": 1}]) == {1: [{"k": 1}, {"k": 1}]} and groupby([], [1, 2]) == {(): [1, 2]}
    with pytest.raises(IndexError):
        groupby(3, ["ab"])


@pytest.mark.parametrize(
    "call, message",
    [(lambda: groupby(lambda x: [x], [1]), "unhashable type: 'list'"),
     (lambda: countby(lambda x: {}, [1]), "unhashable type: 'dict'"),
     (lambda: frequencies([[1]]), "unhashable type: 'list'"), (lambda: list(unique([{}])), "unhashable type: 'dict'"),
     (lambda: isdistinct([1, [1]]), host_message(lambda: {1, [1]})),
     (lambda: reduceby(lambda x: [x], operator.add, [1]), host_message(lambda: {}[[1]]))],
)
def test_unhashable_keys_raise_the_host_type_error(call, message):
    with pytest.raises(TypeError) as info:
        call()
    assert str(info.value) == message


def test_reduceby_initial_values():  # a callable one makes a fresh start per key: the reference's example
    assert reduceby(lambda x: x % 2, operator.add, [1, 2, 3, 4], 10) == {1: 14, 0: 16}
    with pytest.raises(TypeError):  # None is an initial value too: None + "ab"
        reduceby(0, operator.add, ["ab"], None)
    shared = []
    result = reduceby(len, lambda acc, x: (acc.append(x), acc)[1], ["a", "bb"], shared)
    assert result[1] is result[2] is shared


def test_isdistinct_stops_at_the_first_duplicate():
    it = iter([1, 1.0, 2, 3])
    assert isdistinct(it) is False and list(it) == [2, 3]


keys = st.sampled_from([len, 0, [0, -1], lambda s: s[:1]])
items = st.lists(
    st.text(alphabet="abc", min_size=1, max_size=3) | st.lists(hashables, min_size=1, max_size=3).map(tuple)
)


def key_value(key, item):
    return key(item) if callable(key) else tuple(item[k] for k in key) if isinstance(key, list) else item[key]


@given(keys, items)
def test_grouping_matches_dict_loops(key, items):
    groups = collections.defaultdict(list)
    for item in items:
        groups[key_value(key, item)].append(item)
    assert list(groupby(key, items).items()) == list(groups.items())
    counts = collections.Counter(key_value(key, item) for item in items)
    assert list(countby(key, items).items()) == list(counts.items())
    reduced = {}
    for item in items:
        k = key_value(key, item)
        reduced[k] = (reduced[k], item) if k in reduced else item
    assert reduceby(key, lambda a, b: (a, b), items) == reduced


# Enough distinct keys that counting moves from the native table into the result dict midway;
# the tail mixes in keys equal across types and colliding keys, new and already seen.
MANY = [f"k{i}" for i in range(140_000)] + [1, 1.0, True, Collide(1), Collide(1), "k7", "k139999", (1, 2)] * 3


def test_many_keys_match_counter_and_dict_loops():
    for count in (frequencies, lambda seq: countby(lambda x: x, seq)):
        assert list(count(iter(MANY)).items()) == list(collections.Counter(MANY).items())
        with pytest.raises(TypeError, match="unhashable"):
            count(MANY + [[1]])
    groups = collections.defaultdict(list)
    for item in MANY:
        groups[item].append(item)
    result = groupby(lambda x: x, MANY)
    assert list(result.items()) == list(groups.items()) and all(type(m) is list for m in result.values())


# ---------------------------------------------------------------- several sequences


@given(st.lists(st.lists(st.integers(-5, 5)), max_size=4))
def test_merge_sorted_is_heapq_merge(seqs):
    seqs = [sorted(s) for s in seqs]
    assert list(merge_sorted(*seqs)) == list(merge_sorted(*seqs, key=None)) == list(heapq.merge(*seqs))
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

    it = join(0, type("Left", (), {"__iter__": lambda self: left()})(), 0, [(1, "x")])
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
    # The key is user code: it finds no list of topk's own holding an element, to clear or extend.
    items, lists = (object(), object(), object()), []
    for seq in map(lambda make: make(items), (tuple, list)):
        spy = lambda x: lists.extend(r for r in gc.get_referrers(x) if type(r) is list and r is not seq)  # noqa: B023, E731
        assert topk(3, seq, key=lambda x: spy(x) or items.index(x)) == items[::-1] and lists == []


# Equal values of different types (1, 1.0, True) tell which of equal elements comes first; runs of
# consecutive small ints, what the native pre-filter of ints decides alone.
@given(st.lists(st.integers(-3, 3) | st.integers(-3, 3).map(float) | st.booleans() | st.just(2**40))
       | st.lists(st.integers(0, 5)), st.integers(0, 8))
def test_topk_matches_a_stable_descending_sort(values, k):
    typed = lambda xs: [(type(x), x) for x in xs]  # noqa: E731
    for seq in (values, tuple(values), iter(values)):
        assert typed(topk(k, seq)) == typed(sorted(values, reverse=True)[:k])
    ranked = sorted(enumerate(values), key=lambda p: (abs(p[1]), -p[0]), reverse=True)
    for seq in (tuple(values), iter(values)):
        assert typed(topk(k, seq, key=abs)) == typed(v for _, v in ranked[:k])
