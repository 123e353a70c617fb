#include "runs/MemoryBudget.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

namespace lorvane::runs {

std::uint64_t memoryTheProcessCanHave() {
    std::uint64_t memory = ~0ull;
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) memory = static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
    for (int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        rlimit rl{};
        if (getrlimit(resource, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY)
            memory = std::min<std::uint64_t>(memory, rl.rlim_cur);
    }
    return memory;
}

bool fitsInMemory(std::uint64_t count, std::uint64_t bytesEach) {
    const std::uint64_t half = memoryTheProcessCanHave() / 2;
    return bytesEach == 0 || count <= half / bytesEach;
}

}  // namespace lorvane::runs
