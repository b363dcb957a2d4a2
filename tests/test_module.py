"""The module as a whole: exported names and their order, signatures, class rules, argument errors."""

import ast
import gc
import inspect
import pathlib
import subprocess
import sys

import pytest

import brisko
from brisko import _brisko as b

# Every exported name in registration order: its kind, then the text signature of a function or
# of a class's constructor. A "namespace" is a class without a constructor.
REGISTRATION = """
Some            class       (value)
NothingType     class       ()
Option          namespace
Ok              class       (value)
Err             class       (error)
Result          namespace
Nothing         instance
first_opt       function    (seq)
last_opt        function    (seq)
nth_opt         function    (n, seq)
get_opt         function    (ind, coll)
get_in_opt      function    (coll, *keys)
peek_opt        function    (seq)
NativeIter      namespace
count           function    (seq)
first           function    (seq)
second          function    (seq)
last            function    (seq)
nth             function    (n, seq)
get             function    (ind, coll, *rest)
isdistinct      function    (seq)
frequencies     function    (seq)
topk            function    (k, seq, key=None)
peek            function    (seq)
take            function    (n, seq)
drop            function    (n, seq)
take_nth        function    (n, seq)
tail            function    (n, seq)
cons            function    (el, seq)
concat          function    (seqs)
concatv         function    (*seqs)
interpose       function    (el, seq)
interleave      function    (seqs)
sliding_window  function    (n, seq)
partition       function    (n, seq, *rest)
partition_all   function    (n, seq)
merge_sorted    function    (*seqs, key=None)
diff            function    (*seqs, **kwargs)
groupby         function    (key, seq)
countby         function    (key, seq)
reduceby        function    (key, binop, seq, *rest)
mapcat          function    (func, seqs)
pluck           function    (ind, seqs, *rest)
remove          function    (predicate, seq)
accumulate      function    (binop, seq, *rest)
iterate         function    (func, x)
unique          function    (seq, key=None)
join            function    (leftkey, leftseq, rightkey, rightseq, left_default=None, right_default=None)
curry           class       (func, *args, **kwargs)
identity        function    (x)
apply           function    (func, *args, **kwargs)
pipe            function    (data, *funcs)
do              function    (func, x)
compose         function    (*funcs)
compose_left    function    (*funcs)
complement      function    (func)
juxt            function    (*funcs)
excepts         function    (exc, func, handler=None)
memoize         function    (func, cache=None, key=None)
thread_first    function    (val, *forms)
thread_last     function    (val, *forms)
flip            curry
merge           function    (*dicts, factory=None)
merge_with      function    (func, *dicts, factory=None)
assoc           function    (d, key, value, factory=None)
dissoc          function    (d, *keys, factory=None)
assoc_in        function    (d, keys, value, factory=None)
update_in       function    (d, keys, func, default=None, factory=None)
get_in          function    (keys, coll, default=None, no_default=False)
keymap          function    (func, d, factory=None)
valmap          function    (func, d, factory=None)
itemmap         function    (func, d, factory=None)
keyfilter       function    (predicate, d, factory=None)
valfilter       function    (predicate, d, factory=None)
itemfilter      function    (predicate, d, factory=None)
Iter            class       (inner)
"""

_OPTION_METHODS = ["map f", "and_then f", "filter pred", "unwrap", "unwrap_or default", "unwrap_or_else f",
                   "ok_or err", "is_some", "is_none"]
_RESULT_METHODS = ["map f", "map_err f", "and_then f", "unwrap", "unwrap_or default", "ok", "err", "is_ok",
                   "is_err"]
_ITER_METHODS = ["map f", "filter f", "unique key=None", "take n", "drop n", "sliding_window n", "partition_all n",
                 "flat_map f", "pluck ind", "interpose el", "accumulate binop", "collect", "reduce binop, *rest",
                 "count", "frequencies", "group_by key", "to_dict", "first", "last", "nth i"]


def _instance_methods(specs):
    """{name: text signature} of methods written as "name params"."""
    split = (spec.partition(" ") for spec in specs)
    return {name: f"($self{', ' + params if params else ''})" for name, _, params in split}


# The public methods of each exported class, in definition order.
METHODS = {
    "Some": _instance_methods(_OPTION_METHODS),
    "NothingType": _instance_methods(_OPTION_METHODS),
    "Option": {"of": "(v)"},
    "Ok": _instance_methods(_RESULT_METHODS),
    "Err": _instance_methods(_RESULT_METHODS),
    "Result": {"of": "(f)"},
    "Iter": _instance_methods(_ITER_METHODS),
}

BASETYPE_FLAG = 1 << 10

STUB = pathlib.Path(brisko.__file__).with_name("_brisko.pyi")


