"""Pickling and copying of brisko's values and function objects.

brisko's classes carry no pickling methods of their own: the reducers below are registered with
copyreg when the package is imported. Each one rebuilds its object through the public constructor
or factory, from parts that brisko._introspect reads out of the object, so unpickling never sees
internal state; only a curry holding keywords comes back through a constructor of _introspect's that
takes them as one dict, whatever their names.

A pickle names every global it needs, brisko's and the user's, through the standard global opcodes,
so that an unpickler's find_class sees each one. The reconstructors below (the module's only public
names besides register; pickles hold them, so their names stay) import nothing, look up no attribute
by name and call nothing but brisko's own constructors (and a memoized function's cache class, a
dict subclass), after checking what they receive. None hands the unpickler a function of the user's
that it was not given by name (a later BUILD would set attributes on it), and none lets a pickle
carry behaviour in: a memoized function always starts with an empty cache.

Lazy iterators keep the host's refusal ("cannot pickle '...' object"), as itertools' do.
"""

import copyreg as _copyreg
import importlib.machinery as _machinery
import importlib.util as _import_util
import sys as _sys

from brisko import _brisko


def _library_module(short_name):
    """brisko.<short_name>, a module whose init function sits in _brisko's own library (_introspect;
    _testhooks in a test build), so that it shares _brisko's type objects. The import system looks
    for one module per library file, so it is loaded from that file by path; ImportError when the
    library has no such module."""
    name = f"brisko.{short_name}"
    module = _sys.modules.get(name)
    if module is None:
        loader = _machinery.ExtensionFileLoader(name, _brisko.__file__)
        spec = _import_util.spec_from_file_location(name, _brisko.__file__, loader=loader)
        module = _import_util.module_from_spec(spec)
        loader.exec_module(module)
        _sys.modules[name] = module
    return module


_introspect = _library_module("_introspect")
_GLOBALS = globals()
# For each pickler asked (held weakly), each function of __main__ it was asked about, by id: (the
# function, whether that pickler takes it by value). Made on first use: importing brisko imports no
# more than it needs.
_ANSWERS = None
_parts = _introspect.parts
_MISSING = object()

_stack = _introspect.stack
# Where the parts of a single-function decorator hold the function it wraps, by kind.
_WRAPPED_AT = {"curry": 0, "memoize": 0, "complement": 0, "excepts": 1}


def _wrapped(obj):
    """The function a single-function decorator (curry, memoize, complement, excepts) holds, or None
    for any other object: one step down a stack of decorators."""
    found = _parts(obj)
    if found is not None and (at := _WRAPPED_AT.get(found[0])) is not None:
        return found[1][at]
    return None


def _height(obj):
    """How many single-function decorators stand in the stack obj tops: 0 for any other object."""
    found = _stack(obj)
    return 0 if found is None else found[1]


def _down(holder, depth):
    """The function `depth` decorator steps below `holder`."""
    for step in range(depth):
        below = _wrapped(holder)
        if below is None:
            raise ValueError(f"unwrapped: {holder!r} wraps no function ({step} of {depth} steps down)")
        holder = below
    return holder


# ---------------------------------------------------------------- reconstructors (named in pickles)


def unwrapped(holder, depth):
    """What stands `depth` decorator steps below `holder`, whose name holds a stack of decorators
    over one function (what a module-level @curry function gathers arguments for, flip's builtin).
    Only brisko's own decorators are stepped through. A decorator found there comes back as it is;
    the function at the bottom comes back as a placeholder, which only the reconstructors below take,
    and replace by that function: a user's function is never handed to the unpickler, whose BUILD
    would set attributes on it."""
    if type(depth) is not int or depth < 1:
        raise ValueError(f"unwrapped: depth must be at least 1, not {depth!r}")
    found = _down(holder, depth)
    return found if _stack(found) is not None else _Unwrapped((holder, depth))


def memoized(func, cache_type, key):
    """A memoize over a fresh, empty cache of the original's type, which must be dict or a subclass
    of it (the only caches memoize takes): nothing else is called. The one way a memoized function
    travels, so that no pickle brings entries of its own."""
    if not (isinstance(cache_type, type) and issubclass(cache_type, dict)):
        raise TypeError(f"memoized: the cache type must be dict or a subclass of it, not {cache_type!r}")
    func, key = (arg.function() if type(arg) is _Unwrapped else arg for arg in (func, key))
    return _brisko.memoize(func, cache_type(), key)


def curried(func, args, kwargs):
    """curry(func, *args, **kwargs), the keywords handed over as one dict: one of them may be named
    like curry's own parameter (flip(func=...)). A placeholder func is replaced as in rebuild."""
    if type(func) is _Unwrapped:
        func = func.function()
    return _introspect.curry_from_parts(func, args, kwargs)


