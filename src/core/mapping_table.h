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
// that order, whose key starts the input. Entries are also indexed by their
// first unit, each bucket in array order, so a lookup only looks at entries
// that can match and its cost does not grow with the size of the table.
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
    const auto first = static_cast<std::uint32_t>(input[0]);
    const std::int32_t page = (first >> 8) < pageOf_.size() ? pageOf_[first >> 8] : -1;
    if (page < 0) return {};
    const Range range = pages_[static_cast<std::size_t>(page)][first & 0xFF];
    for (std::uint32_t i = range.start; i < range.start + range.count; ++i) {
      const Entry& e = bucketed_[i];
      std::int32_t j = 1;
      // Keys hold no zero unit, so the input's terminator ends a comparison by itself.
      while (j < e.key.size && input[j] == e.key.data[j]) ++j;
      if (j == e.key.size) return {e.key.size, e.value.View(), e.key.View()};
    }
    return {};
  }

  const std::vector<Entry>& Entries() const { return entries_; }

 private:
  struct Range {
    std::uint32_t start = 0;
    std::uint32_t count = 0;
  };
  static constexpr std::size_t kPages = sizeof(Key) == 1 ? 1 : 256;

  void Reindex() {
    bucketed_.clear();
    for (const Entry& e : entries_)
      if (e.key.size > 0) bucketed_.push_back(e);
    std::stable_sort(bucketed_.begin(), bucketed_.end(), [](const Entry& a, const Entry& b) {
      return static_cast<std::uint32_t>(a.key.data[0]) < static_cast<std::uint32_t>(b.key.data[0]);
    });
    pageOf_.fill(-1);
    pages_.clear();
    for (std::uint32_t i = 0; i < bucketed_.size(); ++i) {
      const auto first = static_cast<std::uint32_t>(bucketed_[i].key.data[0]);
      std::int16_t& page = pageOf_[first >> 8];
      if (page < 0) {
        page = static_cast<std::int16_t>(pages_.size());
        pages_.emplace_back();
      }
      Range& range = pages_[static_cast<std::size_t>(page)][first & 0xFF];
      if (range.count == 0) range.start = i;
      ++range.count;
    }
  }

  std::vector<Entry> entries_;
  std::vector<Entry> bucketed_;
  std::array<std::int16_t, kPages> pageOf_ = MakeEmptyPages();
  std::vector<std::array<Range, 256>> pages_;

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
