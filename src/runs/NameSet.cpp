#include "runs/NameSet.h"

#include "base/NameFolding.h"

namespace lorvane::runs {

int NameSet::insert(std::string_view name, int id) {
    auto [it, added] = ids_.emplace(foldName(name), id);
    return added ? -1 : it->second;
}

int NameSet::find(std::string_view name) const {
    auto it = ids_.find(foldName(name));
    return it == ids_.end() ? -1 : it->second;
}

}  // namespace lorvane::runs
