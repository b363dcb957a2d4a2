"""Hash probing as a host dict would do it: equal keys are one key, collisions are settled by ==,
errors leave the table unchanged; and the int64 buffer paths, over plain-Python buffers (which
./dev leaks follows) and numpy arrays (which it cannot: numpy is built for the release
interpreter, whose reference counting the debug totals do not see)."""

import array
import itertools
import os
import subprocess
import sys

import pytest
from hypothesis import example, given
from hypothesis import strategies as st

from brisko._brisko import countby, frequencies, isdistinct, unique
from conftest import Boom, Collide, hashables, run_child

np = None
if not os.environ.get("BRISKO_LEAKS"):  # even importing numpy there would upset the debug totals
    try:
        import numpy as np
    except ImportError:  # Debian builds numpy for 3.14 on; array.array covers the int64 paths
        pass
NO_NUMPY = "numpy is not built for this interpreter, or the debug interpreter of ./dev leaks cannot count it"
NAN = float("nan")


class Tagged(Collide):
    """Colliding, and raising when compared with the value "bad"."""

    __hash__ = Collide.__hash__

    def __eq__(self, other):
        if "bad" in (self.v, getattr(other, "v", None)):
            raise Boom("eq")
        return super().__eq__(other)


def test_raising_eq_propagates_and_leaves_the_table_unchanged():
    for count in (frequencies, lambda s: countby(lambda x: x, s)):
        with pytest.raises(Boom):
            count([Tagged("a"), Tagged("bad")])
    a = Tagged("a")
    it = unique([a, Tagged("bad"), Tagged("a"), Tagged("c")])
    assert next(it) is a
    with pytest.raises(Boom):
        next(it)
    assert [t.v for t in it] == ["c"]  # "bad" was not stored; the second "a" was found equal to a


class Unequal:
    """Hashes to `h`; two of them never have equal full hashes, so == must never run."""

    def __init__(self, h):
        self.h = h

    def __hash__(self):
        return self.h

    def __eq__(self, other):
        raise AssertionError("== between keys whose full hashes differ")


def test_equality_runs_only_for_equal_full_hashes():
    # 1 + 2**40 starts probing at 1's slot; 9 + 2**35 does too, with 1's 32-bit tag (h ^ h >> 32).
    keys = [Unequal(h) for h in (1, 1 + 2**40, 9 + 2**35)]
    assert list(unique(keys * 2)) == keys  # a repeat is found by identity
    assert list(frequencies(keys * 2).values()) == [2, 2, 2]


def test_native_int_hashing_matches_the_host():
    values = [-1, -2, 0, 1, 2**30 - 1, -(2**30) + 1, 2**30, -(2**30), 2**61 - 1, 2**61, -(2**61), 2**64]
    assert list(unique(values + values)) == values and frequencies([-1, -2, -1]) == {-1: 2, -2: 1}


def test_str_subclass_hash_is_respected():
    Folded = type("Folded", (str,), {"__hash__": lambda self: hash(self.lower()),
                                     "__eq__": lambda self, other: self.lower() == str(other).lower()})
    assert list(unique([Folded("A"), Folded("a"), "b"])) == ["A", "b"]


def typed(values):
    return [(type(v), v) for v in values]  # 1, 1.0 and True are one key: the first one seen stays


# NaN is equal to nothing, so only identity finds it: one object seen twice, or two apart.
nans = st.just(NAN) | st.builds(float, st.just("nan"))


@given(st.lists(hashables | st.integers() | st.floats(allow_nan=False) | nans))
def test_unique_and_frequencies_match_a_dict(values):
    assert typed(unique(values)) == typed(unique(iter(values))) == typed(dict.fromkeys(values))
    counts = {}
    for v in values:
        counts[v] = counts.get(v, 0) + 1
    assert typed(frequencies(values).items()) == typed(counts.items())
    assert isdistinct(values) == (len(set(values)) == len(values))


def test_many_keys_grow_the_table():
    values = [f"k{i}" for i in range(5000)] * 2
    assert list(unique(values)) == values[:5000]


# ---------------------------------------------------------------- int64 buffers


def i64(values):
    return memoryview(array.array("q", values))


# Values near either end of the range, spread wider than a first window, or mostly dense with a
# few far away: the counting window widens both ways, stops at the ends, and gives way to hashing.
def near(base):
    return st.lists(st.integers(0, 70_000).map(lambda d: base + d), max_size=100)


