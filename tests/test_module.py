"""The module as a whole: exported names and their order, signatures, the rules every class keeps,
argument errors and conversions, exceptions from user code, imports."""

import array
import collections
import gc
import importlib.metadata
import inspect
import itertools
import pathlib
import shutil
import subprocess
import sysconfig
import weakref

import pytest

import brisko
from brisko import _brisko as b
from conftest import LOAD_BY_PATH, Boom, X, consumed, pair, run_child

# Which names, with which signatures and methods, the reference and the stub (through test_docs and
# test_typing's stubtest) hold to the module; here, what kind of object each name is.
NAMES = b.__all__
CLASSES = ["Some", "NothingType", "Ok", "Err", "curry", "Iter"]  # a constructor each
NAMESPACES = ["Option", "Result", "NativeIter"]  # classes without one
METHODS = {name: [m for m in vars(getattr(b, name)) if not m.startswith("_") and callable(getattr(getattr(b, name), m))]
           for name in CLASSES + NAMESPACES}


def test_the_registration_table():
    assert len(set(NAMES)) == len(NAMES) and brisko.__all__ == NAMES and brisko.take is b.take
    assert brisko.__version__ == importlib.metadata.version("brisko")
    assert type(b.Nothing) is b.NothingType and type(b.flip) is b.curry
    for name in NAMES:
        obj = getattr(b, name)
        if name in CLASSES or name in NAMESPACES:
            assert isinstance(obj, type) and bool(obj.__text_signature__) == (name in CLASSES), name
        elif name not in ("Nothing", "flip"):
            assert inspect.isbuiltin(obj) and obj.__name__ == name and obj.__module__ == "brisko._brisko", name
            assert obj.__self__ is b and repr(obj) == f"<built-in function {name}>", name  # its body reaches b
            assert obj.__text_signature__ and obj.__doc__ is None, name  # the docstring is only the signature
    for name in ("Some", "Ok", "Err", "Iter", "Option", "Result"):  # generic, as the stub says, when evaluated
        assert getattr(b, name)[int].__origin__ is getattr(b, name)
    for name in NAMESPACES:
        with pytest.raises(TypeError, match=f"^cannot create 'brisko._brisko.{name}' instances$"):
            getattr(b, name)()
    assert str(inspect.signature(b.take)) == "(n, seq)"


def test_a_broken_registration_table_names_the_name_at_fault():
    hooks = pytest.importorskip("brisko._testhooks")
    for i, message in enumerate(["the unlisted table does not list 'stray', which a row exports: add it",
                                 "the twice table has two rows for 'listed': register a name once",
                                 "the no_row table lists 'listed', which no row exports: register it"]):
        with pytest.raises(SystemError, match=f"^{message}"):
            hooks.add_broken_table(i)


# The classes of the lazy results and wrappers, none exported but NativeIter as a namespace.
HIDDEN = {"InterposeIter": lambda: b.interpose(0, [1]), "SlidingWindowIter": lambda: b.sliding_window(2, []),
          "UniqueIter": lambda: b.unique([]), "PluckIter": lambda: b.pluck(0, []),
          "UniqueI64Iter": lambda: b.unique(array.array("q", [1])), "NativeIter": lambda: b.remove(bool, []),
          "MapIter": lambda: iter(b.Iter([]).map(abs)), "FilterIter": lambda: iter(b.Iter([]).filter(abs)),
          "Compose": lambda: b.compose(abs, abs), "Juxt": lambda: b.juxt(abs), "Complement": lambda: b.complement(abs),
          "Memoize": lambda: b.memoize(abs), "Excepts": lambda: b.excepts(Boom, abs)}
# The classes with a documented __length_hint__.
HINTED = {"InterposeIter", "SlidingWindowIter", "UniqueIter", "PluckIter", "UniqueI64Iter", "MapIter", "FilterIter"}
EXPORTED = {"Some": lambda: b.Some(1), "NothingType": lambda: b.Nothing, "Ok": lambda: b.Ok(1),
            "Err": lambda: b.Err(1), "curry": lambda: b.curry(abs), "Iter": lambda: b.Iter([])}


