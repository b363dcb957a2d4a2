"""Pickling and copying of brisko's values and function objects.

brisko's classes carry no pickling methods of their own: the reducers below are registered with
copyreg when the package is imported. Each one rebuilds its object through the public constructor
or factory, from parts that brisko._introspect reads out of the object, so unpickling never sees
internal state; only a curry holding keywords comes back through a constructor of _introspect's that
takes them as one dict, whatever their names. The module-level functions below are named in
pickles: their names stay.

Lazy iterators keep the host's refusal ("cannot pickle '...' object"), as itertools' do.
"""

import copyreg
import importlib
import importlib.machinery
import importlib.util
import operator
import sys

from brisko import _brisko
from brisko._brisko import (
    Err,
    Iter,
    NothingType,
    Ok,
    Some,
    complement,
    compose_left,
    curry,
    excepts,
    juxt,
    memoize,
)


def _library_module(short_name):
    """brisko.<short_name>, a module whose init function sits in _brisko's own library (_introspect;
    _testhooks in a test build), so that it shares _brisko's type objects. The import system looks
    for one module per library file, so it is loaded from that file by path; ImportError when the
    library has no such module."""
    name = f"brisko.{short_name}"
    module = sys.modules.get(name)
    if module is None:
        loader = importlib.machinery.ExtensionFileLoader(name, _brisko.__file__)
        spec = importlib.util.spec_from_file_location(name, _brisko.__file__, loader=loader)
        module = importlib.util.module_from_spec(spec)
        loader.exec_module(module)
        sys.modules[name] = module
    return module


_introspect = _library_module("_introspect")
_wrapped = _introspect.wrapped
_MISSING = object()


# ---------------------------------------------------------------- reconstructors (named in pickles)


def by_name(module, qualname):
    """What a module-level name holds: a module-level curry or memoize comes back as itself."""
    obj = importlib.import_module(module)
    for attr in qualname.split("."):
        obj = getattr(obj, attr)
    return obj


def unwrapped(holder, depth):
    """The function `depth` decorator steps below `holder`: a function whose name holds a wrapper
    made from it (what a module-level @curry function gathers arguments for, flip's builtin)."""
    depth = operator.index(depth)
    if depth < 1:
        raise ValueError(f"unwrapped: depth must be at least 1, not {depth}")
    for step in range(depth):
        below = _wrapped(holder)
        if below is None:
            raise ValueError(f"unwrapped: {holder!r} wraps no function ({step} of {depth} steps down)")
        holder = below
    return holder


def memoized(func, cache_type, key):
    """A memoize over a fresh, empty cache of the original's type."""
    return memoize(func, cache_type(), key)


def curried(func, args, kwargs):
    """curry(func, *args, **kwargs), the keywords handed over as one dict: one of them may be named
    like curry's own parameter (flip(func=...)). A placeholder func is replaced as in rebuild."""
    if type(func) is _Unwrapped:
        func = func.function()
    return _introspect.curry_from_parts(func, args, kwargs)


def rebuild(factory, args, kwargs):
    """factory(*args, **kwargs), each placeholder among args replaced by the function it stands
    for. Unpickling has replaced them already; copy.copy hands them over as they are. The reducers
    here pass None for kwargs; a pickle may carry a dict."""
    args = [arg.function() if type(arg) is _Unwrapped else arg for arg in args]
    return factory(*args, **(kwargs or {}))


class _Unwrapped:
    """Stands among reconstruction arguments for a function that cannot be pickled by its own name,
    because the name holds a wrapper made from it; it pickles as the way down from that wrapper."""

    __slots__ = ("holder", "depth")

    def __init__(self, holder, depth):
        self.holder = holder
        self.depth = depth

    def function(self):
        return unwrapped(self.holder, self.depth)

    def __reduce__(self):
        return unwrapped, (self.holder, self.depth)


# ---------------------------------------------------------------- module-level names


def _name_of(obj):
    """(module, qualname, held) for the function at the bottom of obj's decorators (curry, memoize,
    complement, excepts): its name and what the name holds now. None without a usable name."""
    inner = obj
    while (below := _wrapped(inner)) is not None:
        inner = below
    module = getattr(inner, "__module__", None)
    qualname = getattr(inner, "__qualname__", None)
    if type(module) is not str or type(qualname) is not str:
        return None
    # Only loaded modules: the name is looked up where the object came from, never imported here.
    held = sys.modules.get(module, _MISSING)
    for attr in qualname.split("."):
        held = getattr(held, attr, _MISSING)
    return module, qualname, held


