"""Eight threads sharing one object of each kind. A lazy iterator hands every element to exactly
one thread (a thread that finds it busy gets "iterator already executing" and tries again), and
memoize, curry and Iter give every thread the right results. Python-level callables and a tiny
switch interval make the threads interleave inside the steps."""

import array
import sys
import threading

import pytest

from brisko import _brisko as b

THREADS = 8
N = 1500
SOURCE = [f"e{i}" for i in range(N)]
SEP = object()


def same(x):
    return x


def keep(x):
    return False  # remove keeps what the predicate rejects


# Each: (make the shared iterator, turn one output into the source elements it stands for).
ITERATORS = {
    "remove": (lambda: b.remove(keep, SOURCE), lambda x: [x]),
    "accumulate": (lambda: b.accumulate(lambda acc, x: x, SOURCE), lambda x: [x]),
    "partition_all": (lambda: b.partition_all(3, map(same, SOURCE)), list),
    "interleave": (lambda: b.interleave([SOURCE[: N // 2], iter(SOURCE[N // 2 :])]), lambda x: [x]),
    "pluck default": (lambda: b.pluck(0, ([x] for x in SOURCE), None), lambda x: [x]),
    "diff": (lambda: b.diff(SOURCE, [None] * N, key=same), lambda x: [x[0]]),
    "join": (lambda: b.join(same, SOURCE, same, iter(SOURCE)), lambda x: [x[0]]),
    "unique": (lambda: b.unique(SOURCE + SOURCE, key=same), lambda x: [x]),
    "unique int64": (lambda: b.unique(array.array("q", range(N))), lambda x: [SOURCE[x]]),
    "interpose": (lambda: b.interpose(SEP, iter(SOURCE)), lambda x: [] if x is SEP else [x]),
    "sliding_window": (lambda: b.sliding_window(1, map(same, SOURCE)), list),
    "pluck": (lambda: b.pluck(0, ([x] for x in SOURCE)), lambda x: [x]),
    "Iter": (lambda: iter(b.Iter(SOURCE).map(same).unique(key=same)), lambda x: [x]),
}


@pytest.fixture(autouse=True)
def fast_switching():
    previous = sys.getswitchinterval()
    sys.setswitchinterval(1e-6)
    yield
    sys.setswitchinterval(previous)


def run_threads(work):
    barrier = threading.Barrier(THREADS)
    errors = []

    def body(index):
        barrier.wait()
        try:
            work(index)
        except BaseException as e:  # noqa: B902 - reported to the main thread below
            errors.append(e)

    threads = [threading.Thread(target=body, args=(i,)) for i in range(THREADS)]
    for t in threads:
        t.start()
    for t in threads:
        t.join(timeout=120)
    assert not any(t.is_alive() for t in threads), "a thread never finished"
    if errors:
        raise errors[0]


@pytest.mark.parametrize("name", sorted(ITERATORS))
def test_a_shared_iterator_hands_each_element_to_one_thread(name):
    make, elements = ITERATORS[name]
    it = make()
    outputs = [[] for _ in range(THREADS)]
    busy = []

    def work(index):
        while True:
            try:
                outputs[index].append(next(it))
            except StopIteration:
                return
            except ValueError as e:
                assert str(e) == "iterator already executing"
                busy.append(index)

    run_threads(work)
    produced = [e for out in outputs for x in out for e in elements(x)]
    assert sorted(produced) == sorted(SOURCE)


def test_a_shared_memoized_function_caches_consistently():
    calls = []

    def square(x):
        calls.append(x)
        return x * x

    memo = b.memoize(square)
    results = [[] for _ in range(THREADS)]
    run_threads(lambda i: results[i].extend((x, memo(x)) for x in range(i, 400, 3)))
    assert all(r == x * x for out in results for x, r in out)
    assert set(calls) <= set(range(400))  # two threads may both miss one key; the later store wins


def test_a_shared_curry_binds_the_same_for_every_thread():
    c = b.curry(lambda x, y, z=0: (x, y, z))
    run_threads(lambda i: [assert_equal(c(i)(j), (i, j, 0)) or assert_equal(c(i, j, z=3), (i, j, 3))
                           for j in range(200)])


def assert_equal(actual, expected):
    assert actual == expected
