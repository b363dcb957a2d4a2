"""brisko: a functional-programming toolkit whose every entry point is native code."""

from brisko import _brisko, _pickling
from brisko._brisko import *  # noqa: F403

# The distribution's version is read from this line when the package is built.
__version__ = "0.1.0"

# The native module's own list; the package stub (__init__.pyi) gives type checkers the same names.
__all__ = list(_brisko.__all__)

# pickle and copy find brisko's values and function objects through copyreg's table.
_pickling.register()
