#pragma once
// Runs independent pieces of work (the parts of a package being written) on a few threads.
#include <cstddef>
#include <functional>

namespace lorvane::sheet {

// Calls `task(i)` once for every i in [0, count), on up to `maxThreads` threads (the calling
// thread among them), taking the indices in order. Returns when all are done; the first
// exception a task throws is rethrown here after the others have stopped taking new work.
void parallelFor(std::size_t count, const std::function<void(std::size_t)>& task, unsigned maxThreads = 0);

}  // namespace lorvane::sheet
