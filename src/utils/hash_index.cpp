// HashIndex and Chain: lookups compare keys only when their full host hashes are equal.
#include "hash_index.hpp"

#include "py_hash.hpp"

namespace brisko {

namespace {
constexpr unsigned INITIAL_BITS = 5;
}

std::int64_t Chain::find(PyObject* key) const {
    int eq = keys_equal(one_.key, key);
    if (eq != 0) return eq > 0 ? std::int64_t(one_.index) : -2;
    if (many_) {
        for (const Link& link : *many_) {
            eq = keys_equal(link.key, key);
            if (eq != 0) return eq > 0 ? std::int64_t(link.index) : -2;
        }
    }
    return -1;
}

void Chain::add(Link link) {
    if (!many_) many_ = std::make_unique<std::vector<Link>>();
    many_->push_back(link);
}

HashIndex::HashIndex()
    : slots_(new Slot[std::size_t(1) << INITIAL_BITS]()), capacity_(std::size_t(1) << INITIAL_BITS),
      shift_(64 - INITIAL_BITS) {}

void HashIndex::grow() {
    std::unique_ptr<Slot[]> old = std::move(slots_);
    std::size_t old_capacity = capacity_;
    slots_.reset(new Slot[capacity_ * 2]());
    capacity_ *= 2;
    shift_ -= 1;
    const std::size_t mask = capacity_ - 1;
    for (std::size_t j = 0; j < old_capacity; ++j) {
        if (old[j].chain.empty()) continue;
        std::size_t i = home(old[j].hash);
        while (!slots_[i].chain.empty()) i = (i + 1) & mask;
        slots_[i] = std::move(old[j]);
    }
}

std::int64_t HashIndex::find_or_add(PyObject* key, Py_hash_t hash, std::uint32_t next, bool& added) {
    added = false;
    if ((used_ + 1) * 2 > capacity_) grow();
    const std::size_t mask = capacity_ - 1;
    std::size_t i = home(hash);
    for (; !slots_[i].chain.empty(); i = (i + 1) & mask) {
        if (slots_[i].hash != hash) continue;
        // Equality may run Python code; nothing it can reach holds this index.
        std::int64_t found = slots_[i].chain.find(key);
        if (found == -2) return -1;
        if (found >= 0) return found;
        slots_[i].chain.add({key, next});
        added = true;
        return next;
    }
    slots_[i] = Slot{hash, Chain({key, next})};
    ++used_;
    added = true;
    return next;
}

}  // namespace brisko