def _public_methods(cls):
    names = [n for n in vars(cls) if not n.startswith("_") and callable(getattr(cls, n))]
    return [(n, getattr(cls, n).__text_signature__) for n in names]


def test_the_registration_table():
    rows = [line.split(None, 2) for line in REGISTRATION.strip().splitlines()]
    assert len(rows) == 76
    assert b.__all__ == [row[0] for row in rows]
    assert brisko.__all__ == b.__all__ and brisko.take is b.take
    for name, kind, *signature in rows:
        obj = getattr(b, name)
        text_signature = signature[0] if signature else None
        if kind == "function":
            assert inspect.isbuiltin(obj) and obj.__name__ == name and obj.__module__ == "brisko._brisko", name
            assert obj.__text_signature__ == text_signature and obj.__doc__ is None, name
        elif kind == "instance":
            assert type(obj) is b.NothingType
        elif kind == "curry":
            assert type(obj) is b.curry
        else:
            assert isinstance(obj, type) and obj.__qualname__ == obj.__name__ == name, name
            assert obj.__module__ == "brisko._brisko" and obj.__text_signature__ == text_signature, name
            assert not obj.__flags__ & BASETYPE_FLAG, name
            with pytest.raises(TypeError, match="is not an acceptable base type"):
                type("Sub", (obj,), {})
            if kind == "namespace":
                with pytest.raises(TypeError, match=f"cannot create 'brisko._brisko.{name}' instances"):
                    obj()
            assert _public_methods(obj) == list(METHODS.get(name, {}).items()), name


def _stub_functions():
    """{name: [def, ...]} of the module-level functions; an overloaded name has several defs."""
    tree = ast.parse(STUB.read_text())
    defs = {}
    for node in tree.body:
        if isinstance(node, ast.FunctionDef):
            defs.setdefault(node.name, []).append(node)
    return defs


def _stub_parameters(node):
    args = node.args
    params = [(a.arg, "POSITIONAL_ONLY") for a in args.posonlyargs]
    params += [(a.arg, "POSITIONAL_OR_KEYWORD") for a in args.args]
    if args.vararg:
        params.append((args.vararg.arg, "VAR_POSITIONAL"))
    params += [(a.arg, "KEYWORD_ONLY") for a in args.kwonlyargs]
    if args.kwarg:
        params.append((args.kwarg.arg, "VAR_KEYWORD"))
    return params


def _overload_fits(stub, actual):
    """Whether one overload describes a way of calling the function: its named parameters are the
    function's, in order (an overload may make one positional- or keyword-only); the others stand
    for what *args (positional-only ones) or **kwargs (keyword-only ones) gather."""
    kinds = {name: kind for name, kind in actual if not kind.startswith("VAR_")}
    gathers = {kind for _, kind in actual if kind.startswith("VAR_")}
    positional = [name for name, kind in actual if kind == "POSITIONAL_OR_KEYWORD"]
    stub_positional = [name for name, kind in stub if kind in ("POSITIONAL_ONLY", "POSITIONAL_OR_KEYWORD")]
    named = stub_positional[: len([name for name in stub_positional if name in kinds])]
    if named != positional[: len(named)]:
        return False
    for name, kind in stub:
        if kind.startswith("VAR_"):
            fits = (name, kind) in actual
        elif name in kinds:
            fits = kinds[name] in (kind, "POSITIONAL_OR_KEYWORD")
        else:
            fits = {"POSITIONAL_ONLY": "VAR_POSITIONAL", "KEYWORD_ONLY": "VAR_KEYWORD"}.get(kind) in gathers
        if not fits:
            return False
    return True


def test_functions_match_their_stubs():
    stubs = _stub_functions()
    functions = [n for n in b.__all__ if inspect.isbuiltin(getattr(b, n))]
    assert functions and set(functions) <= set(stubs)
    for name in functions:
        func = getattr(b, name)
        assert func.__module__ == "brisko._brisko"
        assert func.__doc__ is None, name  # the docstring is only the signature line
        actual = [(p.name, p.kind.name) for p in inspect.signature(func).parameters.values()]
        overloads = [_stub_parameters(node) for node in stubs[name]]
        if len(overloads) == 1:
            assert actual == overloads[0], name
            continue
        assert all(_overload_fits(stub, actual) for stub in overloads), name
        described = {param for stub in overloads for param in stub}
        named = {param for param, kind in actual if not kind.startswith("VAR_")}
        stand_ins = {kind for stub in overloads for param, kind in stub if param not in named}
        for param in actual:  # every parameter appears in some overload, *args and **kwargs maybe as stand-ins
            stand_in = {"VAR_POSITIONAL": "POSITIONAL_ONLY", "VAR_KEYWORD": "KEYWORD_ONLY"}.get(param[1])
            assert param in described or stand_in in stand_ins, (name, param)
    assert str(inspect.signature(b.take)) == "(n, seq)"


