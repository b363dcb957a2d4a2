// The blocks of per-interpreter values, one per interpreter that imported brisko: how they are laid
// out, opened and ended, and how a thread finds its interpreter's block: the main interpreter's at
// once (interpreter_cell.hpp); another's through a per-thread memo of the last one found, checked
// against a counter that every opened or ended block moves, and otherwise a search of the open
// blocks under a lock.
#include "interpreter_cell.hpp"

#include <atomic>
#include <new>
#include <utility>

namespace brisko {

namespace interpreter_cells {

// Guard: atomics; the main interpreter's address never changes, and its block is published whole.
std::atomic<PyInterpreterState*> main_interp{nullptr};
std::atomic<Block*> main_block{nullptr};

namespace {

// Guard: immutable after load. Every room is reserved while the library loads, before any
// interpreter can open a block.
constinit Room* rooms = nullptr;
constinit std::size_t rooms_size = 0;

// Guard: `registry_lock` (a PyMutex) for the list of open blocks and each block's `holders`; the
// values inside a block belong to its interpreter and are guarded by that interpreter's lock.
constinit PyMutex registry_lock{};
constinit Block* registry = nullptr;
// Guard: atomics.
std::atomic<std::uint64_t> generation{1};
std::atomic<std::uint64_t> last_serial{0};

// Guard: thread-local, holding no object. Trivially destructible, as every thread-local here is:
// one with a destructor would make the module ask the C library for thread-exit hooks newer than
// the oldest glibc it is built for. One variable, so that a lookup reaches thread-local storage once.
struct Memo {
    PyInterpreterState* interp;
    Block* block;
    std::uint64_t generation;
};
thread_local Memo memo{nullptr, nullptr, 0};

// Where the interpreter's end finds the serial of its block: an entry of the interpreter's own
// dict, which the interpreter clears as it ends, after its modules and before its last collection.
constexpr const char END_KEY[] = "brisko._brisko.cells";

// With registry_lock held.
template <class Match>
Block* find_locked(Match&& match) noexcept {
    Block* found = registry;
    while (found && !match(*found)) found = found->next;
    return found;
}

Block* find(std::int64_t interp_id) noexcept {
    PyMutex_Lock(&registry_lock);
    Block* found = find_locked([&](const Block& b) { return b.interp_id == interp_id; });
    PyMutex_Unlock(&registry_lock);
    return found;
}

// A new block with every value made, for the interpreter `interp_id`; null when memory is short.
Block* make_block(std::int64_t interp_id) noexcept {
    auto* values =
        static_cast<std::byte*>(::operator new(rooms_size, std::align_val_t(alignof(std::max_align_t)), std::nothrow));
    if (!values) return nullptr;
    Block* block = new (std::nothrow) Block{interp_id, 0, nullptr, 1, values};
    if (!block) {
        ::operator delete(values, std::align_val_t(alignof(std::max_align_t)));
        return nullptr;
    }
    for (Room* room = rooms; room; room = room->next) room->make(values + room->offset);
    block->serial = last_serial.fetch_add(1, std::memory_order_relaxed) + 1;
    return block;
}

// Unmakes every value (the interpreter attached: they may hold its objects and its memory) and
// frees a block no longer in the registry.
void unmake_block(Block* block) noexcept {
    for (Room* room = rooms; room; room = room->next) room->unmake(block->values + room->offset);
    ::operator delete(block->values, std::align_val_t(alignof(std::max_align_t)));
    delete block;
}

// Gives back one share of the block `serial` (or every share, when its interpreter ends), and
// ends the block when none is left. Nothing when the block has ended already.
void give_back(std::uint64_t serial, bool every_share) noexcept {
    PyMutex_Lock(&registry_lock);
    Block** link = &registry;
    while (*link && (*link)->serial != serial) link = &(*link)->next;
    Block* block = *link;
    bool last = block && (every_share || --block->holders == 0);
    if (last) *link = block->next;
    PyMutex_Unlock(&registry_lock);
    if (!last) return;
    Block* expected = block;
    main_block.compare_exchange_strong(expected, nullptr, std::memory_order_acq_rel);
    // Out of the registry and the memos first: whatever unmaking a value runs finds no block to
    // fill again.
    generation.fetch_add(1, std::memory_order_acq_rel);
    unmake_block(block);
}

void interpreter_ended(PyObject* capsule) noexcept {
    auto serial = reinterpret_cast<std::uintptr_t>(PyCapsule_GetContext(capsule));
    give_back(serial, true);
}

// Has the running interpreter end the block `serial` when it ends. -1 with an exception.
int end_with_interpreter(PyInterpreterState* interp, std::uint64_t serial) noexcept {
    PyObject* dict = PyInterpreterState_GetDict(interp);  // borrowed
    if (!dict) {
        PyErr_SetString(PyExc_RuntimeError, "brisko._brisko needs the interpreter's dict for extensions");
        return -1;
    }
    // The capsule's pointer must not be null and is never read; the serial rides in its context.
    PyObject* capsule = PyCapsule_New(dict, nullptr, &interpreter_ended);
    if (!capsule) return -1;
    if (PyCapsule_SetContext(capsule, reinterpret_cast<void*>(std::uintptr_t(serial))) < 0) {
        Py_DECREF(capsule);
        return -1;
    }
    // An entry left by an earlier block of this interpreter (ended when its last module went) is
    // replaced: its capsule finds nothing to end.
    int rc = PyDict_SetItemString(dict, END_KEY, capsule);
    Py_DECREF(capsule);
    return rc;
}

}  // namespace

std::size_t reserve(Room& room, std::size_t size, std::size_t align) noexcept {
    rooms_size = (rooms_size + align - 1) / align * align;
    room.offset = rooms_size;
    rooms_size += size;
    // Kept in the order reserved: values are made and unmade in the order they are declared.
    Room** end = &rooms;
    while (*end) end = &(*end)->next;
    *end = &room;
    return room.offset;
}

Block* current_elsewhere(PyInterpreterState* interp) noexcept {
    // Read before the search: a block opened or ended meanwhile moves it, so the memo is not
    // trusted past the next call. An address alone never finds a block: the memo holds one only
    // while no block has opened or ended since, so a later interpreter at an ended one's address
    // searches afresh, by its own ID.
    std::uint64_t now = generation.load(std::memory_order_acquire);
    Memo& m = memo;
    if (interp == m.interp && now == m.generation) return m.block;
    Block* found = find(PyInterpreterState_GetID(interp));
    if (found) m = Memo{interp, found, now};
    return found;
}

PyObject* missing() noexcept {
    PyErr_SetString(PyExc_RuntimeError,
                    "brisko._brisko is not loaded in this interpreter (never imported here, or torn down)");
    return nullptr;
}

int open(std::uint64_t* share) noexcept {
    PyInterpreterState* interp = PyInterpreterState_Get();
    std::int64_t id = PyInterpreterState_GetID(interp);
    if (id < 0) return -1;
    // A module imported again in the same interpreter shares the block its first import opened,
    // so that its classes stay the interpreter's one set. Search and insertion are one step under
    // the lock, so two imports at once cannot both open one.
    PyMutex_Lock(&registry_lock);
    Block* block = find_locked([&](const Block& b) { return b.interp_id == id; });
    bool made = false;
    if (block) {
        ++block->holders;
    } else if ((block = make_block(id))) {
        block->next = registry;
        registry = block;
        made = true;
    }
    std::uint64_t serial = block ? block->serial : 0;
    PyMutex_Unlock(&registry_lock);
    if (!block) {
        PyErr_NoMemory();
        return -1;
    }
    *share = serial;
    if (!made) return 0;
    generation.fetch_add(1, std::memory_order_acq_rel);
    if (interp == PyInterpreterState_Main()) {
        main_interp.store(interp, std::memory_order_relaxed);
        main_block.store(block, std::memory_order_release);
    }
    if (end_with_interpreter(interp, serial) < 0) {
        close(share);
        return -1;
    }
    return 0;
}

void close(std::uint64_t* share) noexcept {
    if (std::uint64_t serial = std::exchange(*share, 0)) give_back(serial, false);
}

bool is_current(std::uint64_t share) noexcept {
    Block* block = current();
    return block && block->serial == share;
}

std::size_t open_count() noexcept {
    std::size_t n = 0;
    PyMutex_Lock(&registry_lock);
    for (Block* block = registry; block; block = block->next) ++n;
    PyMutex_Unlock(&registry_lock);
    return n;
}

}  // namespace interpreter_cells

}  // namespace brisko
