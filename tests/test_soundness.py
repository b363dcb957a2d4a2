"""Rules every tool keeps whatever the input: interrupts and exits are never swallowed, long loops
answer signals, cycles through brisko objects are collected, deep chains raise RecursionError, and
C++ failures inside native code surface as host exceptions (brisko._testhooks, built for the test
suite only, breaks invariants on purpose) and leave the iterator usable."""

import _thread
import array
import gc
import itertools
import mmap
import operator
import os
import pickle
import signal
import sys
import threading
import time
import weakref

import pytest

from brisko import _brisko as b
from conftest import CustomIterator, run_child


class Stop(BaseException):
    """Stands for KeyboardInterrupt and SystemExit: not an Exception, so nothing may swallow it."""


def stop(*args):
    raise Stop


# Each fails one protocol whose ordinary exceptions a tool may discard.
RaisingIndex = type("RaisingIndex", (), {"__index__": stop})
RaisingHint = type("RaisingHint", (CustomIterator,), {"__length_hint__": stop})
RaisingBuffer = type("RaisingBuffer", (), {"__buffer__": stop})
RaisingSignature = type("RaisingSignature", (), {"__call__": lambda self, x: x, "__signature__": property(stop)})


@pytest.mark.parametrize(
    "call",
    [
        lambda: b.nth(RaisingIndex(), iter([1])),
        lambda: operator.length_hint(b.unique(RaisingHint([]))),
        lambda: operator.length_hint(b.interpose(0, RaisingHint([1]))),
        lambda: b.unique(RaisingBuffer()),
        lambda: b.frequencies(RaisingBuffer()),
        lambda: b.memoize(RaisingSignature()),
        lambda: b.curry(RaisingSignature())(1),
    ],
    ids=["nth index", "unique hint", "interpose hint", "unique buffer", "frequencies buffer", "memoize", "curry"],
)
def test_base_exceptions_pass_where_exceptions_are_discarded(call):
    with pytest.raises(Stop):
        call()


# Each runs forever over an endless input, in native code only (builtin callables, so no Python
# frame checks for signals on its behalf): one for each loop that checks. The eager traversal
# (frequencies here) is every eager tool's; the skipping loop (unique's) every lazy filter's.
ENDLESS = {
    "nth": lambda: b.nth(2**62, itertools.count()),
    "last_opt": lambda: b.last_opt(itertools.count()),
    "nth_opt": lambda: b.nth_opt(2**62, itertools.count()),
    "unique": lambda: list(b.unique(itertools.repeat(1))),
    "frequencies": lambda: b.frequencies(itertools.cycle([1, 2])),
    "diff": lambda: next(b.diff(itertools.repeat(1), itertools.repeat(1))),
    "join right": lambda: next(b.join(abs, [1], abs, itertools.repeat(2))),
    "partition": lambda: next(b.partition(2**40, itertools.repeat(1))),
    "sliding_window": lambda: b.sliding_window(2**40, itertools.repeat(1)),
}


class Interrupted(Exception):
    pass


@pytest.fixture
def alarm():
    """Arms a one-shot 50 ms alarm whose handler raises Interrupted; disarmed when the test ends."""

    def handler(signum, frame):
        raise Interrupted

    callbacks = gc.callbacks[:]
    gc.callbacks.clear()  # a handler run inside a collector callback has its exception swallowed
    previous = signal.signal(signal.SIGALRM, handler)
    try:
        yield lambda: signal.setitimer(signal.ITIMER_REAL, 0.05)
    finally:
        signal.setitimer(signal.ITIMER_REAL, 0)
        signal.signal(signal.SIGALRM, previous)
        gc.callbacks[:] = callbacks


@pytest.mark.parametrize("name", sorted(ENDLESS))
def test_endless_loops_answer_signals(name, alarm):
    with pytest.raises(Interrupted):
        alarm()
        ENDLESS[name]()


