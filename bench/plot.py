"""./dev bench --plot: the run's ratios as SVG charts for the documentation site, one per group of
rows (as the benchmark modules group them). Each chart is as wide as the site's text column at
its widest, with its labels at the size of the site's text, so that it reads at the width it is
shown: one chart for every row, wide enough for the longest labels beside the bars, shrank them to
a third of that. Each row is the row's name and its baseline's over a bar of brisko's time over
the baseline's, on a log scale (1 is a tie, left of it brisko is faster), with the row's target
marked. Each file carries its group's title and the run's provenance (the machine, the
interpreter, the day) in its metadata, where the site's benchmark page reads them, so that no
number is copied by hand."""

import datetime
import math
import pathlib
import re

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
FAST, SLOW, TARGET, TIE, GRID, INK = "#2a7ab0", "#d9822b", "#222222", "#777777", "#cccccc", "#222222"

# Sizes in points, the SVG's own unit (a point is 4/3 of a CSS pixel): the site's text column is
# 736 px wide on a wide screen, and its text 16 px.
WIDTH = 552
LABEL = 12  # the names, as the site's text
SMALL = 11  # the ratios and the axis
LINE = 15  # from one line of a label to the next
BAR = 9
GAP = 11  # between rows
RIGHT = 40  # room right of the axis for a ratio at its edge
TOP = 4  # above the first label's capitals
TICKS = (0.1, 1.0)  # the lines drawn through every row


def width_of(text, size):
    from matplotlib.font_manager import FontProperties
    from matplotlib.textpath import TextToPath

    return TextToPath().get_text_width_height_descent(text, FontProperties(size=size), ismath=False)[0]


def wrapped(text, size, room):
    """The text in lines of at most `room` points, broken between words."""
    lines = []
    for word in text.split(" "):
        if lines and width_of(f"{lines[-1]} {word}", size) <= room:
            lines[-1] += f" {word}"
        else:
            lines.append(word)
    return lines


def label(result):
    """A row's label in lines: its name and its baseline's on one line when they fit, else each
    from a line of its own."""
    one = f"{result.case.name} vs {result.case.baseline_name}"
    if width_of(one, LABEL) <= WIDTH:
        return [one]
    return wrapped(result.case.name, LABEL, WIDTH) + wrapped(f"vs {result.case.baseline_name}", LABEL, WIDTH)


def x_of(ratio):
    span = math.log10(HIGH) - math.log10(LOW)
    return (math.log10(min(max(ratio, LOW), HIGH)) - math.log10(LOW)) / span * (WIDTH - RIGHT)


def chart(rows, path, title, caption):
    """Draws the rows (harness.Result) of one group into the SVG file `path`."""
    import matplotlib.pyplot as plt

    labels = [label(r) for r in rows]
    axis = 2 * SMALL + 6
    height = TOP + sum(LINE * len(lines) + 3 + BAR + GAP for lines in labels) + axis
    fig = plt.figure(figsize=(WIDTH / 72, height / 72))
    ax = fig.add_axes((0, 0, 1, 1))
    ax.set_xlim(0, WIDTH)
    ax.set_ylim(height, 0)  # from the top down, in points
    ax.axis("off")
    y = float(TOP)
    for result, lines in zip(rows, labels):
        for k, line in enumerate(lines):
            ax.text(0, y + k * LINE, line, fontsize=LABEL, va="top", color=INK)
        top = y + LINE * len(lines) + 3
        middle = top + BAR / 2
        for tick in TICKS:
            ax.plot([x_of(tick)] * 2, [top - 2, top + BAR + 2], color=TIE if tick == 1 else GRID, linewidth=1)
        ax.add_patch(plt.Rectangle((0, top), x_of(result.ratio), BAR, color=SLOW if result.missed else FAST))
        end = x_of(result.ratio)
        if math.isfinite(result.case.target):
            ax.plot([x_of(result.case.target)] * 2, [top - 3, top + BAR + 3], color=TARGET, linewidth=2)
            end = max(end, x_of(result.case.target))
        number = f"{result.ratio:.2f}" if result.ratio >= 0.1 else f"{result.ratio:.2g}"  # 0.0012, not 0.00
        start = end + 4
        for tick in TICKS:  # the number clear of the lines it would straddle
            if start - 2 <= x_of(tick) <= start + width_of(number, SMALL) + 2:
                start = x_of(tick) + 4
        ax.text(start, middle, number, fontsize=SMALL, va="center", color=INK)
        y = top + BAR + GAP
    for tick in (LOW, 0.1, 1.0, HIGH):
        ax.plot([x_of(tick)] * 2, [y - GAP + 2, y - GAP + 6], color=TIE, linewidth=1)
        align = "left" if tick == LOW else "center"
        ax.text(x_of(tick), y - GAP + 8, f"{tick:g}×", fontsize=SMALL, va="top", ha=align, color=INK)
    fig.savefig(path, metadata={"Date": None, "Title": title, "Description": caption})
    plt.close(fig)


def plot(results, modules, directory, repeats, scale=1.0):
    """Writes a chart per group of `results` (harness.Result, in run order), `modules[i]` being the
    module that made results[i], into `directory`, whose charts of an earlier run go; returns the
    files written."""
    import matplotlib

    matplotlib.use("svg")
    import matplotlib.pyplot as plt

    plt.rcParams["svg.fonttype"] = "none"  # text stays text: searchable, and a smaller file
    plt.rcParams["svg.hashsalt"] = "brisko"  # the same run draws the same files
    directory = pathlib.Path(directory)
    directory.mkdir(parents=True, exist_ok=True)
    for old in directory.glob("*.svg"):
        old.unlink()
    day = datetime.date.today().isoformat()
    sizes = "" if scale == 1.0 else f", inputs at {scale:g} of their sizes"
    caption = f"{harness.machine_line()}; {day}; median of {repeats} interleaved repeats{sizes}"
    written = []
    for k, module in enumerate(dict.fromkeys(modules), 1):
        rows = [r for r, m in zip(results, modules) if m == module]
        title = GROUPS.get(module, module)
        path = directory / f"{k:02d}-{re.sub(r'[^a-z]+', '-', module.removeprefix('cases_'))}.svg"
        chart(rows, path, title, caption)
        written.append(path)
    return written
