"""Eight threads sharing one object of each kind. Every lazy iterator of the shared table hands
every element to exactly one thread (a thread that finds it busy waits for its turn), memoize and
curry give every thread the right results, and threads counting int64 arrays with the lock released
count exactly. Python-level callables and a tiny switch interval make the threads interleave inside
the steps."""

import array
import collections
import itertools
import sys
import sysconfig
import threading

import pytest

from brisko import _brisko as b
from test_iteration import LAZY

THREADS = 8
SOURCE = [(2**70 + i,) for i in range(1500)]  # as the table's VALUES: pluckable, hashable, not immortal


def same(x):
    return x


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


@pytest.mark.parametrize("name", sorted(LAZY))
def test_a_shared_iterator_hands_each_element_to_one_thread(name):
    make = LAZY[name][0]
    it = make(map(same, SOURCE))
    outputs = [[] for _ in range(THREADS)]

    def work(index):
        outputs[index].extend(it)

    run_threads(work)
    assert collections.Counter(x for out in outputs for x in out) == collections.Counter(make(iter(SOURCE)))


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


def test_threads_counting_their_own_int64_arrays_at_once_count_exactly():
    # Long enough for the lock to be released around each scan: odd threads count few values in a
    # dense range, even ones distinct values far apart (the hashed count).
    arrays = [array.array("q", [(i * i + t) % (1009 if t % 2 else 2**61) for i in range(100_000)])
              for t in range(THREADS)]
    expected = [list(collections.Counter(a).items()) for a in arrays]
    results = [None] * THREADS
    run_threads(lambda i: results.__setitem__(i, list(b.frequencies(arrays[i]).items())))
    assert results == expected


def test_lists_and_dicts_changed_meanwhile_are_read_safely():
    # One thread keeps changing a list and a dict that the others read through the in-place paths:
    # every result is made of their elements, or is the host's own "changed" error; never a crash.
    lst, d, finished = list(range(100)), dict.fromkeys(range(100), 0), []
    reads = [lambda: b.frequencies(lst), lambda: list(b.unique(lst)), lambda: b.get([0, -1], lst, None),
             lambda: list(b.remove(callable, lst)), lambda: (b.first(lst), b.last(lst)), lambda: b.valmap(abs, d),
             lambda: b.merge(d, {-1: 0}), lambda: b.keyfilter(bool, d)]

    def parts(x):
        return [p for k, v in x.items() for p in (k, v)] if isinstance(x, dict) else x

    def work(index):
        if index == 0:
            for i in itertools.takewhile(lambda _: len(finished) < THREADS - 1, itertools.count()):
                lst.append(i), lst.pop(0), d.__setitem__(i % 200, i), d.pop((i + 100) % 200, None)
            return
        try:
            for k in range(400):
                try:
                    assert all(type(p) is int for p in parts(reads[(index + k) % len(reads)]()))
                except RuntimeError as e:
                    assert "changed" in str(e), e
        finally:
            finished.append(index)

    run_threads(work)


@pytest.mark.skipif(not sysconfig.get_config_var("Py_GIL_DISABLED"), reason="not a free-threaded build")
def test_brisko_leaves_a_free_threaded_interpreter_free_threaded():
    from brisko import _introspect  # noqa: F401 - with _brisko and the test hooks, every module of it

    assert not sys._is_gil_enabled()
