// PanicException: raised instead of crashing when a native invariant breaks.
#include "panic.hpp"

#include "interpreter_cell.hpp"

namespace brisko {

void panic(const char* message) { throw Panic(message); }

namespace {

InterpreterCell PANIC_EXCEPTION;

PyObject* panic_exception_type() noexcept {
    return PANIC_EXCEPTION.get_or_init([]() {
        return Owned::steal(
            PyErr_NewExceptionWithDoc("brisko._brisko.PanicException",
                                      "An internal invariant of brisko was broken. Derives from BaseException so that "
                                      "'except Exception' does not hide it.",
                                      PyExc_BaseException, nullptr));
    });
}

}  // namespace

void set_panic(const char* message) noexcept {
    if (PyObject* type = panic_exception_type()) PyErr_SetString(type, message);
}

}  // namespace brisko
