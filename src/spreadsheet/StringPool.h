#pragma once
// Interned texts of a workbook: cells hold an index, so equal texts are stored once and
// reading a text cell allocates nothing.
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lorvane::sheet {

class StringPool {
public:
    StringPool();
    StringPool(const StringPool& other);
    StringPool& operator=(const StringPool& other);
    StringPool(StringPool&&) noexcept = default;
    StringPool& operator=(StringPool&&) noexcept = default;

    std::uint32_t intern(std::string_view text);
    // Tells this pool from others (wrapping; never 0), for texts that remember their index.
    std::uint16_t tag() const { return tag_; }
    // Whether `index` holds exactly `text`, without runs.
    bool holdsPlain(std::uint32_t index, std::string_view text) const {
        return index < texts_.size() && texts_[index] == text && (rich_.empty() || !rich_.count(index));
    }
    const std::string& at(std::uint32_t index) const { return texts_[index]; }
    std::size_t size() const { return texts_.size(); }

    // Rich text as the file wrote it (the runs of an <si>), kept for writing back.
    void setRich(std::uint32_t index, std::string runsXml) { rich_[index] = std::move(runsXml); }
    const std::string* rich(std::uint32_t index) const {
        auto it = rich_.find(index);
        return it == rich_.end() ? nullptr : &it->second;
    }
    // Adds a text apart from the interned ones (a rich text): intern() of the same plain text
    // never returns it, so a plain cell cannot take on its runs.
    std::uint32_t appendDistinct(std::string_view text);

private:
    void grow();
    std::deque<std::string> texts_;  // a deque: texts never move as it grows
    // Open addressing over the interned texts: 32 bits of the hash and index + 1 (0 = empty
    // slot), at most half full. The stored hash spares most string comparisons and pointer
    // chases; eight bytes a slot keep the table small in the cache.
    struct Slot {
        std::uint32_t tag = 0;
        std::uint32_t index = 0;
    };
    std::vector<Slot> slots_;
    std::size_t interned_ = 0;
    std::unordered_map<std::uint32_t, std::string> rich_;
    std::uint16_t tag_;
};

}  // namespace lorvane::sheet
