"""Benchmark harness: brisko against the closest standard-library formulation, timed in one
process with interleaved repeats, reported as median ns per element and their ratio."""

import gc
import os
import platform
import statistics
import sys
import time
from dataclasses import dataclass
from typing import Callable


@dataclass
class Case:
    name: str  # what brisko runs, e.g. "accumulate(add, L)"
    elements: int  # elements (or calls) processed by one run of either side
    brisko: Callable[[], object]
    baseline_name: str
    baseline: Callable[[], object]
    target: float  # the ratio brisko/baseline must not exceed


def _time(func):
    enabled = gc.isenabled()
    gc.disable()
    try:
        start = time.perf_counter_ns()
        func()
        return time.perf_counter_ns() - start
    finally:
        if enabled:
            gc.enable()


@dataclass
class Result:
    case: Case
    ours_ns: float
    theirs_ns: float

    @property
    def ratio(self):
        return self.ours_ns / self.theirs_ns

    @property
    def missed(self):
        return self.ratio > self.case.target


def run(cases, repeats):
    ours = {c.name: [] for c in cases}
    theirs = {c.name: [] for c in cases}
    for r in range(repeats):
        for c in cases:
            # Alternate which side goes first so that neither always runs on a warmer cache.
            if r % 2:
                theirs[c.name].append(_time(c.baseline))
                ours[c.name].append(_time(c.brisko))
            else:
                ours[c.name].append(_time(c.brisko))
                theirs[c.name].append(_time(c.baseline))
    return [
        Result(c, statistics.median(ours[c.name]) / c.elements, statistics.median(theirs[c.name]) / c.elements)
        for c in cases
    ]


def machine_line():
    cpu = platform.processor() or platform.machine()
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    return f"{cpu}, {os.cpu_count()} CPUs; {platform.python_implementation()} {sys.version.split()[0]}"


def report(results, out=sys.stdout):
    width = max(len(r.case.name) for r in results)
    bwidth = max(len(r.case.baseline_name) for r in results)
    out.write(f"machine: {machine_line()}\n")
    header = (f"{'operation':<{width}}  {'ns/el':>8}  {'baseline':<{bwidth}}  {'ns/el':>8}  "
              f"{'ratio':>6}  {'target':>6}\n")
    out.write(header)
    out.write("-" * (len(header) - 1) + "\n")
    misses = 0
    for r in results:
        miss = r.missed
        misses += miss
        out.write(
            f"{r.case.name:<{width}}  {r.ours_ns:8.1f}  {r.case.baseline_name:<{bwidth}}  {r.theirs_ns:8.1f}  "
            f"{r.ratio:6.2f}  {r.case.target:6.2f}{'  MISS' if miss else ''}\n"
        )
    out.write(f"{len(results) - misses} of {len(results)} within target\n")
