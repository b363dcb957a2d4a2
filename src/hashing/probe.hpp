// The open-addressing probe sequence of the host's own dicts and sets, over a table of 2**k slots:
// it starts at the hash's low bits, lets the high bits take part a few at a time, and once they
// are used up visits every slot, so a probe for a free slot always ends.
#pragma once

#include <Python.h>

#include <cstddef>

namespace brisko {

// The tables probed so (PySeen, HashIndex) are keyed by host hashes: those of strs and bytes are
// keyed by the host's own secret, and an int's is the int itself (modulo 2**61 - 1). Probing as the
// host does, crafted ints cost these tables what they cost a host dict or set; keys sharing one full
// hash cost both the same equality tests, which no seed of ours could spread.
class Probe {
public:
    Probe(Py_hash_t hash, std::size_t mask) noexcept
        : perturb_(static_cast<std::size_t>(hash)), mask_(mask), i_(perturb_ & mask) {}

    std::size_t slot() const noexcept { return i_; }
    void next() noexcept {
        perturb_ >>= SHIFT;
        i_ = (i_ * 5 + perturb_ + 1) & mask_;
    }

private:
    static constexpr unsigned SHIFT = 5;
    std::size_t perturb_;
    std::size_t mask_;
    std::size_t i_;
};

}  // namespace brisko
