"""The stubs against the runtime, the reference, mypy and pyright: stubtest finds nothing beyond its
allow-list, the stub is clean under --strict (tests/test_sync.py checks that it is generated), a program using
every name and one starting `from brisko import *` type-check under both checkers and run, and a file
of mistakes fails with exactly the errors it announces (pyright on the same lines)."""

import ast
import json
import os
import pathlib
import re
import subprocess
import sys
import sysconfig

import pytest

import brisko

pytestmark = [
    pytest.mark.skipif(
        bool(os.environ.get("BRISKO_LEAKS")),
        reason="mypy is compiled for the release interpreter: the typing checks run under ./dev test",
    ),
    pytest.mark.xdist_group("typing"),  # one worker runs each checker once for all of them
]
pytest.importorskip("mypy")

ROOT = pathlib.Path(__file__).resolve().parent.parent
TYPING = ROOT / "tests" / "typing"
STUB = ROOT / "python" / "brisko" / "_brisko.pyi"
USAGE = TYPING / "usage.py"
MISTAKES = TYPING / "mistakes.py"
STAR = TYPING / "star.py"
EXPECTED = re.compile(r"#\s*E:\s*(.*?)\s*(?=#\s*E:|$)")
REPORTED = re.compile(r"^(?P<file>[^:]+):(?P<line>\d+): error: (?P<message>.*)$")


# The checkers check for the interpreter under test, whichever runs them: ./dev names in
# BRISKO_CHECKER one that Debian's mypy runs on, which is not every version.
VERSION = "%d.%d" % sys.version_info[:2]
CHECKER = os.environ.get("BRISKO_CHECKER") or sys.executable


def _run(*args, python=CHECKER):
    return subprocess.run([python, *args], capture_output=True, text=True, cwd=ROOT)


@pytest.fixture(scope="module")
def mypy_errors():
    """{file name: [(line, message)]} of one `mypy --strict` run over the stub and the programs."""
    out = _run("-m", "mypy", "--strict", "--cache-dir", os.devnull, "--python-version", VERSION, "--python-executable",
               sys.executable, str(STUB), str(USAGE), str(STAR), str(MISTAKES))
    assert out.returncode in (0, 1), out.stdout + out.stderr
    errors = {}
    for line in out.stdout.splitlines():
        match = REPORTED.match(line)
        if match:
            errors.setdefault(pathlib.Path(match["file"]).name, []).append((int(match["line"]), match["message"]))
    return errors


@pytest.fixture(scope="module")
def pyright_errors():
    """{file name: [(line, message)]} of one pyright run (pyproject.toml configures it) over the programs."""
    pyright = os.environ.get("BRISKO_PYRIGHT", "")
    assert os.path.isfile(pyright), f"no pyright at {pyright!r}: ./dev test fetches it outside the checkout"
    env = {k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}  # the sanitizers check brisko, not node
    args = ["node", pyright, "--outputjson", "--pythonversion", VERSION, "--pythonpath", sys.executable, str(USAGE),
            str(STAR), str(MISTAKES)]
    out = subprocess.run(args, capture_output=True, text=True, cwd=ROOT, env=env)
    report = json.loads(out.stdout)
    assert report["summary"]["filesAnalyzed"] == 3, out.stdout
    errors = {}
    for d in report["generalDiagnostics"]:
        if d["severity"] != "information":
            errors.setdefault(pathlib.Path(d["file"]).name, []).append((d["range"]["start"]["line"] + 1, d["message"]))
    return errors


@pytest.mark.skipif(sysconfig.get_config_var("Py_GIL_DISABLED") or CHECKER != sys.executable and _run(
    "-c", "import sys; print(sys.version_info[:2])").stdout.strip() != str(sys.version_info[:2]),
    reason="stubtest imports brisko into mypy's interpreter, and Debian's mypy runs on BRISKO_CHECKER's version "
    "only, a regular build; it reads the same signatures there")
def test_stubtest_finds_nothing_beyond_the_allowlist():
    out = _run("-m", "mypy.stubtest", "brisko._brisko", "--allowlist", str(TYPING / "stubtest_allowlist.txt"),
               python=sys.executable)
    assert out.returncode == 0, out.stdout + out.stderr


def test_the_stub_is_strict_clean(mypy_errors):
    assert mypy_errors.get(STUB.name, []) == []


@pytest.mark.parametrize("program", [USAGE, STAR], ids=lambda p: p.stem)
def test_the_programs_type_check_and_run(program, mypy_errors, pyright_errors):
    assert (mypy_errors.get(program.name, []), pyright_errors.get(program.name, [])) == ([], [])
    out = _run(str(program), python=sys.executable)
    assert out.returncode == 0, out.stderr


def test_the_usage_program_uses_every_name():
    imports = [node for node in ast.parse(USAGE.read_text()).body if isinstance(node, ast.ImportFrom)]
    imported = {alias.name for node in imports if node.module == "brisko" for alias in node.names}
    assert sorted(set(brisko.__all__) - imported) == []


def test_each_mistake_fails_as_announced(mypy_errors, pyright_errors):
    expected = [
        (lineno, message)
        for lineno, line in enumerate(MISTAKES.read_text().splitlines(), 1)
        if "  # E: " in line
        for message in EXPECTED.findall(line[line.index("  # E: ") :])
    ]
    assert expected and mypy_errors.get(MISTAKES.name, []) == expected
    assert sorted({line for line, _ in pyright_errors.get(MISTAKES.name, [])}) == sorted({line for line, _ in expected})
