"""./dev bench: prints the benchmark table. Misses are flagged, never failed."""

import argparse
import importlib
import pathlib
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
CHARTS = ROOT / "docs" / "bench"  # the documentation site shows the charts committed here
sys.path[:0] = [str(ROOT / "bench"), str(ROOT / "tools")]

import harness  # noqa: E402

MODULES = [
    "cases_itertoolz", "cases_hashing", "cases_functoolz", "cases_option", "cases_dicttoolz", "cases_iter",
    "cases_pickling", "cases_interpreters", "cases_threads",
]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("-r", "--repeat", type=int, default=8, help="interleaved repeats per case (median)")
    parser.add_argument("-k", "--filter", default="", help="only cases whose name contains this text")
    parser.add_argument("--scale", type=float, default=1.0, help="fraction of the standard input sizes")
    parser.add_argument("--memory", action="store_true", help="print peak memory against the standard library instead")
    parser.add_argument("--plot", nargs="?", const=str(CHARTS), metavar="DIR",
                        help=f"also draw the ratios as charts, one per group (default {CHARTS.relative_to(ROOT)}/)")
    args = parser.parse_args()
    if args.memory:
        import memory

        memory.report()
        return
    cases, modules = [], []
    for name in MODULES:
        module = importlib.import_module(name)
        chosen = [c for c in module.cases(args.scale) if args.filter in c.name]
        cases += chosen
        modules += [name] * len(chosen)
    if not cases:
        parser.error("no benchmark matches")
    results = harness.run(cases, args.repeat)
    harness.report(results)
    if args.plot:
        import plot

        written = plot.plot(results, modules, args.plot, args.repeat, args.scale)
        print(f"bench: {len(written)} charts in {args.plot}")


if __name__ == "__main__":
    main()