@pytest.mark.parametrize("name", sorted(HIDDEN) + sorted(EXPORTED) + ["Option", "Result"])
def test_every_class_keeps_the_class_rules(name):
    make = HIDDEN.get(name) or EXPORTED.get(name)
    cls = type(make()) if make else getattr(b, name)
    assert (cls.__name__, cls.__qualname__, cls.__module__) == (name, name, "brisko._brisko")
    with pytest.raises(TypeError, match="is not an acceptable base type"):
        type("Sub", (cls,), {})
    with pytest.raises(TypeError, match="immutable type"):
        cls.extra = 1
    if name in ("Option", "Result"):
        # `of` is stored bare (no staticmethod descriptor) so that call sites cache its lookup.
        assert cls.__doc__ is None and vars(cls)["of"] is cls.of and cls.of.__qualname__ == f"{name}.of"
        return
    obj = make()
    with pytest.raises(TypeError, match="cannot create weak reference"):
        weakref.ref(obj)
    with pytest.raises(AttributeError):
        obj.extra = 1
    if name in ("Some", "NothingType", "Ok", "Err"):  # values over ints: untracked; unhashable, unordered, read-only
        assert not gc.is_tracked(obj) and cls.__hash__ is None
        with pytest.raises(TypeError, match="not supported"):
            obj < obj  # noqa: B015
        for field in {"value", "error"} & set(dir(obj)):
            with pytest.raises(AttributeError):
                setattr(obj, field, 2)
    else:
        assert gc.is_tracked(obj)
    if name in HIDDEN:
        assert hasattr(b, name) == (name == "NativeIter") and hasattr(cls, "__length_hint__") == (name in HINTED)
        with pytest.raises(TypeError, match=f"^cannot create 'brisko._brisko.{name}' instances$"):
            cls()
    if name in HINTED:
        assert cls.__length_hint__.__doc__ and cls.__length_hint__.__text_signature__ == "($self)"
    if hasattr(cls, "__next__"):
        assert iter(obj) is obj
    elif callable(obj):  # the call-only classes: nothing but the call, through vectorcall and tp_call alike
        assert [n for n in dir(obj) if not n.startswith("__")] == [] and "__vectorcalloffset__" not in dir(cls)
        assert obj(-2) == obj.__call__(-2)


INSTANCES = {"Some": b.Some(1), "NothingType": b.Nothing, "Ok": b.Ok(1), "Err": b.Err(1), "Option": b.Option,
             "Result": b.Result, "Iter": b.Iter([])}
# Every function, constructor and method the one argument binder binds, as its errors name it.
BOUND = {**{f"{n}()": getattr(b, n) for n in NAMES if n not in [*CLASSES, *NAMESPACES, "Nothing", "flip", "diff"]},
         **{f"{n}.__new__()": getattr(b, n) for n in CLASSES},
         **{f"{c}.{m}()": getattr(INSTANCES[c], m) for c, methods in METHODS.items() for m in methods}}


def _missing(who, names):
    quoted = [f"'{n}'" for n in names]
    listed = quoted[0] if len(quoted) == 1 else ", ".join(quoted[:-1]) + " and " + quoted[-1]
    return f"{who} missing {len(names)} required positional argument{'s' * (len(names) > 1)}: {listed}"


def _binding_errors(who, func):
    """(args, kwargs, message): calls that cannot bind to the text signature, in the host's words."""
    params = inspect.signature(func).parameters.values()
    pos = [p for p in params if p.kind in (p.POSITIONAL_ONLY, p.POSITIONAL_OR_KEYWORD)]
    req = [p.name for p in pos if p.default is p.empty]
    rest = next((p.name for p in params if p.kind is p.VAR_POSITIONAL), None)
    if req:
        yield (), {}, _missing(who, req)
    if len(req) > 1:  # the last one by keyword: the others are still missing
        yield (), {req[-1]: 1}, _missing(who, req[:-1])
    if not any(p.kind is p.VAR_KEYWORD for p in params):  # a *rest's name is no keyword either
        yield (), {rest or "zz": 1}, f"{who} got an unexpected keyword argument '{rest or 'zz'}'"
    if pos:
        yield (1,), {pos[0].name: 1}, f"{who} got multiple values for argument '{pos[0].name}'"
    m, span = len(pos) + 1, len(pos) if len(req) == len(pos) else f"from {len(req)} to {len(pos)}"
    if any(p.default is ... for p in pos):  # an optional value without a default: the tool's own words
        yield (1,) * m, {}, f"{func.__name__} takes at most {len(pos)} arguments"
    elif rest is None:
        yield (1,) * m, {}, f"{who} takes {span} positional arguments but {m} {'was' if m == 1 else 'were'} given"


