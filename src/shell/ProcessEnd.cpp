#include "shell/ProcessEnd.h"

#include <algorithm>
#include <cctype>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace lorvane::shell {

namespace fs = std::filesystem;

static std::string lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

bool processNameMatches(std::string_view executable, std::string_view name) {
    if (name.empty()) return false;
    auto slash = executable.find_last_of("/\\");
    if (slash != std::string_view::npos) executable.remove_prefix(slash + 1);
    // Only the program's own file name, bare or with ".exe": a user's "et.sh" or "excel.py"
    // is another program.
    std::string exe = lower(executable);
    if (exe.size() > 4 && exe.ends_with(".exe")) exe.resize(exe.size() - 4);
    return exe == lower(name);
}

std::vector<ProcessEntry> ProcProcessTable::list() {
    std::vector<ProcessEntry> out;
    std::error_code ec;
    fs::directory_iterator it(root_, ec);
    if (ec) return out;
    for (const auto& entry : it) {
        const std::string dir = entry.path().filename().string();
        if (dir.empty() || !std::all_of(dir.begin(), dir.end(), [](unsigned char c) { return std::isdigit(c); }))
            continue;
        ProcessEntry p;
        p.pid = static_cast<pid_t>(std::stol(dir));
        struct stat st {};
        if (::stat(entry.path().c_str(), &st) != 0) continue;  // gone meanwhile
        p.uid = st.st_uid;
        std::string comm;
        if (std::ifstream f(entry.path() / "comm"); f && std::getline(f, comm) && !comm.empty()) p.names.push_back(comm);
        auto exe = fs::read_symlink(entry.path() / "exe", ec);
        if (!ec) {
            std::string e = exe.filename().string();
            const std::string deleted = " (deleted)";
            if (e.size() > deleted.size() && e.ends_with(deleted)) e.resize(e.size() - deleted.size());
            p.names.push_back(e);
        }
        ec.clear();
        if (std::ifstream f(entry.path() / "cmdline", std::ios::binary); f) {
            std::string argv0;
            std::getline(f, argv0, '\0');
            if (!argv0.empty()) p.names.push_back(argv0);
        }
        out.push_back(std::move(p));
    }
    return out;
}

void ProcProcessTable::terminate(pid_t pid) { ::kill(pid, SIGKILL); }
pid_t ProcProcessTable::self() { return ::getpid(); }
uid_t ProcProcessTable::user() { return ::getuid(); }

int KillProcessByName(std::string_view name, ProcessTable& table) {
    const pid_t me = table.self();
    const uid_t user = table.user();
    int ended = 0;
    for (const auto& p : table.list()) {
        if (p.pid == me || p.pid <= 1 || p.uid != user) continue;
        bool match = std::any_of(p.names.begin(), p.names.end(),
                                 [&](const std::string& n) { return processNameMatches(n, name); });
        if (!match) continue;
        table.terminate(p.pid);
        ++ended;
    }
    return ended;
}

int KillProcessByName(std::string_view name) {
    ProcProcessTable table;
    return KillProcessByName(name, table);
}

}  // namespace lorvane::shell
