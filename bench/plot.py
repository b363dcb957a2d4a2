"""./dev bench --plot: the run's ratios as an SVG chart for the documentation site. Each row is a bar
of brisko's time over its baseline's, on a log scale (1 is a tie, left of it brisko is faster),
with the row's target marked; rows are grouped as the benchmark modules group them. The caption
names the machine, the interpreter and the day of the run, so that the chart carries its own
provenance and no number is copied by hand."""

import datetime
import math

import harness

# The heading each benchmark module's rows go under, in the table's order.
GROUPS = {
    "cases_itertoolz": "Sequence tools",
    "cases_hashing": "Distinct values, counting and grouping",
    "cases_functoolz": "Function tools",
    "cases_option": "Option and Result values",
    "cases_dicttoolz": "Mapping tools",
    "cases_iter": "Fluent Iter",
    "cases_pickling": "Pickling",
    "cases_interpreters": "Two cores: interpreters, processes, threads",
    "cases_threads": "Two cores, two threads (free-threaded on 3.14t)",
}
# The axis spans these ratios; a ratio outside is drawn at the edge with its number.
LOW, HIGH = 0.01, 10.0
FAST, SLOW, TARGET = "#2a7ab0", "#d9822b", "#222222"


def plot(results, modules, path, repeats, scale=1.0):
    """Writes the chart of `results` (harness.Result, in run order), `modules[i]` being the module
    that made results[i], to `path`."""
    import matplotlib

    matplotlib.use("svg")
    import matplotlib.pyplot as plt

    plt.rcParams["svg.fonttype"] = "none"  # text stays text: searchable, and a smaller file
    rows = []  # (label, result or None for a group heading)
    for module in dict.fromkeys(modules):
        rows.append((GROUPS.get(module, module), None))
        rows += [(r.case.name, r) for r, m in zip(results, modules) if m == module]
    height = 0.22 * len(rows) + 1.4
    fig, ax = plt.subplots(figsize=(9, height))
    ax.set_xscale("log")
    ax.set_xlim(LOW, HIGH)
    ax.set_ylim(len(rows) - 0.5, -0.5)
    ax.axvline(1.0, color="#888888", linewidth=0.8)
    labels = []
    for y, (label, result) in enumerate(rows):
        if result is None:
            labels.append(label)
            continue
        labels.append(f"{label}  vs  {result.case.baseline_name}")
        ratio = min(max(result.ratio, LOW), HIGH)
        ax.barh(y, ratio, left=LOW, height=0.7, color=SLOW if result.missed else FAST)
        end = ratio
        if math.isfinite(result.case.target):
            ax.plot([result.case.target], [y], marker="|", markersize=9, color=TARGET)
            end = max(end, result.case.target)
        ax.text(end * 1.08, y, f"{result.ratio:.2f}", va="center", fontsize=6.5)
    ax.set_yticks(range(len(rows)), labels, fontsize=6.5)
    for tick, (_, result) in zip(ax.get_yticklabels(), rows):
        if result is None:
            tick.set_fontweight("bold")
            tick.set_fontsize(8)
    ax.tick_params(axis="y", length=0)
    ax.set_xlabel("brisko's time / the baseline's (log scale); | marks the target", fontsize=8)
    ax.grid(axis="x", which="major", color="#dddddd", linewidth=0.5)
    ax.set_axisbelow(True)
    day = datetime.date.today().isoformat()
    sizes = "" if scale == 1.0 else f", inputs at {scale:g} of their sizes"
    caption = f"{harness.machine_line()}; {day}; median of {repeats} interleaved repeats{sizes} (./dev bench --plot)"
    fig.suptitle(caption, fontsize=8, y=0.999)
    fig.tight_layout()
    fig.savefig(path, metadata={"Date": None})
    plt.close(fig)
