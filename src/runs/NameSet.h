#pragma once
// Names compared the way sheet names are, regardless of letter case.
#include <string>
#include <string_view>
#include <unordered_map>

namespace lorvane::runs {

class NameSet {
public:
    // The id of an earlier name equal to this one; otherwise adds it under `id` and returns -1.
    int insert(std::string_view name, int id);
    int find(std::string_view name) const;  // the id, or -1

private:
    std::unordered_map<std::string, int> ids_;  // by folded name
};

}  // namespace lorvane::runs