def test_a_long_int64_scan_lets_other_threads_run_and_answers_signals():
    # 2**31 zeros in untouched read-only pages: seconds of scanning that cost no memory. Under a huge
    # switch interval the sender runs only once the scan lets go of the lock (with no lock, it waits
    # a moment for the scan to start); excepts catches only what frequencies itself raises, so a
    # handler run before the call or after it returns raises past it.
    def handler(signum, frame):
        raise Interrupted

    main, sender = threading.get_ident(), _thread.allocate_lock()
    sender.acquire()
    previous, interval = signal.signal(signal.SIGUSR1, handler), sys.getswitchinterval()
    sys.setswitchinterval(1000)
    try:
        with mmap.mmap(-1, 8 << 31, flags=mmap.MAP_PRIVATE, prot=mmap.PROT_READ) as zeros:
            wait = 0 if sys._is_gil_enabled() else 0.2
            _thread.start_new_thread(lambda: [time.sleep(wait), signal.pthread_kill(main, signal.SIGUSR1),
                                              sender.release()], ())
            outcome = b.excepts(Interrupted, b.frequencies, lambda e: "interrupted")(memoryview(zeros).cast("q"))
    finally:
        sys.setswitchinterval(interval)
        sender.acquire()  # the signal is sent, and handled here at the latest
        signal.signal(signal.SIGUSR1, previous)
    assert outcome == "interrupted"


class Holder:
    """Plays every role a user object plays (callable, key, element, separator, index) and
    points back at the brisko object holding it, closing a cycle."""

    def __call__(self, *args, **kwargs):
        return args[0] if args else None


class Exporter(array.array):
    """An int64 buffer with a __dict__, so it can point back at the iterator viewing it."""


def _memoized_recursion(holder):
    @b.memoize
    def fib(n):
        return n if n < 2 or holder is None else fib(n - 1) + fib(n - 2)

    fib(20)
    return fib


def _curry_in_its_own_closure(holder):
    def f(x, y):
        return holder, c

    c = b.curry(f)
    c(1)  # resolves and keeps the signature
    return c


def _started(it):
    next(it)
    return it


CYCLES = {
    "accumulate": lambda h: b.accumulate(h, [1, 2]),
    "iterate": lambda h: b.iterate(h, 1),
    "remove": lambda h: b.remove(h, [0, 1]),
    "partition pad": lambda h: b.partition(2, [1], h),
    "pluck default": lambda h: b.pluck(0, [[1]], h),
    "diff key": lambda h: b.diff([1], [2], key=h),
    "join": lambda h: _started(b.join(h, [1], h, [1])),
    "interleave": lambda h: b.interleave([[h]]),
    "merge_sorted": lambda h: b.merge_sorted([h]),
    "unique key": lambda h: b.unique([1], key=h),
    "unique element": lambda h: _started(b.unique([h, 1])),
    "interpose": lambda h: b.interpose(h, [1, 2]),
    "sliding_window": lambda h: b.sliding_window(3, [h, 1, 2]),
    "pluck": lambda h: b.pluck(h, [{h: 1}]),
    "unique int64": lambda h: b.unique(h.buffer),
    "compose": lambda h: b.compose(h, h),
    "juxt": lambda h: b.juxt(h),
    "complement": lambda h: b.complement(h),
    "excepts": lambda h: b.excepts(Exception, h, h),
    "memoize": lambda h: b.memoize(h, {h: h}, key=h),
    "memoized recursion": _memoized_recursion,
    "curry": lambda h: b.curry(h, h, k=h),
    "curry closure": _curry_in_its_own_closure,
    "flip": lambda h: b.flip(h, h),
    "Some": lambda h: b.Some(h),
    "Ok": lambda h: b.Ok(h),
    "Err": lambda h: b.Err(h),
    "Iter": lambda h: b.Iter(h),
    "Iter chain": lambda h: b.Iter([h]).map(h).unique(key=h),
}


@pytest.mark.parametrize("name", sorted(CYCLES))
def test_cycles_through_brisko_objects_are_collected(name):
    holder = Holder()
    holder.buffer = Exporter("q", [1, 2])
    holder.buffer.holder = holder
    holder.obj = CYCLES[name](holder)
    ref = weakref.ref(holder)
    del holder
    gc.collect()
    assert ref() is None



