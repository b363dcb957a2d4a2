// The blocks of interpreter cells, one per interpreter that imported brisko, and how a thread finds
// its interpreter's block: the main interpreter's at once (interpreter_cell.hpp); another's through
// a per-thread memo of the last one found, checked against a counter that every opened or closed
// block moves, and otherwise a search of the open blocks under a lock.
#include "interpreter_cell.hpp"

#include <atomic>
#include <new>

namespace brisko {

namespace interpreter_cells {

std::atomic<PyInterpreterState*> main_interp{nullptr};
std::atomic<Block*> main_block{nullptr};

namespace {

// Every cell is declared at namespace scope, so all indices are taken while the library loads,
// before any interpreter can open a block.
constinit std::size_t cell_count = 0;

constinit PyMutex registry_lock{};
constinit Block* registry = nullptr;
std::atomic<std::uint64_t> generation{1};

// Trivially destructible, as every thread-local here is: one with a destructor would make the
// module ask the C library for thread-exit hooks newer than the oldest glibc it is built for.
// One variable, so that a lookup reaches thread-local storage once.
struct Memo {
    PyInterpreterState* interp;
    Block* block;
    std::uint64_t generation;
};
thread_local Memo memo{nullptr, nullptr, 0};

// With registry_lock held.
Block* find_locked(PyInterpreterState* interp) noexcept {
    Block* found = registry;
    while (found && found->interp != interp) found = found->next;
    return found;
}

Block* find(PyInterpreterState* interp) noexcept {
    PyMutex_Lock(&registry_lock);
    Block* found = find_locked(interp);
    PyMutex_Unlock(&registry_lock);
    return found;
}

}  // namespace

Block* current_elsewhere(PyInterpreterState* interp) noexcept {
    // Read before the search: a block opened or closed meanwhile moves it, so the memo is not
    // trusted past the next call.
    std::uint64_t now = generation.load(std::memory_order_acquire);
    Memo& m = memo;
    if (interp == m.interp && now == m.generation) return m.block;
    Block* found = find(interp);
    if (found) m = Memo{interp, found, now};
    return found;
}

PyObject* missing() noexcept {
    PyErr_SetString(PyExc_RuntimeError,
                    "brisko._brisko is not loaded in this interpreter (never imported here, or torn down)");
    return nullptr;
}

int open(Block** slot) noexcept {
    PyInterpreterState* interp = PyInterpreterState_Get();
    // A module imported again in the same interpreter shares the block its first import opened,
    // so that its classes stay the interpreter's one set. Search and insertion are one step under
    // the lock, so two imports at once cannot both open one.
    PyMutex_Lock(&registry_lock);
    Block* block = find_locked(interp);
    bool made = false;
    if (block) {
        ++block->holders;
    } else if ((block = new (std::nothrow) Block{interp, registry, cell_count, nullptr, 1})) {
        block->cells = new (std::nothrow) OnceCell[cell_count];
        if (block->cells) {
            registry = block;
            made = true;
        } else {
            delete block;
            block = nullptr;
        }
    }
    PyMutex_Unlock(&registry_lock);
    if (!block) {
        PyErr_NoMemory();
        return -1;
    }
    if (made) {
        generation.fetch_add(1, std::memory_order_acq_rel);
        if (interp == PyInterpreterState_Main()) {
            main_interp.store(interp, std::memory_order_relaxed);
            main_block.store(block, std::memory_order_release);
        }
    }
    *slot = block;
    return 0;
}

void close(Block** slot) noexcept {
    Block* block = *slot;
    if (!block) return;
    *slot = nullptr;
    PyMutex_Lock(&registry_lock);
    bool last = --block->holders == 0;
    if (last) {
        for (Block** link = &registry; *link; link = &(*link)->next) {
            if (*link == block) {
                *link = block->next;
                break;
            }
        }
    }
    PyMutex_Unlock(&registry_lock);
    if (!last) return;
    Block* expected = block;
    main_block.compare_exchange_strong(expected, nullptr, std::memory_order_acq_rel);
    generation.fetch_add(1, std::memory_order_acq_rel);
    // Out of the registry first: whatever releasing a value runs finds no block to fill again.
    for (std::size_t i = 0; i < block->count; ++i) block->cells[i].clear();
    delete[] block->cells;
    delete block;
}

std::size_t open_count() noexcept {
    std::size_t n = 0;
    PyMutex_Lock(&registry_lock);
    for (Block* block = registry; block; block = block->next) ++n;
    PyMutex_Unlock(&registry_lock);
    return n;
}

}  // namespace interpreter_cells

InterpreterCell::InterpreterCell() noexcept : index_(interpreter_cells::cell_count++) {}

}  // namespace brisko
