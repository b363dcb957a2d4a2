"""joblib with its default backend, loky: the job's tasks go to two worker processes as
delayed(count_chunk)(key, chunk), pickled (functions included) by loky. The key function also
takes a @curry function defined here, in __main__, as a one-file job or a notebook would."""

import sys

from joblib import Parallel, delayed

import job
from brisko import curry


@curry
def tagged(mark, word):
    return word + mark


def run(key, parts):
    with Parallel(n_jobs=job.WORKERS, timeout=job.TIMEOUT) as parallel:
        return parallel(delayed(job.count_chunk)(key, part) for part in parts)


def main():
    job.share_path()
    steps = job.Steps("joblib")
    steps.run("count with module-level functions", job.count_with, run, job.key_function())
    steps.run("count with a __main__ @curry function", job.count_with, run, job.key_function(tagged("#")))
    steps.run("a task that raises", job.expect_poison, lambda: run(job.key_function(), [job.poisoned_chunk()]))
    return steps.exit_status()


if __name__ == "__main__":
    sys.exit(main())
