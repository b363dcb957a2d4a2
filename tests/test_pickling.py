"""Pickling and copying: values and function objects come back equal or behaving alike, module-level
definitions and Nothing come back as themselves, and what cannot cross is refused in the host's
words. Then work that crosses into other processes: function objects go to a pool's workers, Ok and
Err values come back. The workers are fresh interpreters, which import brisko while unpickling."""

import array
import concurrent.futures
import copy
import io
import multiprocessing
import operator
import pickle
import re
import subprocess
import sys
import types
from unittest import mock

import pytest
from hypothesis import given
from hypothesis import strategies as st

import pickling_helpers as h
from brisko import Err, Iter, Nothing, NothingType, Ok, Some, _introspect, _pickling
from brisko import complement, compose, compose_left, curry, excepts, flip, interpose, juxt, memoize, partition_all
from brisko import pluck, sliding_window, unique
from conftest import outcome

PROTOCOLS = range(2, pickle.HIGHEST_PROTOCOL + 1)
ROUND_TRIPS = {f"pickle{p}": (lambda x, p=p: pickle.loads(pickle.dumps(x, p))) for p in PROTOCOLS}
ROUND_TRIPS |= {"copy": copy.copy, "deepcopy": copy.deepcopy}


# ---------------------------------------------------------------- values

scalars = st.none() | st.booleans() | st.integers() | st.floats(allow_nan=False) | st.text(max_size=4)
nested_values = st.recursive(
    scalars,
    lambda inner: st.tuples(inner, inner)
    | st.lists(inner, max_size=3)
    | st.dictionaries(st.text(max_size=2), inner, max_size=2)
    | inner.map(Some)
    | inner.map(Ok)
    | inner.map(Err)
    | st.just(Nothing)
    | st.builds(NothingType),
    max_leaves=12,
)


@given(nested_values, st.sampled_from(list(ROUND_TRIPS)))
def test_values_come_back_equal(value, how):
    back = ROUND_TRIPS[how](value)
    assert back == value and type(back) is type(value) and repr(back) == repr(value)


# ---------------------------------------------------------------- function objects

# name: (make, probes). Each probe calls the object; the original and what comes back must agree.
# Plain partial applications and compositions of them are the random property's, further down.
FUNCTIONS = {
    "curry_keywords": (lambda: curry(h.add, b=10), [lambda f: f(1), lambda f: f(a=2), lambda f: f(1, b=3)]),
    "curry_in_a_class": (lambda: h.Tools.sub(10), [lambda f: f(3)]),
    "curry_over_module_memoize": (lambda: curry(h.square), [lambda f: f(3)]),
    "partial_under_module_memoize": (lambda: h.power(2), [lambda f: f(10), lambda f: f(exp=3)]),
    "flip_keywords": (lambda: flip(operator.sub, b=5), [lambda f: f(1)]),
    "flip_keyword_named_func": (lambda: flip(func=operator.sub), [lambda f: f(a=1, b=5)]),
    "juxt_of_one_non_callable": (lambda: juxt([5]), [lambda f: f(1)]),
    "juxt_of_one_module_curry_partial": (lambda: juxt(h.add3(1, 2)), [lambda f: f(3)]),
    "excepts_no_match": (lambda: excepts((ValueError, KeyError), h.inverse), [lambda f: f(0)]),
    "memoize_key": (lambda: memoize(h.add, key=h.first_arg), [lambda f: (f(1, 2), f(1, 3))]),
    "memoize_cache_subclass": (lambda: memoize(h.half, h.OrderedCache()), [lambda f: f(9)]),
    "iter": (lambda: Iter([3, 1, 3]), [lambda f: f.unique().collect(), lambda f: f.collect()]),
}


@pytest.mark.parametrize("make, probes", FUNCTIONS.values(), ids=list(FUNCTIONS))
def test_function_objects_come_back_behaving_alike(make, probes):
    for how, round_trip in ROUND_TRIPS.items():
        original = make()
        back = round_trip(original)
        assert type(back) is type(original), how
        expected = [outcome(lambda: probe(original)) for probe in probes]
        assert [outcome(lambda: probe(back)) for probe in probes] == expected, how
    # Pickles rebuild through public constructors and factories, never through the reading module.
    assert all(b"_introspect" not in pickle.dumps(make(), protocol) for protocol in PROTOCOLS)


