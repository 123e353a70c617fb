#include "runs/RunProgress.h"

#include <filesystem>

namespace lorvane::runs {

namespace {

std::string fileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

}  // namespace

void RunProgress::show(std::string text, bool always) {
    if (!ui_) return;
    const long long now = ui_->nowMilliseconds();
    if (!always && lastShown_ >= 0 && now - lastShown_ < intervalMs_) return;
    lastShown_ = now;
    ui_->showProgress(text);
}

void RunProgress::reading(int index, int count, const std::string& path) {
    checkCancel();
    if (ui_) show("正在读取 " + std::to_string(index) + "/" + std::to_string(count) + "：" + fileNameOf(path), false);
}

void RunProgress::working(const std::string& what, long long done, long long total) {
    checkCancel();
    if (!ui_) return;
    std::string text = "正在处理：" + what;
    if (total > 1) text += "（已完成 " + std::to_string(done) + "/" + std::to_string(total) + "）";
    show(std::move(text), false);
}

void RunProgress::writing(const std::string& path) {
    checkCancel();
    if (ui_) show("正在写入：" + fileNameOf(path), true);
}

void RunProgress::writing(int index, int count, const std::string& path) {
    checkCancel();
    if (ui_) show("正在写入 " + std::to_string(index) + "/" + std::to_string(count) + "：" + fileNameOf(path), false);
}

void RunProgress::checkCancel() {
    if (ui_ && ui_->cancelRequested()) throw RunCancelled();
}

}  // namespace lorvane::runs
