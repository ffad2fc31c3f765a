// RomanisedDecodeRun: runs of ordinary ISO 15919 text read a UTF-16 unit at a time, capitals as small letters.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/internal_code.h"
#include "core/mapping_table.h"
#include "core/run_loop.h"

namespace tirmok {

// Restates, for runs of ordinary text, the romanisation's decoding step on
// lower-cased text (Iso15919Converter::DecodeStep, the table's longest match;
// guarded by the ISO 15919 decoding tests of tests/fast_paths_test.cpp),
// reading the text as it stands: each unit is looked up as its small letter.
//
// The run goes through RunByUnits, one unit at a time, so that the processor
// never waits to learn where the next step begins. A step's first unit
// decides the step from its own small letter and the class of the next
// unit's: the next unit is the second unit of some key (each such unit is a
// class of its own) or of none. For each first unit and class the match is
// found once, at start-up, with the table's own lookup: its code, ready to be
// stored whole, and whether it takes the next unit too, which then writes
// nothing. The run stops, leaving the step to the full rules, where nothing
// matches (controls, escapes), where a key of three units or more could
// match, and at codes longer than two bytes.
class RomanisedDecodeRun {
 public:
  // `lower` gives a unit's small letter (the same mapping the step's text went through).
  RomanisedDecodeRun(const WideMappingTable& table, char16_t (*lower)(char16_t));

  // The run for RunLoopWithShortRuns, on text whose unit after the last of
  // `count` is still text (the caller leaves the last unit out): units from
  // `p` whose cells hold their step, while a step begins within `count` units
  // and `out` has not passed `last`.
  ShortStepResult Run(const char16_t* p, std::int32_t count, Byte* out, const Byte* last) const {
    return RunByUnits(p, count, out, last, [this](const char16_t* q, std::uint32_t taking, Byte* s) -> UnitResult {
      // The cell of this unit and the next unit's class are read whatever the
      // state; the second unit of a step is the empty cell.
      const std::uint32_t row = units_[std::min<std::uint32_t>(q[0], last_)] & 0xFFu;
      const std::uint32_t cls = units_[std::min<std::uint32_t>(q[1], last_)] >> 8;
      const std::uint32_t cell = cells_[row * kClasses + cls] & (taking - 1u);
      s[0] = static_cast<Byte>(cell);
      s[1] = static_cast<Byte>(cell >> 8);
      return {static_cast<std::int32_t>((cell >> kSizeShift) & 3), ((cell >> kContinuesShift) & 1) != 0,
              ((cell >> kStopShift) & 1) != 0};
    });
  }

 private:
  // A cell: the code's two bytes, its size, whether the step takes the next
  // unit, whether the run stops before this unit. Row 0's cells stop; the
  // last class stops every row (second units beyond the classes that fit).
  static constexpr std::uint32_t kClasses = 32;
  static constexpr int kSizeShift = 16;
  static constexpr int kContinuesShift = 18;
  static constexpr int kStopShift = 19;
  static constexpr std::uint32_t kStopped = 1u << kStopShift;

  // By unit, its small letter's row and, above it, its class, up to the
  // last unit that has either; every unit from `last_` on has neither.
  std::vector<std::uint16_t> units_;
  std::uint32_t last_ = 0;
  std::vector<std::uint32_t> cells_;
};

}  // namespace tirmok
