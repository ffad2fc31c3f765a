// MappingTable and WideMappingTable: two-way tables of short strings with first-match lookup.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

#include "core/internal_code.h"

namespace tirmok {

// A short table string: at most 35 bytes, or 33 UTF-16 units. Tables are
// written as code lists ({122, 170}), as literals ("kh", u"\u0C15"), or empty
// ({} or nullptr) for a missing string.
template <class Unit>
struct Units {
  static constexpr std::int32_t kMax = sizeof(Unit) == 1 ? 35 : 33;

  Units() = default;
  Units(std::nullptr_t) {}
  Units(std::initializer_list<int> values) {
    for (int v : values) Push(static_cast<Unit>(v));
  }
  Units(const char* text)
    requires(sizeof(Unit) == 1)
  {
    while (text && *text) Push(static_cast<Unit>(static_cast<unsigned char>(*text++)));
  }
  Units(const char16_t* text)
    requires(sizeof(Unit) == 2)
  {
    while (text && *text) Push(*text++);
  }
  explicit Units(std::span<const Unit> units) {
    for (Unit u : units) Push(u);
  }

  std::span<const Unit> View() const { return {data, static_cast<std::size_t>(size)}; }

  Unit data[kMax + 1] = {};
  std::int32_t size = 0;
  bool tooLong = false;

 private:
  void Push(Unit u) {
    if (size < kMax) {
      data[size++] = u;
    } else {
      tooLong = true;
    }
  }
};

// The result of a lookup: how many input units the key covers (0: no match),
// the entry's value and its key.
template <class Key, class Value>
struct Match {
  std::int32_t length = 0;
  std::span<const Value> value;
  std::span<const Key> key;
  explicit operator bool() const { return length > 0; }
};

// One keyed array of a two-way table. Entries are kept longest key first, then
// shortest value first, then in the order of addition (entries added with the
// append flag go to the end regardless). A lookup gives the first entry, in
// that order, whose key starts the input.
//
// Lookups read a compact copy of the entries: keys and values sit in two
// pools of units, and each entry is a few bytes of offsets and lengths,
// grouped by the key's first unit with each group in array order. A lookup
// goes straight to the group of the input's first unit, so it only compares
// entries that can match, its cost does not grow with the size of the table,
// and the entries it reads share a cache line or two.
template <class Key, class Value>
class KeyedArray {
 public:
  struct Entry {
    Units<Key> key;
    Units<Value> value;
  };