@given(st.one_of(st.lists(st.integers(-(2**63), 2**63 - 1)), st.lists(st.integers(-40, 40), max_size=300),
                 near(-(2**63)), near(-35_000), near(2**63 - 1 - 70_000),
                 st.lists(st.integers(-3_000, 3_000) | st.integers(-(2**63), 2**63 - 1), max_size=100)))
@example([2**63 - 990, 2**63 - 1, 2**63 - 3001])  # a window widened upwards must stop at the largest value
@example([-(2**63) + 600, -(2**63), -(2**63) + 5000])  # ... and downwards at the smallest
@example([-(2**63), -(2**63) + 2**16 - 1])  # values spanning exactly the widest window of a short scan
@example([2**63 - 1, 2**63 - 2**16])
@example([-(2**63), -(2**63) + 2**16])  # one slot more: hashed
def test_int64_buffer_paths_match_the_list_paths(values):
    assert typed(unique(i64(values))) == typed(unique(values))
    assert list(frequencies(i64(values)).items()) == list(frequencies(values).items())  # in first-seen order too


def test_int64_buffer_extremes():
    buf = i64([-(2**63), 0, -(2**63), 2**63 - 1, 0])
    assert typed(unique(buf)) == typed([-(2**63), 0, 2**63 - 1])
    assert frequencies(buf) == {-(2**63): 2, 0: 2, 2**63 - 1: 1}
    assert type(unique(buf, key=abs)).__name__ == "UniqueIter"


def rejected_buffers():
    values = [3, 1, 3, 2]
    raw = bytearray(5 * 8)
    misaligned = memoryview(raw)[4:36].cast("q")
    misaligned[:] = i64(values)
    buffers = {
        "float64": memoryview(array.array("d", values)),
        "int32": memoryview(array.array("i", values)),
        "unsigned": memoryview(array.array("Q", values)),
        "two_dimensional": i64(values).cast("B").cast("q", shape=[2, 2]),
        "strided": i64([3, 9, 1, 9, 3, 9, 2, 9])[::2],
        "misaligned": misaligned,
        "bytes": b"\x03\x01\x03\x02",
    }
    if np is not None:
        base = np.array(values, dtype=np.int64)
        raw = np.zeros(5 * 8, dtype=np.uint8)
        misaligned = np.frombuffer(raw.data, dtype=np.int64, count=4, offset=4)
        misaligned[:] = base
        buffers.update({
            "numpy_foreign_order": base.astype(">i8" if np.little_endian else "<i8"),
            "numpy_float64": base.astype(np.float64), "numpy_int32": base.astype(np.int32),
            "numpy_uint64": base.astype(np.uint64), "numpy_strided": np.repeat(base, 2)[::2],
            "numpy_misaligned": misaligned, "numpy_two_dimensional": base.reshape(2, 2),
        })
    return buffers


@pytest.mark.parametrize("name", sorted(rejected_buffers()))
def test_rejected_buffers_take_the_generic_path(name):
    buf = rejected_buffers()[name]
    if name.endswith("two_dimensional"):  # never flattened: rows are what iteration gives
        with pytest.raises(TypeError if np is not None and isinstance(buf, np.ndarray) else NotImplementedError):
            list(unique(buf))
        return
    it = unique(buf)
    assert type(it).__name__ == "UniqueIter"
    assert list(it) == [3, 1, 2]
    assert frequencies(buf) == {3: 2, 1: 1, 2: 1}


def accepted_buffers():
    buffers = {fmt: i64([5, 5, 7]).cast("B").cast(fmt) for fmt in ["q", "@q", "l", "@l", "n", "@n"]}
    buffers["array"] = array.array("q", [5, 5, 7])
    if np is not None:
        buffers["numpy_explicit_order"] = np.array([5, 5, 7], dtype="<i8" if np.little_endian else ">i8")
    return buffers


@pytest.mark.parametrize("name", sorted(accepted_buffers()))
def test_native_int64_formats_are_accepted(name):
    buf = accepted_buffers()[name]
    assert type(unique(buf)).__name__ == "UniqueI64Iter"
    assert list(unique(buf)) == [5, 7]
    assert frequencies(buf) == {5: 2, 7: 1}


def test_a_value_that_could_not_be_boxed_is_yielded_next():
    testcapi = pytest.importorskip("_testcapi")
    big = [2**40, 2**40 + 1]  # not cached small ints: boxing them allocates
    it = unique(array.array("q", big))
    try:  # nothing but the step may allocate while the hook fails the next allocation
        testcapi.set_nomemory(0, 1)
        outcome = next(it)
    except MemoryError as e:
        outcome = e
    finally:
        testcapi.remove_mem_hooks()
    assert type(outcome) is MemoryError and list(it) == big


