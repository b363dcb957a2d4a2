"""Plain-Python formulations of brisko's tools, shared by the tests (which hold the native code to
what these do) and the benchmarks (which time the native code against them)."""

import inspect


def py_get_in(keys, coll, default=None):
    try:
        for k in keys:
            coll = coll[k]
    except (KeyError, IndexError, TypeError):
        return default
    return coll


class PyCurry:
    """What curry does: the signature is looked up once per chain, and every call binds the
    arguments gathered so far with bind, then bind_partial."""

    __slots__ = ("func", "args", "kwargs", "sig")

    def __init__(self, func, *args, **kwargs):
        self.func, self.args, self.kwargs, self.sig = func, args, kwargs, None

    def __call__(self, *args, **kwargs):
        args = self.args + args
        kwargs = {**self.kwargs, **kwargs}
        sig = self.sig
        if sig is None:
            try:
                sig = self.sig = inspect.signature(self.func)
            except (ValueError, TypeError):
                return self.func(*args, **kwargs)
        try:
            sig.bind(*args, **kwargs)
        except TypeError:
            try:
                sig.bind_partial(*args, **kwargs)
            except TypeError:
                return self.func(*args, **kwargs)
            grown = PyCurry(self.func, *args, **kwargs)
            grown.sig = sig
            return grown
        return self.func(*args, **kwargs)


def round_robin(seqs):
    """interleave: one element of each input in turn, dropping each input as it ends."""
    iters = [iter(s) for s in seqs]
    while iters:
        alive = []
        for it in iters:
            for x in it:
                yield x
                alive.append(it)
                break
        iters = alive
