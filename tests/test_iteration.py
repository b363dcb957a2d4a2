"""What every tool keeps whatever it reads: every input shape gives the same result, failing and
non-iterable inputs raise the host's errors, a lazy result's steps around an error give what they
should; every lazy result refuses and survives reentrant use, keeps the protocol past its end and
reads exact lists changed mid-iteration safely; and the process-wide host lookups."""

import _thread
import array
import collections
import itertools
import inspect
import operator
import signal
import textwrap
import threading

import pytest

from brisko import _brisko as b
from brisko._brisko import Iter, Some, accumulate, concat, concatv, cons, count, countby, diff, drop, first, first_opt
from brisko._brisko import frequencies, groupby, interleave, interpose, isdistinct, iterate, join, last, last_opt
from brisko._brisko import mapcat, merge_sorted, nth, nth_opt, partition, partition_all, peek, peek_opt, pluck
from brisko._brisko import reduceby, remove, second, sliding_window, tail, take, take_nth, topk, unique
from conftest import Boom, X, consumed, fail, raising_after, run_child

V = [2**70 + v for v in (3, 1, 4, 1, 5, 9, 2, 6)]  # not immortal: a leaked reference shows under ./dev leaks
ODD, EVEN = [x for x in V if x % 2], [x for x in V if not x % 2]


def parity(x):
    return x % 2


def split(head, rest):
    return head, list(rest)