  void Insert(const Units<Key>& key, const Units<Value>& value, bool append) {
    Entry entry{key, value};
    auto position = entries_.end();
    if (!append) {
      position = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) {
        return e.key.size < key.size || (e.key.size == key.size && e.value.size > value.size);
      });
    }
    entries_.insert(position, entry);
    Reindex();
  }

  Match<Key, Value> Find(const Key* input) const {
    if (input == nullptr || input[0] == 0) return {};
    const Group group = GroupOf(static_cast<std::uint32_t>(input[0]));
    const Compact* e = compact_.data() + group.start;
    for (const Compact* end = e + group.count; e != end; ++e) {
      const Key* key = keys_.data() + e->key;
      std::int32_t j = 1;
      // Keys hold no zero unit, so the input's terminator ends a comparison by itself.
      while (j < e->keyLength && input[j] == key[j]) ++j;
      if (j == e->keyLength) {
        return {e->keyLength, {values_.data() + e->value, e->valueLength}, {key, e->keyLength}};
      }
    }
    return {};
  }

  // The entries a lookup of input beginning with `unit` compares, in the
  // order it compares them (the first whose key starts the input wins).
  // Converters build per-unit shortcuts from them.
  std::vector<Match<Key, Value>> Candidates(std::uint32_t unit) const {
    std::vector<Match<Key, Value>> candidates;
    if (unit == 0) return candidates;
    const Group group = GroupOf(unit);
    for (std::uint32_t i = group.start; i < group.start + group.count; ++i) {
      const Compact& e = compact_[i];
      candidates.push_back({e.keyLength, {values_.data() + e.value, e.valueLength}, {keys_.data() + e.key, e.keyLength}});
    }
    return candidates;
  }

  const std::vector<Entry>& Entries() const { return entries_; }

 private:
  // An entry as lookups read it: offsets into the pools and the lengths.
  struct Compact {
    std::uint32_t key;
    std::uint32_t value;
    std::uint8_t keyLength;
    std::uint8_t valueLength;
  };
  // The entries whose key begins with one unit.
  struct Group {
    std::uint32_t start = 0;
    std::uint32_t count = 0;
  };
  static constexpr std::size_t kPages = sizeof(Key) == 1 ? 1 : 256;

  Group GroupOf(std::uint32_t first) const {
    if constexpr (sizeof(Key) == 1) {
      return groups_[first & 0xFF];
    } else {
      const std::int32_t page = pageOf_[(first >> 8) & 0xFF];
      return page < 0 ? Group{} : groups_[static_cast<std::size_t>(page) * 256 + (first & 0xFF)];
    }
  }

  void Reindex() {
    std::vector<const Entry*> keyed;
    for (const Entry& e : entries_)
      if (e.key.size > 0) keyed.push_back(&e);
    std::stable_sort(keyed.begin(), keyed.end(), [](const Entry* a, const Entry* b) {
      return static_cast<std::uint32_t>(a->key.data[0]) < static_cast<std::uint32_t>(b->key.data[0]);
    });
    compact_.clear();
    keys_.clear();
    values_.clear();
    pageOf_.fill(-1);
    groups_.assign(sizeof(Key) == 1 ? 256 : 0, Group{});
    for (std::uint32_t i = 0; i < keyed.size(); ++i) {
      const Entry& e = *keyed[i];
      compact_.push_back({static_cast<std::uint32_t>(keys_.size()), static_cast<std::uint32_t>(values_.size()),
                          static_cast<std::uint8_t>(e.key.size), static_cast<std::uint8_t>(e.value.size)});
      keys_.insert(keys_.end(), e.key.data, e.key.data + e.key.size);
      values_.insert(values_.end(), e.value.data, e.value.data + e.value.size);
      const auto first = static_cast<std::uint32_t>(e.key.data[0]);
      std::size_t slot = first & 0xFF;
      if constexpr (sizeof(Key) != 1) {
        std::int16_t& page = pageOf_[first >> 8];
        if (page < 0) {
          page = static_cast<std::int16_t>(groups_.size() / 256);
          groups_.resize(groups_.size() + 256);
        }
        slot += static_cast<std::size_t>(page) * 256;
      }
      Group& group = groups_[slot];
      if (group.count == 0) group.start = i;
      ++group.count;
    }
  }

  std::vector<Entry> entries_;
  std::vector<Compact> compact_;
  std::vector<Key> keys_;
  std::vector<Value> values_;
  std::array<std::int16_t, kPages> pageOf_ = MakeEmptyPages();
  std::vector<Group> groups_ = std::vector<Group>(sizeof(Key) == 1 ? 256 : 0);

  static constexpr std::array<std::int16_t, kPages> MakeEmptyPages() {
    std::array<std::int16_t, kPages> pages{};
    pages.fill(-1);
    return pages;
  }
};

// A two-way table pairing left strings with right strings. The left-keyed
// array looks up left strings and yields right strings; the right-keyed array
// the reverse.
template <class Left, class Right>
class BasicMappingTable {
 public:
  enum Direction { kBoth = 0, kLeftKeyed = 1, kRightKeyed = 2 };

  // Adds the pair to both arrays (direction 0), the left-keyed one (1) or the
  // right-keyed one (2); any other direction adds nothing. A non-zero append
  // flag adds at the end instead of the sorted position. Returns false, adding
  // nothing, for a string over the length limit.
  bool AddEntry(const Units<Left>& left, const Units<Right>& right, int direction = kBoth,
                int append = 0) {
    if (left.tooLong || right.tooLong) return false;
    if (direction == kBoth || direction == kLeftKeyed) left_.Insert(left, right, append != 0);
    if (direction == kBoth || direction == kRightKeyed) right_.Insert(right, left, append != 0);
    return direction >= kBoth && direction <= kRightKeyed;
  }

  Match<Left, Right> MatchLeft(const Left* input) const { return left_.Find(input); }
  Match<Right, Left> MatchRight(const Right* input) const { return right_.Find(input); }

  const KeyedArray<Left, Right>& LeftKeyed() const { return left_; }
  const KeyedArray<Right, Left>& RightKeyed() const { return right_; }

 private:
  KeyedArray<Left, Right> left_;
  KeyedArray<Right, Left> right_;
};

// Both sides 8-bit; each converter says which side is the internal code.
using MappingTable = BasicMappingTable<Byte, Byte>;
// Internal code on the left, UTF-16 on the right.
using WideMappingTable = BasicMappingTable<Byte, char16_t>;

}  // namespace tirmok
