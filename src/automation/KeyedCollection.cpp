#include "automation/KeyedCollection.h"

#include <functional>
#include <utility>

#include "automation/AutomationError.h"
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

bool KeyedCollection::Exists(const Variant& key) const { return index_.find(key) != index_.end(); }

const Variant* KeyedCollection::Find(const Variant& key) const {
    auto it = index_.find(key);
    return it == index_.end() ? nullptr : &entries_[it->second].item;
}

// Adds key with item unless it is there; returns its entry index and whether it was added.
std::pair<std::size_t, bool> KeyedCollection::insert(const Variant& key, Variant&& item) {
    auto [it, inserted] = index_.try_emplace(key, entries_.size());
    if (inserted) {
        try {
            entries_.push_back({key, std::move(item)});
        } catch (...) {
            index_.erase(it);
            throw;
        }
    }
    return {it->second, inserted};
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
    index_.clear();
    entries_.clear();
}

}  // namespace lorvane