@pytest.mark.parametrize("who", sorted(BOUND))
def test_argument_errors_use_the_host_wording(who):
    for args, kwargs, message in _binding_errors(who, BOUND[who]):
        with pytest.raises(TypeError) as info:
            BOUND[who](*args, **kwargs)
        assert str(info.value) == message


# A callable declared against its own line stops the build, saying what is wrong (the compiler's
# notes name the body and its line); the first case is the control that compiles.
MISDECLARED = {
    "fits": ('PyObject* f(PyObject*, Args<"C.f($self, n=...)">& a) { return a["n"]; }', "method_def", None),
    "method body without self": ('PyObject* f(Args<"C.f($self, n)">&) { return 0; }', "method_def",
                                 "only a method's, takes `PyObject* self`"),
    "function body with self": ('PyObject* f(PyObject*, Args<"f(n)">&) { return 0; }', "function_def",
                                "only a method's, takes `PyObject* self`"),
    "method line for a function": ('PyObject* f(Args<"C.f(n)">&) { return 0; }', "function_def", "class name"),
    "name the line lacks": ('PyObject* f(Args<"f(n)">& a) { return a["m"]; }', "function_def",
                            "the_signature_line_declares_no_parameter_of_this_name"),
    "default the binder cannot pass": ('PyObject* f(Args<"f(n=0)">&) { return 0; }', "function_def",
                                       "a default is None, False or True"),
}


@pytest.mark.parametrize("case", sorted(MISDECLARED))
def test_a_misdeclared_callable_stops_the_build(case, tmp_path):
    src = pathlib.Path(__file__).resolve().parent.parent / "src"
    if not shutil.which("g++") or not (src / "binding").is_dir():
        pytest.skip("needs g++ and the sources")
    body, kind, message = MISDECLARED[case]
    (tmp_path / "f.cpp").write_text(f'#include "binding/function_def.hpp"\nnamespace brisko {{\n{body}\n'
                                    f"PyMethodDef def = {kind}<f>();\n}}\n")
    out = subprocess.run(["g++", "-std=c++20", "-fsyntax-only", f"-I{sysconfig.get_paths()['include']}", f"-I{src}",
                          str(tmp_path / "f.cpp")], capture_output=True, text=True)
    assert (out.returncode == 0) == (message is None) and (message or "") in out.stderr, out.stderr[-3000:]


# An optional value without a default shows as `=Ellipsis` (the host's parser reads no better mark)
# and binds by position or by name alike.
@pytest.mark.parametrize("func, args, name", [
    (b.get, (5, [10]), "default"), (b.pluck, (9, [[1]]), "default"), (b.partition, (2, [1]), "pad"),
    (b.accumulate, (pair, [1]), "initial"), (b.reduceby, (0, pair, [(1,)]), "init"),
    (b.Iter([1]).reduce, (pair,), "initial"),
])
def test_an_optional_value_binds_by_position_and_by_name(func, args, name):
    assert inspect.signature(func).parameters[name].default is ...
    assert consumed(func(*args, **{name: X})) == consumed(func(*args, X)) != consumed(func(*args, None))


@pytest.mark.parametrize(
    "call, message",
    [  # A *rest gathers only so many; flip is a curry over a builtin; heapq.merge's reverse is not merge_sorted's.
        (lambda: b.get(0, [1], "a", "b"), "get takes at most 3 arguments"),
        (lambda: b.accumulate(abs, [], 1, 2), "accumulate takes at most 3 arguments"),
        (lambda: b.partition(2, [1], "a", "b"), "partition takes at most 3 arguments"),
        (lambda: b.pluck(0, [], 1, 2), "pluck takes at most 3 arguments"),
        (lambda: b.reduceby(0, abs, [], 1, 2), "reduceby takes at most 4 arguments"),
        (lambda: b.Iter([1]).reduce(abs, 10, 20), "reduce takes at most 2 arguments"),
        (lambda: b.flip(pair, 1, 2, 3), "flip() takes 3 positional arguments but 4 were given"),
        (lambda: b.merge_sorted([1], reverse=True), "merge_sorted() got an unexpected keyword argument 'reverse'"),
    ],
)
def test_argument_limits_of_their_own(call, message):
    with pytest.raises(TypeError) as info:
        call()
    assert str(info.value) == message


