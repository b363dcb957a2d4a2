"""The Python steps of ./dev, one subcommand each. Some run under the host's own python3 (3.11 on
Debian 12) or whatever interpreter is being probed, so this file needs nothing newer than 3.11 and
nothing outside the standard library."""

import sys


def python_version():
    """This interpreter's version as ./dev names it: "3.14", or "3.14t" for a free-threaded build,
    whose extensions are built and tagged apart from the regular build's."""
    import sysconfig

    return "%d.%d" % sys.version_info[:2] + ("t" if sysconfig.get_config_var("Py_GIL_DISABLED") else "")


def print_version():
    print(python_version())


def can_build_ext(*versions):
    """Exits 0 when this interpreter is a CPython of one of `versions` ("3.14", "3.14t", ...) with
    the headers extensions build against."""
    import os
    import platform
    import sysconfig

    ok = (platform.python_implementation() == "CPython" and python_version() in versions
          and os.path.exists(os.path.join(sysconfig.get_path("include"), "Python.h")))
    sys.exit(0 if ok else 1)


def fetch_pyright(version, integrity, dest):
    """Fetches pyright's npm tarball into dest; it must match both the pinned digest and the
    registry's own statement of it."""
    import base64
    import hashlib
    import io
    import json
    import os
    import shutil
    import tarfile
    import tempfile
    import urllib.request

    with urllib.request.urlopen(f"https://registry.npmjs.org/pyright/{version}", timeout=60) as response:
        dist = json.load(response)["dist"]
    if dist["integrity"] != integrity:
        sys.exit(f"the registry states {dist['integrity']} for pyright {version}, not the pinned {integrity}")
    with urllib.request.urlopen(dist["tarball"], timeout=300) as response:
        data = response.read()
    if "sha512-" + base64.b64encode(hashlib.sha512(data).digest()).decode() != integrity:
        sys.exit(f"{dist['tarball']} does not match {integrity}")
    os.makedirs(os.path.dirname(dest), exist_ok=True)
    tmp = tempfile.mkdtemp(dir=os.path.dirname(dest))
    os.chmod(tmp, 0o755)
    tarfile.open(fileobj=io.BytesIO(data)).extractall(tmp, filter="data")
    try:
        os.rename(tmp, dest)
    except OSError:  # another run unpacked it first
        shutil.rmtree(tmp)


def check_wheel(path):
    """Exits non-zero, naming each problem, unless the wheel holds the package, its stubs and one
    native module, and nothing built only for the tests."""
    import zipfile

    wheel = zipfile.ZipFile(path)
    names = wheel.namelist()
    required = ["brisko/__init__.py", "brisko/__init__.pyi", "brisko/_pickling.py", "brisko/_brisko.pyi",
                "brisko/reference.md"]
    problems = [f"missing {n}" for n in required + ["brisko/py.typed"] if n not in names]
    native = [n for n in names if n.startswith("brisko/_brisko.") and n.endswith(".so")]
    if not native:
        problems.append("no native module")
    # The test hooks are built into the native module's own library, so look inside it too.
    problems += [f"test-only {n}" for n in names if "_testhooks" in n]
    problems += [f"test-only hooks in {n}" for n in native if b"PyInit__testhooks" in wheel.read(n)]
    for problem in problems:
        print(f"dev: {problem}", file=sys.stderr)
    sys.exit(1 if problems else 0)


def check_sdist(path):
    """Exits non-zero, naming each problem, unless the source distribution holds what a source build
    and the tests need, and nothing that a checkout gathers as it is worked in."""
    import pathlib
    import tarfile

    with tarfile.open(path) as tar:
        names = [m.name for m in tar.getmembers() if m.isfile()]
    top = pathlib.Path(path).name.removesuffix(".tar.gz")
    problems = [f"{n} is outside {top}/" for n in names if not n.startswith(top + "/")]
    inside = {n.removeprefix(top + "/") for n in names}
    required = ["PKG-INFO", "pyproject.toml", "CMakeLists.txt", "LICENSE", "README.md", "python/brisko/__init__.py",
                "python/brisko/py.typed", "src/module/module.cpp", "packaging/glibc_floor.cpp",
                "tests/native/testhooks.cpp", "tests/conftest.py", "tools/doc_examples.py", "docs/reference.md"]
    problems += [f"missing {n}" for n in required if n not in inside]
    unwanted = {"build", "dist", ".dev", ".git", "__pycache__", ".pytest_cache", ".hypothesis", ".mypy_cache",
                ".ruff_cache"}
    problems += [f"unwanted {n}" for n in sorted(inside) if unwanted & set(pathlib.PurePosixPath(n).parts[:-1])
                 or n.endswith((".so", ".pyc")) or "_tmp" in n]
    for problem in problems:
        print(f"dev: {problem}", file=sys.stderr)
    sys.exit(1 if problems else 0)


def check_origin():
    """Run with -I in the wheel's environment: brisko must come from that environment, not from
    the checkout."""
    import pathlib

    import brisko

    origin = pathlib.Path(brisko.__file__).resolve()
    print(f"dev: checking {origin.parent}", file=sys.stderr)
    sys.exit(0 if origin.is_relative_to(pathlib.Path(sys.prefix).resolve()) else f"brisko comes from {origin}")


def pyright_config(pyproject, out):
    """Writes pyright's configuration as the test suite uses it, less the checkout's python/ on its
    path, so that the installed stubs are the ones checked."""
    import json
    import tomllib

    with open(pyproject, "rb") as f:
        config = tomllib.load(f)["tool"]["pyright"]
    del config["extraPaths"]
    with open(out, "w") as f:
        json.dump(config, f)


COMMANDS = {
    "version": print_version,
    "can-build-ext": can_build_ext,
    "fetch-pyright": fetch_pyright,
    "check-wheel": check_wheel,
    "check-sdist": check_sdist,
    "check-origin": check_origin,
    "pyright-config": pyright_config,
}

if __name__ == "__main__":
    if len(sys.argv) < 2 or sys.argv[1] not in COMMANDS:
        sys.exit(f"usage: {sys.argv[0]} {{{','.join(COMMANDS)}}} ARGS...")
    COMMANDS[sys.argv[1]](*sys.argv[2:])