BY_NAME = {
    "Nothing": Nothing,
    "module_curry": h.add3,
    "module_memoize": h.square,
    "curry_over_memoize": h.scaled,
    "memoize_over_curry": h.power,
    "curry_in_a_class": h.Tools.sub,
    "flip": flip,
    # what the decorator above holds: reached from the name, one step down
    "memoize_under_curry": _pickling._wrapped(h.scaled),
    "curry_under_memoize": _pickling._wrapped(h.power),
}


@pytest.mark.parametrize("obj", BY_NAME.values(), ids=list(BY_NAME))
def test_module_level_definitions_and_nothing_come_back_as_themselves(obj):
    for how, round_trip in ROUND_TRIPS.items():
        assert round_trip(obj) is obj, how


def test_a_partial_application_keeps_the_function_named_above_it():
    # h.power is a memoize over a curry: the function two steps down is named only from there.
    power = _pickling._wrapped(_pickling._wrapped(h.power))
    flip_builtin = _pickling._wrapped(flip)
    for how, round_trip in ROUND_TRIPS.items():
        assert _pickling._wrapped(round_trip(h.power(2))) is power, how
        assert _pickling._wrapped(round_trip(flip(abs))) is flip_builtin, how


def test_memoize_keeps_its_key_and_cache_type_but_not_its_entries():
    cache = h.OrderedCache()
    m = memoize(h.half, cache, key=h.first_arg)
    empty = pickle.dumps(m)
    for i in range(100):
        m(i)
    assert len(cache) == 100 and pickle.dumps(m) == empty
    assert _introspect.parts(pickle.loads(empty)) == ("memoize", (h.half, h.OrderedCache, h.first_arg))
    assert _introspect.parts(copy.copy(memoize(h.half)))[1][1] is dict


# One-argument functions on ints, built from module-level pieces by every wrapper there is.
LEAF_MAKERS = [
    lambda k: curry(h.add, k),
    lambda k: h.add3(k, 1),
    lambda k: flip(operator.sub, k),
    lambda k: curry(operator.mul)(k),
]
function_objects = st.recursive(
    st.sampled_from([abs, operator.neg, h.half, h.inverse])
    | st.builds(lambda make, k: make(k), st.sampled_from(LEAF_MAKERS), st.integers(-3, 3)),
    lambda inner: st.lists(inner, min_size=1, max_size=3).map(lambda fs: compose(*fs))
    | st.lists(inner, min_size=1, max_size=3).map(lambda fs: compose_left(*fs))
    | st.lists(inner, max_size=3).map(lambda fs: compose(sum, juxt(*fs)))
    | inner.map(complement)
    | inner.map(lambda f: excepts(ZeroDivisionError, f, h.minus_one))
    | inner.map(memoize),
    max_leaves=6,
)


@given(function_objects, st.sampled_from(list(ROUND_TRIPS)), st.lists(st.integers(-20, 20), max_size=6))
def test_random_function_objects_come_back_behaving_alike(func, how, xs):
    back = ROUND_TRIPS[how](func)
    assert [outcome(lambda: back(x)) for x in xs] == [outcome(lambda: func(x)) for x in xs]
    assert b"_introspect" not in pickle.dumps(func)


# ---------------------------------------------------------------- what cannot cross


def make_local_function():
    def local_function(x):
        return x

    return local_function


# Each wraps an object the host cannot pickle, and fails as the host fails for that object inside a
# list, naming it; where the host names each object on the way down (3.14 on), brisko's are named too.
@pytest.mark.parametrize(
    "make, inner, message, note",
    [
        (lambda f: curry(f, 1), lambda: lambda x: x, "<lambda>", "curry"),
        (lambda f: compose(str, f), make_local_function, "local_function", "Compose"),
        (memoize, make_local_function, "local_function", "Memoize"),
        (lambda f: excepts(ValueError, abs, f), lambda: lambda e: 0, "<lambda>", "Excepts"),
        (Iter, lambda: (x for x in [1]), "cannot pickle 'generator' object", "Iter"),
        (lambda it: curry(abs, it), lambda: unique([1]), "cannot pickle 'brisko._brisko.UniqueIter' object", "curry"),
    ],
)
def test_what_cannot_be_pickled_is_named_in_the_error(make, inner, message, note):
    unpicklable = inner()
    with pytest.raises(Exception) as host:
        pickle.dumps([unpicklable])
    with pytest.raises(type(host.value), match=re.escape(message)) as info:
        pickle.dumps(make(unpicklable))
    if getattr(host.value, "__notes__", None):
        assert f"when serializing brisko._brisko.{note} object" in info.value.__notes__


