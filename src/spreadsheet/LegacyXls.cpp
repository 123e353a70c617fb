#include "spreadsheet/LegacyXls.h"

#include <fcntl.h>
#include <spawn.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <filesystem>
#include <thread>

#include "base/AutomationError.h"

namespace lorvane::sheet {

namespace fs = std::filesystem;

namespace {

// Seconds allowed for one conversion call: LibreOffice starts in about a second; large or
// many files take longer.
int timeoutSeconds(std::size_t files) { return 60 + static_cast<int>(files) * 20; }

std::string fileUrl(const std::string& path) {
    std::string url = "file://";
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            url += static_cast<char>(c);
        } else {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            url += buf;
        }
    }
    return url;
}

// The environment of the child: ours with HOME replaced, built before the child starts (after a
// fork in a threaded program only async-signal-safe calls are allowed, and setenv is none).
std::vector<std::string> childEnvironment(const std::string& home) {
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e)
        if (std::string_view(*e).rfind("HOME=", 0) != 0) env.emplace_back(*e);
    env.push_back("HOME=" + home);
    return env;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
    std::vector<char*> out;
    for (std::string& t : texts) out.push_back(t.data());
    out.push_back(nullptr);
    return out;
}

// Runs argv with its output going to `logPath`; kills the whole process group after `seconds`.
// Returns the exit status, or -1 on timeout. posix_spawn does in the child only what is safe
// with other threads running in this program.
int runWithTimeout(std::vector<std::string> args, const std::string& logPath, const std::string& home, int seconds) {
    std::vector<char*> argv = pointersTo(args);
    std::vector<std::string> envTexts = childEnvironment(home);
    std::vector<char*> envp = pointersTo(envTexts);
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);  // its own group, so that its helpers go with it
    pid_t pid = 0;
    int failed = posix_spawn(&pid, argv[0], &actions, &attr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (failed) throw AutomationError(errc::kMethodFailed, "无法启动 LibreOffice（" + std::string(std::strerror(failed)) + "）。");
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
        int status = 0;
        pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) {
            ::kill(-pid, SIGKILL);  // helpers it may have left behind
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        }
        if (r < 0 && errno != EINTR) return 128;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(-pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace

std::string findLibreOffice() {
    if (const char* forced = std::getenv("LORVANE_SOFFICE")) return ::access(forced, X_OK) == 0 ? forced : "";
    for (const char* candidate : {"/usr/bin/soffice", "/usr/lib/libreoffice/program/soffice", "/usr/local/bin/soffice",
                                  "/opt/libreoffice/program/soffice"})
        if (::access(candidate, X_OK) == 0) return candidate;
    if (const char* path = std::getenv("PATH")) {
        std::string p = path;
        std::size_t start = 0;
        while (start <= p.size()) {
            std::size_t end = p.find(':', start);
            if (end == std::string::npos) end = p.size();
            std::string candidate = p.substr(start, end - start) + "/soffice";
            if (end > start && ::access(candidate.c_str(), X_OK) == 0) return candidate;
            start = end + 1;
        }
    }
    return {};
}

std::string libreOfficeMissingMessage(const std::string& fileName) {
    return "无法处理“" + fileName +
           "”：旧版 .xls 工作簿需要通过 LibreOffice 转换，但系统中没有安装 LibreOffice。请安装软件包 "
           "libreoffice-calc-nogui（例如：sudo apt install libreoffice-calc-nogui）后重试。";
}

TempFolder::TempFolder() {
    std::error_code ec;
    fs::path temp = fs::temp_directory_path(ec);
    if (ec) temp = "/tmp";
    std::string pattern = (temp / "lorvane-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw AutomationError(errc::kPermission, "无法创建临时文件夹。");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::vector<std::string> convertWithLibreOffice(const std::vector<std::string>& inputs, const std::string& outDir,
                                                const std::string& targetExtension) {
    std::vector<std::string> results(inputs.size());
    if (inputs.empty()) return results;
    std::string soffice = findLibreOffice();
    if (soffice.empty())
        throw AutomationError(errc::kNotSupported, libreOfficeMissingMessage(fs::path(inputs.front()).filename().string()));
    TempFolder work;
    fs::path in = fs::path(work.path()) / "in";
    fs::path profile = fs::path(work.path()) / "profile";
    for (const fs::path& folder : {in, profile, fs::path(outDir)}) {
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (ec)
            throw AutomationError(errc::kPermission, "无法创建 LibreOffice 转换用的文件夹“" + folder.string() + "”（" +
                                                         ec.message() + "）。");
    }
    // Inputs are linked under neutral names: no clash between equal names from different
    // folders, and no trouble with characters LibreOffice's command line dislikes.
    std::vector<std::string> args = {soffice, "--headless", "--invisible", "--norestore", "--nolockcheck", "--nodefault",
                                     "--nologo", "-env:UserInstallation=" + fileUrl(profile.string())};
    // CSV (the first sheet, UTF-8) serves checks that compare what LibreOffice reads with the engine.
    std::string filter = targetExtension == "xls"   ? "xls:MS Excel 97"
                         : targetExtension == "csv" ? "csv:Text - txt - csv (StarCalc):44,34,76,1"
                         : targetExtension == "ods" ? "ods:calc8"
                                                    : "xlsx:Calc MS Excel 2007 XML";
    args.push_back("--convert-to");
    args.push_back(filter);
    args.push_back("--outdir");
    args.push_back(outDir);
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        std::string ext = fs::path(inputs[i]).extension().string();
        if (ext.empty()) ext = ".xls";
        fs::path link = in / (std::to_string(i) + ext);
        std::error_code ec;
        fs::create_symlink(fs::absolute(inputs[i], ec), link, ec);
        if (ec) fs::copy_file(inputs[i], link, ec);
        if (ec) continue;
        args.push_back(link.string());
    }
    int status = runWithTimeout(std::move(args), (fs::path(work.path()) / "soffice.log").string(), work.path(),
                                timeoutSeconds(inputs.size()));
    if (status == -1)
        throw AutomationError(errc::kMethodFailed, "LibreOffice 转换“" + fs::path(inputs.front()).filename().string() +
                                                       "”等文件超时，已停止转换。");
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        fs::path out = fs::path(outDir) / (std::to_string(i) + "." + targetExtension);
        std::error_code ec;
        if (fs::is_regular_file(out, ec) && fs::file_size(out, ec) > 0) results[i] = out.string();
    }
    return results;
}

}  // namespace lorvane::sheet
