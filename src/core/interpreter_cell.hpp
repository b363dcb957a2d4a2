// Values declared once for the process, with one of their own in every interpreter that imports
// brisko: InterpreterLocal<T> for native values (the value objects' free list), InterpreterCell for
// objects (type objects, cached host lookups, interned names, once-computed flags). An object made
// by one interpreter must never be handed to another, whose lock does not guard it, and a block of
// memory one interpreter's allocator gave out must never be freed by another's.
//
// The values live in a block that the module's exec step opens for its interpreter. A block belongs
// to its interpreter for the interpreter's whole life (found by its ID, never by its address, which
// a later interpreter may reuse) and goes when the last module of that interpreter goes, or when
// the interpreter ends, whichever is first: a module that leaked out of its interpreter never
// keeps a block alive for a later one to find. A value finds its interpreter's block through the
// running thread, not through a module or a class: much of what reads one (the boundary raising
// PanicException, a host lookup inside a step, a value object's deallocation) runs far below any
// function or method, with neither at hand, and the thread's interpreter is the one whose lock
// guards the call anyway.
#pragma once

#include <Python.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <new>

#include "once_cell.hpp"

namespace brisko {

namespace interpreter_cells {

// The room of one per-interpreter value in every block, and how to make and unmake it there.
struct Room {
    std::size_t offset;
    void (*make)(void*) noexcept;
    void (*unmake)(void*) noexcept;  // with the block's interpreter attached
    Room* next;
};

// Adds a room to every block opened from now on (all are added while the library loads, before
// any block can open: each value is declared at namespace scope) and returns its offset.
std::size_t reserve(Room& room, std::size_t size, std::size_t align) noexcept;

struct Block {
    std::int64_t interp_id;  // the interpreter's ID: unique among the interpreters alive
    std::uint64_t serial;    // unique among every block the process ever opens; never 0
    Block* next;
    std::size_t holders;  // module objects of the interpreter's (more than one after a re-import)
    std::byte* values;    // every room's value, made when the block opens
};

// The main interpreter's block, while it has one, found without a search: most programs run
// brisko in the main interpreter alone, and a value is read on per-call paths.
extern std::atomic<PyInterpreterState*> main_interp;
extern std::atomic<Block*> main_block;

Block* current_elsewhere(PyInterpreterState* interp) noexcept;

// The block of the running thread's interpreter, or null while there is none.
inline Block* current() noexcept {
    PyInterpreterState* interp = PyInterpreterState_Get();
    if (interp == main_interp.load(std::memory_order_relaxed)) {
        if (Block* block = main_block.load(std::memory_order_acquire)) return block;
    }
    return current_elsewhere(interp);
}

// Sets the error of a value read in an interpreter that has no block (null returned).
PyObject* missing() noexcept;

// A module object's share of its interpreter's block, held as the block's serial: opened by the
// exec step (the block is made by the interpreter's first import; -1 with an exception), given
// back by the clear or free step. The last share given back, or the interpreter's end, unmakes
// every value and frees the block, after which the interpreter's values answer as if brisko were
// not imported there; a share given back after that finds nothing to do. The block's objects are
// not shown to the collector: none of them refers back to a module (types are made without one),
// so no cycle runs through a block, and an object shown by two modules sharing it would be
// counted twice.
int open(std::uint64_t* share) noexcept;
void close(std::uint64_t* share) noexcept;
// Whether `share` is a share of the running interpreter's block: false for a module that outlived
// its interpreter, wherever it is used.
bool is_current(std::uint64_t share) noexcept;

// How many blocks are open in the process: one per interpreter that imported brisko and has not
// ended (a test hook reads it).
std::size_t open_count() noexcept;

}  // namespace interpreter_cells

// A native value of type T (default-constructed, destroyed with its interpreter attached) in every
// interpreter that has brisko loaded. Declare it at namespace scope.
template <class T>
class InterpreterLocal {
public:
    InterpreterLocal() noexcept : offset_(interpreter_cells::reserve(room_, sizeof(T), alignof(T))) {}
    InterpreterLocal(const InterpreterLocal&) = delete;
    InterpreterLocal& operator=(const InterpreterLocal&) = delete;

    // The running interpreter's value, or null where brisko is not loaded.
    T* get() const noexcept { return get(interpreter_cells::current()); }
    // The value in `block` (the running interpreter's, found once for several values), or null.
    T* get(interpreter_cells::Block* block) const noexcept {
        // Every value has room in every block: all are declared at namespace scope, so all rooms are
        // reserved while the library loads, before any block opens.
        return block ? std::launder(reinterpret_cast<T*>(block->values + offset_)) : nullptr;
    }

private:
    static void make(void* at) noexcept { new (at) T(); }
    static void unmake(void* at) noexcept { static_cast<T*>(at)->~T(); }

    interpreter_cells::Room room_{0, &make, &unmake, nullptr};
    std::size_t offset_;
};

class InterpreterCell {
public:
    // As OnceCell::get_or_init, in this interpreter's cell; null with an exception where there is
    // none.
    template <class Init>
    PyObject* get_or_init(Init&& init, const char* recursion_message = "recursive initialisation of a cached value") {
        return get_or_init(interpreter_cells::current(), init, recursion_message);
    }
    // The same in `block`, the running interpreter's (found once for several values), or null.
    template <class Init>
    PyObject* get_or_init(interpreter_cells::Block* block, Init&& init,
                          const char* recursion_message = "recursive initialisation of a cached value") {
        OnceCell* c = cell_.get(block);
        if (!c) return interpreter_cells::missing();
        return c->get_or_init(init, recursion_message);
    }

private:
    // Its object goes with its interpreter.
    struct Cell : OnceCell {
        ~Cell() { clear(); }
    };
    InterpreterLocal<Cell> cell_;
};

// The interned str `text`, made once per interpreter into `cell` (borrowed; null with the exception
// set): a name read on a per-call path then costs no string and matches a dict key by identity.
inline PyObject* interned(InterpreterCell& cell, const char* text) {
    return cell.get_or_init([&] { return Owned::steal(PyUnicode_InternFromString(text)); });
}

}  // namespace brisko
