#include "spreadsheet/StringPool.h"

namespace lorvane::sheet {

std::uint32_t StringPool::intern(std::string_view text) {
    auto it = lookup_.find(text);
    if (it != lookup_.end()) return it->second;
    auto index = static_cast<std::uint32_t>(texts_.size());
    const std::string& stored = texts_.emplace_back(text);
    lookup_.emplace(std::string_view(stored), index);
    return index;
}

std::uint32_t StringPool::appendDistinct(std::string_view text) {
    auto index = static_cast<std::uint32_t>(texts_.size());
    texts_.emplace_back(text);  // reachable by its index only: intern() never hands it out
    return index;
}

}  // namespace lorvane::sheet
