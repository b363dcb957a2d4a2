"""The reference, the README and the getting-started walk-through: every example runs as written.
That every name is documented, with its signature, is tests/test_sync.py's."""

import pathlib

import pytest

from doc_examples import doctests, run

ROOT = pathlib.Path(__file__).resolve().parent.parent
REFERENCE = ROOT / "docs" / "reference.md"
README = ROOT / "README.md"
GUIDE = ROOT / "docs" / "getting-started.md"

CASES = [
    pytest.param(setup, test, id=f"{path.name}::{title}")
    for path in (REFERENCE, README, GUIDE)
    for setup, tests in [doctests(path)]
    for title, test in tests
]


@pytest.mark.parametrize("setup, test", CASES)
def test_examples_run_as_written(setup, test):
    report = run(setup, test)
    assert not report, "\n" + report
