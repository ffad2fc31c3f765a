// PairKeys: a Braille table's lookups answered from the first two units of the input, for the converter's shortcuts.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/internal_code.h"
#include "core/mapping_table.h"

namespace tirmok {

// What a keyed array's lookup finds at any input, read from a table indexed
// by the input's first unit and the class of its second: the second units
// that keys of two or more units use are few, and every other second unit
// finds what the first unit alone finds. An entry is not usable where a key
// of three units or more could match, or where the value is longer than four
// units; there the table itself decides.
class PairKeys {
 public:
  struct Entry {
    std::uint32_t units = 0;  // the value, first unit in the low byte
    std::uint8_t size = 0;    // units of the value
    std::uint8_t length = 0;  // units of the key; 0: no key matches
    bool usable = false;
  };
  static constexpr std::size_t kValueMax = 4;

  void Build(const KeyedArray<Byte, Byte>& array);

  // `p` is terminated; nothing is read past its terminator.
  const Entry& At(const Byte* p) const {
    const Byte first = p[0];
    return entries_[first * classes_ + secondClass_[first != code::kEnd ? p[1] : code::kEnd]];
  }

 private:
  std::array<std::uint8_t, 256> secondClass_{};
  std::size_t classes_ = 1;
  std::vector<Entry> entries_ = std::vector<Entry>(256);
};

}  // namespace tirmok
