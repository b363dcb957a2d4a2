"""The generated parts of python/brisko/_brisko.pyi: the arity overloads of pipe, compose,
compose_left, thread_first, thread_last and juxt, the overloads that type a literal index into a
tuple (get, get_opt, pluck, countby, groupby, reduceby and their Iter methods), each between BEGIN/END
GENERATED lines, and the docstring of every name the reference documents: the first paragraph of
its entry there and the entry's first example, which editors show on hover.

The reference is the one source of that prose: its examples run as tests, and a docstring is its
summary. `./dev sync` (tools/sync.py) rewrites the stub with them.
"""

import ast
import pathlib
import re
import textwrap

ROOT = pathlib.Path(__file__).resolve().parent.parent
STUB = ROOT / "python" / "brisko" / "_brisko.pyi"
REFERENCE = ROOT / "docs" / "reference.md"
WIDTH = 120
ARITY = 8  # typed stage by stage up to this many functions
JUXT_ARITY = 4
INDICES = 8  # a literal index into a tuple is typed for the positions 0..7
# The blocks holding only some of their name's overloads, after a first one that bears the docstring.
PARTIAL = {"get", "pluck", "countby", "groupby", "reduceby", "Iter.pluck", "Iter.group_by"}


def _chain(k, link):
    """link(i) for the stages 1..k, each typed from the previous stage's result."""
    return ", ".join(link(i) for i in range(1, k + 1))


def _item(i, item):
    """A tuple of at least i + 1 items whose item i is `item`."""
    return f"tuple[{', '.join(['Any'] * i + [item])}, *tuple[Any, ...]]"


def _row(i):
    """A tuple of at least i + 1 items whose item i is the key _H, every item typed: the groups hold
    the rows as they came."""
    return f"tuple[{', '.join([f'_I{j}' for j in range(i)] + ['_H', '*_Ts'])}]"


# Overloads for a literal index i into tuples, one set per position: {lit} is the literal, {item}
# a tuple whose item i is _V, {key} one whose item i is _H, {row} a row keyed by item i.
LITERAL_INDEX = {
    "get": ["get(ind: {lit}, coll: {item}) -> _V", "get(ind: {lit}, coll: {item} | None, default: _D) -> _V | _D"],
    "get_opt": ["get_opt(ind: {lit}, coll: {item} | None) -> Some[_V] | NothingType"],
    "pluck": ["pluck(ind: {lit}, seqs: Iterable[{item}]) -> Iterator[_V]",
              "pluck(ind: {lit}, seqs: Iterable[{item}], default: _D) -> Iterator[_V | _D]"],
    "Iter.pluck": ["pluck(self: Iter[{item}], ind: {lit}) -> Iter[_V]"],
    "countby": ["countby(key: {lit}, seq: Iterable[{key}]) -> dict[_H, int]"],
    "groupby": ["groupby(key: {lit}, seq: Iterable[{row}]) -> dict[_H, list[{row}]]"],
    "Iter.group_by": ["group_by(self: Iter[{row}], key: {lit}) -> dict[_H, list[{row}]]"],
    "reduceby": [
        "reduceby(key: {lit}, binop: Callable[[{row}, {row}], {row}], seq: Iterable[{row}]) -> dict[_H, {row}]",
        "reduceby(key: {lit}, binop: Callable[[_A, {row}], _R], seq: Iterable[{row}], init: Callable[[], _A]) -> "
        "dict[_H, _R]",
        "reduceby(key: {lit}, binop: Callable[[_A, {row}], _R], seq: Iterable[{row}], init: _A) -> dict[_H, _R]",
    ],
}


def _overloads(name):
    """The overload signatures of `name`, first one first (the docstring goes on it)."""
    if name in LITERAL_INDEX:
        for i in range(INDICES):
            parts = {"lit": f"Literal[{i}]", "item": _item(i, "_V"), "key": _item(i, "_H"), "row": _row(i)}
            yield from (template.format(**parts) for template in LITERAL_INDEX[name])
        if name == "get_opt":
            yield "get_opt(ind: _K, coll: _Indexable[_K, _V] | None) -> Some[_V] | NothingType"
    elif name == "pipe":
        yield "pipe(data: _T0) -> _T0"
        for k in range(1, ARITY + 1):
            yield f"pipe(data: _T0, {_chain(k, lambda i: f'f{i}: Callable[[_T{i - 1}], _T{i}]')}, /) -> _T{k}"
        yield "pipe(data: _T, *funcs: Callable[[_T], _T]) -> _T"
    elif name in ("compose", "compose_left"):
        yield f"{name}() -> Callable[[_T], _T]"
        for k in range(1, ARITY + 1):
            stages = ["f1: Callable[_P, _T1]"] + [f"f{i}: Callable[[_T{i - 1}], _T{i}]" for i in range(2, k + 1)]
            if name == "compose":
                stages.reverse()
            yield f"{name}({', '.join(stages)}, /) -> Callable[_P, _T{k}]"
        yield f"{name}(*funcs: Callable[[_T], _T]) -> Callable[[_T], _T]"
    elif name in ("thread_first", "thread_last"):
        form = "_FirstForm" if name == "thread_first" else "_LastForm"
        yield f"{name}(val: _T0) -> _T0"
        for k in range(1, ARITY + 1):
            forms = _chain(k, lambda i: f"f{i}: {form}[_T{i - 1}, _T{i}, _X{i}a, _X{i}b, _X{i}c]")
            yield f"{name}(val: _T0, {forms}, /) -> _T{k}"
        yield f"{name}(val: _T, *forms: {form}[_T, _T, _X1a, _X1b, _X1c]) -> _T"
    elif name == "juxt":
        yield "juxt() -> Callable[..., tuple[()]]"
        yield "juxt(funcs: Iterable[Callable[..., _T]], /) -> Callable[..., tuple[_T, ...]]"
        yield "juxt(funcs: Iterable[Callable[..., Any]], /) -> Callable[..., tuple[Any, ...]]"
        for k in range(1, JUXT_ARITY + 1):
            results = ", ".join(f"_T{i}" for i in range(1, k + 1))
            for arg in ("[_T0]", "..."):
                funcs = _chain(k, lambda i: f"f{i}: Callable[{arg}, _T{i}]")
                yield f"juxt({funcs}, /) -> Callable[{arg}, tuple[{results}]]"
        yield "juxt(*funcs: Callable[..., _T]) -> Callable[..., tuple[_T, ...]]"
    else:
        raise ValueError(f"no overloads are generated for {name}")


