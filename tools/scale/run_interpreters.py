"""concurrent.futures.InterpreterPoolExecutor: the job's tasks go to two interpreters of this
process, each with its own lock, as count_chunk(key, chunk) pickled by the pool, and each result
comes back pickled as well: a brisko object made in one interpreter is rebuilt in the other, of that
interpreter's own class."""

import sys
from concurrent.futures import InterpreterPoolExecutor

import job


# A worker interpreter starts with the path the process started with, before share_path: the pool's
# initializer, builtins.exec (pickled by name, as any builtin), puts this directory on it.
PATH_SETUP = f"import sys; sys.path.insert(0, {job.HERE!r})"


def run(key, parts):
    with InterpreterPoolExecutor(job.WORKERS, initializer=exec, initargs=(PATH_SETUP,)) as pool:
        futures = [pool.submit(job.count_chunk, key, part) for part in parts]
        return [future.result(timeout=job.TIMEOUT) for future in futures]


def main():
    job.share_path()
    steps = job.Steps("interpreters")
    steps.run("count with module-level functions", job.count_with, run, job.key_function())
    steps.run("a task that raises", job.expect_poison, lambda: run(job.key_function(), [job.poisoned_chunk()]))
    return steps.exit_status()


if __name__ == "__main__":
    sys.exit(main())
