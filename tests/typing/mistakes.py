"""Deliberate mistakes, each of which fails at run time: `mypy --strict` must report exactly the
errors written after `# E:` on each line (several on one line are separated by `# E:` again), and
nothing else. This file is only type-checked, never run."""

import operator

from brisko import Iter, Ok, Option, Some, compose, curry, excepts, first_opt, flip, frequencies, get, groupby
from brisko import isdistinct, join, memoize, merge, pipe, reduceby, take, thread_first, unique, valmap


@memoize
def fib(n: int) -> int:
    return n if n < 2 else fib(n - 1) + fib(n - 2)


def sub(a: int, b: int) -> int:
    return a - b


fib("x")  # E: Argument 1 to "fib" has incompatible type "str"; expected "int"  [arg-type]
excepts(ValueError, sub)(1)  # E: Too few arguments  [call-arg]
curry(sub)(1)("x")  # E: No overload variant of "__call__" of "_Curried1" matches argument type "str"  [call-overload]
flip(sub, "a", 1)  # E: Argument 1 to "__call__" of "_Flip" has incompatible type "Callable[[int, int], int]"; expected "Callable[[int, str], int]"  [arg-type]
pipe(1, str, abs)  # E: Cannot infer value of type parameter "_T1" of "pipe"  [misc]
compose(len, sub)  # E: Argument 1 to "compose" has incompatible type "Callable[[Sized], int]"; expected "Callable[[int], int]"  [arg-type]
thread_first(1, (sub, "x"))  # E: Cannot infer value of type parameter "_X1a" of "thread_first"  [misc]

Some(1).and_then(lambda v: v + 1)  # E: Value of type variable "_O" of "and_then" of "Some" cannot be "int"  [type-var]
Ok(1).and_then(lambda v: Some(v))  # E: Value of type variable "_RO" of "and_then" of "Ok" cannot be "Some[int]"  [type-var]
found = first_opt(["a"])
matched: Some[int] = found  # E: Incompatible types in assignment (expression has type "Some[str] | NothingType", variable has type "Some[int]")  [assignment]
Option()  # E: Cannot instantiate protocol class "Option"  [misc]
isinstance(matched, Option)  # E: Only @runtime_checkable protocols can be used with instance and class checks  [misc]
Some(1) < Some(2)  # E: Unsupported left operand type for < ("Some[int]")  [operator]

frequencies([[1], [2]])  # E: Value of type variable "_H" of "frequencies" cannot be "list[int]"  [type-var]
isdistinct([{1}])  # E: List item 0 has incompatible type "set[int]"; expected "Hashable"  [list-item]
unique([[1]])  # E: Value of type variable "_H" of "unique" cannot be "list[int]"  [type-var]
groupby(len, [1, 2])  # E: Argument 1 to "groupby" has incompatible type "Callable[[Sized], int]"; expected "Callable[[int], int]"  [arg-type]
take("2", [1])  # E: Argument 1 to "take" has incompatible type "str"; expected "int"  [arg-type]
get(0, [1], "a", "b")  # E: No overload variant of "get" matches argument types "int", "list[int]", "str", "str"  [call-overload]
reduceby(len, operator.add, ["a"], 1, 2)  # E: No overload variant of "reduceby" matches argument types "Callable[[Sized], int]", "Callable[[Any, Any], Any]", "list[str]", "int", "int"  [call-overload]
join(lambda x: [x], [1], 0, [(1,)])  # E: Argument 1 to "join" has incompatible type "Callable[[int], list[int]]"; expected "Callable[[int], Hashable] | int | str | list[Any]"  [arg-type]  # E: Incompatible return value type (got "list[int]", expected "Hashable")  [return-value]

valmap(len, {"a": 1})  # E: Argument 1 to "valmap" has incompatible type "Callable[[Sized], int]"; expected "Callable[[int], int]"  [arg-type]
merge({"a": 1}, factory=list)  # E: Value of type variable "_M" of "merge" cannot be "list[Any]"  [type-var]

Iter([1, 2]).map(str).collect()[0] + 1  # E: Unsupported operand types for + ("str" and "int")  [operator]
Iter([1, 2]).to_dict()  # E: Invalid self argument "Iter[int]" to attribute function "to_dict" with type "Callable[[Iter[tuple[_K, _V]]], dict[_K, _V]]"  [misc]
Iter([1, 2]).first().unwrap() + "!"  # E: Unsupported operand types for + ("int" and "str")  [operator]
