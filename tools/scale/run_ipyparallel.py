"""ipyparallel: a local cluster of two engines, started and stopped by this script, with
cloudpickle as the view's serializer (here and on the engines). The chunks are mapped over the
engines as count_chunk(key, chunk); the key function also takes a @curry function defined here, in
__main__, as a notebook would. The cluster's profile lives in a temporary IPYTHONDIR."""

import os
import sys
import tempfile

import job
from brisko import curry

# The controller and the engines talk over loopback only (the root cannot resolve its own host
# name). An engine counts as registered after two heartbeats: at one a second rather than the
# default one in three, the cluster is up seconds sooner.
CLUSTER = {
    "controller_ip": "127.0.0.1",
    "controller_location": "127.0.0.1",
    "controller_args": ["--HeartMonitor.period=1000"],
    "log_level": 40,
}


@curry
def tagged(mark, word):
    return word + mark


def main():
    job.share_path()
    with tempfile.TemporaryDirectory(prefix="brisko-ipyparallel-") as ipython_dir:
        os.environ["IPYTHONDIR"] = ipython_dir
        import ipyparallel

        steps = job.Steps("ipyparallel")
        with ipyparallel.Cluster(n=job.WORKERS, engine_timeout=job.TIMEOUT, **CLUSTER) as client:
            view = client[:]
            view.use_cloudpickle().get(timeout=job.TIMEOUT)

            def run(key, parts):
                return view.map_async(job.count_chunk, [key] * len(parts), parts).get(timeout=job.TIMEOUT)

            def count(key):
                parts = job.chunks()
                return job.check(key, parts, run(key, parts))

            steps.run(f"count on {len(client.ids)} engines", count, job.key_function())
            steps.run("count with a __main__ @curry function", count, job.key_function(tagged("#")))
            steps.run("a task that raises", job.expect_poison, lambda: run(job.key_function(), [job.poisoned_chunk()]))
    return steps.exit_status()


if __name__ == "__main__":
    sys.exit(main())
