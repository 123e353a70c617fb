#include "spreadsheet/ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace lorvane::sheet {

void parallelFor(std::size_t count, const std::function<void(std::size_t)>& task, unsigned maxThreads) {
    if (maxThreads == 0) maxThreads = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    std::size_t threads = std::min<std::size_t>(maxThreads, count);
    if (threads <= 1) {
        for (std::size_t i = 0; i < count; ++i) task(i);
        return;
    }
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr failure;
    std::mutex failureMutex;
    auto work = [&] {
        for (std::size_t i; !failed.load() && (i = next.fetch_add(1)) < count;) {
            try {
                task(i);
            } catch (...) {
                std::lock_guard lock(failureMutex);
                if (!failure) failure = std::current_exception();
                failed = true;
            }
        }
    };
    std::vector<std::thread> helpers;
    helpers.reserve(threads - 1);
    try {
        for (std::size_t t = 1; t < threads; ++t) helpers.emplace_back(work);
    } catch (const std::system_error&) {
        // No more threads to be had: the ones started and this one do the work.
    }
    work();
    for (std::thread& h : helpers) h.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace lorvane::sheet
