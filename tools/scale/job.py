"""The job that every engine of `./dev scale` runs: words split into chunks, counted by workers,
merged by the parent.

The parent builds a key function out of brisko's curry, compose, compose_left and memoize and
ships it with each chunk. A worker maps its chunk through that function, counts the keys with
frequencies and answers Ok(counts), or Err(TypeError) for a chunk holding something other than
words. The parent merges the Ok counts with merge_with(sum, ...) and compares them with the count
of one process. One more task raises inside the shipped function, and the parent must see that
error rather than wait. The engines differ only in how these pieces travel; this module is
imported by the parent and by every worker, which find it on PYTHONPATH (see share_path).
"""

import os
import random
import signal
import sys
import time
import traceback

from brisko import Err, Ok, compose, compose_left, concat, curry, frequencies, memoize, merge_with, partition_all

WORKERS = 2
CHUNK = 2_500
WORDS = 50_000  # 20 chunks
REJECTED = 7  # the chunk that holds a number among its words
POISON = "<poison>"
TIMEOUT = 120  # seconds any one wait in a driver may take; ./dev scale's own limit is longer

HERE = os.path.dirname(os.path.abspath(__file__))


def share_path():
    """Puts this directory on the PYTHONPATH that the engine's workers inherit, since they unpickle
    this module's functions by reference."""
    paths = os.environ.get("PYTHONPATH", "").split(os.pathsep)
    if HERE not in paths:
        os.environ["PYTHONPATH"] = os.pathsep.join([HERE, *filter(None, paths)])


@curry
def prefix(n, word):
    return word[:n]


def canonical(word):
    """The word stripped and lower-cased. The poisoned word raises, as a fault in shipped code would."""
    if word == POISON:
        raise ValueError(f"poisoned word {word!r}")
    return word.strip().lower()


def key_function(*more):
    """What the parent ships: the canonical form of a word (memoized in each worker), its first four
    letters, then whatever the driver adds."""
    return compose_left(compose(prefix(4), memoize(canonical)), *more)


def count_chunk(key, chunk):
    """A worker's task: Ok(the counts of the chunk's keys), or Err for a chunk it rejects."""
    strays = [word for word in chunk if not isinstance(word, str)]
    if strays:
        return Err(TypeError(f"not words: {strays[:3]!r}"))
    return Ok(frequencies(map(key, chunk)))


def chunks():
    """The input: WORDS words drawn from a mixed-case, space-padded vocabulary, as tuples of CHUNK;
    the REJECTED chunk has a number in place of one word."""
    rng = random.Random(1729)
    letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
    vocabulary = [" " * rng.randrange(2) + "".join(rng.choices(letters, k=rng.randrange(2, 10))) for _ in range(800)]
    parts = list(partition_all(CHUNK, rng.choices(vocabulary, k=WORDS)))
    parts[REJECTED] = (*parts[REJECTED][:-1], 42)
    return parts


def poisoned_chunk():
    """The chunk whose task raises inside the shipped key function."""
    return ("alpha", POISON, "beta")


def surfaced(outcome):
    """A worker's answer sent as Result.of(task): the task's own Result, or its exception raised
    here in the parent."""
    match outcome:
        case Ok(result):
            return result
        case Err(error):
            raise error


def check(key, parts, results):
    """Checks the results gathered for `parts`, in order, against the count of one process; returns
    a one-line summary, or raises AssertionError saying what differs."""
    if len(results) != len(parts):
        raise AssertionError(f"{len(results)} results for {len(parts)} chunks")
    rejected = [i for i, result in enumerate(results) if result.is_err()]
    if rejected != [REJECTED]:
        raise AssertionError(f"chunks {rejected} were rejected, not chunk {REJECTED} alone")
    match results[REJECTED]:
        case Err(TypeError() as error) if "42" in str(error):
            pass
        case other:
            raise AssertionError(f"chunk {REJECTED} came back as {other!r}, not Err(TypeError(... 42 ...))")
    merged = merge_with(sum, *(result.unwrap() for result in results if result.is_ok()))
    expected = frequencies(map(key, concat(part for i, part in enumerate(parts) if i != REJECTED)))
    if merged != expected:
        wrong = sorted(k for k in expected.keys() | merged.keys() if merged.get(k) != expected.get(k))
        raise AssertionError(f"merged counts differ from one process's count at {len(wrong)} keys, first {wrong[:5]}")
    return f"{len(parts)} chunks, {sum(merged.values())} words in {len(merged)} keys, chunk {REJECTED} rejected"


def count_with(run, key):
    """Sends the job's chunks through a driver's run(key, parts) and checks what comes back."""
    parts = chunks()
    return check(key, parts, run(key, parts))


def expect_poison(run):
    """Runs the raising task through `run`, which must raise it in the parent (as the ValueError
    itself, or as an engine's wrapper that names it); returns a one-line summary."""
    try:
        run()
    except Exception as error:
        names = f"{type(error).__name__} {getattr(error, 'ename', '')} {error} {getattr(error, 'evalue', '')}"
        if "ValueError" not in names or "poisoned word" not in names:
            raise AssertionError(f"the raising task surfaced as {error!r}, not as its ValueError") from error
        line = next(line for line in str(error).splitlines() if "poisoned word" in line)
        return f"the raising task surfaced as {type(error).__name__}: {line.strip()}"
    raise AssertionError("the raising task returned instead of raising in the parent")


class Steps:
    """Runs a driver's steps one after another, printing each one's outcome and time; a failed
    step is reported with its traceback and the next one still runs. SIGTERM (a timeout) exits
    through the drivers' `with` blocks, so that they stop the workers they started."""

    def __init__(self, engine):
        self.engine = engine
        self.failed = []
        signal.signal(signal.SIGTERM, lambda signum, frame: sys.exit(f"{engine}: stopped by SIGTERM"))

    def run(self, name, step, *args):
        start = time.perf_counter()
        try:
            summary = step(*args)
        except Exception:
            self.failed.append(name)
            print(f"scale: {self.engine}: {name}: FAILED after {time.perf_counter() - start:.2f}s", flush=True)
            traceback.print_exc()
            print(flush=True)
        else:
            print(f"scale: {self.engine}: {name}: {summary} ({time.perf_counter() - start:.2f}s)", flush=True)

    def exit_status(self):
        if self.failed:
            print(f"scale: {self.engine}: failed steps: {', '.join(self.failed)}", file=sys.stderr, flush=True)
        return 1 if self.failed else 0
