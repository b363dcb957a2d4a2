// Iter, the fluent wrapper that chains the sequence tools as methods: its class, for registration.
#pragma once

#include "../utils/class_def.hpp"

namespace brisko {

// The exported class `Iter` (internal type IterCls).
extern ClassDef ITER_CLASS;

}  // namespace brisko