def _depth(held, obj):
    """How many decorator steps below `held` obj sits, or None when it is not there."""
    depth = 0
    while held is not obj:
        held = _wrapped(held)
        if held is None:
            return None
        depth += 1
    return depth


def _by_reference(obj, name):
    """The reduction of a decorator object reachable from its function's name: by that name when
    the name holds obj itself, else as the way down from what it holds. None otherwise."""
    module, qualname, held = name
    depth = _depth(held, obj)
    if depth is None:
        return None
    return (by_name, (module, qualname)) if depth == 0 else (unwrapped, (held, depth))


def _portable(func, name=_MISSING):
    """func, or a placeholder when its name holds a wrapper made from it (pickle would refuse it as
    'not the same object'). Everything else goes to pickle as it is, to be refused in pickle's own
    words when it cannot be pickled."""
    if name is _MISSING:
        name = _name_of(func)
    if name is None or name[2] is func:
        return func
    depth = _depth(name[2], func)
    return _Unwrapped(name[2], depth) if depth else func


def _recipe(factory, args):
    """The reduction that calls factory(*args): through rebuild when there are placeholders."""
    for arg in args:
        if type(arg) is _Unwrapped:
            return rebuild, (factory, args, None)
    return factory, args


# ---------------------------------------------------------------- reducers


def _reduce_some(value):
    return Some, (value.value,)


def _reduce_nothing(value):
    # The module's own Nothing comes back as itself; any other instance as a new equal one.
    return "Nothing" if value is _brisko.Nothing else (NothingType, ())


def _reduce_ok(value):
    return Ok, (value.value,)


def _reduce_err(value):
    return Err, (value.error,)


def _wrapper_by_reference(obj, func):
    """For a decorator object over func: (its reduction by reference or None, func made portable).
    A decorator's name is its function's; when that name holds func itself, neither applies."""
    name = _name_of(func)
    if name is None or name[2] is func:
        return None, func
    return _by_reference(obj, name), _portable(func, name)


def _reduce_curry(obj):
    func, args, kwargs = _introspect.curry_parts(obj)
    found, func = _wrapper_by_reference(obj, func)
    if found:
        return found
    return (curried, (func, args, kwargs)) if kwargs else _recipe(curry, (func, *args))


def _reduce_memoize(obj):
    func, cache_type, key = _introspect.memoize_parts(obj)
    found, func = _wrapper_by_reference(obj, func)
    if found:
        return found
    # The entries stay behind, as an lru_cache's do.
    if cache_type is dict:
        return _recipe(memoize, (func, None, _portable(key)))
    return _recipe(memoized, (func, cache_type, _portable(key)))


def _reduce_complement(obj):
    found, func = _wrapper_by_reference(obj, _introspect.complement_func(obj))
    return found or _recipe(complement, (func,))


def _reduce_excepts(obj):
    exc, func, handler = _introspect.excepts_parts(obj)
    found, func = _wrapper_by_reference(obj, func)
    return found or _recipe(excepts, (exc, func, _portable(handler)))


def _reduce_compose(obj):
    # compose stores its functions in call order, which is compose_left's argument order.
    return _recipe(compose_left, tuple(map(_portable, _introspect.compose_funcs(obj))))


def _reduce_juxt(obj):
    funcs = _introspect.juxt_funcs(obj)
    # juxt takes one non-callable argument for an iterable of functions: such a one goes in a tuple.
    if len(funcs) == 1 and not callable(funcs[0]):
        return juxt, (funcs,)
    return _recipe(juxt, tuple(map(_portable, funcs)))


def _reduce_iter(obj):
    return Iter, (_introspect.iter_inner(obj),)


def register():
    """Registers the reducers with copyreg; pickle and copy both consult its table."""
    for cls, reducer in (
        (Some, _reduce_some),
        (NothingType, _reduce_nothing),
        (Ok, _reduce_ok),
        (Err, _reduce_err),
        (curry, _reduce_curry),
        (_introspect.Memoize, _reduce_memoize),
        (_introspect.Complement, _reduce_complement),
        (_introspect.Excepts, _reduce_excepts),
        (_introspect.Compose, _reduce_compose),
        (_introspect.Juxt, _reduce_juxt),
        (Iter, _reduce_iter),
    ):
        copyreg.pickle(cls, reducer)
