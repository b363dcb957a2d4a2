"""Many interpreters and threads at once, each making and dropping every kind of brisko object.

Threads each create isolated interpreters (a lock and an allocator of their own) one after another
and run a round of work in each: values nested in values, curries, compositions, memoize caches,
every kind of lazy iterator, the grouping and mapping tools and pickle round trips, every result
checked. Meanwhile the main interpreter does the same work on threads of its own, counts an int64
array with the lock released while another thread writes into it, and one interpreter leaks its
module on purpose before it ends. At the end only the main interpreter's cells may be open.

`./dev tsan` runs it under ThreadSanitizer, where any race report ends the process; `./dev test`
runs a small budget of it (tests/test_interpreters.py). Exits non-zero on any failure."""

import _interpreters  # the low-level module, which 3.13 has too
import argparse
import array
import sys
import threading
import time

# One round of work, run by every interpreter (the main one included); `i` varies the values.
WORK = r"""
import array, operator, pickle
from brisko import _brisko as b

def add3(x, y, z):
    return x + y + z

def round_of_work(i):
    s, o, e = b.Some(i), b.Ok((i, i)), b.Err(str(i))
    assert s.unwrap() == i and o.unwrap() == (i, i) and e.error == str(i), i
    deep = b.Some(b.Some(b.Some(i)))
    assert deep.and_then(lambda v: v).unwrap().unwrap() == i
    assert b.Some(i).map(str) == b.Some(str(i)) and b.Nothing.map(str) is not b.Some(1)
    assert b.Option.of(None).is_none() and b.Result.of(lambda: 1 // 0).is_err()
    assert b.curry(add3)(i)(1)(2) == i + 3 and b.flip(operator.sub, 1, i) == i - 1
    assert b.compose(str, abs)(-i) == str(i) and b.juxt(min, max)([i, 1]) == (min(i, 1), max(i, 1))
    assert b.complement(bool)(0) and b.excepts(ZeroDivisionError, lambda v: 1 // v, lambda _: -1)(0) == -1
    cache = {}
    m = b.memoize(lambda v: v * 2, cache=cache)
    assert m(i) == m(i) == 2 * i and cache == {i: 2 * i}
    words = ["a", "bb", "c", str(i)]
    assert list(b.unique([i, 1, i, 2])) == list(dict.fromkeys([i, 1, i, 2]))
    assert list(b.unique(array.array("q", [i, 1, i]))) == list(dict.fromkeys([i, 1]))
    assert list(b.interpose(0, [1, 2])) == [1, 0, 2]
    assert list(b.sliding_window(2, [1, 2, 3])) == [(1, 2), (2, 3)]
    assert list(b.pluck(0, [(i,), (2,)])) == [i, 2] and list(b.pluck([0, 0], [(i,)])) == [(i, i)]
    assert list(b.partition_all(2, range(5))) == [(0, 1), (2, 3), (4,)]
    assert list(b.partition(2, range(5), None)) == [(0, 1), (2, 3), (4, None)]
    assert list(b.accumulate(operator.add, [1, 2, 3])) == [1, 3, 6]
    assert list(b.take(3, b.iterate(lambda v: v + 1, i))) == [i, i + 1, i + 2]
    assert list(b.remove(lambda v: v == i, [i, -1, i])) == [-1]
    assert list(b.mapcat(lambda v: [v, v], [1, 2])) == [1, 1, 2, 2]
    assert list(b.concat([[1], [2]])) == [1, 2] and list(b.interleave([[1, 3], [2]])) == [1, 2, 3]
    assert list(b.merge_sorted([1, 3], [2])) == [1, 2, 3]
    assert b.topk(2, [3, 1, i]) == tuple(sorted([3, 1, i])[-2:][::-1])
    assert list(b.diff([1, 2], [1, 3])) == [(2, 3)] and list(b.tail(2, range(5))) == [3, 4]
    assert list(b.join(0, [(1, "a")], 0, [(1, "b")])) == [((1, "a"), (1, "b"))]
    assert b.frequencies(array.array("q", [i % 5] * 20)) == {i % 5: 20}
    assert b.groupby(len, words)[1][:2] == ["a", "c"] and b.countby(len, words)[2] >= 1
    assert b.reduceby(len, operator.add, words)[2].startswith("bb")
    assert b.Iter(range(10)).map(lambda v: v * i).filter(bool).take(3).collect() == [i, 2 * i, 3 * i][: 3 if i else 0]
    assert b.valmap(len, b.merge({"a": "x"}, {"b": "yy"})) == {"a": 1, "b": 2}
    assert b.get_in(["a", "b"], b.assoc_in({}, ["a", "b"], i)) == i
    assert b.update_in({"a": 1}, ["a"], lambda v: v + i) == {"a": 1 + i}
    objects = (b.Some(i), b.Ok(i), b.Err(i), b.Nothing, b.curry(pow)(2), b.compose(abs, int), b.memoize(abs),
               b.complement(bool), b.juxt(abs, int), b.excepts(ValueError, int), b.Iter([i]))
    for obj, back in zip(objects, pickle.loads(pickle.dumps(objects))):
        assert type(back) is type(obj), (obj, back)
    assert pickle.loads(pickle.dumps(b.curry(pow)(2)))(10) == 1024
"""

