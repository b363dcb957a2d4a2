"""Hash-probing tools, dedicated iterators and multi-sequence tools on 1,000,000 elements,
frequencies over two int64 arrays counted by two threads at once (beside two threads hashing
bytes for as long), over 1,000 values spread ever wider, and the int64 tools over keys crafted to
share one slot of a table hashed by a fixed multiplication."""

import array
import hashlib
import heapq
import itertools
import random
import sys
import time
from collections import Counter, defaultdict, deque
from concurrent.futures import ThreadPoolExecutor
from operator import itemgetter

try:
    import numpy as np
    import pandas as pd
except ImportError:  # not built for every interpreter: the rows measured against them are left out
    np = pd = None

from brisko._brisko import countby, frequencies, groupby, interpose, join, pluck, sliding_window, topk, unique
from harness import Case


def drain(it):
    deque(it, maxlen=0)


def same(name, a, b):
    if a != b:
        raise AssertionError(f"{name}: brisko and its baseline disagree")


def lazy(name, ours, base_name, base, target, n):
    same(name, list(ours()), list(base()))
    return Case(name, n, lambda: drain(ours()), base_name, lambda: drain(base()), target)


def eager(name, ours, base_name, base, target, n, normalise=lambda x: x):
    same(name, normalise(ours()), normalise(base()))
    return Case(name, n, ours, base_name, base, target)


def deque_windows(n, seq):
    window = deque(maxlen=n)
    for x in seq:
        window.append(x)
        if len(window) == n:
            yield tuple(window)


def plain_interpose(el, seq):
    it = iter(seq)
    for x in it:
        yield x
        break
    for x in it:
        yield el
        yield x


def dict_join(left, right):
    index = defaultdict(list)
    for item in left:
        index[item[0]].append(item)
    out = []
    for r in right:
        for l in index.get(r[0], ()):
            out.append((l, r))
    return out


def numpy_counts(arr):
    """The dict a user builds from numpy to get frequencies' result (keys sorted, not in order of
    first appearance)."""
    values, counts = np.unique(arr, return_counts=True)
    return dict(zip(values.tolist(), counts.tolist()))


def plain_groupby(key, seq):
    groups = defaultdict(list)
    for x in seq:
        groups[key(x)].append(x)
    return groups


def in_pool(pool, calls, together):
    """Both sides run each call as one task of the same pool: together, every task is submitted
    before any is waited for; else each is waited for before the next is submitted."""
    if together:
        futures = [pool.submit(call) for call in calls]
        return [f.result() for f in futures]
    return [pool.submit(call).result() for call in calls]


def two_threads(name, pool, calls, target, n):
    return eager(name, lambda: in_pool(pool, calls, True), "the same calls one after the other",
                 lambda: in_pool(pool, calls, False), target, n)


def call_time(func):
    func()
    start = time.perf_counter()
    for _ in range(5):
        func()
    return (time.perf_counter() - start) / 5


def threaded_cases(scale):
    """Two threads counting two int64 arrays with the lock released: 8,000,000 elements of 1,000
    values (over 10 ms a call here, where thread wake-ups no longer dominate), beside two threads
    hashing bytes with hashlib (which releases the lock too) for as long a call, which shows what
    the machine gives; and 4,000,000 of 100,000 values, whose dict of 100,000 counts is built under
    the lock."""
    rng = random.Random(7)
    pool = ThreadPoolExecutor(2)

    def counting(n, distinct):
        arrays = [array.array("q", [rng.randrange(distinct) for _ in range(n)]) for _ in range(2)]
        return [lambda a=a: frequencies(a) for a in arrays]

    long_calls = counting(int(8_000_000 * scale), 1_000)
    per_byte = call_time(lambda: hashlib.sha256(bytes(1 << 24)).digest()) / (1 << 24)
    blobs = [rng.randbytes(int(call_time(long_calls[0]) / per_byte)) for _ in range(2)]
    n = int(4_000_000 * scale)
    return [
        two_threads("frequencies(a) int64 1,000 distinct, 2 threads", pool, long_calls, 0.6, int(16_000_000 * scale)),
        two_threads("hashlib.sha256(b), 2 threads, as long a call", pool,
                    [lambda b=b: hashlib.sha256(b).digest() for b in blobs], float("inf"), int(16_000_000 * scale)),
        two_threads("frequencies(a) int64 100,000 distinct, 2 threads", pool, counting(n, 100_000), 0.6, 2 * n),
    ]


def spread_cases(scale):
    """1,000 values over 4,000,000 elements: spread at stride 8,000 (a wide window of few values)
    and far apart (hashed)."""
    n = int(4_000_000 * scale)
    rng = np.random.default_rng(7)
    picks = rng.integers(0, 1_000, n, dtype=np.int64)
    far = rng.integers(-(2**62), 2**62, 1_000, dtype=np.int64)
    sort_items = lambda d: sorted(d.items())  # noqa: E731
    return [
        eager(f"frequencies(a) int64 1,000 values {name}", lambda a=a: frequencies(a),
              "np.unique(a, return_counts=True) as a dict", lambda a=a: numpy_counts(a), 0.5, n, normalise=sort_items)
        for name, a in (("at stride 8,000", picks * 8_000), ("far apart", far[picks]))
    ]


def crafted_cases(scale):
    """Keys j * inverse(0x9e3779b97f4a7c15) mod 2**64, which a product by the tables' first
    multiplier alone, unseeded, sends to one slot: a table hashing them so goes quadratic."""
    n = int(160_000 * scale)
    inverse = pow(0x9E3779B97F4A7C15, -1, 2**64)
    arr = np.array([(j * inverse + 2**63) % 2**64 - 2**63 for j in range(1, n + 1)], dtype=np.int64)
    return [
        eager("frequencies(a) int64 crafted keys", lambda: frequencies(arr),
              "np.unique(a, return_counts=True) as a dict", lambda: numpy_counts(arr), 1.0, n,
              normalise=lambda d: sorted(d.items())),
        # Every key is new: the table grows from a scan's presize, and each value is yielded alone.
        eager("list(unique(a)) int64 crafted keys", lambda: list(unique(arr)), "pd.unique(a).tolist()",
              lambda: pd.unique(arr).tolist(), 1.5, n),
    ]


