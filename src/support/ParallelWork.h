// A small worker pool: the items of one step (pages to convert, files to write) are worked on
// several threads while their results are reported in order on the calling thread.
#pragma once

#include <functional>

namespace leafcraft::detail {

// Calls work(worker, position) for the positions 0 .. count - 1 on `workers` threads (worker
// is 0 .. workers - 1; each worker calls work from one thread only, so per-worker state needs no
// lock). As soon as the positions 0 .. k have all been worked, done(k) is called on the calling
// thread, so done sees every position once and in ascending order.
//
// No new position is handed out, and no further one reported, once stop() returns true; no
// new position is handed out once a call has thrown. The function
// returns after every thread has ended: the number of positions reported to done, or it
// rethrows the first error of work or done. Memory is one byte per position.
int runInPageOrder(int count, int workers, const std::function<void(int worker, int position)>& work,
                   const std::function<void(int position)>& done, const std::function<bool()>& stop);

} // namespace leafcraft::detail
