"""The iteration core shared by every lazy result: reentrancy, errors, exhaustion, list sources,
and the process-wide host lookups."""

import operator
import subprocess
import sys
import textwrap

import pytest

from brisko._brisko import NativeIter, accumulate, interleave, iterate, partition, partition_all, remove


LAZY = {
    "remove": lambda f, s: remove(f, s),
    "accumulate": lambda f, s: accumulate(lambda a, b: f(b), s),
    "iterate": lambda f, s: iterate(f, 0),
}


@pytest.mark.parametrize("name", sorted(LAZY))
def test_reentrant_next_is_refused_and_the_iterator_survives(name):
    messages = []

    def callback(x):
        try:
            next(it)
        except ValueError as e:
            messages.append(str(e))
        return False if name == "remove" else x

    it = LAZY[name](callback, [1, 2, 3])
    assert next(it) is not None
    next(it)
    assert messages and set(messages) == {"iterator already executing"}
    it = None  # the callback's closure and the iterator form a cycle the collector cannot see


def test_reentrant_error_propagates_when_not_caught():
    it = remove(lambda x: next(it), [1, 2])
    with pytest.raises(ValueError, match="iterator already executing"):
        next(it)
    with pytest.raises(ValueError, match="iterator already executing"):
        next(it)  # the step ran again: the flag was released
    it = None  # break the closure cycle


def test_iterator_protocol():
    for it in [remove(bool, [0, 1]), partition(1, [1]), interleave([[1]]), iterate(abs, 1)]:
        assert iter(it) is it
        assert type(it) is NativeIter
        assert operator.length_hint(it) == 0  # NativeIter has no length hint
    it = remove(bool, [3, 4, 0])
    assert it.__next__() == 0
    for _ in range(3):
        with pytest.raises(StopIteration):
            it.__next__()
        with pytest.raises(StopIteration):
            next(it)


def test_exact_list_sources_see_appends_until_the_end():
    data = [1, 2]
    it = remove(lambda x: False, data)
    assert next(it) == 1
    data.append(3)
    assert list(it) == [2, 3]
    data.append(4)
    assert list(it) == []  # once ended, a list source stays ended


def test_list_subclass_is_iterated_through_its_own_iter():
    class Reversed(list):
        def __iter__(self):
            return reversed(self)

    assert list(partition_all(2, Reversed([1, 2, 3]))) == [(3, 2), (1,)]


def test_list_shrinking_under_a_callback_is_safe():
    data = list(range(10))

    def pred(x):
        data.clear()
        return False

    assert list(remove(pred, data)) == [0]


def run_python(code):
    return subprocess.run(
        [sys.executable, "-c", textwrap.dedent(code)], capture_output=True, text=True, check=True
    ).stdout.strip()


def test_cached_lookup_binds_once_on_first_use():
    out = run_python(
        """
        import itertools
        real = itertools.islice
        itertools.islice = lambda *a: ("patched", a)
        from brisko._brisko import take
        print(take(1, [5])[0])
        itertools.islice = real
        print(take(1, [5])[0])
        """
    )
    assert out.splitlines() == ["patched", "patched"]


def test_cached_lookup_ignores_replacements_after_first_use():
    out = run_python(
        """
        import itertools
        from brisko._brisko import take
        list(take(1, [5]))
        itertools.islice = None
        print(list(take(1, [5])))
        """
    )
    assert out == "[5]"


def test_failed_first_lookup_is_retried():
    out = run_python(
        """
        import sys, itertools
        from brisko._brisko import take
        sys.modules["itertools"] = None
        try:
            take(1, [1])
        except ImportError as e:
            print("failed", type(e).__name__)
        sys.modules["itertools"] = itertools
        print(list(take(1, [7])))
        """
    )
    assert out.splitlines() == ["failed ModuleNotFoundError", "[7]"]


def test_concurrent_first_lookups_agree():
    out = run_python(
        """
        import threading
        from brisko._brisko import take, cons, concat
        results = []
        def work():
            results.append((list(take(2, range(5))), list(cons(0, [1])), list(concat([[1], [2]]))))
        threads = [threading.Thread(target=work) for _ in range(8)]
        for t in threads: t.start()
        for t in threads: t.join()
        print(len(results), len(set(map(repr, results))))
        """
    )
    assert out == "8 1"