# A module kept alive past its interpreter, as any extension holding a reference to it would.
LEAK = """
from brisko import _brisko, _pickling
_pickling._library_module("_testhooks").leak(_brisko)
"""


def hooks():
    """The test hooks of a test build, or None."""
    from brisko import _pickling

    try:
        return _pickling._library_module("_testhooks")
    except ImportError:
        return None


def run_in(interp, code):
    failure = _interpreters.exec(interp, code)
    if failure is not None:
        raise RuntimeError(failure.formatted)


def interpreter_worker(deadline, rounds, errors, leak):
    """Isolated interpreters made, worked in and destroyed one after another until the deadline."""
    try:
        while True:
            interp = _interpreters.create()
            try:
                run_in(interp, WORK + f"\nfor i in range({rounds}): round_of_work(i)\n")
                if leak:
                    run_in(interp, LEAK)
                    leak = False
            finally:
                _interpreters.destroy(interp)
            if time.monotonic() > deadline:
                return
    except BaseException as e:  # noqa: B902 - reported by the main thread
        errors.append(e)


def main_interpreter_worker(deadline, rounds, errors):
    try:
        scope = {}
        exec(WORK, scope)
        while time.monotonic() < deadline:
            for i in range(rounds):
                scope["round_of_work"](i)
    except BaseException as e:  # noqa: B902
        errors.append(e)


def buffer_writer_and_counter(deadline, errors):
    """One thread counts an int64 array with the lock released while another writes into it: every
    count is of values the array held, and the total is its length."""
    from brisko import _brisko as b

    data = array.array("q", range(200_000))  # long enough for the count to release the lock
    view = memoryview(data)
    done = threading.Event()

    def write():
        i = 0
        while not done.is_set():
            view[i % len(data)] = -(i % 7)
            i += 1

    writer = threading.Thread(target=write)
    writer.start()
    try:
        while time.monotonic() < deadline:
            counts = b.frequencies(data)
            assert sum(counts.values()) == len(data), sum(counts.values())
            assert all(-6 <= k < len(data) for k in counts), "a count of a value never written"
    except BaseException as e:  # noqa: B902
        errors.append(e)
    finally:
        done.set()
        writer.join()


def run(seconds, threads, rounds):
    deadline = time.monotonic() + seconds
    errors = []
    test_hooks = hooks()
    workers = [threading.Thread(target=interpreter_worker, args=(deadline, rounds, errors, i == 0 and test_hooks))
               for i in range(threads)]
    workers.append(threading.Thread(target=main_interpreter_worker, args=(deadline, rounds, errors)))
    workers.append(threading.Thread(target=buffer_writer_and_counter, args=(deadline, errors)))
    for t in workers:
        t.start()
    for t in workers:
        t.join()
    if errors:
        raise errors[0]
    if test_hooks is not None:
        open_cells = test_hooks.open_interpreters()
        assert open_cells == 1, f"{open_cells} interpreters' cells open, where only the main one's should be"


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=float, default=20, help="how long the workers go on")
    parser.add_argument("--threads", type=int, default=3, help="threads making isolated interpreters")
    parser.add_argument("--rounds", type=int, default=50, help="rounds of work per interpreter")
    args = parser.parse_args()
    started = time.monotonic()
    run(args.seconds, args.threads, args.rounds)
    print(f"stress: {args.threads} threads of interpreters and the main interpreter's for "
          f"{time.monotonic() - started:.1f}s: ok", file=sys.stderr)