LAZY = {
    "NativeIter": lambda: partition_all(2, [1, 2, 3]),
    "UniqueIter": lambda: unique([1, 2, 1]),
    "UniqueI64Iter": lambda: unique(array.array("q", [1, 2, 1])),
    "InterposeIter": lambda: interpose(0, [1, 2]),
    "SlidingWindowIter": lambda: sliding_window(2, [1, 2, 3]),
    "PluckIter": lambda: pluck(0, [[1], [2]]),
}


@pytest.mark.parametrize("name, make", LAZY.items(), ids=list(LAZY))
def test_lazy_iterators_refuse_and_stay_usable(name, make):
    it = make()
    assert type(it).__qualname__ == name
    for copier in ROUND_TRIPS.values():
        with pytest.raises(TypeError, match=f"^cannot pickle 'brisko._brisko.{name}' object$"):
            copier(it)
    assert list(it) == list(make())


# ---------------------------------------------------------------- the reading module

# Each class's kind and parts (a curry's keywords as a copy), nothing for any other object, and the
# function each single-function decorator wraps.
def test_parts_name_the_kind_and_share_nothing():
    c, xs = curry(h.add, b=1), [1]
    read = [(c, ("curry", (h.add, (), {"b": 1}))), (compose(abs, h.half), ("compose", (h.half, abs))),
            (juxt(abs), ("juxt", (abs,))), (complement(abs), ("complement", (abs,))), (Iter(xs), ("Iter", (xs,))),
            (excepts(KeyError, abs), ("excepts", (KeyError, abs, None))), (abs, None), (Some(c), None), (None, None),
            (memoize(abs), ("memoize", (abs, dict, None)))]
    assert [_introspect.parts(obj) for obj, _ in read] == [expected for _, expected in read]
    assert [_pickling._wrapped(obj) for obj, _ in read] == [h.add, None, None, abs, None, abs, None, None, None, abs]
    _introspect.parts(c)[1][2]["b"] = 100
    assert c(1) == 2 and _introspect.parts(curry(h.add))[1][2] is None and _introspect.parts(Iter(xs))[1][0] is xs
    with pytest.raises(TypeError, match=re.escape("parts() missing 1 required positional argument: 'obj'")):
        _introspect.parts()


# curry(h.add, b=10) through rebuild, its keywords spread into curry's call: such pickles keep loading.
REBUILD_PICKLE = (b"\x80\x02cbrisko._pickling\nrebuild\nq\x00cbrisko._brisko\ncurry\nq\x01cpickling_helpers\nadd\nq"
                  b"\x02\x85q\x03}q\x04X\x01\x00\x00\x00bq\x05K\ns\x87q\x06Rq\x07.")


@pytest.mark.parametrize(
    "call, exc, message",
    [
        (lambda: _pickling.curried(h.add, [1], None), TypeError, "'list' object is not an instance of 'tuple'"),
        (lambda: _pickling.curried(h.add, (), [("b", 1)]), TypeError, "'list' object is not an instance of 'dict'"),
        (lambda: _pickling.curried(h.add, (), {1: 2}), TypeError, "keywords must be strings"),
        (lambda: _pickling.unwrapped(h.add3, 0), ValueError, "unwrapped: depth must be at least 1, not 0"),
        (lambda: _pickling.unwrapped(h.add3, 10**6), ValueError, "(1 of 1000000 steps down)"),
        (lambda: _pickling.unwrapped(h.add3, True), ValueError, "depth must be at least 1, not True"),
        # Crafted by hand (protocol 0): each asks a reconstructor for more than find_class admits.
        (lambda: restricted(b"cbrisko._pickling\nrebuild\n(cbrisko._pickling\nby_name\n(Vos\nVgetpid\ntR)NtR."),
         AttributeError, "'by_name'"),
        (lambda: restricted(b"cbrisko._pickling\nrebuild\n(cbrisko._brisko\napply\n(cbrisko._pickling\nregister\n"
                            b"tNtR."), TypeError, "<built-in function apply> is not one of brisko's constructors"),
        (lambda: restricted(b"cbrisko._pickling\nmemoized\n(cbrisko._brisko\nidentity\ncbrisko._pickling\nregister\n"
                            b"NtR."), TypeError, "the cache type must be dict or a subclass of it, not <function"),
        (lambda: restricted(b"cbrisko._pickling\nimportlib\n."), AttributeError, "'importlib'"),
    ],
)
def test_reconstructors_refuse_parts_no_pickle_of_ours_holds(call, exc, message):
    kwargs = {"b": 2}
    rebuilt = _pickling.curried(h.add, (1,), kwargs)
    kwargs.clear()  # the curry holds a copy
    assert pickle.loads(REBUILD_PICKLE)(1) == 11 and rebuilt() == 3
    with pytest.raises(exc, match=re.escape(message)):
        call()