@pytest.mark.parametrize(
    "call, exc, param, message",
    [
        (lambda: b.tail(-1, [1]), OverflowError, "n", None),
        (lambda: b.tail(2**64, [1]), OverflowError, "n", None),
        (lambda: b.tail("2", [1]), TypeError, "n", None),
        (lambda: b.partition(2**63, [1]), OverflowError, "n", None),
        (lambda: b.partition_all(None, [1]), TypeError, "n", None),
        (lambda: b.sliding_window("2", [1]), TypeError, "n", None),
        (lambda: b.topk(-1, [1]), OverflowError, "k", None),
        (lambda: b.nth_opt(-1, [1]), OverflowError, "n", None),
        (lambda: b.memoize(len, []), TypeError, "cache", "'list' object cannot be converted to 'PyDict'"),
        (lambda: b.get_in(["a"], {}, None, 0), TypeError, "no_default", "'int' object is not an instance of 'bool'"),
        (lambda: b.get_in(["a"], {}, None, None), TypeError, "no_default", "'None' is not an instance of 'bool'"),
    ]
    + [(lambda m=m, v=v: getattr(b.Iter([1]), m)(v), exc, p, None)
       for m, p in [("take", "n"), ("drop", "n"), ("sliding_window", "n"), ("partition_all", "n"), ("nth", "i")]
       for v, exc in [(-1, OverflowError), (2**64, OverflowError), ("1", TypeError)]
       if v != -1 or m in ("take", "drop", "nth")],  # a piece size below 1 is the tool's own ValueError
)
def test_failed_conversions_keep_their_exception_and_gain_a_note(call, exc, param, message):
    with pytest.raises(exc) as info:
        call()
    assert type(info.value) is exc and info.value.__notes__ == [f"while processing '{param}'"]
    assert message is None or str(info.value) == message


def test_a_keyword_leaves_the_defaults_after_it_in_place():  # any keyword takes the binder's slow path
    assert b.get_in(["a"], coll={}) is None and b.get_in(["a"], {}, default=0) == 0
    assert b.get_in(["a"], {"a": 1}, no_default=True) == 1


def test_counts_accept_index_objects():
    two = type("Two", (), {"__index__": lambda self: 2})()
    assert b.tail(two, [1, 2, 3]) == [2, 3] and list(b.partition(two, [1, 2, 3, 4])) == [(1, 2), (3, 4)]


class Undecided:
    """An object whose truth is asked of a callable."""

    def __init__(self, f):
        self.f = f

    def __bool__(self):
        return self.f()