# Each tool over `sh(values)`, for a shape sh; what it gives over V. Every tool taking a `seq` or
# `seqs` is here (the test after the table's checks it).
EVERY_SHAPE = {
    "take": (lambda sh: take(3, sh(V)), V[:3]),
    "drop": (lambda sh: drop(5, sh(V)), V[5:]),
    "take_nth": (lambda sh: take_nth(3, sh(V)), V[::3]),
    "cons": (lambda sh: cons(0, sh(V)), [0, *V]),
    "concat": (lambda sh: concat([sh(V), sh(V[:2])]), V + V[:2]),
    "concatv": (lambda sh: concatv(sh(V), sh(V[:2])), V + V[:2]),
    "mapcat": (lambda sh: mapcat(lambda x: [x, x], sh(V)), [y for x in V for y in (x, x)]),
    "merge_sorted": (lambda sh: merge_sorted(sh(sorted(V)), sh(V[:1])), sorted(V + V[:1])),
    "diff": (lambda sh: diff(sh(V), sh(V[::-1])), [(a, b) for a, b in zip(V, V[::-1]) if a != b]),
    "first": (lambda sh: first(sh(V)), V[0]),
    "second": (lambda sh: second(sh(V)), V[1]),
    "last": (lambda sh: last(sh(V)), V[-1]),
    "nth": (lambda sh: nth(2, sh(V)), V[2]),
    "count": (lambda sh: count(sh(V)), 8),
    "tail": (lambda sh: list(tail(3, sh(V))), V[-3:]),
    "peek": (lambda sh: split(*peek(sh(V))), (V[0], V)),
    "first_opt": (lambda sh: first_opt(sh(V)), Some(V[0])),
    "last_opt": (lambda sh: last_opt(sh(V)), Some(V[-1])),
    "nth_opt": (lambda sh: nth_opt(2, sh(V)), Some(V[2])),
    "peek_opt": (lambda sh: split(*peek_opt(sh(V)).unwrap()), (V[0], V)),
    "isdistinct": (lambda sh: isdistinct(sh(V)), False),
    "frequencies": (lambda sh: list(frequencies(sh(V)).items()), list(collections.Counter(V).items())),
    "groupby": (lambda sh: groupby(parity, sh(V)), {1: ODD, 0: EVEN}),
    "countby": (lambda sh: countby(parity, sh(V)), {1: len(ODD), 0: len(EVEN)}),
    "reduceby": (lambda sh: reduceby(parity, operator.add, sh(V), 1), {1: 1 + sum(ODD), 0: 1 + sum(EVEN)}),
    "topk": (lambda sh: topk(2, sh(V)), tuple(sorted(V)[:-3:-1])),
    "remove": (lambda sh: remove(parity, sh(V)), EVEN),
    "accumulate": (lambda sh: accumulate(operator.add, sh(V), X), list(itertools.accumulate(V, initial=X))),
    "partition": (lambda sh: partition(3, sh(V)), list(zip(*[iter(V)] * 3))),
    "partition pad": (lambda sh: partition(3, sh(V), None), list(itertools.zip_longest(*[iter(V)] * 3))),
    "partition_all": (lambda sh: partition_all(3, sh(V)), list(itertools.batched(V, 3))),
    "interleave": (lambda sh: interleave([sh(V), sh("ab")]), [V[0], "a", V[1], "b", *V[2:]]),
    "interpose": (lambda sh: interpose(0, sh(V)), [y for x in V for y in (0, x)][1:]),
    "sliding_window": (lambda sh: sliding_window(2, sh(V)), list(itertools.pairwise(V))),
    "unique": (lambda sh: unique(sh(V)), list(dict.fromkeys(V))),
    "pluck": (lambda sh: pluck(0, sh([(x,) for x in V])), V),
    "Iter.unique": (lambda sh: Iter(sh(V)).unique(key=parity).collect(), [V[0], V[2]]),
    "Iter.sliding_window": (lambda sh: Iter(sh(V)).sliding_window(3).collect(), list(zip(V, V[1:], V[2:]))),
    "Iter.interpose": (lambda sh: Iter(sh(V)).interpose(0).take(3).collect(), [V[0], 0, V[1]]),
    "Iter.pluck": (lambda sh: Iter(sh(V)).map(lambda x: divmod(x, 7)).pluck(0).collect(), [x // 7 for x in V]),
    "Iter.reduce": (lambda sh: Iter(sh(V)).reduce(operator.add, -1), sum(V) - 1),
    "Iter.group_by": (lambda sh: Iter(sh(V)).group_by(parity), {1: ODD, 0: EVEN}),
    "Iter.to_dict": (lambda sh: Iter(sh(V)).map(lambda x: (x, -x)).to_dict(), {x: -x for x in V}),
    "Iter.nth": (lambda sh: Iter(sh(V)).nth(2), Some(V[2])),
    "Iter for": (lambda sh: [x for x in Iter(sh(V))], V),
}


@pytest.mark.parametrize("name", sorted(EVERY_SHAPE))
def test_every_input_shape_gives_the_same_result(name, shape):
    call, expected = EVERY_SHAPE[name]
    assert consumed(call(shape)) == expected


def test_every_tool_over_sequences_is_in_the_table():
    tools = {n for n in b.__all__ if not isinstance(getattr(b, n), type) and n not in ("flip", "Nothing")
             and {"seq", "seqs"} & set(inspect.signature(getattr(b, n)).parameters)}
    assert sorted(tools - {name.split()[0] for name in EVERY_SHAPE}) == []


@pytest.mark.parametrize("name", sorted(EVERY_SHAPE))
def test_failing_and_non_iterable_inputs_raise_the_host_errors(name, boom):
    call = EVERY_SHAPE[name][0]
    for k in (0, 1) if name not in ("first", "first_opt") else (0,):  # failing at the first pull, or past it
        with pytest.raises(boom, match="source failed"):
            consumed(call(lambda values: raising_after(values, k)))
    # A lazy tool fails at call time, before any step; those made of several inputs, as chain and
    # heapq.merge are, reach each input only when the one before it is used up.
    with pytest.raises(TypeError) as info:
        it = call(lambda values: 5)
        assert name in ("concat", "concatv", "cons", "merge_sorted")
        consumed(it)
    host = "reduce() arg 2 must support iteration" if name == "Iter.reduce" else "'int' object is not iterable"
    assert str(info.value) == host


def outcomes(it, n):
    """What n steps of `it` give: each value, or the type of what was raised."""
    out = []
    for _ in range(n):
        try:
            out.append(next(it))
        except Exception as e:
            out.append(type(e))
    return out


# What the steps of a lazy result give around an error. A failing callable or element costs its
# own step only; a failing source is asked again; iterate, whose next input is lost, ends for good.
RECOVERY = {
    "remove": (lambda: remove(lambda x: fail() if x == 2 else x > 3, [1, 2, 3, 4]), [1, Boom, 3, StopIteration]),
    "accumulate": (lambda: accumulate(lambda a, b: fail() if b == 2 else a + b, [1, 2, 3]),
                   [1, Boom, 4, StopIteration]),  # the running value survives the failed step
    "iterate": (lambda: iterate(lambda x: fail() if x == 4 else x * 2, 1),
                [1, 2, 4, Boom, StopIteration, StopIteration]),
    "partition_all": (lambda: partition_all(2, map(lambda x: fail() if x == 4 else x, range(1, 8))),
                      [(1, 2), Boom, (5, 6), (7,), StopIteration]),  # the failing group is discarded
    "unique key": (lambda: unique([1, 2, 3], key=lambda x: fail() if x == 2 else x), [1, Boom, 3, StopIteration]),
    "pluck": (lambda: pluck(0, [[1], [], [3]]), [1, IndexError, 3, StopIteration]),
    "unique source": (lambda: unique(raising_after([1, 2], 1)), [1, Boom, Boom]),
    "pluck source": (lambda: pluck(0, raising_after([[1], [2]], 1)), [1, Boom, Boom]),
    "sliding_window source": (lambda: sliding_window(1, raising_after([1, 2], 1)), [(1,), Boom, Boom]),
    "interleave source": (lambda: interleave([raising_after([1], 1), [10, 20]]), [1, 10, Boom, Boom]),
    "diff source": (lambda: diff(raising_after([1, 2], 1), [1, 5]), [Boom, Boom]),
    "join right source": (lambda: join(abs, [1], abs, raising_after([1, 2], 1)), [(1, 1), Boom, Boom]),
    "interpose source": (lambda: interpose(0, raising_after([1, 2], 1)), [1, Boom, Boom]),
    "partition_all source, large groups": (lambda: partition_all(5000, raising_after([1], 1)), [Boom, Boom]),
}


@pytest.mark.parametrize("name", sorted(RECOVERY))
def test_what_the_steps_around_an_error_give(name):
    make, expected = RECOVERY[name]
    assert outcomes(make(), len(expected)) == expected


def stop_at_2(x):
    if x == 2:
        raise StopIteration
    return x


def lookups(f):  # elements whose lookups run f on 1, 2 and 3
    return [type("Lookup", (), {"__getitem__": lambda self, key, v=v: f(v)})() for v in (1, 2, 3)]


# Each lazy tool that runs user code in its steps, under the name it reports, given that code.
CALLBACKS = {
    "Iter.map": lambda f: Iter([1, 2, 3]).map(f),
    "Iter.filter": lambda f: Iter([1, 2, 3]).filter(f),
    "remove": lambda f: remove(f, [1, 2, 3]),
    "unique": lambda f: unique([1, 2, 3], key=f),
    "Iter.unique": lambda f: Iter([1, 2, 3]).unique(f),
    "accumulate": lambda f: accumulate(lambda a, b: f(b), [1, 2, 3]),
    "Iter.accumulate": lambda f: Iter([1, 2, 3]).accumulate(lambda a, b: f(b)),
    "iterate": lambda f: iterate(lambda x: f(x + 1), 0),
    "mapcat": lambda f: mapcat(lambda x: [f(x)], [1, 2, 3]),
    "Iter.flat_map": lambda f: Iter([1, 2, 3]).flat_map(lambda x: [f(x)]),
    "diff": lambda f: diff([1, 2, 3], [1, 2, 4], key=f),
    "merge_sorted": lambda f: merge_sorted([1, 2, 3], [2.5], key=f),  # heapq.merge would drop [2, 3]
    "join": lambda f: join(f, [1, 2, 3], f, [3]),
    "pluck": lambda f: pluck(0, lookups(f), None),
    "Iter.pluck": lambda f: Iter(lookups(f)).pluck(0),
}


@pytest.mark.parametrize("drain", [list, lambda it: [iter(it).__next__() for _ in range(9)]], ids=["slot", "method"])
@pytest.mark.parametrize("tool", sorted(CALLBACKS))
def test_a_stop_iteration_from_user_code_is_an_error_not_the_end(tool, drain):
    with pytest.raises(RuntimeError, match=f"^{tool} callback raised StopIteration$") as info:
        drain(CALLBACKS[tool](stop_at_2))
    assert type(info.value.__cause__) is StopIteration
    # Eager tools hand it back as it is, as first() raises it on an empty input.
    pytest.raises(StopIteration, groupby, first, [[1], []])


def through(hook, values):
    """An iterator over `values` that runs `hook` before each one: user code inside a step. Like
    any map, it goes on past a failure."""
    return map(lambda value: (hook(), value)[1], values)


VALUES = [(2**70 + v,) for v in (3, 1, 3, 2)]  # pluckable, sortable, hashable; not immortal

# Every kind of lazy result over a source (the int64 one below): how to make it, how many elements
# the call itself pulls, and its class.
LAZY = {
    "remove": (lambda src: remove(lambda x: False, src), 0, "NativeIter"),
    "accumulate": (lambda src: accumulate(lambda a, b: b, src), 0, "NativeIter"),
    "partition": (lambda src: partition(3, src, None), 0, "NativeIter"),
    "partition_all": (lambda src: partition_all(3, src), 0, "NativeIter"),
    "interleave": (lambda src: interleave([src, "ab"]), 0, "NativeIter"),
    "pluck default": (lambda src: pluck(0, src, None), 0, "NativeIter"),
    "merge_sorted": (lambda src: merge_sorted(src, [(0,)]), 0, "NativeIter"),
    "diff": (lambda src: diff(src, [(0,)], default=None), 0, "NativeIter"),
    "join": (lambda src: join(0, VALUES, 0, src), 0, "NativeIter"),
    "InterposeIter": (lambda src: interpose(0, src), 1, "InterposeIter"),  # an empty input is known at once
    "SlidingWindowIter": (lambda src: sliding_window(2, src), 1, "SlidingWindowIter"),  # the first window is primed
    "UniqueIter": (lambda src: unique(src), 0, "UniqueIter"),
    "PluckIter": (lambda src: pluck(0, src), 0, "PluckIter"),
    "Iter.interpose": (lambda src: iter(Iter(src).interpose(0)), 0, "InterposeIter"),
    "Iter.sliding_window": (lambda src: iter(Iter(src).sliding_window(2)), 1, "SlidingWindowIter"),
    "Iter.accumulate": (lambda src: iter(Iter(src).accumulate(max)), 0, "NativeIter"),
}


@pytest.mark.parametrize("name", sorted(LAZY))
def test_what_a_call_pulls_before_the_first_step(name):
    make, pulled, kind = LAZY[name]
    source = iter(VALUES)
    assert type(make(source)).__name__ == kind and next(source) == VALUES[pulled]


@pytest.mark.parametrize("name", sorted(LAZY))
def test_reentrant_use_is_refused_and_the_iterator_survives(name):
    make, refused, it = LAZY[name][0], [], None

    def reenter():
        for probe in (next, operator.length_hint):
            try:
                it is not None and probe(it)
            except ValueError as e:
                refused.append(str(e))

    expected = list(make(through(lambda: None, VALUES)))
    it = make(through(reenter, VALUES))
    assert [it.__next__(), *it] == expected and iter(it) is it
    assert refused and set(refused) == {"iterator already executing"}
    for _ in range(2):
        pytest.raises(StopIteration, next, it)
        pytest.raises(StopIteration, it.__next__)
    # Uncaught, the refusal propagates and the borrow is released on the way out.
    armed, it = [True], None
    it = make(through(lambda: it is not None and armed and next(it), VALUES))
    with pytest.raises(ValueError, match="^iterator already executing$"):
        list(it)
    armed.clear()
    list(it)
    it = None  # the hook's closure and the iterator form a cycle


def test_a_signal_handler_cannot_reenter_a_native_scan():
    # unique over an int64 buffer runs no user code; only a signal handler can reach it mid-step.
    refused = []

    def handler(signum, frame):
        for probe in (next, operator.length_hint):
            try:
                probe(it)
            except ValueError as e:
                refused.append(str(e))

    def sender():  # trips the handler for the main thread, which is busy scanning
        signal.pthread_kill(threading.get_ident(), signal.SIGUSR1)
        lock.release()

    it, lock = unique(array.array("q", [1] * 70_000 + [2])), _thread.allocate_lock()
    lock.acquire()
    previous = signal.signal(signal.SIGUSR1, handler)
    try:
        # No bytecode runs between the signal and the scan, so it is handled inside the scan.
        out = list(itertools.chain(map(_thread.start_new_thread, [sender], [()]), map(lock.acquire, [True]), it))
    finally:
        signal.signal(signal.SIGUSR1, previous)
    assert out[1:] == [True, 1, 2] and refused == ["iterator already executing"] * 2


@pytest.mark.parametrize("name", ["remove", "UniqueIter", "SlidingWindowIter", "PluckIter"])
def test_exact_lists_grown_mid_iteration_are_read_to_their_new_end(name):
    data = VALUES[:2]
    make = LAZY[name][0]
    it = make(data)
    first = next(it)
    data.append(VALUES[2])
    assert [first, *it] == list(make(VALUES[:3]))
    data.append(VALUES[3])
    assert list(it) == []  # once ended, a list source stays ended


Reversed = type("Reversed", (list,), {"__iter__": lambda self: reversed(self)})


@pytest.mark.parametrize("name", sorted(set(LAZY) - {"iterate"}))
def test_list_subclasses_are_iterated_through_their_own_iter(name):
    make = LAZY[name][0]
    assert list(make(Reversed(VALUES))) == list(make(VALUES[::-1]))


@pytest.mark.parametrize(
    "tool, expected",
    [(lambda f, s: list(remove(f, s)), [2**70]), (groupby, {False: [2**70]})],
    ids=["remove", "groupby"],
)
def test_a_list_cleared_under_a_callback_ends_the_walk(tool, expected):
    data = [2**70, 2**71, 2**72]

    def clearing(x):
        data.clear()
        return False

    assert tool(clearing, data) == expected


@pytest.mark.out_of_process
def test_host_callables_are_looked_up_once_after_the_first_success():
    code = """
        import sys, threading, itertools
        sys.modules["itertools"] = None
        from brisko._brisko import concat, take
        try:
            take(1, [1])
        except ImportError as e:
            print(type(e).__name__)
        sys.modules["itertools"] = itertools
        real, itertools.islice = itertools.islice, lambda *a: ("patched", a)
        print(take(1, [5])[0])
        itertools.islice = real
        print(take(1, [5])[0])
        results = []
        threads = [threading.Thread(target=lambda: results.append(list(concat([[1], [2]])))) for _ in range(8)]
        for t in threads: t.start()
        for t in threads: t.join()
        print(results.count([1, 2]))
    """
    # A failed first lookup is retried; the first success binds, later replacements are ignored.
    assert run_child(textwrap.dedent(code)).split() == ["ModuleNotFoundError", "patched", "patched", "8"]
