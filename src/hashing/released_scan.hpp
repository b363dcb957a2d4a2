// ReleasedScan: native work over a buffer with the interpreter lock released, so that other threads
// run (and, on a free-threaded build, the collector's stop-the-world goes ahead) meanwhile.
#pragma once

#include <Python.h>

#include <algorithm>
#include <chrono>
#include <cstddef>

namespace brisko {

// Holds the calling thread's lock released from construction to destruction, when the work over `n`
// elements is long enough to pay for it. While it is released, the code inside touches no host
// object, calls no host API and allocates only native memory (the C allocator or the block memory,
// never the host's allocators). A C++ exception thrown inside (std::bad_alloc from a native table)
// retakes the lock as it unwinds through the destructor, so the boundary reports it as MemoryError
// with the lock held: nothing reaches the interpreter without it.
class ReleasedScan {
public:
    explicit ReleasedScan(std::size_t n) noexcept;
    ReleasedScan(const ReleasedScan&) = delete;
    ReleasedScan& operator=(const ReleasedScan&) = delete;
    ~ReleasedScan();

    // Calls work(begin, end) over [0, n) block after block, while it returns true. Every PERIOD of
    // released work, between two blocks, the lock is retaken for a moment so that a pending
    // signal's handler runs (only the main thread runs them): false when that handler raised, with
    // its exception set and the lock held from then on.
    template <class BlockWork>
    bool chunks(std::size_t n, BlockWork&& work) {
        for (std::size_t begin = 0; begin < n;) {
            const std::size_t end = begin + std::min(BLOCK, n - begin);
            if (!work(begin, end)) return true;
            begin = end;
            if (saved_ && begin < n && Clock::now() >= deadline_ && !answer_signals()) return false;
        }
        return true;
    }

private:
    using Clock = std::chrono::steady_clock;

    // Elements between two reads of the clock; a scan shorter than one keeps the lock throughout.
    // Even the fastest pass (well under a nanosecond an element) spends tens of microseconds on a
    // block, against about 0.2 us for the clock and 0.4 us for a release and retake of a free lock:
    // their cost is lost in the noise. A block of the slowest pass (a table far larger than the
    // cache, tens of nanoseconds an element) still ends within a few milliseconds.
    static constexpr std::size_t BLOCK = std::size_t(1) << 16;
    // Released work between two retakes. Timed rather than counted, since passes differ a hundredfold
    // in cost per element. A retake waits while another thread runs host code, up to one switch
    // interval (5 ms by default) before that thread is made to let go: every 10 ms, that wait adds at
    // most half the work again, and Ctrl-C is still answered within about 10 ms and one block.
    static constexpr Clock::duration PERIOD = std::chrono::milliseconds(10);

    bool answer_signals() noexcept;

    PyThreadState* saved_;  // null while the lock is held
    Clock::time_point deadline_;
};

}  // namespace brisko
