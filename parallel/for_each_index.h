#pragma once

#include <cstddef>
#include <functional>

namespace parallel {

// How many threads for_each_index uses by default: the processor's cores
// (at least 1), or TAVORIX_THREADS when it holds a whole number from 1 up.
unsigned default_thread_count();

// Calls work(i) once for every i in [0, count), on up to `threads` threads
// at once (this one among them); returns when every call has returned.
// Calls for different indices must not touch the same data. Indices are
// handed out in increasing order, one at a time, so uneven work (items of
// very different sizes) spreads over the threads.
//
// When calls throw, no index is handed out any more, the calls under way
// finish, and the exception of the lowest index is thrown again: the one a
// plain loop from 0 would have stopped at, since every lower index had been
// handed out (and has returned) by then.
void for_each_index(std::size_t count, const std::function<void(std::size_t)> &work,
                    unsigned threads = default_thread_count());

}  // namespace parallel
