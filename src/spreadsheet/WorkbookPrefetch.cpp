#include "spreadsheet/WorkbookPrefetch.h"

#include <algorithm>

#include "spreadsheet/BookData.h"

namespace lorvane::sheet {

WorkbookPrefetch::WorkbookPrefetch(std::vector<std::string> paths, SheetParsing parsing, int sheetAhead, unsigned threads,
                                   std::size_t window)
    : paths_(std::move(paths)), results_(paths_.size()), ready_(paths_.size(), false), parsing_(parsing), sheetAhead_(sheetAhead) {
    if (threads == 0) threads = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, paths_.size()));
    window_ = window ? window : 2 * static_cast<std::size_t>(std::max(threads, 1u));
    for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this] { work(); });
}

WorkbookPrefetch::~WorkbookPrefetch() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : threads_) t.join();
}

void WorkbookPrefetch::parseSheetAhead(const BookData& book) const {
    if (sheetAhead_ < 1 || static_cast<std::size_t>(sheetAhead_) > book.sheets.size()) return;
    try {
        ensureSheetParsed(book, *book.sheets[static_cast<std::size_t>(sheetAhead_) - 1]);
    } catch (const std::exception&) {
        // Left pending: the run parses it again when it gets there and reports the error then,
        // as it would for a workbook it read itself.
    }
}

void WorkbookPrefetch::work() {
    for (;;) {
        std::size_t i;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stop_ || next_ >= paths_.size() || next_ < taken_ + window_; });
            if (stop_ || next_ >= paths_.size()) return;
            i = next_++;
        }
        WorkbookReadResult result;
        try {
            result.book = readWorkbookFile(paths_[i], parsing_);
            parseSheetAhead(*result.book);
        } catch (const AutomationError& e) {
            result.error = e;
        } catch (const std::exception&) {
            result.error = AutomationError(errc::kMethodFailed, "读取文件“" + paths_[i] + "”时内存不足或出现意外错误。");
        }
        {
            std::lock_guard lock(mutex_);
            if (i >= taken_) results_[i] = std::move(result);  // else passed over meanwhile
            ready_[i] = true;
        }
        changed_.notify_all();
    }
}

std::unique_ptr<BookData> WorkbookPrefetch::take(const std::string& path) {
    std::unique_lock lock(mutex_);
    auto at = std::find(paths_.begin() + static_cast<std::ptrdiff_t>(taken_), paths_.end(), path);
    if (at == paths_.end()) return nullptr;
    const auto i = static_cast<std::size_t>(at - paths_.begin());
    for (std::size_t k = taken_; k < i; ++k) results_[k] = {};  // passed over: not wanted any more
    taken_ = i;
    changed_.notify_all();
    changed_.wait(lock, [&] { return ready_[i]; });
    WorkbookReadResult result = std::move(results_[i]);
    taken_ = i + 1;
    lock.unlock();
    changed_.notify_all();
    if (result.error) throw *result.error;
    return std::move(result.book);
}

}  // namespace lorvane::sheet
