// Panic: a broken native invariant, and `boundary`, the one place where C++ exceptions stop.
// Every function the interpreter calls runs its body through `boundary`, so nothing unwinds into it.
#pragma once

#include <Python.h>

#include <exception>
#include <new>
#include <type_traits>

namespace brisko {

class Panic : public std::exception {
public:
    explicit Panic(const char* message = nullptr) noexcept : message_(message) {}
    const char* what() const noexcept override { return message_ ? message_ : "panic"; }
    const char* message() const noexcept { return message_; }

private:
    const char* message_;  // a string literal, or null when the failure carries no message
};

[[noreturn]] void panic(const char* message);

// Sets PanicException (a direct BaseException subclass, created once per interpreter) with `message`; if the class
// itself cannot be made, that error stays set.
void set_panic(const char* message) noexcept;

template <class R>
constexpr R error_result() noexcept {
    if constexpr (std::is_pointer_v<R>) {
        return nullptr;
    } else {
        return R(-1);
    }
}

// Runs `body`, turning any C++ exception into a host exception: Panic into PanicException (its own
// message, else `fallback`), std::bad_alloc into MemoryError. Returns null or -1 in those cases.
template <class F>
auto boundary(F&& body, const char* fallback = "panic in brisko") noexcept -> decltype(body()) {
    using R = decltype(body());
    try {
        return body();
    } catch (const Panic& p) {
        set_panic(p.message() ? p.message() : fallback);
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
    } catch (const std::exception& e) {
        set_panic(e.what());
    } catch (...) {
        set_panic(fallback);
    }
    return error_result<R>();
}

}  // namespace brisko
