// PySeen: its slots own their objects, so growing re-places them from the old slots.
#include "py_seen.hpp"

#include <utility>

#include "py_hash.hpp"

namespace brisko {

namespace {
constexpr std::size_t INITIAL_CAPACITY = 32;
}  // namespace

PySeen::PySeen() : HostTable(INITIAL_CAPACITY), int_fast_(int_fast_hash_enabled()) {}

PySeen::PySeen(PySeen&& other) noexcept
    : HostTable(std::move(other)), used_(std::exchange(other.used_, 0)), int_fast_(other.int_fast_) {}

PySeen::~PySeen() {
    // Detached first: a release may run Python code, and so a collection that traverses the set.
    PySeenSlot* slots = std::exchange(slots_, nullptr);
    if (!slots) return;
    for (std::size_t i = 0; i <= mask_; ++i) Py_XDECREF(slots[i].obj);
    free_slots(slots, mask_ + 1);
}

int PySeen::traverse(const GcVisit& visit) const {
    if (!slots_) return 0;
    for (std::size_t i = 0; i <= mask_; ++i) {
        if (!slots_[i].obj) continue;
        if (int rc = visit.visit(slots_[i].obj, visit.arg)) return rc;
    }
    return 0;
}

void PySeen::re_place(PySeenSlot* old, std::size_t capacity) noexcept {
    for (std::size_t j = 0; j < capacity; ++j) {
        if (old[j].obj) slots_[free_slot(old[j].hash)] = old[j];
    }
    free_slots(old, capacity);
}

int PySeen::insert(PyObject* obj) {
    Py_hash_t hash = py_hash(obj, int_fast_);
    if (hash == -1) return -1;
    auto [found, at] = locate(obj, hash);
    if (found > 0) return 0;
    if (found < 0) return -1;
    make_room(used_, hash, at);
    slots_[at] = PySeenSlot{hash, Py_NewRef(obj)};
    ++used_;
    return 1;
}

}  // namespace brisko
