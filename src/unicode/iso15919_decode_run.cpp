// RomanisedDecodeRun: the cells of the romanisation's decoding runs, made from its table at start-up.
#include "unicode/iso15919_decode_run.h"

namespace tirmok {

RomanisedDecodeRun::RomanisedDecodeRun(const WideMappingTable& table, char16_t (*lower)(char16_t)) {
  constexpr std::size_t kUnits = 0x10000;
  // Each unit that begins a key has a row, each unit that is a key's second
  // unit a class (0: none; kClasses - 1: a second unit beyond those that fit).
  std::vector<std::uint8_t> rowOf(kUnits, 0);
  std::vector<std::uint8_t> classOf(kUnits, 0);
  std::vector<char16_t> firsts{0};
  std::vector<char16_t> seconds{0};
  for (const auto& entry : table.RightKeyed().Entries()) {
    if (entry.key.size < 1) continue;
    const char16_t first = entry.key.data[0];
    if (rowOf[first] == 0 && firsts.size() < 256) {
      rowOf[first] = static_cast<std::uint8_t>(firsts.size());
      firsts.push_back(first);
    }
    if (entry.key.size < 2) continue;
    const char16_t second = entry.key.data[1];
    if (classOf[second] == 0) {
      classOf[second] = static_cast<std::uint8_t>(seconds.size() < kClasses - 1 ? seconds.size() : kClasses - 1);
      if (seconds.size() < kClasses - 1) seconds.push_back(second);
    }
  }
  // Units whose small letter has a row or a class, up to the last of them.
  std::vector<std::uint16_t> units(kUnits + 1, 0);  // one past the last unit: neither
  for (std::uint32_t unit = 0; unit < kUnits; ++unit) {
    const char16_t small = lower(static_cast<char16_t>(unit));
    units[unit] = static_cast<std::uint16_t>(rowOf[small] | classOf[small] << 8);
    if (units[unit] != 0) last_ = unit + 1;
  }
  units_.assign(units.begin(), units.begin() + last_ + 1);
  // Each row's match before each class, by the table's own lookup.
  cells_.assign(firsts.size() * kClasses, kStopped);
  for (std::size_t row = 1; row < firsts.size(); ++row) {
    const char16_t first = firsts[row];
    for (std::size_t cls = 0; cls < seconds.size(); ++cls) {
      const char16_t next = seconds[cls];  // the terminator stands for the units of class 0
      bool longer = false;
      for (const auto& candidate : table.RightKeyed().Candidates(first)) {
        longer = longer || (candidate.key.size() >= 3 && candidate.key[1] == next);
      }
      const char16_t text[] = {first, next, 0};
      const auto match = table.MatchRight(text);
      if (longer || !match || match.value.size() > 2) continue;
      std::uint32_t cell = 0;
      for (std::size_t i = 0; i < match.value.size(); ++i) cell |= std::uint32_t{match.value[i]} << (8 * i);
      cells_[row * kClasses + cls] = cell | static_cast<std::uint32_t>(match.value.size()) << kSizeShift |
                                     (match.length == 2 ? 1u : 0u) << kContinuesShift;
    }
  }
}

}  // namespace tirmok
