#include "support/ParallelWork.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace leafcraft::detail {

int runInPageOrder(int count, int workers, const std::function<void(int worker, int position)>& work,
                   const std::function<void(int position)>& done, const std::function<bool()>& stop)
{
    if (count <= 0)
        return 0;
    workers = std::clamp(workers, 1, count);

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<char> finished(std::size_t(count), 0);
    int next = 0;          // the next position to hand out
    int running = workers; // threads still working
    bool failed = false;
    std::exception_ptr error;

    auto fail = [&](std::exception_ptr e) {
        // Called with the mutex held.
        if (!error)
            error = std::move(e);
        failed = true;
    };

    auto loop = [&](int worker) {
        for (;;) {
            // stop() may take its own locks: ask it outside ours.
            if (stop())
                break;
            int position;
            {
                std::lock_guard lock(mutex);
                if (failed || next >= count)
                    break;
                position = next++;
            }
            try {
                work(worker, position);
                std::lock_guard lock(mutex);
                finished[std::size_t(position)] = 1;
            } catch (...) {
                std::lock_guard lock(mutex);
                fail(std::current_exception());
            }
            changed.notify_all();
        }
        {
            std::lock_guard lock(mutex);
            --running;
        }
        changed.notify_all();
    };

    std::vector<std::thread> threads;
    threads.reserve(std::size_t(workers));
    for (int w = 0; w < workers; ++w)
        threads.emplace_back(loop, w);

    int reported = 0;
    try {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] {
                return failed || running == 0 || (reported < count && finished[std::size_t(reported)]);
            });
            // Positions finished before a failure are still reported, so that the caller's
            // lists hold every complete page up to the first one that failed. Once stopped,
            // nothing more is reported: the caller has been told to stop before the next page.
            if (reported < count && finished[std::size_t(reported)]) {
                lock.unlock();
                if (stop()) {
                    lock.lock();
                    break;
                }
                done(reported++);
                lock.lock();
                continue;
            }
            if (failed || running == 0)
                break;
        }
    } catch (...) {
        std::lock_guard lock(mutex);
        fail(std::current_exception());
    }
    for (std::thread& t : threads)
        t.join();
    if (error)
        std::rethrow_exception(error);
    return reported;
}

} // namespace leafcraft::detail
