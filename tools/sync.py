"""./dev sync: rewrites every copy of a fact that lives in one place, from that place.

- The built module is where the exported names, their order and their signatures live: the
  reference's entry headings take each signature from it, and the stub's `__all__` its names.
- The reference is where the prose lives: the stub's docstrings (tools/stub.py) and the README's
  list of what is in brisko come from its entries and their sections.
- The files of a shared room are where its headers live: the room's index includes each one, a
  new header joining with its own opening sentence as its line.

Everything else in those files is hand-written and left as it is. `./dev sync` writes the files;
tests/test_sync.py fails, naming the command, while any of them differs from what this makes.
"""

import functools
import inspect
import pathlib
import re
import sys
import textwrap

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import brisko  # noqa: E402
import stub  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parent.parent
README = ROOT / "README.md"
REFERENCE = stub.REFERENCE
STUB = stub.STUB
ROOMS = ("binding", "core", "hashing", "iteration")  # the shared rooms below the subsystems

HEADING = re.compile(r"^(#+) `(([A-Za-z_]+)(\.[A-Za-z_]+)?[^`]*)`$", re.MULTILINE)
SECTION = re.compile(r"^(#{2,3}) (.*)$", re.MULTILINE)
NAMES_BEGIN = "<!-- BEGIN GENERATED names (./dev sync) -->"
NAMES_END = "<!-- END GENERATED names -->"
WIDTH = 100  # the README's lines


class SyncError(Exception):
    """A copy that cannot be made: what is missing from the one place, and where to add it."""


def signed(heading):
    """The heading `name(...)` with the signature the module gives that name (a callable without a
    text signature, such as flip, keeps what the reference wrote)."""
    name = heading.split("(")[0]
    obj = functools.reduce(getattr, name.split("."), brisko)
    if not getattr(obj, "__text_signature__", None):
        return heading
    return name + str(inspect.signature(obj)).replace("=Ellipsis", "=...")  # optional, without a default


def reference(text):
    """The reference with every entry's heading signed by the module."""
    headed = {m[3] for m in HEADING.finditer(text)}
    missing = [name for name in brisko.__all__ if name not in headed]
    if missing:
        raise SyncError(f"docs/reference.md has no entry for {missing}: add one headed #### `name(...)`, "
                        "with its prose and an example, to its part")
    unknown = sorted(headed - set(brisko.__all__))
    if unknown:
        raise SyncError(f"docs/reference.md heads entries for {unknown}, which brisko does not export")
    return HEADING.sub(lambda m: f"{m[1]} `{signed(m[2])}`", text)


def readme(text, ref):
    """The README with its list of names made from the reference: each part that holds entries, its
    entries grouped under the part's sections."""
    if NAMES_BEGIN not in text or NAMES_END not in text:
        raise SyncError(f"README.md lacks the lines {NAMES_BEGIN} and {NAMES_END} around its list of names")
    parts = []  # (part title, [(section title or None, [names])])
    for line in ref.splitlines():
        section, entry = SECTION.fullmatch(line), HEADING.fullmatch(line)
        if entry:
            if not parts:
                continue
            groups = parts[-1][1]
            if len(entry[1]) <= 3 or not groups:  # an entry at a section's level stands alone
                groups.append((None, []))
            name = f"`{entry[3]}`"
            if name not in groups[-1][1]:
                groups[-1][1].append(name)
        elif section and section[1] == "##":
            parts.append((section[2], []))
        elif section and parts:
            parts[-1][1].append((section[2], []))
    lines = []
    for title, groups in parts:
        groups = [(g, names) for g, names in groups if names]
        if not groups:
            continue
        if len(groups) == 1 and groups[0][0] is None:
            lines += textwrap.wrap(f"{title}: {', '.join(groups[0][1])}.", WIDTH) + [""]
            continue
        lines.append(f"{title}:")
        for k, (group, names) in enumerate(groups):
            end = "." if k == len(groups) - 1 else ";"
            item = f"{group[0].lower() + group[1:]}: " if group else ""
            lines += textwrap.wrap(f"- {item}{', '.join(names)}{end}", WIDTH, subsequent_indent="  ")
        lines.append("")
    head, rest = text.split(NAMES_BEGIN, 1)
    tail = rest.split(NAMES_END, 1)[1]
    return f"{head}{NAMES_BEGIN}\n{chr(10).join(lines)}{NAMES_END}{tail}"


def stub_text(text, ref):
    """The stub with its `__all__` the module's and its generated parts rewritten (tools/stub.py)."""
    listed = "".join(f'    "{name}",\n' for name in brisko.__all__)
    text = re.sub(r"^__all__ = \[\n(?:    .*\n)*\]\n", lambda _: f"__all__ = [\n{listed}]\n", text, count=1,
                  flags=re.MULTILINE)
    return stub.generate(text, ref)


INCLUDE = re.compile(r'^#include "(\w+\.hpp)"( +// .*)?$', re.MULTILINE)


def opening(header):
    """A header's opening sentence, for its line in the index."""
    comment = []
    for line in header.read_text().splitlines():
        if not line.startswith("//"):
            break
        comment.append(line[2:].strip())
    sentence = " ".join(comment).split(". ")[0].rstrip(".")
    return sentence or header.stem


def room_index(room, text):
    """The room's index including each of its headers once, in name order, each with its line."""
    folder = ROOT / "src" / room
    said = {m[1]: m[2].strip() for m in INCLUDE.finditer(text) if m[2]}
    headers = sorted(p.name for p in folder.glob("*.hpp") if p.stem != room)
    lines = [(f'#include "{h}"', said.get(h) or "// " + opening(folder / h)) for h in headers]
    width = max(len(include) for include, _ in lines) + 2
    block = "\n".join(f"{include:<{width}}{comment}" for include, comment in lines)
    found = list(INCLUDE.finditer(text))
    if not found:
        raise SyncError(f"src/{room}/{room}.hpp includes none of its headers")
    return text[: found[0].start()] + block + text[found[-1].end() :]


def generated(read=pathlib.Path.read_text):
    """{path: the text it should hold} for every file that holds a copy, each file read by `read`."""
    ref = reference(read(REFERENCE))
    out = {REFERENCE: ref, README: readme(read(README), ref), STUB: stub_text(read(STUB), ref)}
    for room in ROOMS:
        path = ROOT / "src" / room / f"{room}.hpp"
        out[path] = room_index(room, read(path))
    return out


def main():
    try:
        files = generated()
    except SyncError as e:
        sys.exit(f"sync: {e}")
    for path, text in files.items():
        if path.read_text() != text:
            path.write_text(text)
            print(f"sync: rewrote {path.relative_to(ROOT)}")


if __name__ == "__main__":
    main()
