#!/bin/sh
# usage (inside root): prof_tmp.sh WHAT FILE...
cd /src
/opt/brisko/f2af6c097ab8/venv-regular/bin/python -m pip install -q --no-build-isolation --no-deps --root-user-action=ignore -C cmake.build-type=Release -C build-dir=build/prof -C cmake.define.CMAKE_CXX_FLAGS=-g -C install.strip=false . >/dev/null 2>&1
valgrind --tool=callgrind --callgrind-out-file=/tmp/cg.out /opt/brisko/f2af6c097ab8/venv-regular/bin/python ub_tmp.py $1 >/dev/null 2>&1
callgrind_annotate --inclusive=no /tmp/cg.out 2>/dev/null | grep -E "brisko|src/" | head -${2:-25}
