"""./dev bench --memory: peak memory of brisko and of the standard-library formulation of the same
job, each measured in a fresh process over 2,000,000 elements."""

import gc
import heapq
import random
import subprocess
import sys
from collections import Counter, defaultdict

N = 2_000_000
NOISE = 0.005


def inputs(kind):
    rng = random.Random(1)
    if kind == "ints":  # about 63% distinct
        return [rng.randrange(N) for _ in range(N)]
    if kind == "wide ints":  # all but a few distinct, none of them small
        return [rng.randrange(2**62) for _ in range(N)]
    if kind == "strs":
        return [str(rng.randrange(N)) for _ in range(N)]
    if kind == "pairs":
        return [(x % 1000, x) for x in (rng.randrange(N) for _ in range(N))]
    raise ValueError(kind)


def defaultdict_groups(key, seq):
    groups = defaultdict(list)
    for x in seq:
        groups[key(x)].append(x)
    return groups


def _brisko():
    from brisko._brisko import frequencies, groupby, topk, unique

    return {"frequencies": frequencies, "groupby": groupby, "topk": topk, "unique": unique}


# (operation, input kind, brisko, baseline name, baseline[, limit]): brisko's peak must stay at or
# below the baseline's, or below `limit` MiB where one is given (a selection of a few elements
# needs next to nothing, so a ratio of two tiny peaks says nothing).
ROWS = [
    ("frequencies(L)", "ints", lambda b, L: b["frequencies"](L), "Counter(L)", Counter),
    ("frequencies(L)", "wide ints", lambda b, L: b["frequencies"](L), "Counter(L)", Counter),
    ("frequencies(L)", "strs", lambda b, L: b["frequencies"](L), "Counter(L)", Counter),
    ("groupby(abs, L)", "ints", lambda b, L: b["groupby"](abs, L), "defaultdict(list) loop",
     lambda L: defaultdict_groups(abs, L)),
    ("groupby(0, P)", "pairs", lambda b, L: b["groupby"](0, L), "defaultdict(list) loop",
     lambda L: defaultdict_groups(lambda p: p[0], L)),
    ("list(unique(L))", "wide ints", lambda b, L: list(b["unique"](L)), "list(dict.fromkeys(L))",
     lambda L: list(dict.fromkeys(L))),
    ("topk(5, iter(L))", "ints", lambda b, L: b["topk"](5, iter(L)), "heapq.nlargest(5, iter(L))",
     lambda L: heapq.nlargest(5, iter(L)), 1.0),
    ("topk(5, iter(P), key=0)", "pairs", lambda b, L: b["topk"](5, iter(L), key=0), "heapq.nlargest(5, key=...)",
     lambda L: heapq.nlargest(5, iter(L), key=lambda p: p[0]), 1.0),
]


def _status(field):
    with open("/proc/self/status") as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1])  # KiB
    raise KeyError(field)


def measure(row, side):
    """Runs one side of one row in this process; prints the peak memory above the baseline (KiB)."""
    name, kind, ours, _, theirs = ROWS[row][:5]
    data = inputs(kind)
    run = (lambda: ours(_brisko(), data)) if side == "brisko" else (lambda: theirs(data))
    if side == "brisko":
        _brisko()  # the import is part of the baseline
    gc.collect()
    baseline = _status("VmRSS")
    with open("/proc/self/clear_refs", "w") as f:
        f.write("5")  # the peak so far (building the input) is not this job's
    result = run()
    print(_status("VmHWM") - baseline)
    del result


def report(out=sys.stdout):
    out.write(f"peak memory above the baseline of a fresh process, {N:,} elements "
              f"(runs differ by about {NOISE:.1%}: a ratio within that counts as equal)\n")
    header = f"{'operation':<34}{'brisko':>10}  {'baseline':<28}{'baseline':>10}  {'ratio':>6}  target\n"
    out.write(header)
    out.write("-" * (len(header) - 1) + "\n")
    misses = 0
    for i, (name, kind, _, base_name, _, *limit) in enumerate(ROWS):
        ours, theirs = (_run_side(i, side) for side in ("brisko", "baseline"))
        ratio = f"{ours / theirs:6.2f}" if theirs > 0 else "     -"
        miss = ours > limit[0] * 1024 if limit else ours > theirs * (1.0 + NOISE)
        target = f"< {limit[0]:g} MiB" if limit else "1.00"
        misses += miss
        label = f"{name}, {kind}"
        out.write(f"{label:<34}{ours / 1024:8.1f} MiB  {base_name:<28}{theirs / 1024:6.1f} MiB  {ratio}    {target}"
                  f"{'  MISS' if miss else ''}\n")
    out.write(f"{len(ROWS) - misses} of {len(ROWS)} within target\n")


def _run_side(row, side):
    out = subprocess.run([sys.executable, __file__, str(row), side], capture_output=True, text=True, check=True)
    return int(out.stdout.strip())


if __name__ == "__main__":
    measure(int(sys.argv[1]), sys.argv[2])