def test_a_released_view_ends_the_iteration():
    hooks = pytest.importorskip("brisko._testhooks")
    data = array.array("q", [1, 2, 3])
    view = memoryview(data)
    it = unique(view)
    assert next(it) == 1
    with pytest.raises(BufferError):
        view.release()  # the iterator holds a view of its own
    hooks.collector_clear(it)  # as the collector does on a cycle: the iterator's view is released
    view.release()
    data.append(4)  # resizing would fail while any view was left
    assert it.__length_hint__() == 0 and list(it) == [] and list(it) == []


def test_an_int64_scan_reads_the_buffer_at_each_step_and_hints_what_is_left():
    buf = array.array("q", range(10))
    it = unique(buf)
    assert it.__length_hint__() == 10 and list(itertools.islice(it, 3)) == [0, 1, 2] and it.__length_hint__() == 7
    buf[3], buf[4] = 1, 99
    assert list(it) == [99, 5, 6, 7, 8, 9] and it.__length_hint__() == 0
    buf.append(10)  # the spent iterator let go of the buffer
    assert list(it) == []


def test_every_input_bit_moves_an_int64_slot():
    hooks = pytest.importorskip("brisko._testhooks")
    n = 200_000 if os.environ.get("BRISKO_LEAKS") or os.environ.get("BRISKO_SANITIZED") else 800_000
    random_keys = array.array("q")
    random_keys.frombytes(os.urandom(8 * n))
    limit = 2 * hooks.int64_displacement(random_keys)  # about 0.3 slots past home per key
    for k in range(49):  # keys that differ only in their high bits, or only in their low ones
        for first in (0, 12345):
            assert hooks.progression_displacement(first, 1 << k, n) < limit, (k, first)


def test_which_int64_keys_collide_depends_on_the_process():
    hooks = pytest.importorskip("brisko._testhooks")
    # Keys that the first round sends to one slot here: the table sees them cluster and mixes more.
    first_round = hooks.int64_colliding(400, 12, 1)
    assert hooks.int64_displacement(array.array("q", first_round)) < 1
    # Then keys that the second round sends to one slot: with both, an attacker who knew this
    # process's seed would flood its tables.
    crafted = first_round + hooks.int64_colliding(2000, 12, 2)
    keys = array.array("q", crafted)
    assert hooks.int64_displacement(keys) > 500  # about half the keys past home, per key
    child = """import array, sys
from brisko import _pickling
hooks = _pickling._library_module('_testhooks')
print(hooks.int64_hash(1) ^ hooks.int64_hash(2), hooks.int64_displacement(array.array('q', sys.stdin.buffer.read())))"""
    out = subprocess.run([sys.executable, "-c", child], input=crafted, capture_output=True, check=True)
    pair, displacement = out.stdout.split()
    assert int(pair) != hooks.int64_hash(1) ^ hooks.int64_hash(2)
    assert float(displacement) < 1  # another process spreads the same keys as any others


@pytest.mark.skipif(np is None, reason=NO_NUMPY)
@given(st.lists(st.integers(-5, 5), max_size=60))
def test_numpy_arrays_match_the_generic_paths(values):
    arr = np.array(values, dtype=np.int64)
    assert type(unique(arr)).__name__ == "UniqueI64Iter"
    assert list(unique(arr)) == list(unique(values))
    assert list(frequencies(arr).items()) == list(frequencies(values).items())


# A thread rewrites the array between two far-apart ranges while it is counted (numpy copies
# without the GIL): every scan may see values its earlier pass did not, and must stay in bounds.
REWRITTEN_MEANWHILE = """
import threading, time
import numpy as np
from brisko._brisko import Iter, frequencies, unique

arr, low, high = np.zeros(1 << 18, np.int64), np.zeros(1 << 18, np.int64), np.full(1 << 18, 1 << 40, np.int64)
done = threading.Event()

def rewrite():
    while not done.is_set():
        np.copyto(arr, high)
        np.copyto(arr, low)

writer = threading.Thread(target=rewrite)
writer.start()
deadline = time.monotonic() + 2
while time.monotonic() < deadline:
    frequencies(arr), Iter(arr).frequencies(), list(unique(arr))
done.set()
writer.join()
"""


@pytest.mark.out_of_process
@pytest.mark.skipif(np is None, reason=NO_NUMPY)
def test_a_buffer_rewritten_while_counted_never_crashes():
    run_child(REWRITTEN_MEANWHILE)
