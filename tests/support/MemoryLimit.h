#pragma once
// Runs a piece of a test in a child process under an address-space limit, so that a fault
// which allocates without bound fails the test instead of stalling the machine.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <functional>

namespace lorvane::testing {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSpaceLimitWorks = false;  // the sanitizer reserves terabytes of shadow
#else
constexpr bool kAddressSpaceLimitWorks = true;
#endif

// The child's exit status from `body` (which returns 0..125), 126 when it threw, or 127 + the
// signal that ended it (an allocation failure past the limit usually ends in SIGABRT).
inline int runUnderMemoryLimit(std::size_t bytes, const std::function<int()>& body) {
    pid_t pid = fork();
    if (pid == 0) {
        if (kAddressSpaceLimitWorks) {
            rlimit rl{bytes, bytes};
            setrlimit(RLIMIT_AS, &rl);
        }
        int code = 126;
        try {
            code = body();
        } catch (...) {
        }
        _exit(code);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 127 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

}  // namespace lorvane::testing
