"""The hostile-input fuzzer of tools/fuzz.py at its small budget (`./dev fuzz` runs it for longer)."""

from fuzz import test_every_export, test_every_method, test_value_protocols  # noqa: F401
