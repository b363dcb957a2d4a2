"""MPI through mpi4py: started outside MPI, this script runs two ranks of itself under mpirun. Rank 0
scatters the key function and the chunks (each with its index), every rank counts its share and
answers with Result.of(task) per chunk, so that a raising task travels back as Err(exception);
rank 0 gathers, raises any such exception itself and checks the counts.

The ranks run as `python -m mpi4py`, which aborts the whole job when any rank ends on an uncaught
exception, so a failure on one rank cannot leave the other waiting in a collective."""

import os
import signal
import subprocess
import sys

import job
from brisko import Err, Result

# Open MPI inside the isolated root, which has no /sys: hwloc's Linux discovery and UCX's device
# scan both read it, so hwloc discovers without it and the transports are the shared-memory ones
# (ob1 over the sm and self BTLs; no UCX one-sided component).
ENVIRONMENT = {
    "HWLOC_COMPONENTS": "-linux",
    "OMPI_MCA_pml": "ob1",
    "OMPI_MCA_btl": "self,sm",
    "OMPI_MCA_osc": "^ucx",
}


def launch():
    """Runs two ranks of this script under mpirun, in a process group of their own that is stopped
    whole after job.TIMEOUT, or when this process is stopped."""
    job.share_path()
    command = ["mpirun", "-n", str(job.WORKERS), "--oversubscribe"]
    if os.geteuid() == 0:
        command.append("--allow-run-as-root")
    command += [sys.executable, "-m", "mpi4py", os.path.abspath(__file__)]
    signal.signal(signal.SIGTERM, lambda signum, frame: sys.exit("scale: mpi: stopped by SIGTERM"))
    env = {**os.environ, **ENVIRONMENT}
    mpirun = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL, start_new_session=True)
    try:
        return mpirun.wait(timeout=job.TIMEOUT)
    except subprocess.TimeoutExpired:
        print(f"scale: mpi: mpirun did not finish within {job.TIMEOUT}s", file=sys.stderr)
        return 1
    finally:
        for stop in (signal.SIGTERM, signal.SIGKILL):
            if mpirun.poll() is not None:
                break
            os.killpg(mpirun.pid, stop)
            try:
                mpirun.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass


def scatter_and_gather(comm, key, parts):
    """Rank 0 passes `key` and `parts`; every rank returns what the gather gave it (rank 0: each
    chunk's Result, in order; the other ranks: None). A raising task raises on rank 0."""
    shares = None
    if comm.rank == 0:
        indexed = list(enumerate(parts))
        shares = [(key, indexed[rank :: comm.size]) for rank in range(comm.size)]
    key, mine = comm.scatter(shares, root=0)
    answers = [(i, Result.of(lambda part=part: job.count_chunk(key, part))) for i, part in mine]
    for _, answer in answers:
        match answer:
            case Err(error):
                error.add_note(f"raised on rank {comm.rank}")
    gathered = comm.gather(answers, root=0)
    if comm.rank != 0:
        return None
    return [job.surfaced(answer) for _, answer in sorted(answer for share in gathered for answer in share)]


def ranks():
    """Both ranks make the same collective calls in the same order; only rank 0 checks."""
    from mpi4py import MPI

    comm = MPI.COMM_WORLD
    if comm.rank != 0:
        for _ in range(2):
            scatter_and_gather(comm, None, None)
        return 0
    key, parts = job.key_function(), job.chunks()
    steps = job.Steps("mpi")
    steps.run(f"count on {comm.size} ranks", lambda: job.check(key, parts, scatter_and_gather(comm, key, parts)))
    poisoned = [(), job.poisoned_chunk()]  # the poisoned chunk goes to rank 1
    steps.run("a task that raises", job.expect_poison, lambda: scatter_and_gather(comm, key, poisoned))
    return steps.exit_status()


if __name__ == "__main__":
    sys.exit(launch() if "OMPI_COMM_WORLD_SIZE" not in os.environ else ranks())
