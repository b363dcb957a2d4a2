// InterpreterCell: a cell declared once for the process, with a value of its own in every
// interpreter that imports brisko. Type objects, cached host lookups, interned names and
// once-computed flags live in such cells: an object made by one interpreter must never be handed
// to another, whose lock does not guard it.
//
// The values live in a block of OnceCells that the module's exec step opens for its interpreter
// and its clear step closes. A cell finds its interpreter's block through the running thread, not
// through a module or a class: much of what reads a cell (the boundary raising PanicException, a
// host lookup inside a step, the int hash check) runs far below any function or method, with
// neither at hand, and the thread's interpreter is the one whose lock guards the call anyway.
#pragma once

#include <Python.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "once_cell.hpp"

namespace brisko {

namespace interpreter_cells {

struct Block {
    PyInterpreterState* interp;
    Block* next;
    std::size_t count;
    OnceCell* cells;
    std::size_t holders;  // module objects of the interpreter's (more than one after a re-import)
};

// The main interpreter's block, while it has one, found without a search: most programs run
// brisko in the main interpreter alone, and a cell is read on per-call paths.
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

inline OnceCell* cell(Block* block, std::size_t index) noexcept {
    // A cell declared after the block was opened (none is: each lives at namespace scope) has no room.
    return block && index < block->count ? &block->cells[index] : nullptr;
}

// Sets the error of a cell read in an interpreter that has no block (null returned).
PyObject* missing() noexcept;

// The module state's share of its interpreter's block: opened by the exec step (the block is made
// by the interpreter's first import; -1 with an exception), and given back by the clear or free
// step; the last share given back empties the block and frees it, after which the interpreter's
// cells answer as if brisko were not imported there. The block's values are not shown to the
// collector: none of them refers back to a module (types are made without one), so no cycle runs
// through a block, and a value shown by two modules sharing it would be counted twice.
int open(Block** slot) noexcept;
void close(Block** slot) noexcept;

// How many blocks are open in the process: one per interpreter that imported brisko and has not
// ended (a test hook reads it).
std::size_t open_count() noexcept;

}  // namespace interpreter_cells

class InterpreterCell {
public:
    InterpreterCell() noexcept;
    InterpreterCell(const InterpreterCell&) = delete;
    InterpreterCell& operator=(const InterpreterCell&) = delete;

    // As OnceCell::get_or_init, in this interpreter's cell; null with an exception where there is
    // none.
    template <class Init>
    PyObject* get_or_init(Init&& init, const char* recursion_message = "recursive initialisation of a cached value") {
        OnceCell* c = interpreter_cells::cell(interpreter_cells::current(), index_);
        if (!c) return interpreter_cells::missing();
        return c->get_or_init(init, recursion_message);
    }

private:
    std::size_t index_;
};

// The interned str `text`, made once per interpreter into `cell` (borrowed; null with the exception
// set): a name read on a per-call path then costs no string and matches a dict key by identity.
inline PyObject* interned(InterpreterCell& cell, const char* text) {
    return cell.get_or_init([&] { return Owned::steal(PyUnicode_InternFromString(text)); });
}

}  // namespace brisko
