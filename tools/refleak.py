"""Reference-leak check for `./dev leaks`: runs every test several times under the debug
interpreter and fails the ones whose total reference count or allocated-block count grows on
every repetition, the criterion of CPython's own `-R` runs (single growths are noise; steady
growth is a leak)."""

import gc
import os
import sys

import pytest

WARMUPS = 2
RUNS = 3


def _clear_caches():
    clear = getattr(sys, "_clear_internal_caches", None) or getattr(sys, "_clear_type_cache", None)
    if clear is not None:
        clear()
    gc.collect()


def _counts():
    _clear_caches()
    return sys.gettotalrefcount(), sys.getallocatedblocks()


def _measure(run):
    """Deltas of (references, blocks) over RUNS repetitions after WARMUPS; None if a run failed."""
    deltas = []
    try:
        for i in range(WARMUPS + RUNS):
            before = _counts()
            run()
            after = _counts()
            if i >= WARMUPS:
                deltas.append((after[0] - before[0], after[1] - before[1]))
    except BaseException:  # the real run below reports the failure itself
        return None
    return deltas


class RefLeakPlugin:
    @pytest.hookimpl(wrapper=True)
    def pytest_runtest_call(self, item):
        # A child process's references are not this interpreter's: repeating it measures nothing.
        deltas = None if item.get_closest_marker("out_of_process") else _measure(item.runtest)
        result = yield
        if deltas:
            refs = [d[0] for d in deltas]
            blocks = [d[1] for d in deltas]
            if all(d >= 1 for d in refs) or all(d >= 1 for d in blocks):
                pytest.fail(f"leak: reference deltas {refs}, block deltas {blocks}", pytrace=False)
        return result


def configure(config):
    if not hasattr(sys, "gettotalrefcount"):
        raise pytest.UsageError("--leaks needs a debug interpreter (sys.gettotalrefcount)")
    # Extension modules built for the release interpreter (numpy) move references without
    # updating the debug totals; test modules that need them skip themselves when this is set.
    os.environ["BRISKO_LEAKS"] = "1"
    try:
        from hypothesis import settings
    except ImportError:
        pass
    else:
        # Same examples on every repetition, and few of them: the point is repetition, not search.
        settings.register_profile("leaks", max_examples=15, derandomize=True, database=None, deadline=None)
        settings.load_profile("leaks")
    config.pluginmanager.register(RefLeakPlugin(), "refleak")