# Every tool that runs user code, given a callable `f` to run.
USER_CODE = {
    "curry": lambda f: b.curry(f)(X),
    "compose": lambda f: b.compose(abs, f)(X),
    "pipe": lambda f: b.pipe(X, f),
    "thread_first": lambda f: b.thread_first(X, (f, 1)),
    "thread_last": lambda f: b.thread_last(X, (f, 1)),
    "juxt": lambda f: b.juxt(abs, f, str)(X),
    "complement": lambda f: b.complement(f)(X),
    "complement truth": lambda f: b.complement(lambda x: Undecided(f))(X),
    "do": lambda f: b.do(f, X),
    "apply": lambda f: b.apply(f, X),
    "memoize": lambda f: b.memoize(f)(X),
    "memoize key": lambda f: b.memoize(abs, key=f)(X),
    "excepts": lambda f: b.excepts(KeyError, f)(X),
    "excepts handler": lambda f: b.excepts(ZeroDivisionError, lambda: 1 / 0, f)(),
    "remove": lambda f: list(b.remove(f, [X])),
    "remove truth": lambda f: list(b.remove(lambda x: Undecided(f), [X])),
    "accumulate": lambda f: list(b.accumulate(f, [X, X])),
    "iterate": lambda f: list(itertools.islice(b.iterate(f, X), 2)),
    "mapcat": lambda f: list(b.mapcat(f, [X])),
    "unique key": lambda f: list(b.unique([X], key=f)),
    "merge_sorted key": lambda f: list(b.merge_sorted([X], [X], key=f)),
    "diff key": lambda f: list(b.diff([X], [X], key=f)),
    "join key": lambda f: list(b.join(f, [X], abs, [X])),
    "topk key": lambda f: b.topk(1, [X, X], key=f),
    "groupby": lambda f: b.groupby(f, [X]),
    "countby": lambda f: b.countby(f, [X]),
    "reduceby key": lambda f: b.reduceby(f, max, [X]),
    "reduceby binop": lambda f: b.reduceby(abs, f, [X, X]),
    "reduceby init": lambda f: b.reduceby(abs, max, [X], f),
    "merge_with": lambda f: b.merge_with(f, {1: X}),
    "merge factory": lambda f: b.merge({}, factory=f),
    **{tool.__name__: (lambda f, tool=tool: tool(f, {1: X}))
       for tool in (b.keymap, b.valmap, b.itemmap, b.keyfilter, b.valfilter, b.itemfilter)},
    "valfilter truth": lambda f: b.valfilter(lambda v: Undecided(f), {1: X}),
    "update_in": lambda f: b.update_in({}, [1], f),
    "get_in defaultdict": lambda f: b.get_in(["x"], collections.defaultdict(f), "d"),
    "update_in defaultdict": lambda f: b.update_in(collections.defaultdict(f), ["x"], str),
    "assoc factory": lambda f: b.assoc({}, 1, 2, f),
    "dissoc factory": lambda f: b.dissoc({}, factory=f),
    **{f"{type(value).__name__}.{method}": (lambda f, value=value, method=method: getattr(value, method)(f))
       for value, method in [(b.Some(X), "map"), (b.Some(X), "and_then"), (b.Some(X), "filter"), (b.Ok(X), "map"),
                             (b.Ok(X), "and_then"), (b.Err(X), "map_err"), (b.Nothing, "unwrap_or_else")]},
    "Some.filter truth": lambda f: b.Some(X).filter(lambda v: Undecided(f)),
    # Iter's chain methods are collected; its terminal methods give a value.
    **{f"Iter.{method}": (lambda f, method=method: consumed(getattr(b.Iter([X, X]), method)(f)))
       for method in ("map", "filter", "unique", "flat_map", "accumulate", "reduce", "group_by")},
}


@pytest.mark.parametrize("name", sorted(USER_CODE))
def test_exceptions_from_user_code_pass_through_untouched(name):
    raised = Boom("user code")

    def body(*args, **kwargs):
        raise raised

    with pytest.raises(Boom) as info:
        USER_CODE[name](body)
    assert info.value is raised and info.traceback[-1].name == "body"
    assert raised.__context__ is None and raised.__cause__ is None


@pytest.mark.out_of_process
def test_a_second_import_shares_the_interpreters_classes():
    run_child(LOAD_BY_PATH + """
import brisko._brisko as packaged
first, second = load(), load()
assert first is not second and first.__all__ == second.__all__ and first.__all__ is not second.__all__
assert first.NativeIter is second.NativeIter and type(second.remove(bool, [])) is first.NativeIter
assert first.Some is second.Some and type(second.Nothing) is first.NothingType and first.Nothing is not second.Nothing
del first
gc.collect()  # the first module gone, its share with it: the classes stay for the others
assert second.nth(1, "abc") == "b" and second.curry(max)(1, 2) == 2 and type(second.Some(1)) is second.Some
""")


@pytest.mark.out_of_process
def test_a_torn_down_module_reports_itself_gone():
    run_child(LOAD_BY_PATH + """
module = load()
some, ok = module.Some(1), module.Ok(1)
del module
gc.collect()  # its interpreter's classes and lookups went with it
for value in (some, ok):
    try:
        value.and_then(lambda v: value)
    except RuntimeError as e:
        assert "brisko._brisko is not loaded in this interpreter" in str(e), e
    else:
        raise AssertionError("and_then answered without its classes")
""")
