// ChunkedArray: a growable array that never moves or copies its elements to grow. Chunks double
// in size up to a cap, so a small array costs a small allocation and a large one never needs the
// old and the new storage at once; chunks can be released front to back while the elements are
// handed over, so a table and the result built from it are never both whole in memory.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

#include "../core/gc_visit.hpp"
#include "block_memory.hpp"

namespace brisko {

template <class T>
class ChunkedArray {
public:
    ChunkedArray() = default;
    ChunkedArray(ChunkedArray&& other) noexcept
        : chunks_(std::move(other.chunks_)), size_(std::exchange(other.size_, 0)) {}
    ChunkedArray& operator=(ChunkedArray&& other) noexcept {
        if (this != &other) {
            clear();
            chunks_ = std::move(other.chunks_);
            size_ = std::exchange(other.size_, 0);
        }
        return *this;
    }
    ChunkedArray(const ChunkedArray&) = delete;
    ChunkedArray& operator=(const ChunkedArray&) = delete;
    ~ChunkedArray() { clear(); }

    std::size_t size() const noexcept { return size_; }

    T& operator[](std::size_t i) noexcept {
        std::size_t k = chunk_of(i);
        return chunks_[k][i - chunk_begin(k)];
    }
    const T& operator[](std::size_t i) const noexcept {
        std::size_t k = chunk_of(i);
        return chunks_[k][i - chunk_begin(k)];
    }

    // Makes room for one more element: afterwards push_back cannot fail. Throws std::bad_alloc
    // with the array unchanged when memory is short.
    void reserve_one() {
        std::size_t k = chunk_of(size_);
        if (k < chunks_.size()) return;
        chunks_.reserve(k + 1);  // before the block, so nothing leaks if this throws
        chunks_.push_back(static_cast<T*>(allocate_block(chunk_bytes(k))));
    }

    void push_back(T value) {
        reserve_one();
        std::size_t k = chunk_of(size_);
        new (&chunks_[k][size_ - chunk_begin(k)]) T(std::move(value));
        ++size_;
    }

    // Hands every element to `take(T&)` (-> 0, or -1 to stop), in order, releasing each chunk
    // as soon as its elements are handed over. The array is empty afterwards, also after a stop.
    template <class Take>
    int drain(Take&& take) {
        int rc = 0;
        for (std::size_t k = 0; k < chunks_.size(); ++k) {
            std::size_t begin = chunk_begin(k), end = std::min(size_, begin + chunk_capacity(k));
            for (std::size_t i = begin; rc == 0 && i < end; ++i) rc = take(chunks_[k][i - begin]);
            release_chunk(k);
        }
        clear();
        return rc;
    }

    void clear() noexcept {
        for (std::size_t k = 0; k < chunks_.size(); ++k) release_chunk(k);
        chunks_.clear();
        size_ = 0;
    }

    // Released chunks are skipped: a collection may run while the array is being drained.
    int traverse(const GcVisit& visit) const {
        if constexpr (std::is_arithmetic_v<T>) return 0;
        for (std::size_t k = 0; k < chunks_.size(); ++k) {
            if (!chunks_[k]) continue;
            std::size_t begin = chunk_begin(k), end = std::min(size_, begin + chunk_capacity(k));
            for (std::size_t i = begin; i < end; ++i) {
                if (int rc = visit(chunks_[k][i - begin])) return rc;
            }
        }
        return 0;
    }

private:
    static constexpr std::size_t FIRST = 16;   // elements in chunk 0
    static constexpr unsigned DOUBLINGS = 12;  // chunks 0..12 double: 16 .. 65536
    static constexpr std::size_t LARGEST = FIRST << DOUBLINGS;
    static constexpr std::size_t GEOMETRIC = FIRST * ((std::size_t(1) << (DOUBLINGS + 1)) - 1);

    static std::size_t chunk_of(std::size_t i) noexcept {
        if (i < GEOMETRIC) return std::size_t(std::bit_width(i / FIRST + 1)) - 1;
        return DOUBLINGS + 1 + (i - GEOMETRIC) / LARGEST;
    }
    static std::size_t chunk_begin(std::size_t k) noexcept {
        if (k <= DOUBLINGS) return FIRST * ((std::size_t(1) << k) - 1);
        return GEOMETRIC + (k - DOUBLINGS - 1) * LARGEST;
    }
    static std::size_t chunk_capacity(std::size_t k) noexcept { return k <= DOUBLINGS ? FIRST << k : LARGEST; }
    static std::size_t chunk_bytes(std::size_t k) noexcept { return chunk_capacity(k) * sizeof(T); }

    // Destroys the chunk's elements (releasing what they own may run Python code: the chunk is
    // detached first) and frees its memory.
    void release_chunk(std::size_t k) noexcept {
        T* chunk = std::exchange(chunks_[k], nullptr);
        if (!chunk) return;
        std::size_t begin = chunk_begin(k);
        std::size_t end = size_ < begin ? begin : std::min(size_, begin + chunk_capacity(k));
        for (std::size_t i = begin; i < end; ++i) chunk[i - begin].~T();
        free_block(chunk, chunk_bytes(k));
    }

    std::vector<T*> chunks_;  // a released chunk is null
    std::size_t size_ = 0;
};

}  // namespace brisko
