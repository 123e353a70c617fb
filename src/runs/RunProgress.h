#pragma once
// What a long run tells the user while it works, and where it may be stopped. The running
// notice (or the terminal) shows the text; updates come a few times a second at most, so that
// reporting costs the run nothing. A stop asked for by the user is noticed at the run's safe
// points, where `checkCancel` throws RunCancelled and the run cleans up as after a failure.
#include <exception>
#include <string>

#include "runs/UiService.h"

namespace lorvane::runs {

struct RunCancelled : std::exception {
    const char* what() const noexcept override { return "运行已取消"; }
};

class RunProgress {
public:
    // Without a UiService nothing is shown and nothing stops the run.
    explicit RunProgress(UiService* ui, long long intervalMs = 250) : ui_(ui), intervalMs_(intervalMs) {}

    // "正在读取 3/120：第03分公司.xlsx" (the file name of `path`).
    void reading(int index, int count, const std::string& path);
    // "正在处理：name" with "（已完成 done/total）" when more than one.
    void working(const std::string& what, long long done, long long total);
    // "正在写入：name"; always shown, writing is the last long step.
    void writing(const std::string& path);
    // "正在写入 3/120：name", for runs that write many files (paced like reading).
    void writing(int index, int count, const std::string& path);
    // Throws RunCancelled when the user asked the run to stop.
    void checkCancel();

private:
    void show(std::string text, bool always);
    UiService* ui_;
    long long intervalMs_;
    long long lastShown_ = -1;
};

}  // namespace lorvane::runs
