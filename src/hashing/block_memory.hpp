// Large zero-filled blocks for the native tables. A large block comes straight from the operating
// system: the pages are zero until written (no clearing pass over a fresh table), and releasing the
// block lowers the process's memory at once, whatever the C allocator would have kept.
#pragma once

#include <cstddef>

namespace brisko {

// `bytes` of zero-filled memory; throws std::bad_alloc when there is none.
void* allocate_block(std::size_t bytes);
// Returns a block from allocate_block (of the same size).
void free_block(void* block, std::size_t bytes) noexcept;

}  // namespace brisko