# The one rule once the collector has cleared an object that a finalizer may still reach: a callable
# (a curry whose chain went too) raises ReferenceError, also to pickling, an iterator has ended, a
# value or an Iter holds a harmless constant (the test below checks every kind).
def test_a_cleared_object_answers_by_its_kind():
    hooks = pytest.importorskip("brisko._testhooks")
    on_chain = b.curry(divmod)
    [chain] = [r for r in gc.get_referents(on_chain) if type(r).__name__ == "CurryChain"]
    funcs = [b.curry(abs), b.compose(abs), b.juxt(abs), b.complement(abs), b.excepts(KeyError, abs), b.memoize(abs)]
    for obj in [chain, *funcs]:
        hooks.collector_clear(obj)
    for call in [lambda: on_chain(1, 2)] + [lambda f=f: pickle.dumps(f) for f in funcs]:
        with pytest.raises(ReferenceError, match="^'.+' object was cleared by the garbage collector$"):
            call()
    assert {f.__module__ for f in funcs} == {"brisko._brisko"}  # the function gone, the class answers


# A finalizer run by the clear itself (a field's last reference going) that reaches back into the
# object finds it as cleared as afterwards, never a field already freed: every kind of object that
# holds a CYCLES holder, in a child process (freed fields crash).
CLEARED_FROM_WITHIN = """
import sys
sys.path.insert(0, sys.argv[1])
import brisko._brisko as b
from test_soundness import CYCLES, Holder
import brisko._testhooks as hooks

def use(obj):
    try:
        if type(obj) is b.Iter:
            return obj.collect()
        return obj(1) if callable(obj) else next(obj, "ended") if hasattr(obj, "__next__") else repr(obj)
    except ReferenceError:
        return "ReferenceError"

class Probe(Holder):
    def __del__(self):
        within[self.name] = use(self.obj)

within, after = {}, {}
for name, make in CYCLES.items():
    if name != "unique int64":  # holds the holder's buffer only
        probe = Probe()
        probe.name, probe.obj = name, make(probe)
        obj = probe.obj
        del probe
        hooks.collector_clear(obj)
        after[name] = use(obj)
print(within == after, sorted(set(map(str, after.values()))))
"""


@pytest.mark.out_of_process
def test_a_finalizer_run_by_the_clear_finds_the_object_cleared():
    pytest.importorskip("brisko._testhooks")
    tests = os.path.dirname(os.path.abspath(__file__))
    out = run_child(CLEARED_FROM_WITHIN, tests)
    assert out == "True ['Err(None)', 'Ok(None)', 'ReferenceError', 'Some(None)', '[]', 'ended']", out


DEEP_CHAINS = """
import functools, sys, threading
import brisko._brisko as b

CHAINS = {
    "compose": lambda n: functools.reduce(b.compose, [abs] * n),
    "juxt": lambda n: functools.reduce(lambda f, _: b.juxt(f), range(n), abs),
    "complement": lambda n: functools.reduce(lambda f, _: b.complement(f), range(n), abs),
    "excepts": lambda n: functools.reduce(lambda f, _: b.excepts(KeyError, f), range(n), abs),
    "memoize": lambda n: functools.reduce(lambda f, _: b.memoize(f, key=lambda args, kwargs: args), range(n), abs),
    "curry": lambda n: functools.reduce(lambda f, _: b.curry(f), range(n), abs),
    "iterators": lambda n: functools.reduce(
        lambda it, i: b.unique(it) if i % 2 else b.remove(callable, it), range(n), [-1]),
    "Iter": lambda n: functools.reduce(lambda it, _: b.Iter(it), range(2 * n), [1]),  # a light frame per level
}
USES = {"iterators": [list], "Iter": [iter, b.Iter.collect, b.Iter.count]}
USES |= dict.fromkeys(["complement", "excepts", "memoize", "curry"], [lambda f: f(-1), lambda f: f.__module__])

def check(n):
    for name, make in CHAINS.items():
        chain = make(n)
        for use in USES.get(name, [lambda f: f(-1)]):
            try:
                use(chain)
            except RecursionError:
                pass
            except MemoryError as e:  # inspect.signature, deep inside a curry chain, parses a text signature
                assert name == "curry" and "stack overflowed" in str(e), e
            else:
                raise AssertionError(name + " did not raise RecursionError")
        del chain  # freeing the chain must not recurse without bound either

# A thread's stack is small enough for any of these chains to reach its end (on the main thread,
# the lean ones may fit); what fails there is reported here.
failed = []
threading.excepthook = failed.append
threading.stack_size(1 << 20)
t = threading.Thread(target=check, args=(25_000,))
t.start()
t.join()
assert not failed, failed[0].exc_value
exc, Sub = KeyError, type("Sub", (tuple,), {})
for i in range(1_000_000):  # the host's own matching would recurse once per level
    exc = Sub((exc,)) if i % 2 else (exc,)
try:
    b.excepts(exc, lambda: 1 / 0)()
except RecursionError as e:
    assert type(e.__context__) is ZeroDivisionError, e.__context__
else:
    raise AssertionError("excepts did not raise RecursionError")
def free_chains(n):  # long chains of values, directly or through lists, are freed without deep recursion
    for make in (b.Some, b.Ok, b.Err, lambda x: b.Some([x])):
        x = make([])
        for _ in range(n):
            x = make(x)
        del x

def stack_fits(kib):
    try:
        return threading.stack_size(kib << 10) is not None
    except ValueError:
        return False

free_chains(300_000)
smallest = next(filter(stack_fits, range(4, 1024, 4)))  # the smallest stack a thread can be given, and up
for kib in filter(stack_fits, (smallest, 160, 256)):
    t = threading.Thread(target=free_chains, args=(30_000,))  # far past what these stacks could recurse
    t.start()
    t.join()
assert not failed, failed[0].exc_value
"""


