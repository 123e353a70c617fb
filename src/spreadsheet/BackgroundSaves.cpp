// Files put on disk by a helper thread while the caller builds the next one: writing, flushing
// and renaming a file is mostly waiting for the disk.
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <system_error>
#include <system_error>
#include <thread>
#include <utility>

#include "base/AutomationError.h"
#include "spreadsheet/Package.h"
#include "spreadsheet/SafeSave.h"
#include "spreadsheet/WorkbookFile.h"

namespace lorvane::sheet {

namespace {

class BackgroundSaver {
public:
    ~BackgroundSaver() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        if (worker_.joinable()) worker_.join();  // what is queued still reaches the disk
    }

    void add(std::string path, std::string target, std::string bytes) {
        std::unique_lock lock(mutex_);
        // Started before anything is queued: a thread that cannot start fails this save here.
        if (!worker_.joinable()) {
            try {
                worker_ = std::thread(&BackgroundSaver::run, this);
            } catch (const std::system_error& e) {
                throw AutomationError(errc::kMethodFailed, "无法启动保存文件的线程（" + e.code().message() + "），文件“" +
                                                               std::filesystem::path(target).filename().string() + "”没有保存。");
            }
        }
        changed_.wait(lock, [&] { return queue_.size() < kMaxWaiting; });
        queue_.push_back({std::move(path), std::move(target), std::move(bytes)});
        ++pending_;
        changed_.notify_all();
    }

    void wait() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return pending_ == 0; });
    }

    std::vector<SaveFailure> takeFailures() {
        wait();
        std::lock_guard lock(mutex_);
        return std::exchange(failures_, {});
    }

private:
    static constexpr std::size_t kMaxWaiting = 4;
    struct Job {
        std::string path, target, bytes;  // as asked for, the file written, its contents
    };

    void run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return stop_ || !queue_.empty(); });
            if (queue_.empty()) return;
            Job job = std::move(queue_.front());
            queue_.pop_front();
            changed_.notify_all();
            lock.unlock();
            std::optional<SaveFailure> failed;
            try {
                saveFileAtomically(job.target, job.bytes);
            } catch (const AutomationError& e) {
                failed = SaveFailure{job.path, e.description()};
            } catch (const std::exception& e) {
                failed = SaveFailure{job.path, "无法保存“" + job.path + "”：" + e.what()};
            }
            job = {};
            lock.lock();
            if (failed) failures_.push_back(std::move(*failed));
            --pending_;
            changed_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> queue_;
    std::size_t pending_ = 0;  // queued or being written
    std::vector<SaveFailure> failures_;
    bool stop_ = false;
    std::thread worker_;
};

BackgroundSaver& saver() {
    static BackgroundSaver instance;
    return instance;
}

}  // namespace

void saveWorkbookFileInBackground(const BookData& book, const std::string& path, FileFormat format) {
    if (format == FileFormat::Xls) return writeWorkbookFile(book, path, format);
    const std::string target = checkSaveTarget(path);
    std::string bytes;
    try {
        bytes = buildXlsxPackage(book, format);
    } catch (const std::bad_alloc&) {
        throw AutomationError(errc::kMethodFailed, "内存不足，无法保存“" + std::filesystem::path(path).filename().string() +
                                                       "”。原文件未被改动。");
    }
    saver().add(path, target, std::move(bytes));
}

void waitForBackgroundSaves() { saver().wait(); }

std::vector<SaveFailure> takeBackgroundSaveFailures() { return saver().takeFailures(); }

}  // namespace lorvane::sheet
