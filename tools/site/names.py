"""A Sphinx extension: every inline literal that names an exported entry (`curry`, `Option.of`,
or a call of one, `groupby(key, seq)`) becomes a link to the entry's heading, wherever it stands.
The reference writes names in backticks and never as links, so the site links them all, and a
rename that leaves a stale name in the text shows as an unlinked one rather than a broken link."""

from docutils import nodes
from pages import CALL
from sphinx import addnodes
from sphinx.transforms import SphinxTransform


class IndexEntries(SphinxTransform):
    """An index entry for each entry's heading, under the bare name: the site's search finds
    `curry` as an entry of its own (a heading reads `curry(func, *args, **kwargs)`, too long a
    title for a one-word search to match), and the general index lists every name."""

    default_priority = 500

    def apply(self):
        import brisko

        exported = set(brisko.__all__)
        for section in self.document.findall(nodes.section):
            match = CALL.match(section[0].astext())
            name = match and match["name"]
            if name and (name in exported or name.split(".")[0] in exported):
                anchor = nodes.make_id(name)
                if anchor in section["ids"]:
                    section.insert(1, addnodes.index(entries=[("single", name, anchor, "", None)]))


def ancestor(node, kind):
    """The nearest enclosing node of the class `kind`, or None."""
    node = node.parent
    while node is not None and not isinstance(node, kind):
        node = node.parent
    return node


def in_foreign_column(literal):
    """Whether the literal stands in a table column headed "standard library": the table that maps
    the standard library's functions (and its documentation's recipes, some named as brisko's
    tools are: `take`, `nth`) to brisko's names them there, never brisko's own."""
    cell = ancestor(literal, nodes.entry)
    if cell is None:
        return False
    column = cell.parent.index(cell)
    table = ancestor(cell, nodes.tgroup)
    heads = [row for head in table.findall(nodes.thead) for row in head.findall(nodes.row)]
    return bool(heads) and heads[0][column].astext().strip() == "standard library"


def link_names(app, doctree, page):
    names = app.env.brisko_names
    for literal in list(doctree.findall(nodes.literal)):
        if isinstance(literal.parent, (nodes.reference, nodes.title)) or in_foreign_column(literal):
            continue
        match = CALL.match(literal.astext())
        target = match and names.get(match["name"])
        if not target:
            continue
        target_page, anchor = target
        section = ancestor(literal, nodes.section)
        if target_page == page and section is not None and anchor in section["ids"]:
            continue  # the entry's own text
        uri = app.builder.get_relative_uri(page, target_page) + "#" + anchor
        reference = nodes.reference("", "", internal=True, refuri=uri)
        literal.replace_self(reference)
        reference += literal


def collect(app, env):
    """Finds each exported name's entry among the targets the page sources declare (a class known
    by its constructor's entry, as Option by `Option.of`, links there)."""
    import brisko

    labels = env.get_domain("std").labels
    names = {}
    for name in brisko.__all__:
        for label in (name, f"{name}.of"):
            if label.lower() in labels:
                page, anchor, _ = labels[label.lower()]
                names.setdefault(name, (page, anchor))
                names[label] = (page, anchor)
    missing = sorted(set(brisko.__all__) - set(names))
    if missing:
        raise RuntimeError(f"exported names without an entry on the site: {missing}")
    env.brisko_names = names


def setup(app):
    app.add_transform(IndexEntries)
    app.connect("env-updated", collect)
    app.connect("doctree-resolved", link_names)
    return {"parallel_read_safe": True, "env_version": 1}
