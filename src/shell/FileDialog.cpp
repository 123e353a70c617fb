#include "shell/FileDialog.h"

#include <vector>

namespace lorvane::shell {

static std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : s) {
        if (c == sep) {
            parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    parts.push_back(cur);
    return parts;
}

static std::string trim(const std::string& s) {
    auto b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

std::string qtFileFilter(const std::string& filter) {
    auto parts = split(filter, '|');
    while (!parts.empty() && parts.back().empty()) parts.pop_back();
    std::string out;
    for (std::size_t i = 0; i < parts.size(); i += 2) {
        std::string description = parts[i];
        std::string patterns = i + 1 < parts.size() ? parts[i + 1] : std::string();
        if (patterns.empty()) {
            auto open = description.find('(');
            auto close = description.rfind(')');
            if (open != std::string::npos && close != std::string::npos && close > open)
                patterns = description.substr(open + 1, close - open - 1);
        }
        // Qt reads the patterns from the parentheses, separated by blanks.
        auto open = description.find('(');
        if (open != std::string::npos) description = description.substr(0, open);
        description = trim(description);
        std::string list;
        for (auto& p : split(patterns, ';')) {
            p = trim(p);
            if (p.empty()) continue;
            if (!list.empty()) list += ' ';
            list += p;
        }
        if (list.empty()) list = "*";
        if (!out.empty()) out += ";;";
        out += (description.empty() ? list : description) + " (" + list + ")";
    }
    return out;
}

std::string folderPart(const std::string& path) {
    auto pos = path.find_last_of("/\\");
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

}  // namespace lorvane::shell