# ---------------------------------------------------------------- restricted unpicklers


class Restricted(pickle.Unpickler):
    """pickle's "Restricting Globals": find_class admits the public, undotted names of the modules
    given and the builtins given, nothing else."""

    def __init__(self, data, modules, builtins=()):
        super().__init__(io.BytesIO(data))
        self.modules, self.builtins = modules, builtins

    def find_class(self, module, name):
        public = "." not in name and not name.startswith("_")
        if public and module in self.modules or module in ("builtins", "__builtin__") and name in self.builtins:
            return super().find_class(module, name)
        raise pickle.UnpicklingError(f"global '{module}.{name}' is forbidden")


BRISKO = ("brisko._brisko", "brisko._pickling")


def restricted(data):
    return Restricted(data, BRISKO).load()


# What the reference tells a restricted unpickler to admit, and the helpers' names.
REFERENCE_ADMITS = {("brisko._brisko", n) for n in "Some Ok Err NothingType Nothing Iter curry complement excepts "
                                                   "compose_left juxt flip".split()}
REFERENCE_ADMITS |= {("brisko._pickling", n) for n in ("curried", "memoized", "rebuild", "unwrapped")}
REFERENCE_ADMITS |= {("pickling_helpers", n) for n in dir(h)}


class AsTheReferenceSays(Restricted):
    def find_class(self, module, name):
        if (module, name) in REFERENCE_ADMITS:
            return pickle.Unpickler.find_class(self, module, name)
        raise pickle.UnpicklingError(f"global '{module}.{name}' is forbidden")


def load_admitted(data):
    return AsTheReferenceSays(data, ()).load()


def test_pickles_bring_no_behaviour_in():
    raw = _pickling._wrapped(h.add3)
    # The way down from a module-level curry reaches its function only inside a reconstructor: a
    # BUILD finds no function to set attributes on.
    with pytest.raises(AttributeError):
        load_admitted(b"cbrisko._pickling\nunwrapped\n(cpickling_helpers\nadd3\nI1\ntR(V__qualname__\nVrenamed\ndb.")
    assert raw.__qualname__ == "add3" and h.add3(1)(2)(3) == 6
    # memoize itself is not admitted, so no cache comes with a pickle: memoized makes an empty one.
    cache = b"(cpickling_helpers\nhalf\n(I4\nI100\ndt"
    for filled in (b"cbrisko._brisko\nmemoize\n" + cache + b"R.",
                   b"cbrisko._pickling\nrebuild\n(cbrisko._brisko\nmemoize\n" + cache + b"NtR."):
        with pytest.raises(pickle.UnpicklingError, match="brisko._brisko.memoize' is forbidden"):
            load_admitted(filled)
    back = load_admitted(pickle.dumps(memoize(h.half, h.OrderedCache({4: 100}))))
    assert back(4) == 2 and _introspect.parts(back)[1][1] is h.OrderedCache


def test_reconstructors_call_only_what_they_know_by_identity():
    calls = []

    class Impostor:
        __hash__ = object.__hash__

        def __eq__(self, other):
            return True  # equal to every constructor

        def __call__(self, *args):
            calls.append(args)
            return {}

    with pytest.raises(TypeError, match="is not one of brisko's constructors"):
        _pickling.rebuild(Impostor(), (h.half,), None)
    with pytest.raises(TypeError, match="the cache type must be dict or a subclass of it"):
        _pickling.memoized(h.half, Impostor(), None)  # callable, returning a dict, but no dict class
    assert calls == []


