"""brisko in interpreters of their own: isolated ones with a lock and an allocator each, the pool
that runs work in them, and the legacy kind that shares the main ones. Each interpreter has its own
classes, cached lookups and freed values, which go when it ends, even if a module of its outlives
it; objects reach another interpreter only as pickles. Every check runs in a child process, where a
fault crashes the child and not the suite."""

import os
import pathlib
import sys

import pytest

from conftest import LOAD_BY_PATH, run_child

needs_concurrent = pytest.mark.skipif(sys.version_info < (3, 14), reason="concurrent.interpreters arrived in 3.14")

ROOT = pathlib.Path(__file__).resolve().parent.parent

# What an interpreter runs to show brisko works there: every example of the reference (each
# exported name is documented with examples), and a pickle round trip of every class.
CORE = f"""
import sys
sys.path.insert(0, {str(ROOT / "tools")!r})
import pickle
import doc_examples
from brisko import _brisko as b
setup, tests = doc_examples.doctests({str(ROOT / "docs" / "reference.md")!r})
reports = [report for _, test in tests for report in [doc_examples.run(setup, test)] if report]
assert not reports, reports[0]
for obj, use in [(b.Some(1), repr), (b.Nothing, repr), (b.Ok(2), repr), (b.Err("e"), repr),
                 (b.Iter([1, 2]), list), (b.curry(pow)(2), lambda f: f(10)), (b.compose(abs, int), lambda f: f("-3")),
                 (b.juxt(abs, int), lambda f: f(-2)), (b.complement(bool), lambda f: f(0)),
                 (b.excepts(ValueError, int, repr), lambda f: f("x")), (b.memoize(abs), lambda f: f(-4))]:
    again = pickle.loads(pickle.dumps(obj))
    assert type(again) is type(obj) and use(again) == use(obj), (obj, again)
"""

# The work handed to other interpreters, in a module they import by name: a pipeline with a
# Python callback at every step, its answer, and a brisko object made there.
WORKERS = """
from brisko import _brisko as b

def pipeline(seed):
    records = [(i % 7, seed + i) for i in range(20_000)]
    return b.valmap(lambda rs: sum(r[1] for r in rs), b.groupby(lambda r: r[0], records))

def expected(seed):
    out = {}
    for i in range(20_000):
        out[i % 7] = out.get(i % 7, 0) + seed + i
    return out

def counted(x):
    return b.Some(b.frequencies([x, x, 1]))
"""


def with_workers(tmp_path):
    """The environment of a child that can import WORKERS by name."""
    (tmp_path / "workers.py").write_text(WORKERS)
    return {**os.environ, "PYTHONPATH": os.pathsep.join(filter(None, [str(tmp_path), os.environ.get("PYTHONPATH")]))}


@needs_concurrent
@pytest.mark.out_of_process
def test_every_tool_works_in_an_isolated_interpreter_and_in_a_legacy_one():
    run_child(f"""
import _interpreters
from concurrent import interpreters
core = {CORE!r}
isolated = interpreters.create()
isolated.exec(core)
isolated.close()
legacy = _interpreters.create(_interpreters.new_config("legacy"))
failure = _interpreters.exec(legacy, core)  # returns what it raised, rather than raising it
assert failure is None, failure
_interpreters.destroy(legacy)
exec(core)  # and the main interpreter's classes are still its own
""")


@needs_concurrent
@pytest.mark.out_of_process
def test_two_interpreters_run_pipelines_at_once_and_objects_come_back_as_pickles(tmp_path):
    run_child("""
import threading
from concurrent import interpreters
from concurrent.futures import InterpreterPoolExecutor
from brisko import _brisko as b
from workers import counted, expected, pipeline
results, errors = {}, []

def work(index):
    try:
        interp = interpreters.create()
        for round in range(5):
            results[index, round] = interp.call(pipeline, index * 1000 + round)
        interp.close()
    except BaseException as e:
        errors.append(e)

threads = [threading.Thread(target=work, args=(i,)) for i in range(2)]
for t in threads: t.start()
for t in threads: t.join()
assert not errors, errors
assert results == {(i, r): expected(i * 1000 + r) for i in range(2) for r in range(5)}
with InterpreterPoolExecutor(2) as pool:
    got = list(pool.map(counted, [1, 2, 3]))
assert got == [b.Some({1: 3}), b.Some({2: 2, 1: 1}), b.Some({3: 2, 1: 1})], got
assert all(type(x) is b.Some for x in got)  # made by pickle here, of this interpreter's own class
""", env=with_workers(tmp_path))


