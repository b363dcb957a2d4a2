// Flat open-addressing tables keyed by int64 values, hashed with FxHasher: the native set behind
// unique over int64 buffers and the count map behind frequencies over them.
#pragma once

#include <bit>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "block_memory.hpp"
#include "hash_seed.hpp"

namespace brisko {

// The values are the user's, so the hash is keyed by a per-process secret and every output bit
// depends on every input bit: which keys share a slot then depends on the secret, and no list of
// values fixed in advance floods the table in every process. A product by a public constant alone
// lets anyone pick keys by its inverse (j * inverse hashes to j: they all share the first slots).
// One round of the folded product (the two halves of the 128-bit product xored) is not enough
// either: for keys that differ only above bit k it is a product by the multiplier's low 64 - k bits,
// which can spread a progression poorly (keys i << 16 sat 25 slots past home on average, where
// random keys sit 0.3 past it). A second round, over the first's output, spreads each bit of it
// over the whole hash.
struct FxHasher {
    std::uint64_t seed = int64_hash_seed();

    std::uint64_t hash(std::int64_t v) const noexcept {
        return folded_product(folded_product(std::uint64_t(v) ^ seed, MULTIPLIER), SECOND_MULTIPLIER);
    }

private:
    static constexpr std::uint64_t MULTIPLIER = 0x9e3779b97f4a7c15ULL;
    static constexpr std::uint64_t SECOND_MULTIPLIER = 0xbf58476d1ce4e5b9ULL;

    static std::uint64_t folded_product(std::uint64_t x, std::uint64_t m) noexcept {
        __extension__ typedef unsigned __int128 Wide;
        const Wide product = Wide(x) * m;
        return std::uint64_t(product) ^ std::uint64_t(product >> 64);
    }
};

// Keys to presize for a scan over `n` values: room for an eighth of them to be distinct before the
// first growth spares most scans every rehash, while a table for few distinct values still fits in
// the cache (one sized for the whole length would not) and holds them sparsely enough that a lookup
// rarely probes twice.
constexpr std::size_t scan_presize(std::size_t n) noexcept { return n / 8; }

// Maps int64 keys to values of type V (trivial: zero bytes are its initial value). Slots live in
// zero-filled blocks, with key 0 marking a free slot and the key 0 itself kept outside: a fresh
// table needs no clearing pass, and its untouched pages cost no memory.
template <class V>
class FxTable {
    static_assert(std::is_trivially_copyable_v<V> && std::is_trivially_destructible_v<V>);

public:
    // Room for about `expected` keys before the first growth: a scan that knows its length
    // presizes and never rehashes (capped, so that a huge input does not reserve a huge table).
    explicit FxTable(std::size_t expected = 0) {
        unsigned bits = unsigned(std::bit_width(expected * 2));
        bits = bits < MIN_BITS ? MIN_BITS : bits > MAX_PRESIZE_BITS ? MAX_PRESIZE_BITS : bits;
        capacity_ = std::size_t(1) << bits;
        shift_ = 64 - bits;
        slots_ = static_cast<Slot*>(allocate_block(capacity_ * sizeof(Slot)));
    }
    FxTable(const FxTable&) = delete;
    FxTable& operator=(const FxTable&) = delete;
    FxTable(FxTable&& other) noexcept
        : slots_(std::exchange(other.slots_, nullptr)),
          capacity_(other.capacity_),
          shift_(other.shift_),
          used_(other.used_),
          hasher_(other.hasher_),
          has_zero_(other.has_zero_),
          zero_value_(other.zero_value_) {}
    ~FxTable() { free_block(slots_, capacity_ * sizeof(Slot)); }

    // The value slot for `key`, inserting a zero one (and setting `added`) if absent. Throws
    // std::bad_alloc, with the table unchanged, when it must grow and memory is short.
    V& find_or_add(std::int64_t key, bool& added) {
        added = false;
        if (key == 0) {
            added = !has_zero_;
            has_zero_ = true;
            return zero_value_;
        }
        if ((used_ + 1) * 2 > capacity_) grow();
        const std::size_t mask = capacity_ - 1;
        std::size_t i = home(key);
        for (; slots_[i].key != 0; i = (i + 1) & mask) {
            if (slots_[i].key == key) return slots_[i].value;
        }
        slots_[i].key = key;
        ++used_;
        added = true;
        return slots_[i].value;
    }

    // Starts loading the slot where `key` would be found: a scan that knows its next keys hides
    // the cache misses of a large table behind the work on the current one.
    void prefetch(std::int64_t key) const noexcept { __builtin_prefetch(&slots_[home(key)]); }

    // How many slots past their home the keys sit, in total: what lookups pay beyond one probe each.
    // About a third of the keys for any input while the hash mixes well; their square when it floods.
    std::size_t displacement() const noexcept {
        std::size_t total = 0;
        for (std::size_t i = 0; i < capacity_; ++i) {
            if (slots_[i].key != 0) total += (i - home(slots_[i].key)) & (capacity_ - 1);
        }
        return total;
    }

private:
    static constexpr unsigned MIN_BITS = 6;
    static constexpr unsigned MAX_PRESIZE_BITS = 26;

    struct Slot {
        std::int64_t key;  // 0: free
        [[no_unique_address]] V value;
    };

    std::size_t home(std::int64_t key) const noexcept { return hasher_.hash(key) >> shift_; }

    void grow() {
        // Allocated before anything changes: should it fail, the table is still whole and usable.
        std::size_t old_capacity = capacity_;
        auto* bigger = static_cast<Slot*>(allocate_block(old_capacity * 2 * sizeof(Slot)));
        Slot* old = std::exchange(slots_, bigger);
        capacity_ = old_capacity * 2;
        shift_ -= 1;
        const std::size_t mask = capacity_ - 1;
        for (std::size_t j = 0; j < old_capacity; ++j) {
            if (old[j].key == 0) continue;
            std::size_t i = home(old[j].key);
            while (slots_[i].key != 0) i = (i + 1) & mask;
            slots_[i] = old[j];
        }
        free_block(old, old_capacity * sizeof(Slot));
    }

    Slot* slots_;
    std::size_t capacity_;
    unsigned shift_;
    std::size_t used_ = 0;
    FxHasher hasher_;
    bool has_zero_ = false;
    V zero_value_{};
};

struct NoValue {};

// The set of int64 values seen so far.
class I64Set {
public:
    explicit I64Set(std::size_t expected = 0) : table_(expected) {}

    // True when `v` was not yet in the set (and now is).
    bool insert(std::int64_t v) {
        bool added;
        table_.find_or_add(v, added);
        return added;
    }
    void prefetch(std::int64_t v) const noexcept { table_.prefetch(v); }
    std::size_t displacement() const noexcept { return table_.displacement(); }

private:
    FxTable<NoValue> table_;
};

}  // namespace brisko
