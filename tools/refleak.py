"""Reference-leak check for `./dev leaks`: under the debug interpreter, every test that reaches
brisko's native code is repeated, and fails when its total reference count or allocated-block count
grows on every measured repetition, the criterion of CPython's own `-R` runs (single growths are
noise; steady growth is a leak).

The test's own run warms the caches and tells whether the test calls into brisko at all (one that
never does cannot leak through it, and runs once). Up to RUNS measured repetitions follow, stopping
at the first in which neither count grew, since steady growth is then ruled out. Over this suite,
four clean tests in ten grow in the first repetition after their own run (by 1 to 11), and the
hostile-input fuzzer, whose examples warm the property-testing library's caches for a while, grows in
up to three in a row before it settles, while a step that keeps one reference too many grows by one
in every repetition (tests/test_leak_check.py): five repetitions separate the two with a margin, and
a clean test still runs about 2.4 times on average. What is alive before the repetitions is frozen
out of the collector's reach, so that the collection before each count costs microseconds instead of
most of a second."""

import array
import gc
import os
import sys
import types

import pytest

RUNS = 5


def _record(totals, i):
    clear = getattr(sys, "_clear_internal_caches", None) or getattr(sys, "_clear_type_cache", None)
    if clear is not None:
        clear()
    gc.collect()
    totals[2 * i] = sys.gettotalrefcount()
    totals[2 * i + 1] = sys.getallocatedblocks()


def _grew(totals, i, which):  # which: 0 references, 1 blocks
    return totals[2 * i + which] > totals[2 * i - 2 + which]


def measure(run):
    """Deltas of (references, blocks) over the measured repetitions of `run`, or None if a
    repetition failed (the test's own run reports that)."""
    # The totals at each boundary between repetitions, kept where storing them allocates nothing
    # (a new object alive at one boundary and not at the one before would count as growth).
    totals = array.array("q", bytes(16 * (RUNS + 1)))
    measured = 0
    # What exists now is not the repetitions' to collect: frozen, it costs the collections below
    # nothing (a full collection of the suite's heap takes a good part of a second here).
    gc.freeze()
    try:
        _record(totals, 0)
        while measured < RUNS:
            run()
            measured += 1
            _record(totals, measured)
            if not (_grew(totals, measured, 0) or _grew(totals, measured, 1)):
                break  # neither count grew on every repetition: no verdict of a leak can follow
    except BaseException:
        return None
    finally:
        gc.unfreeze()
    return [(totals[2 * i] - totals[2 * i - 2], totals[2 * i + 1] - totals[2 * i - 1]) for i in range(1, measured + 1)]


def leaked(deltas):
    return bool(deltas) and (all(d[0] >= 1 for d in deltas) or all(d[1] >= 1 for d in deltas))


# ---------------------------------------------------------------- does a test reach native code?

_BOUND = (types.BuiltinFunctionType, types.MethodWrapperType)  # functions and bound methods: __self__
_UNBOUND = (types.MethodDescriptorType, types.WrapperDescriptorType, types.ClassMethodDescriptorType)


def _ours(module):
    return isinstance(module, str) and (module == "brisko" or module.startswith("brisko."))


def _static_methods():
    """The ids of brisko's static methods (Option.of, Result.of): functions that name neither a
    module nor an owner. Their classes keep them alive, so the ids stay theirs."""
    import brisko._brisko as native

    return {id(f) for cls in vars(native).values() if isinstance(cls, type) for f in vars(cls).values()
            if type(f) is types.BuiltinFunctionType}


_STATIC = set()


def _native(obj):
    """Whether calling `obj` runs brisko's native code: one of its functions, classes, methods or
    callable objects. Only attributes that run no user code are read."""
    kind = type(obj)
    if _ours(kind.__module__) or id(obj) in _STATIC:
        return True
    if kind in _BOUND:  # a function of brisko's modules, a method of its objects or of its classes
        owner = obj.__self__
        return (_ours(obj.__module__) or _ours(type(owner).__module__)
                or isinstance(owner, type) and _ours(owner.__module__))
    if kind in _UNBOUND:
        return _ours(obj.__objclass__.__module__)
    return isinstance(obj, type) and _ours(obj.__module__)


class _NativeCalls:
    """While active, watches every call made from Python code (the callable, and its first
    argument for calls such as map(f, ...)) until one reaches brisko."""

    def __init__(self):
        self.seen = False
        # A free tool id; hypothesis takes 3 when it explains a failure.
        self.tool = next(t for t in (2, 4, 5, 1, 0) if sys.monitoring.get_tool(t) is None)

    def _call(self, code, offset, callable, arg0):
        try:
            found = _native(callable) or _native(arg0)
        except Exception:  # an odd class's __module__: whatever it is, it is not brisko's
            found = False
        if found:
            self.seen = True
            sys.monitoring.set_events(self.tool, 0)

    def __enter__(self):
        mon = sys.monitoring
        mon.use_tool_id(self.tool, "brisko-refleak")
        mon.register_callback(self.tool, mon.events.CALL, self._call)
        mon.set_events(self.tool, mon.events.CALL)
        return self

    def __exit__(self, *exc):
        mon = sys.monitoring
        mon.set_events(self.tool, 0)
        mon.register_callback(self.tool, mon.events.CALL, None)
        mon.free_tool_id(self.tool)


class RefLeakPlugin:
    @pytest.hookimpl(wrapper=True)
    def pytest_runtest_call(self, item):
        with _NativeCalls() as native:
            result = yield  # raises when the test failed: nothing to measure then
        # A child process's references are not this interpreter's: repeating it measures nothing.
        if native.seen and not item.get_closest_marker("out_of_process"):
            deltas = measure(item.runtest)
            if leaked(deltas):
                refs, blocks = [d[0] for d in deltas], [d[1] for d in deltas]
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
    _STATIC.update(_static_methods())
    config.pluginmanager.register(RefLeakPlugin(), "refleak")
