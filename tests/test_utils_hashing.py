"""Hash probing as a host dict would do it: equal keys are one key, collisions are settled by ==,
errors leave the table unchanged; and the int64 buffer acceptance rule."""

import array
import itertools

import pytest
from hypothesis import given
from hypothesis import strategies as st

from brisko._brisko import countby, frequencies, groupby, unique
from conftest import Boom


class Collide:
    """Equal hashes for every instance; equality by `tag`, optionally raising."""

    def __init__(self, tag, raise_eq=False):
        self.tag = tag
        self.raise_eq = raise_eq

    def __hash__(self):
        return 42

    def __eq__(self, other):
        if self.raise_eq or getattr(other, "raise_eq", False):
            raise Boom("eq")
        return isinstance(other, Collide) and self.tag == other.tag

    def __repr__(self):
        return f"Collide({self.tag!r})"


def test_equal_values_are_one_key():
    assert list(unique([1, 1.0, True, 2])) == [1, 2]
    assert type(list(unique([1.0, 1]))[0]) is float  # the first one stays
    assert frequencies([1, 1.0, True]) == {1: 3}
    assert list(frequencies([True, 1]))[0] is True


def test_collisions_are_settled_by_equality():
    a, b, a2 = Collide("a"), Collide("b"), Collide("a")
    assert list(unique([a, b, a2])) == [a, b]
    assert frequencies([a, b, a2]) == {a: 2, b: 1}
    assert groupby(lambda x: x, [a, b, a2]) == {a: [a, a2], b: [b]}


@pytest.mark.parametrize("tool", ["unique", "frequencies", "countby"])
def test_raising_eq_propagates_and_leaves_the_table_unchanged(tool):
    a, bad, a2 = Collide("a"), Collide("bad", raise_eq=True), Collide("a")
    if tool == "unique":
        it = unique([a, bad, a2, Collide("c")])
        assert next(it) is a
        with pytest.raises(Boom):
            next(it)
        assert list(it) == [Collide("c")]  # `bad` was not stored; a2 was found equal to a
    elif tool == "frequencies":
        with pytest.raises(Boom):
            frequencies([a, bad])
    else:
        with pytest.raises(Boom):
            countby(lambda x: x, [a, bad])


def test_nan_is_found_by_identity_only():
    nan = float("nan")
    assert list(unique([nan, nan])) == [nan]
    assert len(list(unique([float("nan"), float("nan")]))) == 2
    assert len(frequencies([nan, nan, float("nan")])) == 2


def test_native_int_hashing_matches_the_host():
    values = [-1, -2, 0, 1, 2**30 - 1, -(2**30) + 1, 2**30, -(2**30), 2**61 - 1, 2**61, -(2**61), 2**64]
    assert list(unique(values + values)) == values
    assert frequencies([-1, -2, -1]) == {-1: 2, -2: 1}  # -1 and -2 share a hash, not a key


def test_str_subclass_hash_is_respected():
    class Folded(str):
        def __hash__(self):
            return hash(self.lower())

        def __eq__(self, other):
            return self.lower() == str(other).lower()

    assert list(unique([Folded("A"), Folded("a"), "b"])) == ["A", "b"]


def test_unhashable_elements_raise_the_host_type_error():
    with pytest.raises(TypeError, match="unhashable type: 'list'"):
        list(unique([[1]]))
    with pytest.raises(TypeError, match="unhashable type: 'dict'"):
        frequencies([{}])


@given(st.lists(st.one_of(st.integers(), st.text(max_size=3), st.floats(allow_nan=False), st.booleans())))
def test_unique_matches_dict_fromkeys(values):
    assert list(unique(values)) == list(dict.fromkeys(values))
    assert list(unique(iter(values))) == list(dict.fromkeys(values))


def test_many_keys_grow_the_tables():
    values = [f"k{i}" for i in range(5000)] * 2
    assert list(unique(values)) == values[:5000]
    assert frequencies(values) == dict.fromkeys(values[:5000], 2)