@needs_concurrent
@pytest.mark.out_of_process
def test_interpreters_made_in_a_row_leave_nothing_behind():
    out = run_child("""
import gc, os, resource, sys
from concurrent import interpreters
from brisko import _pickling
_testhooks = _pickling._library_module("_testhooks")

USE = "from brisko import _brisko as b; assert b.valmap(len, b.groupby(len, ['a', 'bb', 'c'])) == {1: 2, 2: 1}"

def rounds(n):
    for _ in range(n):
        interp = interpreters.create()
        interp.exec(USE)
        assert _testhooks.open_interpreters() == 2  # this one and the one just made
        interp.close()
        assert _testhooks.open_interpreters() == 1  # its cells went with it
    gc.collect()

def total():
    return getattr(sys, "gettotalrefcount", lambda: 0)()

rounds(20)  # the main interpreter's own caches settle
rss, refs = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss, total()
# Under the sanitizers the growth says nothing (below): there, a few rounds serve to find a use of a
# freed interpreter's memory, where 200 took minutes under ThreadSanitizer.
rounds(20 if os.environ.get("BRISKO_SANITIZED") else 200)
grown_kib = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss - rss
print(grown_kib, total() - refs)
""")
    grown_kib, refs = map(int, out.split()[:2])
    # A leaked interpreter's classes and module alone are hundreds of KiB: 200 of them would be tens of
    # MiB. (The sanitizer holds freed memory back in quarantine, and a free-threaded interpreter keeps
    # hundreds of MiB of 200 interpreters that ran only `x = 1`: the process grows under them anyway.)
    assert grown_kib < 8 * 1024 or os.environ.get("BRISKO_SANITIZED") or not sys._is_gil_enabled(), grown_kib
    assert refs < 200, refs


@pytest.mark.out_of_process
def test_interpreters_and_threads_at_once():  # tools/stress.py at a small budget; ./dev tsan runs it longer
    stress = str(ROOT / "tools" / "stress.py")
    run_child(f"import runpy, sys; sys.argv[1:] = '--seconds 3 --rounds 20'.split(); runpy.run_path({stress!r}, "
              "run_name='__main__')")


# Isolated interpreters through the low-level module, which 3.13 has too.
ISOLATED = """
import gc, threading, _interpreters
from brisko import _brisko as b, _pickling
hooks = _pickling._library_module("_testhooks")

def isolated(code):
    interp = _interpreters.create()
    try:
        failure = _interpreters.exec(interp, "from brisko import _brisko as b, _pickling\\n" + code)
        assert failure is None, failure
    finally:
        _interpreters.destroy(interp)
"""


@pytest.mark.out_of_process
def test_values_and_state_belong_to_their_interpreter():
    run_child(ISOLATED + """
isolated("for i in range(100): b.Some(i)")  # freed into that interpreter's allocator, not this one's
for i in range(200):
    assert b.Some(i).unwrap() == i
errors = []
def churn():
    try:
        isolated("for i in range(50_000): assert b.Some(b.Some(b.Some(i))).unwrap().unwrap().unwrap() == i "
                 "and b.Ok((i, i)).unwrap() == (i, i)")
    except BaseException as e:
        errors.append(e)
threads = [threading.Thread(target=churn) for _ in range(3)]
for t in threads: t.start()
for t in threads: t.join()
assert not errors, errors[0]
# A module kept past its interpreter keeps nothing of it: the next interpreter (perhaps at the same
# address) has state of its own.
isolated("_pickling._library_module('_testhooks').leak(b)")
assert hooks.open_interpreters() == 1
isolated("assert type(b.curry(lambda x, y: x + y)(1)) is b.curry and hooks_count() == 2".replace(
    "hooks_count()", "_pickling._library_module('_testhooks').open_interpreters()"))
assert hooks.open_interpreters() == 1
""")


@pytest.mark.out_of_process
def test_a_module_used_after_its_interpreter_ended_reports_itself_gone():
    # A legacy interpreter shares this one's allocator, so its leaked module can be used here, where
    # brisko was never imported.
    run_child(LOAD_BY_PATH + """
import _interpreters
hooks = load("brisko._testhooks")
legacy = _interpreters.create(_interpreters.new_config("legacy"))
leak = "from brisko import _brisko as b, _pickling; _pickling._library_module('_testhooks').leak((b, b.curry, b.Some))"
assert _interpreters.exec(legacy, leak) is None
_interpreters.destroy(legacy)  # which empties the module's namespace, not the classes held apart
assert hooks.open_interpreters() == 0
module, curry, Some = hooks.leaked()
for use in (lambda: curry(max)(1), lambda: Some(1)):
    try:
        use()
    except RuntimeError as e:
        assert "brisko._brisko is not loaded in this interpreter" in str(e), e
    else:
        raise AssertionError("a module of an ended interpreter answered")
del module, curry, Some
""")