def rebuild(factory, args, kwargs):
    """factory(*args, **kwargs), factory one of brisko's constructors, each placeholder among args
    (from unwrapped when unpickling, as made when copying) replaced by the function it stands for.
    The reducers here pass None for kwargs; a pickle may carry a dict."""
    if _FACTORIES.get(id(factory)) is not factory:
        raise TypeError(f"rebuild: {factory!r} is not one of brisko's constructors")
    args = [arg.function() if type(arg) is _Unwrapped else arg for arg in args]
    return factory(*args, **(kwargs or {}))


# What rebuild calls, known by identity (an object from a pickle may claim equality with anything);
# memoize only through memoized, which gives it an empty cache.
_FACTORIES = {
    id(factory): factory
    for factory in (
        _brisko.curry,
        memoized,
        _brisko.complement,
        _brisko.excepts,
        _brisko.compose_left,
        _brisko.juxt,
    )
}


class _Unwrapped(tuple):
    """(holder, depth): stands among reconstruction arguments for a function that cannot be pickled
    by its own name, because the name holds a wrapper made from it; it pickles as the way down from
    that wrapper. Immutable, with no attributes for a pickle's BUILD to set."""

    __slots__ = ()

    def function(self):
        return _down(*self)

    def __reduce__(self):
        return unwrapped, tuple(self)


# ---------------------------------------------------------------- module-level names


class _Stack:
    """A stack of decorators (curry, memoize, complement, excepts) over one function, whose top is
    what the function's module-level name holds now: the name reaches every decorator in the stack,
    by stepping down from the top."""

    __slots__ = ("qualname", "top")

    def __init__(self, qualname, top):
        self.qualname = qualname
        self.top = top

    @staticmethod
    def over(func):
        """The stack over the function at the bottom of func's decorators, named by that function's
        __module__ and __qualname__, when that name holds something other than func; None without a
        usable name, when the name holds func itself (which then pickles by it), or when the pickler
        at work takes that function by value (the stack then goes as its parts)."""
        found = _stack(func)  # the bottom of a stack in one step, however deep it is
        inner = func if found is None else found[0]
        module = getattr(inner, "__module__", None)
        qualname = getattr(inner, "__qualname__", None)
        if type(module) is not str or type(qualname) is not str:
            return None
        # Only loaded modules: the name is looked up where the object came from, never imported here.
        top = _sys.modules.get(module, _MISSING)
        for attr in qualname.split("."):
            top = getattr(top, attr, _MISSING)
        if top is func or module == "__main__" and _taken_by_value(inner):
            return None
        return _Stack(qualname, top)

    def depth(self, obj):
        """How many decorator steps below the top obj sits, or None when it is not there: the two
        heights say how many, and the way down that many steps must reach obj itself."""
        depth = _height(self.top) - _height(obj)
        if depth < 0:
            return None
        held = self.top
        for _ in range(depth):
            held = _wrapped(held)
        return depth if held is obj else None

    def reduction(self, obj):
        """The reduction of a decorator object in the stack: the name when the top is obj itself
        (pickle writes it as a global of obj's __module__, which a decorator reads from its
        function), else the way down from the top. None when obj is not in the stack."""
        depth = self.depth(obj)
        if depth is None:
            return None
        return self.qualname if depth == 0 else (unwrapped, (self.top, depth))


def _pickler_at_work():
    """The pickler running the reduction under way, when a frame shows it. The first frame outside
    this module is where the reducer was called from: the save method of a Python-level pickler
    (pickle._Pickler and its subclasses), or a dump method that a subclass of the C pickler defines
    for itself and calls the C dump from (as cloudpickle's does); the frame's code is then that
    pickler class's own method. Any other frame is code that called a C pickler's dump directly
    (pickle.dumps, standard pickling nested in a reducer_override) or copy at work: None."""
    pickle = _sys.modules.get("pickle")
    frame = _sys._getframe(1)
    while frame is not None and frame.f_globals is _GLOBALS:
        frame = frame.f_back
    if pickle is None or frame is None:
        return None
    code = frame.f_code
    kind = {"save": pickle._Pickler, "dump": pickle.Pickler}.get(code.co_name)
    if kind is None or code.co_argcount == 0:
        return None
    pickler = frame.f_locals.get(code.co_varnames[0])
    if not isinstance(pickler, kind):
        return None
    for cls in type(pickler).__mro__:
        if getattr(cls.__dict__.get(code.co_name), "__code__", None) is code:
            return pickler
    return None