def _overload_block(name, indent):
    lines = []
    for n, signature in enumerate(_overloads(name)):
        documented = n == 0 and name not in PARTIAL
        lines += [f"{indent}@overload", f"{indent}def {signature}:" + ("" if documented else " ...")]
        if documented:
            lines.append(f'{indent}    """"""')  # filled from the reference
    return lines


# An entry runs to the next heading (a comment in an example starts with a small letter).
ENTRY = re.compile(r"^#+ `([A-Za-z_.]+)[^`]*`\n\n(.*?)(?=^#+ [`A-Z]|\Z)", re.MULTILINE | re.DOTALL)
EXAMPLE = re.compile(r"^```python\n(.*?)^```", re.MULTILINE | re.DOTALL)


def summaries(reference):
    """{name as headed, e.g. 'take' or 'Option.of': its docstring}, which is the first paragraph of
    its entry and the entry's first example, as an editor shows on hover."""
    found = {}
    for match in ENTRY.finditer(reference):
        paragraph = " ".join(match.group(2).split("\n\n")[0].split())
        example = EXAMPLE.search(match.group(2))
        found[match.group(1)] = (paragraph, example.group(1).rstrip("\n") if example else "")
    return found


def _docstring(summary, indent):
    paragraph, example = summary
    text = paragraph + (f"\n\n{example}" if example else "")
    if '"""' in text:
        raise ValueError(f"cannot quote {text!r}")
    quote = 'r"""' if "\\" in text else '"""'
    one_line = f"{indent}{quote}{paragraph}\"\"\""
    if not example and len(one_line) <= WIDTH:
        return [one_line]
    lines = textwrap.wrap(quote + paragraph, WIDTH - len(indent), break_on_hyphens=False)
    if example:
        lines += [""] + example.splitlines()
    return [indent + line if line else "" for line in lines] + [indent + '"""']


def _docstring_nodes(tree):
    """{name: the docstring's Expr node} for every top-level function, class and annotated variable,
    and for 'Cls.method' the methods of the classes (the first overload of each name). A function
    written on one line, `def f(x: int) -> int: ...`, has its `...` there, where a docstring goes."""
    nodes = {}

    def visit(body, prefix):
        for node, following in zip(body, body[1:] + [None]):
            name = None
            if isinstance(node, (ast.FunctionDef, ast.ClassDef)):
                name, doc = node.name, node.body[0]
            elif isinstance(node, ast.AnnAssign) and isinstance(node.target, ast.Name):
                name, doc = node.target.id, following
            if name is None or prefix + name in nodes:
                continue
            constant = isinstance(doc, ast.Expr) and isinstance(doc.value, ast.Constant) and doc.value.value
            if isinstance(constant, str) or constant is ... and doc.lineno == node.lineno:
                nodes[prefix + name] = doc
            if isinstance(node, ast.ClassDef) and not prefix:
                visit(node.body, node.name + ".")

    visit(tree.body, "")
    return nodes


def generate(stub, reference):
    """The stub with its generated parts rewritten."""
    lines = stub.splitlines()
    for i in reversed(range(len(lines))):
        begin = re.fullmatch(r"( *)# BEGIN GENERATED ([\w.]+) \(tools/stub\.py\)", lines[i])
        if begin:
            indent, name = begin.groups()
            end = lines.index(f"{indent}# END GENERATED {name}", i)
            lines[i + 1 : end] = _overload_block(name, indent)
    tree = ast.parse("\n".join(lines))
    nodes = _docstring_nodes(tree)
    assigned = {n.targets[0].id: n.value for n in tree.body if isinstance(n, ast.Assign)}
    exported = ast.literal_eval(assigned["__all__"])
    undocumented = sorted(set(exported) - set(nodes))
    if undocumented:
        raise ValueError(f"names without a docstring in the stub: {undocumented}")
    docs = summaries(reference)
    missing = sorted(set(docs) - set(nodes))
    if missing:
        raise ValueError(f"documented names the stub does not declare with a docstring: {missing}")
    for name, node in sorted(((n, nodes[n]) for n in docs), key=lambda item: -item[1].lineno):
        line = lines[node.lineno - 1]
        if node.value.value is ...:  # the one-line form: the docstring goes under its def
            indent = line[: len(line) - len(line.lstrip())] + "    "
            written = [line[: node.col_offset].rstrip()] + _docstring(docs[name], indent)
        else:
            written = _docstring(docs[name], line[: node.col_offset])
        lines[node.lineno - 1 : node.end_lineno] = written
    return "\n".join(lines) + "\n"

