// PySeen probing: the host's own open-addressing probe sequence over (hash, object) slots.
#include "py_seen.hpp"

#include <utility>

#include "block_memory.hpp"
#include "probe.hpp"
#include "py_hash.hpp"

namespace brisko {

namespace {
constexpr std::size_t INITIAL_CAPACITY = 32;
}  // namespace

PySeen::PySeen()
    : slots_(static_cast<Slot*>(allocate_block(INITIAL_CAPACITY * sizeof(Slot)))),
      mask_(INITIAL_CAPACITY - 1),
      int_fast_(int_fast_hash_enabled()) {}

PySeen::PySeen(PySeen&& other) noexcept
    : slots_(std::exchange(other.slots_, nullptr)),
      mask_(std::exchange(other.mask_, 0)),
      used_(std::exchange(other.used_, 0)),
      int_fast_(other.int_fast_) {}

PySeen::~PySeen() {
    // Detached first: a release may run Python code, and so a collection that traverses the set.
    Slot* slots = std::exchange(slots_, nullptr);
    if (!slots) return;
    for (std::size_t i = 0; i <= mask_; ++i) Py_XDECREF(slots[i].obj);
    free_block(slots, (mask_ + 1) * sizeof(Slot));
}

int PySeen::traverse(const GcVisit& visit) const {
    if (!slots_) return 0;
    for (std::size_t i = 0; i <= mask_; ++i) {
        if (!slots_[i].obj) continue;
        if (int rc = visit.visit(slots_[i].obj, visit.arg)) return rc;
    }
    return 0;
}

std::size_t PySeen::probe_empty(Py_hash_t hash) const noexcept {
    Probe probe(hash, mask_);
    while (slots_[probe.slot()].obj) probe.next();
    return probe.slot();
}

void PySeen::grow() {
    std::size_t capacity = (mask_ + 1) * 2;
    // Allocated before anything changes: should it fail, the set is still whole and usable.
    auto* bigger = static_cast<Slot*>(allocate_block(capacity * sizeof(Slot)));
    Slot* old = std::exchange(slots_, bigger);
    std::size_t old_capacity = mask_ + 1;
    mask_ = capacity - 1;
    for (std::size_t j = 0; j < old_capacity; ++j) {
        if (old[j].obj) slots_[probe_empty(old[j].hash)] = old[j];
    }
    free_block(old, old_capacity * sizeof(Slot));
}

int PySeen::insert(PyObject* obj) {
    Py_hash_t hash = py_hash(obj, int_fast_);
    if (hash == -1) return -1;
    Probe probe(hash, mask_);
    std::size_t i;
    while (PyObject* stored = slots_[i = probe.slot()].obj) {
        if (slots_[i].hash == hash) {
            // __eq__ may run Python code, but nothing it can reach holds this set: the owning
            // iterator is borrowed for the whole call. `stored` is owned by its slot.
            int eq = keys_equal(stored, obj);
            if (eq != 0) return eq > 0 ? 0 : -1;
        }
        probe.next();
    }
    if ((used_ + 1) * 3 > (mask_ + 1) * 2) {
        grow();
        i = probe_empty(hash);
    }
    slots_[i] = Slot{hash, Py_NewRef(obj)};
    ++used_;
    return 1;
}

}  // namespace brisko
