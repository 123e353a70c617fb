#pragma once
// The keyed collection behind "scripting.dictionary": distinct keys in insertion order,
// exact and type-aware (the number 1 and the text "1" are different keys, "A01" and "a01" too).
#include <cstddef>
#include <deque>
#include <string>
#include <cstdint>
#include <utility>
#include <vector>

#include "automation/AutomationObject.h"
#include "automation/Variant.h"

namespace lorvane {

class KeyedCollection : public AutomationObject {
public:
    bool Exists(const Variant& key) const;
    // Reading a missing key adds it with an empty item, as the component does.
    Variant& Item(const Variant& key);
    const Variant* Find(const Variant& key) const;
    void SetItem(const Variant& key, Variant item);
    // Throws AutomationError 457 when the key is already there.
    void Add(const Variant& key, Variant item);
    std::vector<Variant> Keys() const;     // 0-based, insertion order
    std::vector<Variant> Items() const;
    std::size_t Count() const { return entries_.size(); }
    void RemoveAll();

private:
    struct KeyHash {
        std::size_t operator()(const Variant& v) const;
    };
    struct Entry {
        Variant key;
        Variant item;
    };
    std::pair<std::size_t, bool> insert(const Variant& key, Variant&& item);
    // The slot of `key` in the open-addressing table: holding its entry, or the empty slot to use.
    std::size_t slotOf(const Variant& key, std::size_t hash) const;
    void grow();
    std::deque<Entry> entries_;        // insertion order; a deque, so references to items stay valid
    std::vector<std::size_t> hashes_;  // per entry
    std::vector<std::uint32_t> slots_; // entry index + 1, 0 = empty; size a power of two, at most half full
};

}  // namespace lorvane