def _taken_by_value(func):
    """Whether the pickler at work pickles func, a function of __main__, by value. A process that
    unpickles a reference to __main__ has its own __main__, which need not define the name: a worker
    of a cloudpickle-based engine has not run the parent's script. Such a pickler reduces functions
    itself (a reducer_override that answers for them, as cloudpickle's does), and whatever holds func
    then follows it by value. The standard pickler has no reducer_override: its pickles stay by
    reference, and so do those of a reducer_override that fails when asked. Asking costs the pickler
    a reduction of func: each answer is kept for the function and that pickler, whose answers may
    depend on its own state."""
    pickler = _pickler_at_work()
    reducer_override = getattr(pickler, "reducer_override", None)
    if reducer_override is None:
        return False
    global _ANSWERS
    if _ANSWERS is None:
        import weakref

        _ANSWERS = weakref.WeakKeyDictionary()
    try:
        answers = _ANSWERS.setdefault(pickler, {})
    except TypeError:  # a pickler that takes no weak reference or no hash: asked every time
        answers = {}
    known = answers.get(id(func))
    if known is None:
        try:
            taken = reducer_override(func) is not NotImplemented
        except Exception:
            taken = False
        answers[id(func)] = known = (func, taken)  # holding func keeps its id its own
    return known[1]


def _portable(func, stack=_MISSING):
    """func, or a placeholder when its name holds a wrapper made from it (pickle would refuse it as
    'not the same object'). Everything else goes to pickle as it is, to be refused in pickle's own
    words when it cannot be pickled."""
    if stack is _MISSING:
        stack = _Stack.over(func)
    depth = None if stack is None else stack.depth(func)
    return _Unwrapped((stack.top, depth)) if depth else func


def _recipe(factory, args):
    """The reduction that calls factory(*args): through rebuild when there are placeholders."""
    for arg in args:
        if type(arg) is _Unwrapped:
            return rebuild, (factory, args, None)
    return factory, args


# ---------------------------------------------------------------- reducers


def _reduce_some(value):
    return _brisko.Some, (value.value,)


def _reduce_nothing(value):
    # The module's own Nothing comes back as itself; any other instance as a new equal one.
    return "Nothing" if value is _brisko.Nothing else (_brisko.NothingType, ())


def _reduce_ok(value):
    return _brisko.Ok, (value.value,)


def _reduce_err(value):
    return _brisko.Err, (value.error,)


def _wrapper_by_reference(obj, func):
    """For a decorator object over func: (its reduction by reference or None, func made portable).
    A decorator's name is its function's; when that name holds func itself, neither applies."""
    stack = _Stack.over(func)
    if stack is None:
        return None, func
    return stack.reduction(obj), _portable(func, stack)


def _reduce_curry(obj):
    func, args, kwargs = _parts(obj)[1]
    found, func = _wrapper_by_reference(obj, func)
    if found:
        return found
    return (curried, (func, args, kwargs)) if kwargs else _recipe(_brisko.curry, (func, *args))


def _reduce_memoize(obj):
    func, cache_type, key = _parts(obj)[1]
    found, func = _wrapper_by_reference(obj, func)
    if found:
        return found
    # The entries stay behind, as an lru_cache's do.
    return memoized, (func, cache_type, _portable(key))


def _reduce_complement(obj):
    found, func = _wrapper_by_reference(obj, _parts(obj)[1][0])
    return found or _recipe(_brisko.complement, (func,))


def _reduce_excepts(obj):
    exc, func, handler = _parts(obj)[1]
    found, func = _wrapper_by_reference(obj, func)
    return found or _recipe(_brisko.excepts, (exc, func, _portable(handler)))


def _reduce_compose(obj):
    # compose stores its functions in call order, which is compose_left's argument order.
    return _recipe(_brisko.compose_left, tuple(map(_portable, _parts(obj)[1])))


def _reduce_juxt(obj):
    funcs = _parts(obj)[1]
    # juxt takes one non-callable argument for an iterable of functions: such a one goes in a tuple.
    if len(funcs) == 1 and not callable(funcs[0]):
        return _brisko.juxt, (funcs,)
    return _recipe(_brisko.juxt, tuple(map(_portable, funcs)))


def _reduce_iter(obj):
    return _brisko.Iter, _parts(obj)[1]


def register():
    """Registers the reducers with copyreg; pickle and copy both consult its table."""
    for cls, reducer in (
        (_brisko.Some, _reduce_some),
        (_brisko.NothingType, _reduce_nothing),
        (_brisko.Ok, _reduce_ok),
        (_brisko.Err, _reduce_err),
        (_brisko.curry, _reduce_curry),
        (_introspect.Memoize, _reduce_memoize),
        (_introspect.Complement, _reduce_complement),
        (_introspect.Excepts, _reduce_excepts),
        (_introspect.Compose, _reduce_compose),
        (_introspect.Juxt, _reduce_juxt),
        (_brisko.Iter, _reduce_iter),
    ):
        _copyreg.pickle(cls, reducer)
