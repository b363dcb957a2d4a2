"""The reference's own prelude: `from brisko import *` gives both checkers every name, typed."""

import operator
from typing import assert_type

from brisko import *

assert assert_type(groupby(len, ["a", "bb", "c"]), dict[int, list[str]]) == {1: ["a", "c"], 2: ["bb"]}
assert assert_type(reduceby(lambda x: x % 2, operator.add, [1, 2, 3]), dict[int, int]) == {1: 4, 0: 2}
assert assert_type(pipe([3, 1, 2], sorted, first), int) == 1
assert assert_type(Option.of({"a": 1}.get("b")), "Some[int] | NothingType") == Nothing
assert assert_type(compose_left(abs, str)(-3), str) == "3"
assert assert_type(Iter("ab").map(str.upper).collect(), list[str]) == ["A", "B"]
