// Steps shared by the table converters of the Unicode family.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "core/mapping_table.h"
#include "core/piece.h"
#include "core/run_loop.h"
#include "core/short_match.h"

namespace tirmok {

// Decoding step over the right-keyed array of a wide table: the longest text
// that matches gives its internal code; otherwise a control run is copied, and
// any other unit becomes an escape. Returns the units consumed (0 at the end).
std::int32_t WideTableDecodeStep(const WideMappingTable& table, const char16_t* p, Piece<Byte>& piece);

// The short form of a decoding step's table lookup, WideTableDecodeStep and
// the 8-bit romanisation's (the rules it restates; guarded by the ISO 15919
// decoding test of tests/fast_paths_test.cpp), for text of Latin letters: per
// unit (every byte; of UTF-16, up to U+024F and Latin Extended Additional),
// made from the table once, the right-keyed entries its lookup compares (see
// ShortGroup) and the entry of the unit alone. The entries are compared
// longest key first, so where the next unit is the second unit of no longer
// key (a filter of 64 bits on its low six bits says so), the unit alone
// matches, however long the other keys are. A unit elsewhere, a group that
// does not fit, and text no entry matches (controls, escapes) are left to the
// full step.
template <class Key>
class LatinDecodeShortcuts {
 public:
  using Group = ShortGroup<Key, Byte>;

  explicit LatinDecodeShortcuts(const BasicMappingTable<Byte, Key>& table) : LatinDecodeShortcuts(table.RightKeyed()) {}
  // From any array keyed by Latin units (a keyboard scheme's keys, too).
  explicit LatinDecodeShortcuts(const KeyedArray<Key, Byte>& array) {
    for (std::size_t u = 0; u < low_.size(); ++u) low_[u] = MakeSlot(array, static_cast<std::uint32_t>(u));
    for (std::size_t i = 0; i < additional_.size(); ++i) {
      additional_[i] = MakeSlot(array, static_cast<std::uint32_t>(kAdditionalFirst + i));
    }
  }

  // Writes at `out` what the table lookup would put into the step's piece (at
  // most Group::kMaxValue bytes) and returns what it consumed, or declines.
  ShortStepResult Step(const Key* p, Byte* out) const {
    const Slot* slot = SlotOf(p[0]);
    if (slot == nullptr) return {0, 0};
    if ((slot->seconds >> (p[1] & 63) & 1) == 0) {
      if (slot->alone.keyLength == 0) return {0, 0};
      return {1, slot->alone.Write(out)};
    }
    if (!slot->group.complete) return {0, 0};
    const std::int32_t i = slot->group.FindIndex(p);
    if (i < 0) return {0, 0};
    return {slot->group.entries[i].keyLength, slot->group.entries[i].Write(out)};
  }

 private:
  static constexpr bool kBytes = sizeof(Key) == 1;
  static constexpr std::size_t kLowEnd = kBytes ? 0x100 : 0x0250;
  static constexpr std::uint32_t kAdditionalFirst = 0x1E00;
  static constexpr std::size_t kAdditionalSize = kBytes ? 0 : 0x100;

  struct Slot {
    Group group;
    typename Group::Entry alone;  // the unit's own entry (keyLength 0: none, or too long to keep)
    std::uint64_t seconds = 0;    // bit n: a longer key's second unit ends in the six bits n
  };

  static Slot MakeSlot(const KeyedArray<Key, Byte>& array, std::uint32_t unit) {
    Slot slot;
    slot.group = Group::Of(array, unit);
    // No key starts with 0, so there the step declines.
    if (unit == 0) return slot;
    for (const Match<Key, Byte>& candidate : array.Candidates(unit)) {
      if (candidate.key.size() == 1) {
        if (candidate.value.size() <= static_cast<std::size_t>(Group::kMaxValue)) {
          slot.alone.keyLength = 1;
          slot.alone.size = static_cast<std::uint8_t>(candidate.value.size());
          std::copy(candidate.value.begin(), candidate.value.end(), slot.alone.value);
        }
        break;  // the first key of one unit matches whatever follows
      }
      slot.seconds |= std::uint64_t{1} << (candidate.key[1] & 63);
    }
    return slot;
  }

  const Slot* SlotOf(Key unit) const {
    if (static_cast<std::size_t>(unit) < kLowEnd) return &low_[static_cast<std::size_t>(unit)];
    const auto additional = static_cast<std::size_t>(static_cast<std::uint32_t>(unit) - kAdditionalFirst);
    return additional < kAdditionalSize ? &additional_[additional] : nullptr;
  }

  std::array<Slot, kLowEnd> low_{};
  std::array<Slot, kAdditionalSize> additional_{};
};

// What an encoder into UTF-16 does with a byte no table holds: the end of the
// input (0), a control run, an escape (its unit; nothing for the value 0), or
// a byte without a form, which is dropped. Returns the bytes consumed.
std::int32_t WideEncodeFallback(const Byte* p, Piece<char16_t>& piece);

}  // namespace tirmok
