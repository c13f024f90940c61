#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "kvcom3/KvError.h"
#include "kvcom3/Variant.h"

namespace kvcom3 {

namespace collection_detail {

constexpr char foldCase(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// Hash and equality of keys without regard to ASCII case; transparent, so a lookup by
// string_view needs no folded copy of the key.
struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const noexcept {
        std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
        for (char c : key) {
            hash ^= static_cast<unsigned char>(foldCase(c));
            hash *= 1099511628211ull;
        }
        return static_cast<std::size_t>(hash);
    }
};

struct KeyEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (foldCase(a[i]) != foldCase(b[i])) return false;
        return true;
    }
};

}  // namespace collection_detail

// The keyed collection behind every public collection class: items in insertion order, positions
// counted from 1, optional string keys compared without regard to case. Item by position or key
// is constant time; Remove shifts the later items, linear in their number. A failed member
// (missing item: 5, duplicate key: 457) leaves the collection unchanged.
template <class T>
class Collection {
  public:
    using iterator = typename std::vector<T>::iterator;
    using const_iterator = typename std::vector<T>::const_iterator;

    Collection() = default;
    // A copy holds the same items (copied as T copies) under the same keys.
    Collection(const Collection& other) { *this = other; }
    Collection& operator=(const Collection& other) {
        if (this == &other) return *this;
        Collection copy;
        copy.items_ = other.items_;
        copy.slots_.assign(other.slots_.size(), nullptr);
        copy.index_.reserve(other.index_.size());
        for (const auto& [key, at] : other.index_)
            copy.slots_[at] = &*copy.index_.emplace(key, at).first;
        *this = std::move(copy);
        return *this;
    }
    // Moving keeps the map's nodes, so the slots stay valid.
    Collection(Collection&&) noexcept = default;
    Collection& operator=(Collection&&) noexcept = default;

    // Appends the item under `key`; an empty key adds it without one. 457 when the key is
    // already there (compared without regard to case).
    void Add(T item, std::string_view key = {}) {
        Slot* slot = nullptr;
        if (!key.empty()) {
            const auto [it, inserted] = index_.try_emplace(std::string(key), items_.size());
            if (!inserted) raisePlatformError(platform_error::DuplicateKey);
            slot = &*it;
        }
        try {
            slots_.push_back(slot);
            items_.push_back(std::move(item));
        } catch (...) {
            slots_.resize(items_.size());
            if (slot) index_.erase(index_.find(slot->first));
            throw;
        }
    }

    // The item at position 1 ... Count or under a key; 5 when there is none.
    T& Item(long index) { return items_[position(index)]; }
    const T& Item(long index) const { return items_[position(index)]; }
    T& Item(std::string_view key) { return items_[position(key)]; }
    const T& Item(std::string_view key) const { return items_[position(key)]; }
    // vntIndexKey as the public members pass it: a number is a position, a text a key.
    template <std::same_as<Variant> V>
    T& Item(const V& vntIndexKey) {
        return items_[position(vntIndexKey)];
    }
    template <std::same_as<Variant> V>
    const T& Item(const V& vntIndexKey) const {
        return items_[position(vntIndexKey)];
    }

    long Count() const noexcept { return static_cast<long>(items_.size()); }
    // Whether an item has the key, compared without regard to case.
    bool Exists(std::string_view key) const { return index_.find(key) != index_.end(); }

    // Removes the item at a position or under a key, as Item finds it (5 when none); later
    // items move one position forward.
    void Remove(long index) { removeAt(position(index)); }
    void Remove(std::string_view key) { removeAt(position(key)); }
    template <std::same_as<Variant> V>
    void Remove(const V& vntIndexKey) {
        removeAt(position(vntIndexKey));
    }

    // Removes every item and key.
    void Clear() noexcept {
        items_.clear();
        slots_.clear();
        index_.clear();
    }

    // Iteration in insertion order.
    iterator begin() noexcept { return items_.begin(); }
    iterator end() noexcept { return items_.end(); }
    const_iterator begin() const noexcept { return items_.begin(); }
    const_iterator end() const noexcept { return items_.end(); }

  private:
    using Index = std::unordered_map<std::string, std::size_t, collection_detail::KeyHash,
                                     collection_detail::KeyEqual>;
    using Slot = typename Index::value_type;

    std::size_t position(long index) const {
        if (index < 1 || index > Count()) raisePlatformError(platform_error::InvalidCall);
        return static_cast<std::size_t>(index - 1);
    }

    std::size_t position(std::string_view key) const {
        const auto it = index_.find(key);
        if (it == index_.end()) raisePlatformError(platform_error::InvalidCall);
        return it->second;
    }

    std::size_t position(const Variant& indexKey) const {
        if (indexKey.kind() == VariantKind::String) {
            const std::string key = indexKey.toString();
            return position(std::string_view(key));
        }
        if (!indexKey.isNumeric()) raisePlatformError(platform_error::InvalidCall);
        return position(static_cast<long>(indexKey.toLong()));
    }

    void removeAt(std::size_t at) {
        if (Slot* slot = slots_[at]) index_.erase(index_.find(slot->first));
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(at));
        slots_.erase(slots_.begin() + static_cast<std::ptrdiff_t>(at));
        for (std::size_t i = at; i < slots_.size(); ++i)
            if (slots_[i]) slots_[i]->second = i;
    }

    std::vector<T> items_;
    // Per item, its entry in index_ (null without a key); map nodes never move, so a removal
    // renumbers the later keys without hashing them again.
    std::vector<Slot*> slots_;
    Index index_;
};

}  // namespace kvcom3
