#include "spreadsheet/SafeSave.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "base/AutomationError.h"

namespace lorvane::sheet {

namespace fs = std::filesystem;

namespace {

std::mutex gHookMutex;
std::function<int(SaveStage)> gHook;

int injected(SaveStage stage) {
    std::lock_guard lock(gHookMutex);
    return gHook ? gHook(stage) : 0;
}

// Removes the temporary file unless it was renamed into place.
struct TempFile {
    std::string path;
    int fd = -1;
    bool committed = false;
    ~TempFile() {
        if (fd >= 0) ::close(fd);
        if (!committed && !path.empty()) ::unlink(path.c_str());
    }
};

mode_t currentUmask() {
    mode_t m = ::umask(0);
    ::umask(m);
    return m;
}

}  // namespace

void setSaveFailureHook(std::function<int(SaveStage)> hook) {
    std::lock_guard lock(gHookMutex);
    gHook = std::move(hook);
}

void throwSaveError(const std::string& target, int err) {
    std::string name = fs::path(target).filename().string();
    std::string folder = fs::path(target).parent_path().string();
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        throw AutomationError(errc::kPathNotFound, "无法保存“" + name + "”：文件夹“" + folder + "”不存在。");
    case EACCES:
    case EPERM:
    case EROFS:
        throw AutomationError(errc::kPermission, "无法保存“" + name + "”：没有写入权限（文件或文件夹是只读的）。原文件未被改动。");
    case ENOSPC:
    case EDQUOT:
        throw AutomationError(errc::kMethodFailed, "无法保存“" + name + "”：磁盘空间不足。原文件未被改动。");
    case EISDIR:
        throw AutomationError(errc::kPermission, "无法保存“" + name + "”：已有同名的文件夹。");
    default:
        throw AutomationError(errc::kMethodFailed, "无法保存“" + name + "”：" + std::strerror(err) + "。原文件未被改动。");
    }
}

void saveFileAtomically(const std::string& target, std::string_view bytes) {
    saveFileAtomically(target, [&](const ByteSink& write) { write(bytes); });
}

std::string checkSaveTarget(const std::string& requested) {
    std::string target = requested;
    std::error_code ec;
    // Saving through a symbolic link replaces the file it points to, not the link.
    if (fs::is_symlink(target, ec)) {
        fs::path resolved = fs::canonical(target, ec);
        if (!ec) target = resolved.string();
    }
    fs::path folder = fs::path(target).parent_path();
    if (folder.empty()) folder = ".";
    if (!fs::is_directory(folder, ec)) throwSaveError(target, ENOENT);
    struct stat existing{};
    bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) throwSaveError(target, EISDIR);
    // A read-only file is not silently replaced, although its folder would allow the rename.
    if (exists && ::access(target.c_str(), W_OK) != 0) throwSaveError(target, errno == EROFS ? EROFS : EACCES);
    return target;
}

void saveFileAtomically(const std::string& requested, const std::function<void(const ByteSink&)>& produce) {
    const std::string target = checkSaveTarget(requested);
    fs::path folder = fs::path(target).parent_path();
    if (folder.empty()) folder = ".";
    struct stat existing{};
    bool exists = ::stat(target.c_str(), &existing) == 0;

    TempFile temp;
    std::string pattern = (folder / ("." + fs::path(target).filename().string() + ".lorvane-XXXXXX")).string();
    if (int err = injected(SaveStage::CreateTemp)) throwSaveError(target, err);
    temp.fd = ::mkstemp(pattern.data());
    if (temp.fd < 0) throwSaveError(target, errno);
    temp.path = pattern;
    mode_t mode = exists ? (existing.st_mode & 07777) : (0666 & ~currentUmask());
    ::fchmod(temp.fd, mode);

    if (int err = injected(SaveStage::Write)) throwSaveError(target, err);
    produce([&](std::string_view bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(temp.fd, bytes.data() + done, std::min<std::size_t>(bytes.size() - done, 1 << 24));
            if (n < 0) {
                if (errno == EINTR) continue;
                throwSaveError(target, errno);
            }
            done += static_cast<std::size_t>(n);
        }
    });
    if (int err = injected(SaveStage::Flush)) throwSaveError(target, err);
    if (::fsync(temp.fd) != 0) throwSaveError(target, errno);
    int fd = temp.fd;
    temp.fd = -1;
    if (::close(fd) != 0) throwSaveError(target, errno);

    if (int err = injected(SaveStage::Rename)) throwSaveError(target, err);
    if (::rename(temp.path.c_str(), target.c_str()) != 0) throwSaveError(target, errno);
    temp.committed = true;
    // The rename itself reaches the disk with the folder's metadata.
    int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

}  // namespace lorvane::sheet
