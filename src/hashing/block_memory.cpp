// Block allocation: the C allocator for small blocks, anonymous mappings for large ones.
#include "block_memory.hpp"

#include <cstdint>
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
// Blocks of at least a huge page are aligned to one and asked to be backed by huge pages: a fresh
// table is touched all over at once, and one fault per 2 MiB costs far less than one per 4 KiB.
constexpr std::size_t HUGE_PAGE = std::size_t(1) << 21;

#ifdef BRISKO_HAVE_MMAP
void* map_block(std::size_t bytes) {
    if (bytes < HUGE_PAGE) {
        void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block == MAP_FAILED) throw std::bad_alloc();
        return block;
    }
    // Mapped with a huge page to spare, then trimmed to an aligned block of `bytes`.
    void* raw = mmap(nullptr, bytes + HUGE_PAGE, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    auto start = reinterpret_cast<std::uintptr_t>(raw);
    std::uintptr_t aligned = (start + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
    std::uintptr_t end = start + bytes + HUGE_PAGE;
    std::uintptr_t used_end = (aligned + bytes + 4095) & ~std::uintptr_t(4095);
    if (aligned > start) munmap(raw, aligned - start);
    if (end > used_end) munmap(reinterpret_cast<void*>(used_end), end - used_end);
#ifdef MADV_HUGEPAGE
    madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);
#endif
    return reinterpret_cast<void*>(aligned);
}
#endif

}  // namespace

void* allocate_block(std::size_t bytes) {
#ifdef BRISKO_HAVE_MMAP
    if (bytes >= MAPPED_MIN) return map_block(bytes);
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