def cases(scale=1.0):
    n = int(1_000_000 * scale)
    rng = random.Random(7)
    ints = [rng.randrange(n // 10) for _ in range(n)]  # 10% distinct
    strs = [f"s{x}" for x in ints]  # equal strings are distinct objects
    distinct = list(range(n))
    rng.shuffle(distinct)
    arr63 = [rng.randrange(n) for _ in range(n)]  # about 63% distinct
    pairs = [(x % 1000, x) for x in ints]
    triples = [(x % 1000, x, -x) for x in ints]
    m = n // 10
    left = [(rng.randrange(m * 10), i) for i in range(m)]  # about 10% of keys match
    right = [(rng.randrange(m * 10), i) for i in range(m)]
    key0, key01 = itemgetter(0), itemgetter(0, 1)
    sort_items = lambda d: sorted(d.items())  # noqa: E731
    common = [
        eager("list(unique(L)) ints 10%", lambda: list(unique(ints)), "list(dict.fromkeys(L))",
              lambda: list(dict.fromkeys(ints)), 0.8, n),
        eager("list(unique(L)) strs 10%", lambda: list(unique(strs)), "list(dict.fromkeys(L))",
              lambda: list(dict.fromkeys(strs)), 0.8, n),
        eager("list(unique(L)) distinct", lambda: list(unique(distinct)), "list(dict.fromkeys(L))",
              lambda: list(dict.fromkeys(distinct)), 1.0, n),
        eager("frequencies(L) ints", lambda: frequencies(ints), "Counter(L)", lambda: Counter(ints), 0.6, n,
              normalise=sort_items),
        eager("frequencies(L) strs", lambda: frequencies(strs), "Counter(L)", lambda: Counter(strs), 0.6, n,
              normalise=sort_items),
        eager("groupby(itemgetter(0), P)", lambda: groupby(key0, pairs), "defaultdict(list) loop",
              lambda: plain_groupby(key0, pairs), 0.5, n, normalise=sort_items),
        eager("groupby(0, P)", lambda: groupby(0, pairs), "defaultdict(list) loop",
              lambda: plain_groupby(key0, pairs), 0.5, n, normalise=sort_items),
        eager("countby(itemgetter(0), P)", lambda: countby(key0, pairs), "Counter(map(key, P))",
              lambda: Counter(map(key0, pairs)), 0.8, n, normalise=sort_items),
        lazy("sliding_window(2, L)", lambda: sliding_window(2, ints), "itertools.pairwise(L)",
             lambda: itertools.pairwise(ints), 1.1, n),
        lazy("sliding_window(5, L)", lambda: sliding_window(5, ints), "deque generator",
             lambda: deque_windows(5, ints), 0.3, n),
        lazy("pluck(0, P)", lambda: pluck(0, pairs), "map(itemgetter(0), P)", lambda: map(key0, pairs), 1.0, n),
        lazy("pluck([0, 1], T)", lambda: pluck([0, 1], triples), "map(itemgetter(0, 1), T)",
             lambda: map(key01, triples), 1.0, n),
        lazy("interpose(0, L)", lambda: interpose(0, ints), "plain generator", lambda: plain_interpose(0, ints),
             0.5, n),
        eager("list(join(...)) 100k x 100k", lambda: list(join(0, left, 0, right)), "dict-of-lists join loop",
              lambda: dict_join(left, right), 0.7, 2 * m, normalise=sorted),
        eager("topk(5, L)", lambda: topk(5, ints), "heapq.nlargest(5, L)", lambda: heapq.nlargest(5, ints), 0.3, n,
              normalise=tuple),
        eager("topk(5, P, key=itemgetter(0))", lambda: topk(5, pairs, key=key0), "heapq.nlargest(5, P, key=...)",
              lambda: heapq.nlargest(5, pairs, key=key0), 0.5, n, normalise=tuple),
        eager("topk(10_000, L)", lambda: topk(10_000, ints), "heapq.nlargest(10_000, L)",
              lambda: heapq.nlargest(10_000, ints), 1.0, n, normalise=tuple),
        *threaded_cases(scale),
    ]
    if np is None:
        print(f"bench: numpy and pandas are not built for Python {sys.version_info[0]}.{sys.version_info[1]}: "
              "the int64 rows measured against them are left out", file=sys.stderr)
        return common
    arr, arr63 = np.array(ints, dtype=np.int64), np.array(arr63, dtype=np.int64)
    return common[:3] + [
        eager("list(unique(a)) int64", lambda: list(unique(arr)), "np.unique(a)", lambda: np.unique(arr), 0.25, n,
              normalise=lambda r: sorted(int(x) for x in r)),
        eager("frequencies(a) int64", lambda: frequencies(arr), "np.unique(a, return_counts=True) as a dict",
              lambda: numpy_counts(arr), 0.5, n, normalise=sort_items),
        eager("list(unique(a)) int64 10%", lambda: list(unique(arr)), "pd.unique(a).tolist()",
              lambda: pd.unique(arr).tolist(), 1.0, n),
        eager("list(unique(a)) int64 63%", lambda: list(unique(arr63)), "pd.unique(a).tolist()",
              lambda: pd.unique(arr63).tolist(), 1.0, n),
    ] + common[3:] + [*spread_cases(scale), *crafted_cases(scale)]
