// Drawing and publishing the int64 tables' seed.
#include "hash_seed.hpp"

#include <atomic>
#include <chrono>

#if defined(__linux__)
#include <linux/random.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace brisko {
namespace {

// Guard: atomic, published once. 0: not drawn yet.
std::atomic<std::uint64_t> SEED{0};

// splitmix64's finaliser: spreads a little entropy over all 64 bits.
std::uint64_t scramble(std::uint64_t x) noexcept {
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

std::uint64_t draw_seed() noexcept {
    std::uint64_t seed = 0;
#if defined(__linux__) && defined(SYS_getrandom)
    // The system call itself, not glibc's wrapper, which a module for glibc 2.17 cannot name.
    if (syscall(SYS_getrandom, &seed, sizeof seed, GRND_NONBLOCK) != long(sizeof seed)) seed = 0;
#endif
    if (seed == 0) {
        // No entropy from the kernel: the addresses the loader randomised and the clock.
        auto now = std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
        seed =
            scramble(reinterpret_cast<std::uintptr_t>(&SEED) ^ scramble(reinterpret_cast<std::uintptr_t>(&seed) ^ now));
    }
    return seed | 1;
}

}  // namespace

std::uint64_t int64_hash_seed() noexcept {
    std::uint64_t seed = SEED.load(std::memory_order_acquire);
    if (seed != 0) return seed;
    // Two threads may both draw: the first to publish wins, and both use its seed.
    std::uint64_t drawn = draw_seed();
    return SEED.compare_exchange_strong(seed, drawn, std::memory_order_acq_rel, std::memory_order_acquire) ? drawn
                                                                                                           : seed;
}

}  // namespace brisko
