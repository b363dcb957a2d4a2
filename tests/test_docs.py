"""The reference, the README and the rooms' indexes: every example runs as written, every exported
name is documented and every shared header indexed, so none can drift from the code."""

import functools
import inspect
import pathlib
import re

import pytest

import brisko
from doc_examples import doctests, run

ROOT = pathlib.Path(__file__).resolve().parent.parent
REFERENCE = ROOT / "docs" / "reference.md"
README = ROOT / "README.md"

CASES = [
    pytest.param(setup, test, id=f"{path.name}::{title}")
    for path in (REFERENCE, README)
    for setup, tests in [doctests(path)]
    for title, test in tests
]


@pytest.mark.parametrize("setup, test", CASES)
def test_examples_run_as_written(setup, test):
    report = run(setup, test)
    assert not report, "\n" + report


def test_the_reference_heads_each_name_with_its_signature():
    headings = re.findall(r"^#+ `(([A-Za-z_]+)[^`]*)`$", REFERENCE.read_text(), re.MULTILINE)
    assert sorted(set(brisko.__all__) ^ {name for _, name in headings}) == []
    for heading, _ in headings:  # flip is a curry, which shows no signature of its own
        obj = functools.reduce(getattr, heading.split("(")[0].split("."), brisko)
        signature = str(inspect.signature(obj)) if getattr(obj, "__text_signature__", None) else ""
        signature = signature.replace("=Ellipsis", "=...")  # optional, without a default
        assert heading in (heading.split("(")[0] + signature, "flip(func, a, b)")


def test_the_readme_lists_every_name_and_links_the_reference():
    text = README.read_text()
    names = text[text.index("## What is in it") :]
    names = names[: names.index("\n## ", 1)]
    listed = re.findall(r"`([A-Za-z_]+)`", names)
    assert sorted(listed) == sorted(brisko.__all__)
    assert "docs/reference.md" in text


def test_each_shared_room_indexes_every_header_it_holds():  # a stale entry fails the build instead
    for room in ("binding", "core", "hashing", "iteration"):
        index = (ROOT / "src" / room / f"{room}.hpp").read_text()
        listed = re.findall(r'^#include "(\w+\.hpp)"', index, re.MULTILINE)
        assert sorted(listed) == sorted(p.name for p in (ROOT / "src" / room).glob("*.hpp") if p.stem != room)
