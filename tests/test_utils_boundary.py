"""C++ failures inside native code surface as host exceptions, never as a crash, and leave the
iterator usable. brisko._testhooks (built for the test suite only) breaks invariants on purpose."""

import pytest

hooks = pytest.importorskip("brisko._testhooks")


def panic_type():
    with pytest.raises(BaseException) as info:
        hooks.panic_now()
    return type(info.value)


def test_panic_exception_is_a_base_exception_outside_exception():
    exc = panic_type()
    assert exc.__name__ == "PanicException"
    assert exc.__module__ == "brisko._brisko"
    assert exc.__bases__ == (BaseException,)
    assert not issubclass(exc, Exception)
    with pytest.raises(exc, match="^panic at a function boundary$"):
        hooks.panic_now()


@pytest.mark.parametrize(
    "mode, expected, message",
    [
        (0, "PanicException", "broken invariant"),
        (1, "PanicException", "panic in __next__"),
        (2, "MemoryError", ""),
        (3, "PanicException", "escaped C++ exception"),
    ],
)
def test_failures_in_a_step_become_exceptions_and_the_iterator_survives(mode, expected, message):
    it = hooks.failing_iter(mode)
    with pytest.raises(BaseException) as info:
        next(it)
    assert type(info.value).__name__ == expected
    assert str(info.value) == message
    assert next(it) == 2  # the executing flag was restored on the way out


def test_explicit_dunder_next_reports_panics_too():
    it = hooks.failing_iter(0)
    with pytest.raises(BaseException, match="broken invariant"):
        it.__next__()
    assert it.__next__() == 2
