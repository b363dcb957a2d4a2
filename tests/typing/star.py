"""The reference's own prelude: `from brisko import *` gives both checkers every name, typed. No
lambda here has an unknown parameter, and pyright checks that too."""
# pyright: reportUnknownArgumentType=true, reportUnknownLambdaType=true

import operator
from typing import assert_type

from brisko import *

assert assert_type(groupby(len, ["a", "bb", "c"]), dict[int, list[str]]) == {1: ["a", "c"], 2: ["bb"]}
assert assert_type(reduceby(lambda x: x % 2, operator.add, [1, 2, 3]), dict[int, int]) == {1: 4, 0: 2}
assert assert_type(pipe([3, 1, 2], sorted, first), int) == 1
assert assert_type(Option.of({"a": 1}.get("b")), "Some[int] | NothingType") == Nothing
assert assert_type(compose_left(abs, str)(-3), str) == "3"
assert assert_type(Iter("ab").map(str.upper).collect(), list[str]) == ["A", "B"]
outcome = Result.of(lambda: 2).map(lambda x: x + 1).map_err(lambda e: str(e)).and_then(lambda x: Ok(x * 2))
assert assert_type(outcome, "Ok[int] | Err[str]") == Ok(6)
found = first_opt([2]).map(lambda x: x + 1).filter(lambda x: x > 0).and_then(lambda x: Some(x * 2))
assert assert_type(found, "Some[int] | NothingType") == Some(6)