@pytest.mark.out_of_process
@pytest.mark.skipif("BRISKO_TSAN" in os.environ, reason="about depth, not threads")
def test_deep_chains_raise_recursion_error_and_free_cleanly():
    run_child(DEEP_CHAINS)


# The slot and the method, each naming itself when a Panic escapes the step (None: the library's one
# PanicException, which a function's boundary raises too, outside Exception).
@pytest.mark.parametrize("step, where", [(next, "__next__"), (lambda it: it.__next__(), "brisko iterator")],
                         ids=["slot", "method"])
@pytest.mark.parametrize(
    "mode, expected, message",
    [(0, None, "broken invariant"), (1, None, "panic in {}"), (2, MemoryError, ""), (3, None, "escaped C++ exception")],
)
def test_failures_become_exceptions_and_the_iterator_survives(mode, expected, message, step, where):
    hooks = pytest.importorskip("brisko._testhooks")
    with pytest.raises(BaseException, match="^panic at a function boundary$") as panic:
        hooks.panic_now()
    panic_exception = type(panic.value)
    assert (repr(panic_exception), panic_exception.__bases__) == ("<class 'brisko._brisko.PanicException'>",
                                                                   (BaseException,))
    it = hooks.failing_iter(mode)
    with pytest.raises(BaseException) as info:
        step(it)
    assert type(info.value) is (expected or panic_exception) and str(info.value) == message.format(where)
    assert type(it) is b.NativeIter and step(it) == 2  # the executing flag was restored on the way out


# A native table that cannot be had while the lock is released: MemoryError is raised once the lock
# is back (raised without it, the process would crash).
NO_ROOM_FOR_THE_TABLE = """
import array, resource
import brisko._brisko as b
values = array.array("q", range(0, 4 << 20, 4))  # a million values spanning 4 Mi: a 16 MiB table
with open("/proc/self/statm") as f:
    mapped = int(f.read().split()[0]) * resource.getpagesize()
resource.setrlimit(resource.RLIMIT_AS, (mapped + (8 << 20), resource.RLIM_INFINITY))
try:
    b.frequencies(values)
except MemoryError:
    print("MemoryError")
"""


@pytest.mark.out_of_process
@pytest.mark.skipif("BRISKO_SANITIZED" in os.environ, reason="under the sanitizers a failed operator new aborts")
def test_a_table_that_cannot_be_had_raises_memory_error():
    assert run_child(NO_ROOM_FOR_THE_TABLE) == "MemoryError"


# The consumer's islice drops its only reference to the brisko iterator while that iterator's
# step is running (a reentrant next() fails, and islice lets go of a failed source); the step
# must finish on a live object, and the source goes only after it.
DROPPED_MID_STEP = """
import brisko._brisko as b
events = []
class Source:
    def __iter__(self):
        return self
    def __next__(self):
        return 1
    def __del__(self):
        events.append("source freed")
def predicate(x):
    try:
        next(it)
    except ValueError:
        events.append("refused")
    events.append("step goes on")
    return False
it = b.take(3, b.remove(predicate, Source()))
print(list(it), events)
"""


@pytest.mark.out_of_process
def test_a_step_outlives_the_consumer_dropping_its_iterator():
    assert run_child(DROPPED_MID_STEP) == "[1] ['refused', 'step goes on', 'source freed']"
