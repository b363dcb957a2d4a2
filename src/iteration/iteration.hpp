// The iteration room, above binding: what every lazy result shares. The one step runner behind
// tp_iternext and __next__, the generic NativeIter, the reentrancy guard, the view over an input,
// the traversal of every eager loop, and what peeking hands back.
#pragma once

#include "for_each_element.hpp"  // for_each_element: eager loops, by index or iterator, answering signals
#include "gil_ref_cell.hpp"      // GilRefCell: one thread at a time; "iterator already executing" for reentry
#include "native_iter.hpp"       // NativeIter, Step, new_native_iter
#include "peeked.hpp"            // head_and_rest: (head, an iterator still yielding it)
#include "py_source.hpp"         // PySource: an exact list by index, anything else by its iterator
#include "raw_iter_next.hpp"     // IterHead, RawIterNext, run_step, raw_iternext, next_method
#include "turn.hpp"              // Turn: whose turn it is to run a step, and waiting for it
