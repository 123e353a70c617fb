#include "spreadsheet/StringPool.h"

#include <atomic>
#include <functional>

namespace lorvane::sheet {

namespace {

// 32 bits of a text's hash: where its probe starts and what its slot keeps to tell texts apart,
// so that growing the table never reads the texts again.
std::uint32_t hashOf(std::string_view text) {
    std::uint64_t h = std::hash<std::string_view>{}(text);
    return static_cast<std::uint32_t>(h ^ (h >> 32));
}

std::uint16_t nextTag() {
    static std::atomic<std::uint16_t> counter{0};
    std::uint16_t t;
    do t = ++counter;
    while (t == 0);
    return t;
}

}  // namespace

StringPool::StringPool() : tag_(nextTag()) {}

// A copy is another pool: indices remembered from the original are not to be trusted in it
// once either grows.
StringPool::StringPool(const StringPool& other)
    : texts_(other.texts_), slots_(other.slots_), interned_(other.interned_), rich_(other.rich_), tag_(nextTag()) {}

StringPool& StringPool::operator=(const StringPool& other) {
    if (this != &other) {
        texts_ = other.texts_;
        slots_ = other.slots_;
        interned_ = other.interned_;
        rich_ = other.rich_;
        tag_ = nextTag();
    }
    return *this;
}

void StringPool::grow() {
    std::vector<Slot> bigger(slots_.empty() ? 1024 : slots_.size() * 2);
    std::size_t mask = bigger.size() - 1;
    for (const Slot& s : slots_) {
        if (s.index == 0) continue;
        std::size_t i = s.tag & mask;
        while (bigger[i].index != 0) i = (i + 1) & mask;
        bigger[i] = s;
    }
    slots_.swap(bigger);
}

std::uint32_t StringPool::intern(std::string_view text) {
    if ((interned_ + 1) * 2 > slots_.size()) grow();
    const std::uint32_t tag = hashOf(text);
    std::size_t mask = slots_.size() - 1;
    std::size_t i = tag & mask;
    for (;; i = (i + 1) & mask) {
        const Slot& s = slots_[i];
        if (s.index == 0) break;
        if (s.tag == tag && texts_[s.index - 1] == text) return s.index - 1;
    }
    auto index = static_cast<std::uint32_t>(texts_.size());
    texts_.emplace_back(text);
    slots_[i] = Slot{tag, index + 1};
    ++interned_;
    return index;
}

std::uint32_t StringPool::appendDistinct(std::string_view text) {
    auto index = static_cast<std::uint32_t>(texts_.size());
    texts_.emplace_back(text);  // reachable by its index only
    return index;
}

}  // namespace lorvane::sheet