# ---------------------------------------------------------------- int64 buffers
# Plain-Python buffers here (numpy arrays in test_utils_numpy_buffers.py), so that ./dev leaks
# covers the native paths too.


def i64(values):
    return memoryview(array.array("q", values))


@given(st.one_of(st.lists(st.integers(-(2**63), 2**63 - 1)), st.lists(st.integers(-40, 40), max_size=300)))
def test_int64_buffer_paths_match_the_list_paths(values):
    assert list(unique(i64(values))) == list(unique(values))
    assert frequencies(i64(values)) == frequencies(values)
    assert list(frequencies(i64(values))) == list(frequencies(values))  # first-appearance order too


def test_int64_buffer_extremes_and_types():
    buf = i64([-(2**63), 0, -(2**63), 2**63 - 1, 0])
    assert list(unique(buf)) == [-(2**63), 0, 2**63 - 1]
    assert all(type(v) is int for v in unique(buf))
    assert frequencies(buf) == {-(2**63): 2, 0: 2, 2**63 - 1: 1}
    assert type(unique(buf)).__name__ == "UniqueI64Iter"
    assert type(unique(array.array("q", [1]))).__name__ == "UniqueI64Iter"
    assert type(unique(buf, key=abs)).__name__ == "UniqueIter"


def rejected_buffers():
    values = [3, 1, 3, 2]
    raw = bytearray(5 * 8)
    misaligned = memoryview(raw)[4:36].cast("q")
    misaligned[:] = i64(values)
    return {
        "float64": memoryview(array.array("d", values)),
        "int32": memoryview(array.array("i", values)),
        "unsigned": memoryview(array.array("Q", values)),
        "two_dimensional": i64(values).cast("B").cast("q", shape=[2, 2]),
        "strided": i64([3, 9, 1, 9, 3, 9, 2, 9])[::2],
        "misaligned": misaligned,
        "bytes": b"\x03\x01\x03\x02",
    }


@pytest.mark.parametrize("name", sorted(rejected_buffers()))
def test_rejected_buffers_take_the_generic_path(name):
    buf = rejected_buffers()[name]
    if name == "two_dimensional":
        with pytest.raises(NotImplementedError):  # iterating a 2-D memoryview is not supported
            unique(buf)
        return
    it = unique(buf)
    assert type(it).__name__ == "UniqueIter"
    assert list(it) == [3, 1, 2]
    assert frequencies(buf) == {3: 2, 1: 1, 2: 1}


@pytest.mark.parametrize("fmt", ["q", "@q", "l", "@l", "n", "@n"])
def test_native_int64_formats_are_accepted(fmt):
    buf = i64([5, 5, 7]).cast("B").cast(fmt)
    assert buf.format == fmt
    assert type(unique(buf)).__name__ == "UniqueI64Iter"
    assert list(unique(buf)) == [5, 7]
    assert frequencies(buf) == {5: 2, 7: 1}


def test_buffer_contents_are_read_at_each_step():
    buf = array.array("q", [1, 2, 3])
    it = unique(buf)
    assert next(it) == 1
    buf[1] = 1
    buf[2] = 9
    assert list(it) == [9]


def test_a_value_that_could_not_be_boxed_is_yielded_next():
    testcapi = pytest.importorskip("_testcapi")
    big = [2**40, 2**40 + 1]  # not cached small ints: boxing them allocates
    it = unique(array.array("q", big))
    testcapi.set_nomemory(0, 1)
    try:
        next(it)
    except MemoryError:
        failed = True
    else:
        failed = False
    finally:
        testcapi.remove_mem_hooks()
    assert failed
    assert list(it) == big


def test_released_view_ends_the_iteration():
    view = i64([1, 2, 3])
    it = unique(view)
    assert next(it) == 1
    assert list(it) == [2, 3]
    assert list(it) == []


def test_int64_iterator_length_hint_and_early_exit():
    it = unique(i64(range(10)))
    assert it.__length_hint__() == 10
    assert list(itertools.islice(it, 3)) == [0, 1, 2]
    assert it.__length_hint__() == 7
    list(it)
    assert it.__length_hint__() == 0
