"""./dev bench: prints the benchmark table. Misses are flagged, never failed."""

import argparse
import importlib
import pathlib
import sys

sys.path[:0] = [str(pathlib.Path(__file__).parent), str(pathlib.Path(__file__).parent.parent / "tools")]

import harness  # noqa: E402

MODULES = [
    "cases_itertoolz", "cases_hashing", "cases_functoolz", "cases_option", "cases_dicttoolz", "cases_iter",
    "cases_pickling", "cases_interpreters",
]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("-r", "--repeat", type=int, default=8, help="interleaved repeats per case (median)")
    parser.add_argument("-k", "--filter", default="", help="only cases whose name contains this text")
    parser.add_argument("--scale", type=float, default=1.0, help="fraction of the standard input sizes")
    parser.add_argument("--memory", action="store_true", help="print peak memory against the standard library instead")
    args = parser.parse_args()
    if args.memory:
        import memory

        memory.report()
        return
    cases = []
    for name in MODULES:
        module = importlib.import_module(name)
        cases += [c for c in module.cases(args.scale) if args.filter in c.name]
    if not cases:
        parser.error("no benchmark matches")
    harness.report(harness.run(cases, args.repeat))


if __name__ == "__main__":
    main()
