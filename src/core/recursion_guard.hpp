// RecursionGuard: the host's recursion check around a call that goes on into another callable or
// iterator, which may be one of ours. A deep chain of brisko objects then raises RecursionError,
// as the same chain of Python-level wrappers does, instead of overflowing the C stack.
#pragma once

#include <Python.h>

#include "python_compat.hpp"

namespace brisko {

class RecursionGuard {
public:
    // `where` completes the message: "maximum recursion depth exceeded" + where.
    explicit RecursionGuard(const char* where) noexcept : entered_(enter_recursive_call(where) == 0) {}
    RecursionGuard(const RecursionGuard&) = delete;
    RecursionGuard& operator=(const RecursionGuard&) = delete;
    ~RecursionGuard() {
        if (entered_) Py_LeaveRecursiveCall();
    }

    // False (RecursionError set) when the stack is too deep to go on.
    explicit operator bool() const noexcept { return entered_; }

private:
    bool entered_;
};

}  // namespace brisko
