// ShortGroup: a table's entries for one first unit, kept inline for the per-unit dispatch of hot steps.
#pragma once

#include <cstdint>
#include <span>

#include "core/mapping_table.h"
#include "core/piece.h"

namespace tirmok {

// The entries a lookup compares for input beginning with a given unit, copied
// out of the table when they are few and short: keys of one or two units,
// values of a few units. A converter keeps one group per unit of its common
// range and answers most steps from them without searching the table. A
// group that does not fit (`complete` false) leaves the step to the full
// lookup, so results never differ from the table's.
template <class Key, class Value>
struct ShortGroup {
  static constexpr std::int32_t kMaxEntries = 4;
  static constexpr std::int32_t kMaxValue = 4;

  struct Entry {
    std::uint8_t keyLength = 0;  // 1 or 2
    std::uint8_t size = 0;       // value units
    Key second = 0;              // the key's second unit when it has two
    Value value[kMaxValue] = {};

    // Writes the value at `out`; returns the units written.
    std::int32_t Write(Value* out) const {
      if (size == 1) {  // most values are one unit
        out[0] = value[0];
        return 1;
      }
      CopyUnits(out, value, size);
      return size;
    }
    std::span<const Value> View() const { return {value, size}; }
  };

  // What the group holds: nothing usable (the full lookup decides), no entry
  // at all, a first entry that matches whatever follows, or short entries to
  // compare in order.
  enum class State : std::uint8_t { kIncomplete, kEmpty, kDecided, kPairs };

  State state = State::kIncomplete;
  bool complete = false;
  std::uint8_t count = 0;
  Entry entries[kMaxEntries] = {};

  static ShortGroup Of(const KeyedArray<Key, Value>& array, std::uint32_t unit) {
    ShortGroup group;
    for (const Match<Key, Value>& candidate : array.Candidates(unit)) {
      if (candidate.key.size() > 2 || candidate.value.size() > static_cast<std::size_t>(kMaxValue) ||
          group.count == kMaxEntries) {
        return ShortGroup{};
      }
      Entry& entry = group.entries[group.count++];
      entry.keyLength = static_cast<std::uint8_t>(candidate.key.size());
      entry.size = static_cast<std::uint8_t>(candidate.value.size());
      if (entry.keyLength == 2) entry.second = candidate.key[1];
      for (std::size_t i = 0; i < candidate.value.size(); ++i) entry.value[i] = candidate.value[i];
      // A one-unit key matches whatever follows: the entries after it never win.
      if (entry.keyLength == 1) break;
    }
    group.complete = true;
    group.state = group.count == 0 ? State::kEmpty : group.entries[0].keyLength == 1 ? State::kDecided : State::kPairs;
    return group;
  }

  // A group that matches nothing, for a table a step does not consult.
  static ShortGroup Empty() {
    ShortGroup group;
    group.complete = true;
    group.state = State::kEmpty;
    return group;
  }

  // The index of the entry the lookup finds at `p` (which begins with the
  // group's unit and is terminated), or -1 when none matches. Only for
  // complete groups.
  std::int32_t FindIndex(const Key* p) const {
    if (state == State::kDecided) return 0;
    for (std::int32_t i = 0; i < count; ++i) {
      if (entries[i].keyLength == 1 || p[1] == entries[i].second) return i;
    }
    return -1;
  }
  const Entry* Find(const Key* p) const {
    const std::int32_t i = FindIndex(p);
    return i < 0 ? nullptr : &entries[i];
  }

  // Complete and matching nothing: no key begins with the unit.
  bool NoMatch() const { return state == State::kEmpty; }
};

}  // namespace tirmok
