"""The documentation site's page sources, cut from the README and the reference as they are: the
README is the overview page, and each page of the reference takes whole sections of docs/reference.md
(a heading and everything under it), so that no text exists twice and the examples that ./dev test
runs are the ones the site shows. Every line of the reference lands on exactly one page: a section
that no page names goes with its parent, and one that another page takes is left out of its
parent's. The benchmark page shows the chart that `./dev bench --plot` last wrote."""

import dataclasses
import pathlib
import re
import shutil

ROOT = pathlib.Path(__file__).resolve().parent.parent.parent
README = ROOT / "README.md"
REFERENCE = ROOT / "docs" / "reference.md"
CHART = ROOT / "docs" / "bench.svg"

HEADING = re.compile(r"^(#{1,6}) +(.*)$")
FENCE = re.compile(r"^(```|~~~)")
# A name as the reference writes it (dotted for a class's method, `Option.of`), alone or called:
# what an entry's heading holds in backticks, and what a mention of it holds.
CALL = re.compile(r"^(?P<name>[A-Za-z_][A-Za-z_0-9]*(?:\.[A-Za-z_][A-Za-z_0-9]*)?)(?:\(.*\))?$")
LOCAL_LINK = re.compile(r"\]\(#(?P<slug>[^)\s]+)\)")

# (page, title or None, reference sections it takes): a page of one section takes that section's
# heading as its title; a page of several gets the title given, with their headings below it.
PAGES = [
    ("reference", None, ["brisko reference"]),
    ("conventions", "Conventions", ["Supported interpreters", "Conventions"]),
    ("migration", None, ["Coming from itertools and functools"]),
    ("sequences", None, ["Sequence and iterator tools (`src/itertoolz`)"]),
    ("grouping", None, ["Grouping and counting"]),
    ("functions", None, ["Function tools (`src/functoolz`)"]),
    ("mappings", None, ["Mapping tools (`src/dicttoolz`)"]),
    ("option-result", None, ["Option and Result values (`src/option`)"]),
    ("iter", None, ["Fluent iterator (`src/iter`)"]),
    ("pickling", None, ["Pickling and copying"]),
    ("types", None, ["Types"]),
    ("scaling", None, ["Scaling out"]),
    ("threads-interpreters", "Threads and interpreters", ["Threads and free-threaded Python", "Many interpreters"]),
]


@dataclasses.dataclass
class Section:
    level: int
    title: str
    start: int  # its heading's line
    end: int = 0  # the line after everything under it


def headings(lines):
    """(line, its heading match or None) for each line: a `#` inside a code block is no heading."""
    fenced = False
    for line in lines:
        if FENCE.match(line):
            fenced = not fenced
        yield line, None if fenced else HEADING.match(line)


def sections(lines):
    """Every heading outside code blocks, as a Section spanning its subsections."""
    found = [Section(len(m[1]), m[2], i) for i, (_, m) in enumerate(headings(lines)) if m]
    for k, section in enumerate(found):
        later = (s.start for s in found[k + 1 :] if s.level <= section.level)
        section.end = next(later, len(lines))
    return found


def slug(title):
    """The anchor the site (and a Markdown renderer) gives a heading."""
    text = re.sub(r"[^\w\- ]", "", title.strip().lower())
    return text.replace(" ", "-")


def leveled(lines, top):
    """The lines with every heading outside code blocks at its depth below the first, which goes to
    level `top`: a page starts at its own title, and no level is skipped (the reference goes from
    a part's heading straight to its entries' at times, which a Markdown page may, a site not)."""
    out, open_levels = [], []
    for line, match in headings(lines):
        if match:
            level = len(match[1])
            while open_levels and open_levels[-1] >= level:
                open_levels.pop()
            open_levels.append(level)
            line = "#" * (top - 1 + len(open_levels)) + " " + match[2]
        out.append(line)
    return out


def anchored(lines):
    """Each entry's heading preceded by a target named after its entry, so that any page can link
    `curry` or `Option.of` to its place."""
    out = []
    for line, match in headings(lines):
        title = match[2] if match else ""
        entry = title[:1] == title[-1:] == "`" and CALL.match(title[1:-1])
        if entry:
            out += [f"({entry['name']})=", ""]
        out.append(line)
    return out


def cut_reference(text):
    """{page: Markdown} for the reference's pages."""
    lines = text.splitlines()
    found = sections(lines)
    by_title = {s.title: s for s in found}
    taken = {title: page for page, _, titles in PAGES for title in titles}
    missing = sorted(set(taken) - set(by_title))
    twice = sorted(t for t in taken if sum(s.title == t for s in found) > 1)
    if missing or twice:
        raise SystemExit(f"docs: a page takes a section the reference has not once: {missing + twice}")
    owner = [None] * len(lines)  # the page each line goes to
    for s in sorted((by_title[t] for t in taken), key=lambda s: (s.end - s.start), reverse=True):
        for i in range(s.start, s.end):
            owner[i] = taken[s.title]  # an inner section, taken later, overrides its parent
    homeless = [i + 1 for i, page in enumerate(owner) if page is None]
    if homeless:
        raise SystemExit(f"docs: reference lines {homeless[:5]}... belong to no page")
    # A heading's anchor, for the page it went to: the reference's own links (#counts) cross pages.
    home = {slug(s.title): owner[s.start] for s in found}
    pages = {}
    for page, title, titles in PAGES:
        body = []
        for t in titles:
            s = by_title[t]
            kept = [line for i, line in enumerate(lines[s.start : s.end], s.start) if owner[i] == page]
            body += leveled(kept, 1 if title is None else 2) + [""]
        body = ([f"# {title}", ""] if title else []) + anchored(body)
        linked = LOCAL_LINK.sub(lambda m: link(m, home, page), "\n".join(body))
        pages[page] = linked + "\n"
    return pages


def link(match, home, page):
    target = home.get(match["slug"])
    if target is None:
        raise SystemExit(f"docs: the reference links #{match['slug']}, which no heading has")
    return f"]({'' if target == page else target + '.md'}#{match['slug']})"


BENCHMARKS = """# Benchmarks

Each bar is brisko's time for one row of `./dev bench` over the time of the closest
standard-library formulation of the same job (the row names both), from the run that last wrote
the chart: its caption names the machine, the interpreter and the day. Left of 1, brisko is the
faster; the mark on a row is its target. The rows in the last group run two jobs at once, on two
cores, against the same jobs one after the other.

To draw it again from a run on your machine: `./dev bench --plot` (it rewrites `docs/bench.svg`),
then `./dev docs`.

![brisko's time over its baseline's, per benchmark row](bench.svg)
"""

INDEX_TOC = """
```{toctree}
:hidden:
:maxdepth: 2

%s
benchmarks
```
"""


def write(out):
    """Writes the page sources into the directory `out` (emptied first)."""
    shutil.rmtree(out, ignore_errors=True)
    out.mkdir(parents=True)
    pages = cut_reference(REFERENCE.read_text())
    for page, text in pages.items():
        (out / f"{page}.md").write_text(text)
    (out / "index.md").write_text(README.read_text() + INDEX_TOC % "\n".join(pages))
    (out / "benchmarks.md").write_text(BENCHMARKS)
    shutil.copy(CHART, out / "bench.svg")
