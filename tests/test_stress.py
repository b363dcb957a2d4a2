"""The stress of tools/stress.py at a small budget: isolated interpreters and threads making and
dropping every kind of brisko object at once (`./dev tsan` runs it for longer, under
ThreadSanitizer)."""

import pathlib
import subprocess
import sys

import pytest

STRESS = pathlib.Path(__file__).resolve().parent.parent / "tools" / "stress.py"


@pytest.mark.out_of_process
def test_interpreters_and_threads_at_once():
    out = subprocess.run([sys.executable, str(STRESS), "--seconds", "3", "--rounds", "20"],
                         capture_output=True, text=True, timeout=600)
    assert out.returncode == 0, out.stderr[-3000:]
