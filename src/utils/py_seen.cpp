// PySeen probing: the host's own open-addressing probe sequence over (hash, object) slots.
#include "py_seen.hpp"

#include <utility>

#include "py_hash.hpp"

namespace brisko {

namespace {
constexpr unsigned PERTURB_SHIFT = 5;
}

PySeen::PySeen() : slots_(new Slot[32]()), int_fast_(int_fast_hash_enabled()) {}

std::size_t PySeen::probe_empty(Py_hash_t hash) const noexcept {
    auto perturb = static_cast<std::size_t>(hash);
    std::size_t i = perturb & mask_;
    while (slots_[i].obj) {
        perturb >>= PERTURB_SHIFT;
        i = (i * 5 + perturb + 1) & mask_;
    }
    return i;
}

void PySeen::grow() {
    // Allocated before anything changes: should it fail, the set is still whole and usable.
    std::unique_ptr<Slot[]> bigger(new Slot[size_ * 4]());
    std::unique_ptr<Slot[]> old = std::exchange(slots_, std::move(bigger));
    std::size_t old_size = size_;
    size_ *= 4;
    mask_ = size_ - 1;
    for (std::size_t j = 0; j < old_size; ++j) {
        if (old[j].obj) slots_[probe_empty(old[j].hash)] = old[j];
    }
}

int PySeen::insert(PyObject* obj) {
    Py_hash_t hash = py_hash(obj, int_fast_);
    if (hash == -1) return -1;
    auto perturb = static_cast<std::size_t>(hash);
    std::size_t i = perturb & mask_;
    while (PyObject* stored = slots_[i].obj) {
        if (slots_[i].hash == hash) {
            if (stored == obj) return 0;
            // __eq__ may run Python code, but nothing it can reach holds this set: the owning
            // iterator is borrowed for the whole call. `stored` is kept alive by keys_.
            int eq = keys_equal(stored, obj);
            if (eq != 0) return eq > 0 ? 0 : -1;
        }
        perturb >>= PERTURB_SHIFT;
        i = (i * 5 + perturb + 1) & mask_;
    }
    // Allocate before the table changes, so that a failure leaves it intact.
    if (keys_.size() == keys_.capacity()) keys_.reserve(keys_.capacity() * 2 + 32);
    if ((used_ + 1) * 3 > size_ * 2) {
        grow();
        i = probe_empty(hash);
    }
    slots_[i] = Slot{hash, obj};
    keys_.push_back(Owned::borrow(obj));
    ++used_;
    return 1;
}

}  // namespace brisko
