"""The leak check of ./dev leaks (tools/refleak.py) catches the smallest leak a lazy iterator's step
can have, one reference per step, and passes a clean one."""

import os
import pathlib
import re
import subprocess
import sys

import pytest

PROBE = """
from brisko import _brisko, _testhooks
X = [2**70]  # not immortal

def test_leaking():
    assert list(_testhooks.leaking_iter(X)) == X

def test_clean():
    assert list(_brisko.remove(bool, X)) == []
"""


@pytest.mark.out_of_process
@pytest.mark.skipif(not hasattr(sys, "gettotalrefcount"), reason="the check needs the debug interpreter of ./dev leaks")
def test_a_one_reference_leak_in_a_step_is_caught(tmp_path):
    (tmp_path / "test_probe.py").write_text(PROBE)
    args = [sys.executable, "-m", "pytest", "-p", "conftest", "-p", "no:cacheprovider", "--leaks", "test_probe.py"]
    env = {**os.environ, "PYTHONPATH": str(pathlib.Path(__file__).resolve().parent)}
    out = subprocess.run(args, cwd=tmp_path, env=env, capture_output=True, text=True).stdout
    assert re.search(r"_ test_leaking _+\nleak: reference deltas \[1, 1, 1, 1, 1\],", out), out
    assert "1 failed, 1 passed" in out, out
