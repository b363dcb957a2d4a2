// HashIndex: lookups compare keys only when their full host hashes are equal.
#include "hash_index.hpp"

#include <utility>

#include "py_hash.hpp"

namespace brisko {

namespace {
constexpr std::size_t INITIAL_CAPACITY = 32;
constexpr unsigned PERTURB_SHIFT = 5;
}  // namespace

HashIndex::HashIndex() : slots_(new Slot[INITIAL_CAPACITY]()), mask_(INITIAL_CAPACITY - 1) {}

void HashIndex::grow() {
    std::size_t old_capacity = mask_ + 1;
    // Allocated before anything changes: should it fail, the index is still whole and usable.
    std::unique_ptr<Slot[]> bigger(new Slot[old_capacity * 2]());
    std::unique_ptr<Slot[]> old = std::exchange(slots_, std::move(bigger));
    mask_ = old_capacity * 2 - 1;
    for (std::size_t j = 0; j < old_capacity; ++j) {
        if (!old[j].chain.first.key) continue;
        std::size_t perturb = PyHashHasher::hash(old[j].hash);
        std::size_t i = perturb & mask_;
        while (slots_[i].chain.first.key) {
            perturb >>= PERTURB_SHIFT;
            i = (i * 5 + perturb + 1) & mask_;
        }
        slots_[i] = old[j];
    }
}

std::int64_t HashIndex::search_overflow(Chain& chain, PyObject* key, std::uint32_t next, bool& added) {
    if (chain.more) {
        for (const Link& link : overflow_[chain.more - 1]) {
            int eq = keys_equal(link.key, key);
            if (eq != 0) return eq > 0 ? std::int64_t(link.index) : -1;
        }
    } else {
        overflow_.emplace_back();
        chain.more = std::uint32_t(overflow_.size());
    }
    overflow_[chain.more - 1].push_back({key, next});
    added = true;
    return next;
}

std::int64_t HashIndex::find(PyObject* key, Py_hash_t hash) const {
    std::size_t perturb = PyHashHasher::hash(hash);
    std::size_t i = perturb & mask_;
    for (; slots_[i].chain.first.key; perturb >>= PERTURB_SHIFT, i = (i * 5 + perturb + 1) & mask_) {
        const Slot& slot = slots_[i];
        if (slot.hash != hash) continue;
        int eq = keys_equal(slot.chain.first.key, key);
        if (eq != 0) return eq > 0 ? std::int64_t(slot.chain.first.index) : -2;
        if (!slot.chain.more) return -1;
        for (const Link& link : overflow_[slot.chain.more - 1]) {
            eq = keys_equal(link.key, key);
            if (eq != 0) return eq > 0 ? std::int64_t(link.index) : -2;
        }
        return -1;
    }
    return -1;
}

std::int64_t HashIndex::find_or_add(PyObject* key, Py_hash_t hash, std::uint32_t next, bool& added) {
    added = false;
    if ((used_ + 1) * 2 > mask_ + 1) grow();
    std::size_t perturb = PyHashHasher::hash(hash);
    std::size_t i = perturb & mask_;
    for (; slots_[i].chain.first.key; perturb >>= PERTURB_SHIFT, i = (i * 5 + perturb + 1) & mask_) {
        Slot& slot = slots_[i];
        if (slot.hash != hash) continue;
        // Equality may run Python code; nothing it can reach holds this index.
        int eq = keys_equal(slot.chain.first.key, key);
        if (eq != 0) return eq > 0 ? std::int64_t(slot.chain.first.index) : -1;
        return search_overflow(slot.chain, key, next, added);
    }
    slots_[i] = Slot{hash, Chain{Link{key, next}, 0}};
    ++used_;
    added = true;
    return next;
}

}  // namespace brisko
