"""C++ failures inside native code surface as host exceptions, never as a crash, and leave the
iterator usable. brisko._testhooks (built for the test suite only) breaks invariants on purpose."""

import pytest

hooks = pytest.importorskip("brisko._testhooks")


def test_panic_exception_is_a_base_exception_outside_exception():
    with pytest.raises(BaseException, match="^panic at a function boundary$") as info:
        hooks.panic_now()
    exc = type(info.value)
    assert (exc.__name__, exc.__module__, exc.__bases__) == ("PanicException", "brisko._brisko", (BaseException,))


# The slot and the method, each naming itself when a Panic escapes the step.
@pytest.mark.parametrize("step, where", [(next, "__next__"), (lambda it: it.__next__(), "brisko iterator")],
                         ids=["slot", "method"])
@pytest.mark.parametrize(
    "mode, expected, message",
    [
        (0, "PanicException", "broken invariant"),
        (1, "PanicException", "panic in {}"),
        (2, "MemoryError", ""),
        (3, "PanicException", "escaped C++ exception"),
    ],
)
def test_failures_in_a_step_become_exceptions_and_the_iterator_survives(mode, expected, message, step, where):
    it = hooks.failing_iter(mode)
    with pytest.raises(BaseException) as info:
        step(it)
    assert type(info.value).__name__ == expected and str(info.value) == message.format(where)
    assert step(it) == 2  # the executing flag was restored on the way out
