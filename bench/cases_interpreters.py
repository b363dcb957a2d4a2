"""Work spread over the machine's two cores. A job with a Python callback at every element (groupby
with a Python key, valmap with a Python function, countby) over 1,000,000 records that each worker
makes itself, two such jobs at once: in two interpreters of this process
(InterpreterPoolExecutor(2)), against the same two jobs one after the other here; beside the same
job in plain Python (dict setdefault loop, dict comprehension, Counter) in two interpreters, and
brisko's in two processes and in two threads."""

import pathlib
import sys
import time
from collections import Counter
from concurrent.futures import ProcessPoolExecutor, ThreadPoolExecutor

from brisko._brisko import countby, groupby, valmap

try:
    from concurrent.futures import InterpreterPoolExecutor
except ImportError:  # before 3.14
    InterpreterPoolExecutor = None

RECORDS = 1_000_000
# A worker interpreter starts with the path the process started with: this directory is added to
# it by the pool's initializer, builtins.exec, which pickles by name like any builtin.
PATH_SETUP = f"import sys; sys.path.insert(0, {str(pathlib.Path(__file__).parent)!r})"


def records(seed):
    return [((i * 7919 + seed) % 1000, i) for i in range(RECORDS)]


def brisko_job(seed):
    rs = records(seed)
    totals = valmap(lambda group: sum(r[1] for r in group), groupby(lambda r: r[0] % 100, rs))
    counts = countby(lambda r: r[0] % 7, rs)
    return sorted(totals.items()), sorted(counts.items())


def plain_totals(rs):
    groups = {}
    for r in rs:
        groups.setdefault(r[0] % 100, []).append(r)
    return {k: sum(r[1] for r in group) for k, group in groups.items()}


def plain_job(seed):
    rs = records(seed)
    totals, counts = plain_totals(rs), Counter(r[0] % 7 for r in rs)
    return sorted(totals.items()), sorted(counts.items())


def serial(job):
    return lambda: [job(0), job(1)]


def pooled(pool, job):
    return lambda: list(pool.map(job, [0, 1]))


def warmed(pool):
    """The pool with both workers started and brisko imported in each (pool start-up is not the
    job's time)."""
    list(pool.map(time.sleep, [0.3, 0.3]))
    list(pool.map(brisko_job, [0, 1]))
    return pool


def cases(scale=1.0):
    # Imported here, not above: the workers import this module for its jobs, and the other case
    # modules import what a worker interpreter cannot (numpy) or does not find (tools/).
    from cases_dicttoolz import eager

    if InterpreterPoolExecutor is None:
        print(f"bench: InterpreterPoolExecutor arrived in 3.14; Python {sys.version_info[0]}."
              f"{sys.version_info[1]} leaves out its rows", file=sys.stderr)
        return []
    interpreters = warmed(InterpreterPoolExecutor(2, initializer=exec, initargs=(PATH_SETUP,)))
    processes = warmed(ProcessPoolExecutor(2))
    threads = warmed(ThreadPoolExecutor(2))
    one_after_the_other = "the same two jobs one after the other"
    n = 2 * RECORDS
    return [
        eager("2 jobs, InterpreterPoolExecutor(2)", pooled(interpreters, brisko_job), one_after_the_other,
              serial(brisko_job), 0.65, n),
        eager("2 plain-Python jobs, InterpreterPoolExecutor(2)", pooled(interpreters, plain_job), one_after_the_other,
              serial(plain_job), float("inf"), n),
        eager("2 jobs, ProcessPoolExecutor(2)", pooled(processes, brisko_job), one_after_the_other,
              serial(brisko_job), float("inf"), n),
        eager("2 jobs, 2 threads", pooled(threads, brisko_job), one_after_the_other, serial(brisko_job),
              float("inf"), n),
    ]
