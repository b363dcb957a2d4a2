// The open-addressing probe sequence of the host's own dicts and sets, over a table of 2**k slots:
// it starts at the hash's low bits, lets the high bits take part a few at a time, and once they
// are used up visits every slot, so a probe for a free slot always ends.
#pragma once

#include <Python.h>

#include <cstddef>

namespace brisko {

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
