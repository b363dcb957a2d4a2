// int64_hash_seed: the per-process secret that the native int64 tables mix into every hash, so
// that no list of values fixed in advance lands in one slot.
#pragma once

#include <cstdint>

namespace brisko {

// Drawn from the kernel on first use and published once for the whole process (every
// interpreter, every thread); never 0. Safe to call with the interpreter lock released.
std::uint64_t int64_hash_seed() noexcept;

}  // namespace brisko
