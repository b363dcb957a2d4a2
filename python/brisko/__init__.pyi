# What `import brisko` offers a type checker: the native module's names, so that `from brisko import *`
# brings what the native module's stub lists in its __all__.
from brisko._brisko import *

__version__: str
