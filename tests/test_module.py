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

# Every name the module exports, in registration order.
TABLE = """
Some NothingType Option Ok Err Result Nothing first_opt last_opt nth_opt get_opt get_in_opt peek_opt
NativeIter count first second last nth get isdistinct frequencies topk peek take drop take_nth tail
cons concat concatv interpose interleave sliding_window partition partition_all merge_sorted diff
groupby countby reduceby mapcat pluck remove accumulate iterate unique join curry identity apply pipe
do compose compose_left complement juxt excepts memoize thread_first thread_last flip merge
merge_with assoc dissoc assoc_in update_in get_in keymap valmap itemmap keyfilter valfilter
itemfilter Iter
""".split()

OPTION_VALUES = "Some NothingType Option Ok Err Result Nothing first_opt last_opt nth_opt get_opt get_in_opt peek_opt".split()

SEQUENCE_TOOLS = """
NativeIter count first second last nth get isdistinct frequencies topk peek take drop take_nth tail
cons concat concatv interpose interleave sliding_window partition partition_all merge_sorted diff
groupby countby reduceby mapcat pluck remove accumulate iterate unique join
""".split()

FUNCTION_TOOLS = """
curry identity apply pipe do compose compose_left complement juxt excepts memoize thread_first
thread_last flip
""".split()

MAPPING_TOOLS = """
merge merge_with assoc dissoc assoc_in update_in get_in keymap valmap itemmap keyfilter valfilter itemfilter
""".split()

STUB = pathlib.Path(brisko.__file__).with_name("_brisko.pyi")


def test_all_follows_the_table_order():
    assert len(TABLE) == 76
    exported = b.__all__
    assert isinstance(exported, list)
    assert exported[: len(OPTION_VALUES)] == OPTION_VALUES
    assert set(SEQUENCE_TOOLS) <= set(exported) <= set(TABLE)
    assert set(FUNCTION_TOOLS) <= set(exported)
    assert exported[exported.index("flip") + 1 :][: len(MAPPING_TOOLS)] == MAPPING_TOOLS
    assert exported == [name for name in TABLE if name in exported]
    assert all(getattr(b, name) is not None for name in exported)
    assert brisko.__all__ == exported
    assert brisko.take is b.take


def _stub_functions():
    tree = ast.parse(STUB.read_text())
    return {node.name: node for node in tree.body if isinstance(node, ast.FunctionDef)}


def _stub_parameters(node):
    args = node.args
    params = [(a.arg, "POSITIONAL_OR_KEYWORD") for a in args.args]
    if args.vararg:
        params.append((args.vararg.arg, "VAR_POSITIONAL"))
    params += [(a.arg, "KEYWORD_ONLY") for a in args.kwonlyargs]
    if args.kwarg:
        params.append((args.kwarg.arg, "VAR_KEYWORD"))
    return params


def test_functions_match_their_stubs():
    stubs = _stub_functions()
    functions = [n for n in b.__all__ if inspect.isbuiltin(getattr(b, n))]
    assert functions and set(functions) <= set(stubs)
    for name in functions:
        func = getattr(b, name)
        assert func.__module__ == "brisko._brisko"
        assert func.__doc__ is None, name  # the docstring is only the signature line
        actual = [(p.name, p.kind.name) for p in inspect.signature(func).parameters.values()]
        assert actual == _stub_parameters(stubs[name]), name
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
