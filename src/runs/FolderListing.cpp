#include "runs/FolderListing.h"

#include <filesystem>

#include "base/AutomationError.h"

namespace lorvane::runs {

namespace fs = std::filesystem;

namespace {

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// UTF-8 continuation bytes belong to the character before them.
bool continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// `patterns` holds one pattern or several separated by ';'.
bool matchesAny(std::string_view name, std::string_view patterns) {
    while (true) {
        const std::size_t cut = patterns.find(';');
        if (fileNameMatches(name, patterns.substr(0, cut))) return true;
        if (cut == std::string_view::npos) return false;
        patterns.remove_prefix(cut + 1);
    }
}

}  // namespace

bool fileNameMatches(std::string_view name, std::string_view pattern) {
    // Iterative wildcard matching with one backtrack point for the last `*`.
    std::size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '?') {
            ++p;
            ++n;
            while (n < name.size() && continuation(name[n])) ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && lowerAscii(pattern[p]) == lowerAscii(name[n])) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::vector<std::string> listFolder(const std::string& folder, std::string_view pattern) {
    std::vector<std::string> out;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory)
            throw AutomationError(errc::kPathNotFound, "找不到文件夹“" + folder + "”。");
        throw AutomationError(errc::kPermission, "无法读取文件夹“" + folder + "”（" + ec.message() + "）。");
    }
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) throw AutomationError(errc::kPermission, "无法读取文件夹“" + folder + "”（" + ec.message() + "）。");
        const std::string name = it->path().filename().string();
        // Lock files ("~$名单.xlsx", ".~lock.名单.xlsx#") and hidden files are no workbooks of the user's.
        if (name.starts_with("~$") || name.starts_with(".")) continue;
        if (!matchesAny(name, pattern) || !it->is_regular_file(ec)) continue;
        out.push_back(it->path().string());
    }
    return out;
}

}  // namespace lorvane::runs
