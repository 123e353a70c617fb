#pragma once
// Ending the spreadsheet programs by name, over the process table of /proc.
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace lorvane::shell {

struct ProcessEntry {
    pid_t pid = 0;
    uid_t uid = 0;
    std::vector<std::string> names;  // executable names it goes by (file name of its program, argv[0], comm)
};

class ProcessTable {
public:
    virtual ~ProcessTable() = default;
    virtual std::vector<ProcessEntry> list() = 0;  // empty when the table cannot be read
    virtual void terminate(pid_t pid) = 0;         // failures are ignored
    virtual pid_t self() = 0;
    virtual uid_t user() = 0;
};

// The real table: /proc, terminating with SIGKILL.
class ProcProcessTable : public ProcessTable {
public:
    explicit ProcProcessTable(std::string root = "/proc") : root_(std::move(root)) {}
    std::vector<ProcessEntry> list() override;
    void terminate(pid_t pid) override;
    pid_t self() override;
    uid_t user() override;

private:
    std::string root_;
};

// True when an executable name, ignoring letter case, is `name` or `name` with ".exe": "et" and
// "ET.EXE" are "ET"; "etcd", "ethtool", "et.sh" and "et.py" are not. Path parts (/ or \) are dropped.
bool processNameMatches(std::string_view executable, std::string_view name);

// Ends every process of the current user whose executable name matches, never this program.
// Returns how many were ended.
int KillProcessByName(std::string_view name, ProcessTable& table);
int KillProcessByName(std::string_view name);

}  // namespace lorvane::shell
