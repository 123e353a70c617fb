#pragma once
// How much memory a run may plan to take: the machine's memory, or less when the process is
// limited (ulimit -v, -d). A run that would build a table past a share of it refuses at once
// with a message instead of failing part-way.
#include <cstdint>

namespace lorvane::runs {

// The memory the process can have, in bytes.
std::uint64_t memoryTheProcessCanHave();

// Whether `count` items of `bytesEach` stay within half of it (no overflow on the way).
bool fitsInMemory(std::uint64_t count, std::uint64_t bytesEach);

}  // namespace lorvane::runs