def test_pickling_a_deep_stack_reads_each_decorator_a_few_times():
    reads = []
    kinds = [complement, curry, lambda f: memoize(f, key=h.first_arg), lambda f: excepts(KeyError, f)]
    stack = h.half
    for i in range(120):  # as deep as a debug 3.13's pickler can go
        stack = kinds[i % 4](stack)
    with mock.patch.object(_pickling, "_parts", lambda obj, parts=_pickling._parts: reads.append(obj) or parts(obj)):
        back = pickle.loads(pickle.dumps(stack))
    assert back(5) == stack(5) and len(reads) < 4 * 120  # walking to the bottom at each would be 7,260


def test_a_restricted_unpickler_loads_brisko_pickles_of_the_names_it_admits():
    named = [h.add3, h.square, h.scaled, h.power, flip, Nothing]
    calls = [(h.add3(1), (2, 3)), (h.power(2), (10,)), (h.scaled(2), (5,)), (curry(h.add, b=10), (1,)),
             (flip(h.add, 1), (2,)), (memoize(h.half, h.OrderedCache(), h.first_arg), (9,)),
             (compose(abs, complement(h.half)), (3,)),
             (juxt(h.square, excepts(h.Rejected, h.inverse, h.minus_one)), (4,))]
    values = [Ok(Some([1])), Err("no"), Nothing, NothingType()]
    for protocol in PROTOCOLS:
        assert restricted(pickle.dumps(values, protocol)) == values
        data = pickle.dumps((named, [f for f, _ in calls]), protocol)
        back, funcs = Restricted(data, (*BRISKO, "pickling_helpers"), {"abs"}).load()
        assert all(map(operator.is_, back, named)) and len(back) == len(named)
        assert [f(*args) for f, (_, args) in zip(funcs, calls)] == [f(*args) for f, args in calls]


# ---------------------------------------------------------------- the pickler at work


class Answering:
    """A pickler that takes a function of __main__ by value (as its name: enough to tell) or by
    reference, as its answer says, or raises when asked."""

    def __init__(self, file, answer):
        super().__init__(file)
        self.answer = answer

    def reducer_override(self, obj):
        if not (isinstance(obj, types.FunctionType) and obj.__module__ == "__main__") or self.answer == "by reference":
            return NotImplemented
        if self.answer == "fail":
            raise ValueError("asked")
        return str, (obj.__qualname__,)


class OwnDump(Answering, pickle.Pickler):  # shaped like cloudpickle's: the C pickler under a dump of its own
    def dump(self, obj):
        return super().dump(obj)


class Nested(list):
    pass


class Nesting(OwnDump):  # pickles a Nested list through pickle.dumps, from inside its reducer_override
    def reducer_override(self, obj):
        return (bytes, (pickle.dumps(list(obj)),)) if type(obj) is Nested else super().reducer_override(obj)


class PythonLevel(Answering, pickle._Pickler):
    pass


class CDumpOnly(Answering, pickle.Pickler):  # its dump leaves no frame: brisko cannot see it at work
    pass


def dumped(cls, obj, answer="by value"):
    out = io.BytesIO()
    cls(out, answer).dump(obj)
    return out.getvalue()


def dump(self, obj):  # named like a pickler's method, its self a pickler that takes functions by value
    return pickle.dumps(obj)


# Whether each way of pickling takes the function of __main__ under a curry by value.
TAKEN = {
    "own dump, by value": (lambda objs: dumped(OwnDump, objs), True),
    "own dump, by reference": (lambda objs: dumped(OwnDump, objs, "by reference"), False),
    "own dump, failing when asked": (lambda objs: dumped(OwnDump, objs, "fail"), False),
    "Python-level pickler": (lambda objs: dumped(PythonLevel, objs), True),
    "C dump only": (lambda objs: dumped(CDumpOnly, objs), False),
    "pickle.dumps beside a pickler": (lambda objs: dump(OwnDump(io.BytesIO(), "by value"), objs), False),
    "pickle.dumps in a reducer_override": (lambda objs: pickle.loads(dumped(Nesting, Nested(objs))), False),
}


