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

// The values are the user's, so both hashes are keyed by a per-process secret, mixed in before
// anything else: which keys share a slot then depends on the secret, and no list of values fixed
// in advance floods a table in every process. A product by a public constant alone lets anyone pick
// keys by its inverse (j * inverse hashes to j: they all share the first slots).
//
// `hash`, one round of the folded product (the two halves of the 128-bit product xored), places a
// run of nearby values, the commonest int64 data, with no displacement at all, and costs one
// multiplication. But for keys that differ only above bit k it is a product by the multiplier's low
// 64 - k bits, which can spread them poorly: keys i << 16 sat 22 slots past home on average, where
// random keys sit 0.3 past it. `mixed` adds a second round over the first's output, which spreads
// each bit of it over the whole hash and places any such progression as it places random keys. A
// table starts with `hash` and moves to `mixed` for good once its keys sit further from home than
// random keys would (FxTable::clustered).
struct FxHasher {
    std::uint64_t seed = int64_hash_seed();

    std::uint64_t hash(std::int64_t v) const noexcept { return folded_product(std::uint64_t(v) ^ seed, MULTIPLIER); }
    std::uint64_t mixed(std::int64_t v) const noexcept { return folded_product(hash(v), SECOND_MULTIPLIER); }

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
          displaced_(other.displaced_),
          mixed_(other.mixed_),
          hasher_(other.hasher_),
          has_zero_(other.has_zero_),
          zero_value_(other.zero_value_) {}
    ~FxTable() { free_block(slots_, capacity_ * sizeof(Slot)); }

    // The value slot for `key`, inserting a zero one (and setting `added`) if absent. Throws
    // std::bad_alloc, with the table unchanged, when it must grow or rehash and memory is short.
    V& find_or_add(std::int64_t key, bool& added) {
        added = false;
        if (key == 0) {
            added = !has_zero_;
            has_zero_ = true;
            return zero_value_;
        }
        if ((used_ + 1) * 2 > capacity_) grow();
        std::size_t start = home(key);
        std::size_t i = start;
        for (; slots_[i].key != 0; i = (i + 1) & (capacity_ - 1)) {
            if (slots_[i].key == key) return slots_[i].value;
        }
        // Looked at as a key joins, before any reference to its slot is handed out.
        if (!mixed_ && clustered()) [[unlikely]] {
            rehash(capacity_, true);
            i = start = home(key);
            while (slots_[i].key != 0) i = (i + 1) & (capacity_ - 1);
        }
        slots_[i].key = key;
        ++used_;
        displaced_ += (i - start) & (capacity_ - 1);
        added = true;
        return slots_[i].value;
    }

    // Starts loading the slot where `key` would be found: a scan that knows its next keys hides
    // the cache misses of a large table behind the work on the current one.
    void prefetch(std::int64_t key) const noexcept { __builtin_prefetch(&slots_[home(key)]); }

    // How many slots past their home the keys sit, in total: what lookups pay beyond one probe each.
    // At most about half the keys for any input (a third at the load of a presized scan, whose keys
    // land as random keys do); their square when crafted keys flood the table.
    std::size_t displacement() const noexcept { return displaced_; }

private:
    static constexpr unsigned MIN_BITS = 6;
    static constexpr unsigned MAX_PRESIZE_BITS = 26;

    struct Slot {
        std::int64_t key;  // 0: free
        [[no_unique_address]] V value;
    };

    static constexpr std::size_t CHECK_EVERY = 256;

    std::size_t home(std::int64_t key) const noexcept {
        return (mixed_ ? hasher_.mixed(key) : hasher_.hash(key)) >> shift_;
    }

    // Whether the keys sit further from home than random keys would: more than three quarters of
    // twice the displacement linear probing expects of random keys at this load (used * load / (2 *
    // (1 - load)) in all). Looked at every CHECK_EVERY keys, from that many on: a sample that large
    // strays that far by chance too rarely to matter, and a false alarm only costs the second round.
    bool clustered() const noexcept {
        if (used_ < CHECK_EVERY || used_ % CHECK_EVERY != 0) return false;
        return displaced_ > 3 * used_ * used_ / (4 * (capacity_ - used_));
    }

    void grow() { rehash(capacity_ * 2, mixed_); }

    // Moves every key into a fresh table of `capacity` slots, placed by the hash `mixed` names.
    [[gnu::noinline]] void rehash(std::size_t capacity, bool mixed) {
        // Allocated before anything changes: should it fail, the table is still whole and usable.
        auto* fresh = static_cast<Slot*>(allocate_block(capacity * sizeof(Slot)));
        Slot* old = std::exchange(slots_, fresh);
        const std::size_t old_capacity = std::exchange(capacity_, capacity);
        shift_ = 64 - unsigned(std::countr_zero(capacity));
        mixed_ = mixed;
        displaced_ = 0;
        const std::size_t mask = capacity_ - 1;
        for (std::size_t j = 0; j < old_capacity; ++j) {
            if (old[j].key == 0) continue;
            const std::size_t start = home(old[j].key);
            std::size_t i = start;
            while (slots_[i].key != 0) i = (i + 1) & mask;
            slots_[i] = old[j];
            displaced_ += (i - start) & mask;
        }
        free_block(old, old_capacity * sizeof(Slot));
    }

    Slot* slots_;
    std::size_t capacity_;
    unsigned shift_;
    std::size_t used_ = 0;
    std::size_t displaced_ = 0;  // how many slots past their home the keys sit, in total
    bool mixed_ = false;         // placed by FxHasher::mixed, for good
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
