"""numpy arrays through the int64 buffer paths: accepted arrays are scanned natively, every other
array takes the generic path with the same results. Skipped under ./dev leaks: numpy's extension
modules are built for the release interpreter, whose reference counting the debug interpreter's
totals cannot follow."""

import os

import pytest

if os.environ.get("BRISKO_LEAKS"):
    pytest.skip("numpy is not reference-count accurate under the debug interpreter", allow_module_level=True)

np = pytest.importorskip("numpy")

from hypothesis import given  # noqa: E402
from hypothesis.extra import numpy as hnp  # noqa: E402

from brisko._brisko import frequencies, unique  # noqa: E402


@given(hnp.arrays(np.int64, hnp.array_shapes(max_dims=1, max_side=60), elements={"min_value": -5, "max_value": 5}))
def test_native_paths_match_the_generic_paths(arr):
    assert type(unique(arr)).__name__ == "UniqueI64Iter"
    assert list(unique(arr)) == list(unique(arr.tolist()))
    assert list(frequencies(arr).items()) == list(frequencies(arr.tolist()).items())


def rejected():
    base = np.array([3, 1, 3, 2], dtype=np.int64)
    raw = np.zeros(5 * 8, dtype=np.uint8)
    misaligned = np.frombuffer(raw.data, dtype=np.int64, count=4, offset=4)
    misaligned[:] = base
    return {
        "foreign_order": base.astype(">i8" if np.little_endian else "<i8"),
        "float64": base.astype(np.float64),
        "int32": base.astype(np.int32),
        "uint64": base.astype(np.uint64),
        "strided": np.array([3, 9, 1, 9, 3, 9, 2, 9], dtype=np.int64)[::2],
        "misaligned": misaligned,
    }


@pytest.mark.parametrize("name", sorted(rejected()))
def test_rejected_arrays_give_the_same_results(name):
    arr = rejected()[name]
    assert type(unique(arr)).__name__ == "UniqueIter"
    assert list(unique(arr)) == [3, 1, 2]
    assert frequencies(arr) == {3: 2, 1: 1, 2: 1}


def test_two_dimensional_array_is_not_flattened():
    arr = np.array([[1, 2], [1, 2]], dtype=np.int64)
    assert type(unique(arr)).__name__ == "UniqueIter"
    with pytest.raises(TypeError, match="unhashable"):
        list(unique(arr))


def test_explicit_native_order_is_accepted():
    arr = np.array([4, 4, 1], dtype="<i8" if np.little_endian else ">i8")
    assert type(unique(arr)).__name__ == "UniqueI64Iter"
    assert frequencies(arr) == {4: 2, 1: 1}