def test_native_iter_class_rules():
    it = b.remove(bool, [])
    assert type(it) is b.NativeIter
    assert b.NativeIter.__module__ == "brisko._brisko"
    assert b.NativeIter.__qualname__ == "NativeIter"
    assert b.NativeIter.__doc__ is None
    assert gc.is_tracked(it)  # it holds user objects: its cycles are collected
    with pytest.raises(TypeError, match="cannot create 'brisko._brisko.NativeIter' instances"):
        b.NativeIter()
    with pytest.raises(TypeError, match="not an acceptable base type"):
        type("Sub", (b.NativeIter,), {})
    with pytest.raises(TypeError):
        b.NativeIter.__next__ = lambda self: 1  # frozen: the raw iternext slot cannot be replaced


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda: b.take(1), "take() missing 1 required positional argument: 'seq'"),
        (lambda: b.take(), "take() missing 2 required positional arguments: 'n' and 'seq'"),
        (lambda: b.take(seq=[]), "take() missing 1 required positional argument: 'n'"),
        (lambda: b.take(1, [], 3), "take() takes 2 positional arguments but 3 were given"),
        (lambda: b.count(), "count() missing 1 required positional argument: 'seq'"),
        (lambda: b.count([], []), "count() takes 1 positional arguments but 2 were given"),
        (lambda: b.take(1, [], foo=3), "take() got an unexpected keyword argument 'foo'"),
        (lambda: b.take(1, n=2), "take() got multiple values for argument 'n'"),
        (lambda: b.get(0, [1], default=2), "get() got an unexpected keyword argument 'default'"),
        (lambda: b.accumulate(seq=[]), "accumulate() missing 1 required positional argument: 'binop'"),
        (lambda: b.concatv(x=1), "concatv() got an unexpected keyword argument 'x'"),
    ],
)
def test_argument_errors_use_the_host_wording(call, message):
    with pytest.raises(TypeError) as info:
        call()
    assert str(info.value) == message


def test_keywords_bind_by_name():
    assert list(b.take(seq=[1, 2, 3], n=2)) == [1, 2]
    assert b.get(coll={"a": 1}, ind="a") == 1
    assert list(b.concatv([1], (2,))) == [1, 2]


@pytest.mark.parametrize(
    "call, exc",
    [
        (lambda: b.tail(-1, [1]), OverflowError),
        (lambda: b.tail(2**64, [1]), OverflowError),
        (lambda: b.tail("2", [1]), TypeError),
        (lambda: b.tail(1.5, [1]), TypeError),
        (lambda: b.partition("2", [1]), TypeError),
        (lambda: b.partition(2**63, [1]), OverflowError),
        (lambda: b.partition_all(None, [1]), TypeError),
    ],
)
def test_failed_conversions_keep_their_exception_and_gain_a_note(call, exc):
    with pytest.raises(exc) as info:
        call()
    assert type(info.value) is exc
    assert info.value.__notes__ == ["while processing 'n'"]


def test_counts_accept_index_objects():
    class Two:
        def __index__(self):
            return 2

    assert b.tail(Two(), [1, 2, 3]) == [2, 3]
    assert list(b.partition(Two(), [1, 2, 3, 4])) == [(1, 2), (3, 4)]


def test_reimport_builds_a_fresh_module_with_the_same_types():
    code = """
import sys, importlib
import brisko._brisko as first
del sys.modules['brisko._brisko']
second = importlib.import_module('brisko._brisko')
assert first is not second
assert first.NativeIter is second.NativeIter
assert first.__all__ == second.__all__ and first.__all__ is not second.__all__
assert type(second.remove(bool, [])) is first.NativeIter
assert first.Some is second.Some and type(second.Nothing) is first.NothingType
assert first.Nothing is not second.Nothing
print('ok')
"""
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, check=True)
    assert out.stdout.strip() == "ok"


def test_subinterpreters_cannot_import_it_and_leave_the_caches_alone():
    code = """
import _interpreters as I
import brisko._brisko as B
for config in ("legacy", "isolated"):
    i = I.create(I.new_config(config))
    err = I.exec(i, "import brisko._brisko as B; B.curry(max)(1, 2); B.nth(0, 'ab')")
    I.destroy(i)
    assert err is not None and err.type.__name__ == "ImportError", err
assert B.nth(1, "abc") == "b" and B.curry(max)(1, 2) == 2
print("ok")
"""
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True)
    assert out.stdout.strip() == "ok", out.stderr
