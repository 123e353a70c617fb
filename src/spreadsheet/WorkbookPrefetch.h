#pragma once
// Reading the workbooks of a folder operation ahead, on a few threads, while the run works on
// the ones already read. The run still takes them one by one in its own order; only a few are
// held at once, so memory stays bounded however many files the folder has.
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "spreadsheet/WorkbookFile.h"

namespace lorvane::sheet {

class WorkbookPrefetch {
public:
    // `sheetAhead` (1-based, 0 none): the sheet the run will use, parsed on the reading thread
    // when the others are left for first use; if it does not parse, it stays for the run to meet
    // the error. `threads` 0: one per core. At most `threads` + `window` workbooks are read but
    // not taken.
    WorkbookPrefetch(std::vector<std::string> paths, SheetParsing parsing, int sheetAhead = 0, unsigned threads = 0,
                     std::size_t window = 0);
    ~WorkbookPrefetch();
    WorkbookPrefetch(const WorkbookPrefetch&) = delete;
    WorkbookPrefetch& operator=(const WorkbookPrefetch&) = delete;

    // The next file of the list is `path`: waits for it and returns it, or throws the error
    // reading it gave. Null when `path` is not the next one (the caller reads it itself).
    std::unique_ptr<BookData> take(const std::string& path);

private:
    void work();
    void parseSheetAhead(const BookData& book) const;

    std::vector<std::string> paths_;
    std::vector<WorkbookReadResult> results_;
    std::vector<bool> ready_;
    SheetParsing parsing_;
    int sheetAhead_;
    std::size_t window_;
    std::size_t next_ = 0;   // the next file a thread starts on
    std::size_t taken_ = 0;  // files handed to the run (or passed over)
    bool stop_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::thread> threads_;
};

}  // namespace lorvane::sheet
