"""brisko: a functional-programming toolkit whose every entry point is native code."""

from brisko import _brisko
from brisko._brisko import *  # noqa: F403

__all__ = list(_brisko.__all__)
