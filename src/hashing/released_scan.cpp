// Releasing and retaking the interpreter lock around a native scan.
#include "released_scan.hpp"

namespace brisko {

ReleasedScan::ReleasedScan(std::size_t n) noexcept
    : saved_(n >= BLOCK ? PyEval_SaveThread() : nullptr), deadline_(Clock::now() + PERIOD) {}

ReleasedScan::~ReleasedScan() {
    if (saved_) PyEval_RestoreThread(saved_);
}

bool ReleasedScan::answer_signals() noexcept {
    PyEval_RestoreThread(saved_);
    saved_ = nullptr;
    if (PyErr_CheckSignals() < 0) return false;
    saved_ = PyEval_SaveThread();
    deadline_ = Clock::now() + PERIOD;
    return true;
}

}  // namespace brisko
