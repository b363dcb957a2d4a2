"""The documentation site's page sources, cut from the files readers find in the repository, as they
are: the README gives the landing page (its opening and its list of names), the install page and
the developers' page; docs/reference.md a page per subsystem and topic; docs/getting-started.md and
CHANGELOG.md a page each. A page takes whole sections (a heading and everything under it), so that
no text exists twice and the examples that ./dev test runs are the ones the site shows. Every line
of the README and of the reference lands on exactly one page: a section that no page names goes
with its parent, and one that another page takes is left out of its parent's.

What the site adds to the reference as it reads it: each entry (a heading that is a name in
backticks, `valmap(func, d, factory=None)`) becomes an object of Sphinx's Python domain, so that
the search, the general index and objects.inv know every name; each page that has examples starts
them with the imports they need; and a part's title leaves out the directory of its code, which
the README's layout gives. The benchmark page shows the charts that `./dev bench --plot` last
wrote, one per group of rows, under the titles and the provenance the charts carry."""

import dataclasses
import inspect
import pathlib
import re
import shutil
import xml.etree.ElementTree as ET

ROOT = pathlib.Path(__file__).resolve().parent.parent.parent
README = ROOT / "README.md"
REFERENCE = ROOT / "docs" / "reference.md"
GUIDE = ROOT / "docs" / "getting-started.md"
CHANGELOG = ROOT / "CHANGELOG.md"
CHARTS = ROOT / "docs" / "bench"

HEADING = re.compile(r"^(#{1,6}) +(.*)$")
FENCE = re.compile(r"^(```|~~~)")
# A name as the reference writes it (dotted for a class's method, `Option.of`), alone or called:
# what an entry's heading holds in backticks, and what a mention of it holds.
CALL = re.compile(r"^(?P<name>[A-Za-z_][A-Za-z_0-9]*(?:\.[A-Za-z_][A-Za-z_0-9]*)?)(?:\(.*\))?$")
LOCAL_LINK = re.compile(r"\]\(#(?P<slug>[^)\s]+)\)")
FILE_LINK = re.compile(r"\]\((?P<path>[^)#\s:]+)(?P<anchor>#[^)\s]*)?\)")
# A part's title ends with the directory of its code, "Function tools (`src/functoolz`)", which
# tells a reader of the site nothing.
CODE_DIRECTORY = re.compile(r" \(`src/[\w/]+`\)$")
SETUP = re.compile(r"^>>> (?:from brisko import \*|import (?P<module>\w+))$")

# The files of the repository that the site shows as pages of their own, as the README links them.
SITE_FILES = {"docs/getting-started.md": "getting-started", "docs/reference.md": "reference",
              "CHANGELOG.md": "changelog", "docs/bench/": "benchmarks"}

# (page, title or None, sections it takes): a page of one section takes that section's heading as
# its title; a page of several gets the title given, with their headings below it.
README_PAGES = [
    ("index", None, ["brisko"]),
    ("installing", None, ["Installing"]),
    ("developing", None, ["Developing brisko"]),
]
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
            line = "#" * (top - 1 + len(open_levels)) + " " + CODE_DIRECTORY.sub("", match[2])
        out.append(line)
    return out


def cut(path, pages):
    """{page: its lines} for the pages that take sections of the Markdown file `path`, and {the
    anchor of each of its headings: (the page it went to, its anchor there)}."""
    lines = path.read_text().splitlines()
    found = sections(lines)
    by_title = {s.title: s for s in found}
    taken = {title: page for page, _, titles in pages for title in titles}
    missing = sorted(set(taken) - set(by_title))
    twice = sorted(t for t in taken if sum(s.title == t for s in found) > 1)
    if missing or twice:
        raise SystemExit(f"docs: a page takes a section {path.name} has not once: {missing + twice}")
    owner = [None] * len(lines)  # the page each line goes to
    for s in sorted((by_title[t] for t in taken), key=lambda s: (s.end - s.start), reverse=True):
        for i in range(s.start, s.end):
            owner[i] = taken[s.title]  # an inner section, taken later, overrides its parent
    homeless = [i + 1 for i, page in enumerate(owner) if page is None]
    if homeless:
        raise SystemExit(f"docs: {path.name} lines {homeless[:5]}... belong to no page")
    # A heading's anchor, for the page it went to: the files' own links (#counts) cross pages.
    home = {slug(s.title): (owner[s.start], slug(CODE_DIRECTORY.sub("", s.title))) for s in found}
    out = {}
    for page, title, titles in pages:
        body = []
        for t in titles:
            s = by_title[t]
            kept = [line for i, line in enumerate(lines[s.start : s.end], s.start) if owner[i] == page]
            body += leveled(kept, 1 if title is None else 2) + [""]
        out[page] = ([f"# {title}", ""] if title else []) + body
    return out, home


def linked(text, home, page, source):
    """The page's Markdown with its links to headings of its file (`#counts`) and to the files that
    are pages of the site (`docs/reference.md`) turned into links to those pages."""

    def local(match):
        target = home.get(match["slug"])
        if target is None:
            raise SystemExit(f"docs: {source.name} links #{match['slug']}, which no heading has")
        where, anchor = target
        return f"]({'' if where == page else where + '.md'}#{anchor})"

    def file(match):
        target = SITE_FILES.get(match["path"])
        return match[0] if target is None else f"]({target}.md{match['anchor'] or ''})"

    return FILE_LINK.sub(file, LOCAL_LINK.sub(local, text))


