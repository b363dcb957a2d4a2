"""Work that crosses into other processes: function objects go to a pool's workers, Ok and Err values
and dicts come back. The workers are fresh interpreters, which import brisko while unpickling."""

import concurrent.futures
import operator

import pytest

import pickling_helpers as h
from brisko import Err, Ok, compose, curry, flip, frequencies, merge_with, partition_all

XS = list(range(-6, 7))


@pytest.fixture(scope="module")
def pool():
    with concurrent.futures.ProcessPoolExecutor(max_workers=2) as pool:
        yield pool


def test_curried_functions_run_in_workers(pool):
    assert list(pool.map(curry(h.add)(1), XS)) == [x + 1 for x in XS]
    assert list(pool.map(h.add3(1, 2), XS)) == [x + 3 for x in XS]  # a module-level curry's partial
    assert list(pool.map(flip(operator.sub, 1), XS)) == [x - 1 for x in XS]
    assert list(pool.map(h.power(2), range(5))) == [1, 2, 4, 8, 16]


def test_compositions_and_module_level_memoize_run_in_workers(pool):
    assert list(pool.map(compose(str, abs), XS)) == [str(abs(x)) for x in XS]
    assert list(pool.map(h.square, XS)) == [x * x for x in XS]


def test_results_come_back_as_ok_or_err_with_their_exceptions(pool):
    seen = set()
    for x, result in zip(XS, pool.map(h.checked_inverse, XS)):
        match result:
            case Ok(value):
                assert x > 0 and value == 100 // x
            case Err(h.Rejected() as exc):
                assert x < 0 and exc.args == (f"negative input: {x}",)
            case Err(ZeroDivisionError() as exc):
                assert x == 0 and exc.args == h.checked_inverse(0).error.args
            case _:
                pytest.fail(f"unexpected {result!r} for {x}")
        seen.add(type(result))
    assert seen == {Ok, Err}


def test_frequencies_per_chunk_merge_to_those_of_the_whole(pool):
    data = [(i * 7919) % 13 for i in range(997)] + ["a", "b", "a", None]
    counted = pool.map(frequencies, partition_all(100, data))
    assert merge_with(sum, *counted) == frequencies(data)
