// The hashing and memory room, above core: native tables keyed by host hash or by int64 value,
// the memory they live in, and int64 buffer views scanned without a host object per element.
#pragma once

#include "block_memory.hpp"   // allocate_block, free_block: large zero-filled blocks
#include "chunked_array.hpp"  // ChunkedArray: grows without moving its elements
#include "fx_table.hpp"       // FxTable, I64Set: open addressing over int64 values
#include "group_table.hpp"    // GroupTable, GroupList: the grouping tools' table
#include "hash_index.hpp"     // HashIndex: distinct host objects with a payload, by host hash
#include "hash_seed.hpp"      // int64_hash_seed: the int64 tables' per-process secret
#include "host_table.hpp"     // HostTable: probing, growth and equality of the host-hash tables
#include "i64_buffer.hpp"     // BufferView, readable_i64_buffer, read_element
#include "probe.hpp"          // the host's probe sequence
#include "py_hash.hpp"        // py_hash, int_fast_hash_enabled
#include "py_seen.hpp"        // PySeen: an insert-only set of host objects
#include "released_scan.hpp"  // ReleasedScan: native work over a buffer with the lock released
