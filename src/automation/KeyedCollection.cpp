#include "automation/KeyedCollection.h"

#include <functional>
#include <utility>

#include "base/AutomationError.h"
#include "automation/Conversions.h"

namespace lorvane {

std::size_t KeyedCollection::KeyHash::operator()(const Variant& v) const {
    std::size_t h;
    if (v.isText()) {
        h = std::hash<std::string>{}(v.text());
    } else {
        const double d = v.number();
        h = std::hash<double>{}(d == 0.0 ? 0.0 : d);  // -0.0 and 0.0 are the same key
    }
    return h ^ (static_cast<std::size_t>(v.type()) * 0x9E3779B97F4A7C15ull);
}

std::size_t KeyedCollection::slotOf(const Variant& key, std::size_t hash) const {
    std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        std::uint32_t s = slots_[i];
        if (s == 0 || (hashes_[s - 1] == hash && entries_[s - 1].key == key)) return i;
    }
}

void KeyedCollection::grow() {
    std::vector<std::uint32_t> bigger(slots_.empty() ? 16 : slots_.size() * 2, 0);
    std::size_t mask = bigger.size() - 1;
    for (std::size_t e = 0; e < entries_.size(); ++e) {
        std::size_t i = hashes_[e] & mask;
        while (bigger[i] != 0) i = (i + 1) & mask;
        bigger[i] = static_cast<std::uint32_t>(e + 1);
    }
    slots_.swap(bigger);
}

bool KeyedCollection::Exists(const Variant& key) const { return Find(key) != nullptr; }

const Variant* KeyedCollection::Find(const Variant& key) const {
    if (slots_.empty()) return nullptr;
    std::uint32_t s = slots_[slotOf(key, KeyHash{}(key))];
    return s == 0 ? nullptr : &entries_[s - 1].item;
}

// Adds key with item unless it is there; returns its entry index and whether it was added.
std::pair<std::size_t, bool> KeyedCollection::insert(const Variant& key, Variant&& item) {
    if ((entries_.size() + 1) * 2 > slots_.size()) grow();
    std::size_t hash = KeyHash{}(key);
    std::size_t slot = slotOf(key, hash);
    if (slots_[slot] != 0) return {slots_[slot] - 1, false};
    entries_.push_back({key, std::move(item)});
    hashes_.push_back(hash);
    slots_[slot] = static_cast<std::uint32_t>(entries_.size());
    return {entries_.size() - 1, true};
}

Variant& KeyedCollection::Item(const Variant& key) { return entries_[insert(key, Variant()).first].item; }

void KeyedCollection::SetItem(const Variant& key, Variant item) {
    auto [pos, inserted] = insert(key, std::move(item));
    if (!inserted) entries_[pos].item = std::move(item);  // not moved from when the key was there
}

void KeyedCollection::Add(const Variant& key, Variant item) {
    if (!insert(key, std::move(item)).second)
        throw AutomationError(errc::kKeyExists,
                              "关键字“" + convert::toText(key) + "”已经存在，同一个关键字不能添加两次。");
}

std::vector<Variant> KeyedCollection::Keys() const {
    std::vector<Variant> out;
    out.reserve(entries_.size());
    for (const Entry& e : entries_) out.push_back(e.key);
    return out;
}

std::vector<Variant> KeyedCollection::Items() const {
    std::vector<Variant> out;
    out.reserve(entries_.size());
    for (const Entry& e : entries_) out.push_back(e.item);
    return out;
}

void KeyedCollection::RemoveAll() {
    entries_.clear();
    hashes_.clear();
    slots_.clear();
}

}  // namespace lorvane
