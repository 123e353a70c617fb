#pragma once
// The real-world workbooks of ../shared/corpus beside the project, and the outside readers the
// file tests compare with. Tests that need what is missing skip, saying why.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace lorvane::testing {

inline const std::filesystem::path& corpusDir() {
    // LORVANE_CORPUS_DIR in the environment points the tests elsewhere (or nowhere).
    static const std::filesystem::path dir = std::getenv("LORVANE_CORPUS_DIR") ? std::getenv("LORVANE_CORPUS_DIR")
                                                                                : LORVANE_CORPUS_DIR;
    return dir;
}

inline bool corpusPresent() {
    std::error_code ec;
    return std::filesystem::is_directory(corpusDir() / "xlsx", ec);
}

inline bool openpyxlPresent() {
    static const bool present = std::system("/usr/bin/python3 -c 'import openpyxl' >/dev/null 2>&1") == 0;
    return present;
}

// The regular files of a corpus folder in name order; one placeholder when the corpus is not
// there, so that a parameterised suite still has a test that reports the skip.
inline std::vector<std::filesystem::path> corpusFilesIn(const std::string& folder) {
    std::vector<std::filesystem::path> out;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(corpusDir() / folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec)) out.push_back(it->path());
    std::sort(out.begin(), out.end());
    if (out.empty()) out.push_back("corpus-missing");
    return out;
}

}  // namespace lorvane::testing

#define LORVANE_SKIP_WITHOUT_CORPUS() \
    if (!::lorvane::testing::corpusPresent()) GTEST_SKIP() << "../shared/corpus is not beside the project: skipped"
#define LORVANE_SKIP_WITHOUT_OPENPYXL() \
    if (!::lorvane::testing::openpyxlPresent()) GTEST_SKIP() << "python3-openpyxl is not installed: skipped"
