"""Bad input never crashes: every sequence tool, given arbitrary junk, either works or raises an
ordinary exception, and a lazy result can be driven past its errors."""

from hypothesis import given, settings
from hypothesis import strategies as st

from brisko import _brisko as b
from conftest import Boom, raising_after


class Hostile:
    """Fails every protocol it is asked for."""

    def __iter__(self):
        raise Boom("iter")

    def __getitem__(self, key):
        raise Boom("getitem")

    def __index__(self):
        raise Boom("index")

    def __bool__(self):
        raise Boom("bool")

    def __eq__(self, other):
        raise Boom("eq")

    __hash__ = None

    def __call__(self, *args):
        raise Boom("call")


JUNK = [
    None, 0, 1, -1, 3, 2**63, -(2**63), 2**100, 1.5, "abc", b"xy", (), [], [1, 2, 3], {}, {1: 2}, range(4),
    object(), Hostile(), len, abs, bool, lambda *a: 1 / 0,
]
junk = st.one_of(
    st.sampled_from(JUNK),
    st.builds(lambda k: raising_after([1, 2, 3], k), st.integers(0, 3)),
    st.builds(iter, st.lists(st.integers(), max_size=4)),
    st.lists(st.sampled_from(JUNK), max_size=3),
)
TOOLS = [name for name in b.__all__ if callable(getattr(b, name)) and name != "NativeIter"]


def drive(result):
    """Pulls up to 20 elements, carrying on past ordinary errors."""
    if not hasattr(result, "__next__"):
        return
    for _ in range(20):
        try:
            next(result)
        except StopIteration:
            return
        except Exception:
            pass


@settings(max_examples=400)
@given(st.sampled_from(TOOLS), st.lists(junk, max_size=4))
def test_junk_arguments_raise_ordinary_exceptions(name, args):
    try:
        result = getattr(b, name)(*args)
    except Exception:
        return
    drive(result)

