// The core room, the ground floor every other room stands on: owning references and how native
// state shows them to the collector, the error rules and the one boundary where C++ exceptions
// stop, once-filled cells and their values per interpreter, the recursion check, the calls, tuples
// and item reads of the hot paths, and what the supported interpreters do not all offer. It
// includes nothing of brisko's above it.
#pragma once

#include "arg_vector.hpp"        // ArgVector: a vectorcall argument vector assembled in place
#include "call.hpp"              // vectorcall, call_one, call_two, truth, equals
#include "critical_section.hpp"  // CriticalSection: an object's lock where there is no interpreter lock
#include "errors.hpp"            // ffi_err, fetch_err, discard_exception, iter_next, nested_next, check_signals
#include "gc_visit.hpp"          // GcVisit: owned references shown to the cycle collector
#include "interpreter_cell.hpp"  // InterpreterCell, InterpreterLocal: an object or native value per interpreter
#include "item_access.hpp"       // indexed_item, get_item, list_item: in-place reads, safe without the lock
#include "once_cell.hpp"         // OnceCell: one strong reference, filled at most once
#include "owned.hpp"             // Owned: the one owning reference (steal, borrow, release)
#include "panic.hpp"             // Panic, panic, boundary: no C++ exception crosses into the host
#include "python_compat.hpp"     // 3.14's API on 3.13, type_from_spec, forget_tuple_hash
#include "recursion_guard.hpp"   // RecursionGuard: RecursionError instead of a C stack overflow
#include "tuple.hpp"             // tuple_from_*, recyclable, recycle