def method_kind(cls, name):
    """The Python domain's directive for the method `name` of the class `cls`."""
    found = inspect.getattr_static(cls, name)
    if isinstance(found, classmethod) or type(found).__name__ == "classmethod_descriptor":
        return "classmethod"
    if isinstance(found, staticmethod) or inspect.isbuiltin(found):
        return "staticmethod"  # a function in the class's dict, as Option.of: no binding
    return "method"


def described(lines):
    """The lines with each entry of the reference (its heading and its text, up to the next
    heading) an object description of Sphinx's Python domain: a function, a class, a datum of the
    module, or a class's method (the entry `Option.of(v)` describes the class Option by its one
    method). The fence of a description is longer than those of the examples it holds."""
    import brisko

    out, marks, i = [], list(headings(lines)), 0
    while i < len(lines):
        line, match = marks[i]
        title = match[2] if match else ""
        entry = title[:1] == title[-1:] == "`" and CALL.match(title[1:-1])
        if not entry:
            out.append(line)
            i += 1
            continue
        end = next((j for j in range(i + 1, len(lines)) if marks[j][1]), len(lines))
        body = lines[i + 1 : end]
        while body and not body[-1].strip():
            body.pop()
        signature = title[1:-1]
        owner, _, member = entry["name"].partition(".")
        if not hasattr(brisko, owner):
            raise SystemExit(f"docs: the reference heads an entry for {owner}, which brisko does not export")
        obj = getattr(brisko, owner)
        if member:
            kind = method_kind(obj, member)
            out += [f"`````{{py:class}} {owner}", "", f"````{{py:{kind}}} {signature.partition('.')[2]}",
                    *body, "````", "`````", ""]
        else:
            kind = "class" if isinstance(obj, type) else "function" if callable(obj) else "data"
            out += [f"````{{py:{kind}}} {signature}", *body, "````", ""]
        i = end
    return out


def setup_lines():
    """The reference's opening imports (`>>> from brisko import *`, `>>> import operator`), which
    every example of it runs after."""
    return [line for line in REFERENCE.read_text().splitlines() if SETUP.match(line)]


def opened(lines, setup, module_page):
    """The page's lines with the module named for the Python domain under its title (declared on
    the reference's own page, current everywhere else), and, on a page whose examples do not
    import brisko themselves, the imports they need first."""
    examples = "\n".join(line for line in lines if line.startswith((">>> ", "... ")))
    head = ["", f"```{{py:{'module' if module_page else 'currentmodule'}}} brisko", "```", ""]
    needed = [line for line in setup
              if not SETUP.match(line)["module"] or re.search(rf"\b{SETUP.match(line)['module']}\.", examples)]
    if examples and "from brisko import" not in examples:
        head += ["The examples on this page run after these imports:", "", "```python", *needed, "", "```", ""]
    return lines[:1] + head + lines[1:]


def reference_pages():
    """{page: Markdown} for the reference's pages."""
    pages, home = cut(REFERENCE, PAGES)
    setup = setup_lines()
    return {page: linked("\n".join(opened(described(lines), setup, page == "reference")), home, page, REFERENCE)
            for page, lines in pages.items()}


def readme_pages():
    """{page: Markdown} for the README's pages."""
    pages, home = cut(README, README_PAGES)
    return {page: linked("\n".join(lines), home, page, README) for page, lines in pages.items()}


DC = "{http://purl.org/dc/elements/1.1/}"


def charts():
    """[(file, title, provenance)] for the charts of the last `./dev bench --plot`, in its order."""
    found = []
    for path in sorted(CHARTS.glob("*.svg")):
        metadata = ET.parse(path).getroot()
        title = metadata.find(f".//{DC}title")
        about = metadata.find(f".//{DC}description")
        if title is None or about is None:
            raise SystemExit(f"docs: {path.relative_to(ROOT)} lacks its title or provenance: ./dev bench --plot")
        found.append((path, title.text, about.text))
    if not found:
        raise SystemExit(f"docs: no charts in {CHARTS.relative_to(ROOT)}: ./dev bench --plot draws them")
    return found


BENCHMARKS = """# Benchmarks

Each bar is brisko's time for one row of `./dev bench` over the time of the closest
standard-library formulation of the same job, named under the row's own (`vs ...`), on a log
scale. Left of the line at 1, brisko is the faster; the dark mark on a row is its target, and an
orange bar one that the row missed. The rows of the last two groups run two jobs at once, on two
cores, against the same jobs one after the other.

The charts come from one run: {provenance}. To draw them again from a run on your machine:
`./dev bench --plot` (it rewrites `docs/bench/`), then `./dev docs`. Each chart links to its file.
"""

CHART = """
## {title}

```{{image}} {name}
:alt: {title}: brisko's time over its baseline's, per benchmark row
:target: _images/{name}
```
"""

TOCTREES = """
```{toctree}
:hidden:
:caption: Using brisko

getting-started
installing
```

```{toctree}
:hidden:
:caption: Reference

%s
```

```{toctree}
:hidden:
:caption: The project

benchmarks
changelog
developing
```
"""


def write(out):
    """Writes the page sources into the directory `out` (emptied first)."""
    shutil.rmtree(out, ignore_errors=True)
    out.mkdir(parents=True)
    reference = reference_pages()
    pages = {**readme_pages(), **reference}
    pages["index"] += TOCTREES % "\n".join(reference)
    pages["getting-started"] = GUIDE.read_text()
    pages["changelog"] = CHANGELOG.read_text()
    found = charts()
    pages["benchmarks"] = BENCHMARKS.format(provenance=found[0][2]) + "".join(
        CHART.format(title=title, name=path.name) for path, title, _ in found)
    for page, text in pages.items():
        (out / f"{page}.md").write_text(text.rstrip("\n") + "\n")
    for path, _, _ in found:
        shutil.copy(path, out / path.name)
