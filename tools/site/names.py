"""A Sphinx extension for brisko's names. pages.py makes each entry of the reference an object of
the Python domain; this gives each class's methods a place too, and links every inline literal
that names an exported name or a method (`curry`, `Option.of`, `Iter.take`, or a call of one,
`groupby(key, seq)`) to it, wherever it stands. The reference writes names in backticks and never
as links, so the site links them all, and a rename that leaves a stale name in the text shows as
an unlinked one rather than a broken link. The build fails while an exported name or a class's
public method has no place on the site: the search, the general index and objects.inv would miss
it."""

from docutils import nodes
from pages import CALL
from sphinx import addnodes
from sphinx.transforms import SphinxTransform
from sphinx.util import logging

logger = logging.getLogger(__name__)


def ancestor(node, kind):
    """The nearest enclosing node of the class `kind`, or None."""
    node = node.parent
    while node is not None and not isinstance(node, kind):
        node = node.parent
    return node


def public_methods(cls):
    return [name for name in dir(cls) if not name.startswith("_") and callable(getattr(cls, name))]


class MethodTargets(SphinxTransform):
    """The reference describes a class's methods in its entry's prose (`map(f)` gives ...), not
    under headings of their own: the literal where the entry first names a method, called if it
    ever is, becomes the method's object in the Python domain (brisko.Some.map), with its index
    entry, so that a search for `unwrap_or` lands on the sentence that says what it does."""

    default_priority = 500

    def apply(self):
        import brisko

        domain = self.env.get_domain("py")
        for desc in list(self.document.findall(addnodes.desc)):
            if desc.get("domain") != "py" or desc.get("objtype") != "class":
                continue
            cls_name = desc[0]["fullname"]
            content = desc.children[-1]
            literals = [lit for lit in content.findall(nodes.literal) if ancestor(lit, addnodes.desc) is desc]
            for method in public_methods(getattr(brisko, cls_name)):
                fullname = f"brisko.{cls_name}.{method}"
                if fullname in domain.objects:
                    continue  # described by a directive of its own, as Option.of
                named = [lit for lit in literals if (m := CALL.match(lit.astext())) and m["name"] == method]
                called = [lit for lit in named if "(" in lit.astext()]
                if not named:
                    logger.warning(f"the entry of {cls_name} never names its method {method}", location=desc)
                    continue
                target = (called or named)[0]
                target["ids"].append(fullname)
                domain.note_object(fullname, "method", fullname, location=target)
                entry = ("single", f"{method}() (brisko.{cls_name} method)", fullname, "", None)
                target.parent.insert(target.parent.index(target), addnodes.index(entries=[entry]))


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


def describes(literal, anchor):
    """Whether the literal stands in the description of the object whose target is `anchor` (or in
    one nested in it): the entry's own text, which needs no link to itself."""
    desc = ancestor(literal, addnodes.desc)
    while desc is not None:
        if anchor in desc[0]["ids"]:
            return True
        desc = ancestor(desc, addnodes.desc)
    return False


def link_names(app, doctree, page):
    names = app.env.brisko_names
    for literal in list(doctree.findall(nodes.literal)):
        if literal["ids"] or isinstance(literal.parent, (nodes.reference, nodes.title)) or in_foreign_column(literal):
            continue
        match = CALL.match(literal.astext())
        target = match and names.get(match["name"])
        if not target:
            continue
        target_page, anchor = target
        if target_page == page and describes(literal, anchor):
            continue
        uri = app.builder.get_relative_uri(page, target_page) + "#" + anchor
        reference = nodes.reference("", "", internal=True, refuri=uri)
        literal.replace_self(reference)
        reference += literal


def collect(app, env):
    """Finds each exported name and method among the Python domain's objects: {name as the
    reference writes it, `valmap` or `Iter.take`: (page, anchor)}."""
    import brisko

    names = {}
    for fullname, entry in env.get_domain("py").objects.items():
        if fullname.startswith("brisko.") and not entry.aliased:
            names[fullname.removeprefix("brisko.")] = (entry.docname, entry.node_id)
    missing = sorted(set(brisko.__all__) - set(names))
    if missing:
        raise RuntimeError(f"exported names without an entry on the site: {missing}")
    env.brisko_names = names


def setup(app):
    app.add_transform(MethodTargets)
    app.connect("env-updated", collect)
    app.connect("doctree-resolved", link_names)
    return {"parallel_read_safe": True, "env_version": 2}
