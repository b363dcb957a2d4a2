"""The stubs make Option and Result values type-check: match arms narrow, unwrap() has the held
type, and the variants' own methods keep their type arguments."""

import os
import pathlib
import subprocess
import sys

import pytest

pytest.importorskip("mypy")
pytestmark = pytest.mark.skipif(bool(os.environ.get("BRISKO_LEAKS")), reason="no native code runs here")

PROGRAM = """
from brisko import Err, NothingType, Ok, Option, Result, Some, first_opt

def from_option(o: Option[int]) -> int:
    match o:
        case Some(x):
            reveal_type(x)
            return x
        case NothingType():
            return 0

def from_result(r: Result[int, ValueError]) -> int:
    match r:
        case Ok(v):
            return v
        case Err(e):
            reveal_type(e)
            return 0

o = first_opt(["a"])
reveal_type(o.unwrap())
reveal_type(o.map(len))
reveal_type(o.unwrap_or(0))
if o:
    reveal_type(o)
reveal_type(Ok(1).and_then(lambda v: Err(str(v))))
"""

EXPECTED = [
    "int",
    "ValueError",
    "str",
    "brisko._brisko.Some[int] | brisko._brisko.NothingType",
    "str | int",
    "brisko._brisko.Some[str]",
    "brisko._brisko.Ok[Never] | brisko._brisko.Err[str]",
]


def test_stubs_type_check_option_and_result(tmp_path):
    source = tmp_path / "program.py"
    source.write_text(PROGRAM)
    out = subprocess.run(
        [sys.executable, "-m", "mypy", "--strict", "--no-incremental", str(source)],
        capture_output=True, text=True, cwd=pathlib.Path(__file__).parent,
    )
    revealed = [line.split('Revealed type is "')[1].rstrip('"') for line in out.stdout.splitlines() if "Revealed" in line]
    assert revealed == EXPECTED, out.stdout
    assert "Success: no issues found" in out.stdout
