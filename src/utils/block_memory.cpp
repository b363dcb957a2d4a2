// Block allocation: the C allocator for small blocks, anonymous mappings for large ones.
#include "block_memory.hpp"

#include <cstdlib>
#include <new>

#if defined(__unix__) || defined(__APPLE__)
#include <sys/mman.h>
#define BRISKO_HAVE_MMAP 1
#endif

namespace brisko {
namespace {

// Below this size the C allocator's own free lists serve better than a mapping of whole pages.
constexpr std::size_t MAPPED_MIN = std::size_t(1) << 17;

}  // namespace

void* allocate_block(std::size_t bytes) {
#ifdef BRISKO_HAVE_MMAP
    if (bytes >= MAPPED_MIN) {
        void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block == MAP_FAILED) throw std::bad_alloc();
        return block;
    }
#endif
    void* block = std::calloc(1, bytes);
    if (!block) throw std::bad_alloc();
    return block;
}

void free_block(void* block, std::size_t bytes) noexcept {
    if (!block) return;
#ifdef BRISKO_HAVE_MMAP
    if (bytes >= MAPPED_MIN) {
        munmap(block, bytes);
        return;
    }
#endif
    (void)bytes;
    std::free(block);
}

}  // namespace brisko
