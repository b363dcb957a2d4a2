"""Threads of one interpreter on the machine's two cores, which only a free-threaded interpreter
(3.14t) runs at once: two jobs with a Python callback at every element (groupby with a Python key,
valmap with a Python function, frequencies over a map with a lambda; 1,000,000 records that each
worker makes itself) on two threads, against the same two jobs one after the other, beside the
same job in plain Python (dict setdefault loop, dict comprehension, counting loop); the native scans
(int64 and str counting, int64 distinct values) the same way; and one pipeline drained by two
threads at once against one thread. With the interpreter lock the threads take turns, so there
the ratios only show what taking turns costs: the targets hold on a free-threaded build."""

import array
import sys
import sysconfig
import time
from concurrent.futures import ThreadPoolExecutor

from brisko._brisko import frequencies, groupby, pluck, unique, valmap
from cases_interpreters import RECORDS, plain_totals, records

FREE_THREADED = bool(sysconfig.get_config_var("Py_GIL_DISABLED")) and not sys._is_gil_enabled()


def brisko_job(seed):
    rs = records(seed)
    totals = valmap(lambda group: sum(r[1] for r in group), groupby(lambda r: r[0] % 100, rs))
    counts = frequencies(map(lambda r: r[0] % 7, rs))
    return sorted(totals.items()), sorted(counts.items())


def plain_job(seed):
    rs = records(seed)
    totals, counts = plain_totals(rs), {}
    for r in rs:
        k = r[0] % 7
        counts[k] = counts.get(k, 0) + 1
    return sorted(totals.items()), sorted(counts.items())


def scans_job(data):
    ints, strs = data
    return len(frequencies(ints)), sum(1 for _ in unique(ints)), len(frequencies(strs))


def serial(job, inputs):
    return lambda: [job(x) for x in inputs]


def pooled(pool, job, inputs):
    return lambda: list(pool.map(job, inputs))


def shared_pipeline(pool, rows, workers):
    """One unique-then-pluck pipeline over `rows`, drained by `workers` threads at once."""

    def drain(it):
        return sum(1 for _ in it)

    def run():
        it = pluck(1, unique(rows, key=lambda r: r[0]))
        return sum(pool.map(drain, [it] * workers))

    return run


def cases(scale=1.0):
    from cases_dicttoolz import eager

    n = max(1, int(RECORDS * scale))
    pool = ThreadPoolExecutor(2)
    list(pool.map(time.sleep, [0.3, 0.3]))  # both workers started: pool start-up is not the job's time
    scan_inputs = [(array.array("q", [(i * 7919 + s) % 50_000 for i in range(n)]),
                    [str((i * 31 + s) % 5_000) for i in range(n)]) for s in (0, 1)]
    rows = [(i, (i * 13) % 1000) for i in range(n)]
    one_after_the_other = "the same two one after the other"
    target = 0.60 if FREE_THREADED else float("inf")
    return [
        eager("2 callback jobs, 2 threads", pooled(pool, brisko_job, [0, 1]), one_after_the_other,
              serial(brisko_job, [0, 1]), target, 2 * RECORDS),
        eager("2 plain-Python jobs, 2 threads", pooled(pool, plain_job, [0, 1]), one_after_the_other,
              serial(plain_job, [0, 1]), float("inf"), 2 * RECORDS),
        eager("2 native scans, 2 threads", pooled(pool, scans_job, scan_inputs), one_after_the_other,
              serial(scans_job, scan_inputs), target, 2 * n),
        eager("unique/pluck drained by 2 threads", shared_pipeline(pool, rows, 2), "by 1 thread",
              shared_pipeline(pool, rows, 1), float("inf"), n),
    ]