def test_the_pickler_at_work_decides_how_a_function_of_main_goes():
    def scale(k, x):
        return k * x

    scale.__module__, scale.__qualname__ = "__main__", "brisko_scale"
    with mock.patch.object(sys.modules["__main__"], "brisko_scale", curry(scale), create=True) as main_curry:
        objs = [main_curry, main_curry(2)]
        for how, (dumps, by_value) in TAKEN.items():  # in this order: each pickler's answers are its own
            back = pickle.loads(dumps(objs))
            if by_value:
                assert [_pickling._wrapped(f) for f in back] == ["brisko_scale"] * 2, how
            else:
                assert back[0] is main_curry and back[1](3) == 6, how


# ---------------------------------------------------------------- other processes

XS = list(range(-6, 7))


# Workers from a fork server on every version (3.13 forks by default, which a threaded test run
# must not), so that every object they get has gone through pickling.
@pytest.fixture(scope="module")
def pool():
    context = multiprocessing.get_context("forkserver")
    with concurrent.futures.ProcessPoolExecutor(max_workers=2, mp_context=context) as pool:
        yield pool


def test_function_objects_run_in_workers(pool):  # what each pickle holds is the round trips' business
    assert list(pool.map(h.add3(1, 2), XS)) == [x + 3 for x in XS]  # a module-level curry's partial
    assert list(pool.map(h.power(2), range(5))) == [1, 2, 4, 8, 16]  # ...under a module-level memoize
    assert list(pool.map(compose(str, abs), XS)) == [str(abs(x)) for x in XS]


def test_results_come_back_as_ok_or_err_with_their_exceptions(pool):
    seen = set()
    for x, result in zip(XS, pool.map(h.checked_inverse, XS)):
        match result:
            case Ok(value):
                assert x > 0 and value == 100 // x
            case Err(h.Rejected() as exc):
                assert x < 0 and exc.args == (f"negative input: {x}",)
            case Err(ZeroDivisionError() as exc):
                assert x == 0 and exc.args == h.checked_inverse(0).error.args
            case _:
                pytest.fail(f"unexpected {result!r} for {x}")
        seen.add(type(result))
    assert seen == {Ok, Err}


# A one-file job, run as __main__: its module-level function objects go by value through cloudpickle
# into an interpreter that never ran it, as a plain def does, and by reference through pickle.
MAIN_JOB = """
import pickle, subprocess, sys
from brisko import compose, curry, excepts, flip, memoize
assert "cloudpickle" not in sys.modules  # brisko does not import it
import cloudpickle

@curry
def scale(k, x):
    return k * x

@memoize
@curry
def shift(k, x):  # shift(1) is a memoized partial application
    return x + k

@memoize
def square(x):
    return x * x

def plain(x):
    return -x

flipped = flip(scale)
both = compose(square, scale(3))
guarded = excepts(ZeroDivisionError, lambda x: 1 // x, lambda e: 0)
jobs = [scale, scale(2), shift(1), square, flipped(5), both, guarded, plain]
expected = [f(2) if f is not scale else f(2, 2) for f in jobs]

def run_elsewhere(data):
    code = "import cloudpickle, sys; fs = cloudpickle.loads(sys.stdin.buffer.read()); "
    code += "print([f(2) if i else f(2, 2) for i, f in enumerate(fs)])"
    child = subprocess.run([sys.executable, "-c", code], input=data, capture_output=True, text=False)
    assert child.returncode == 0, child.stderr.decode()
    return eval(child.stdout)

assert run_elsewhere(cloudpickle.dumps(jobs)) == expected

data = pickle.dumps(jobs[:5])
assert b"__main__" in data and b"cloudpickle" not in data
assert [f(2) if f is not scale else f(2, 2) for f in pickle.loads(data)] == expected[:5]
print("ok")
"""


@pytest.mark.out_of_process
def test_main_definitions_go_by_value_through_cloudpickle_and_by_reference_through_pickle(tmp_path):
    pytest.importorskip("cloudpickle")
    (tmp_path / "job.py").write_text(MAIN_JOB)
    job = subprocess.run([sys.executable, "job.py"], cwd=tmp_path, capture_output=True, text=True, timeout=120)
    assert job.returncode == 0 and job.stdout == "ok\n", job.stderr
