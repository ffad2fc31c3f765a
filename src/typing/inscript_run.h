// InscriptRun: runs of ordinary INSCRIPT keystrokes decoded a key at a time, from cells made from the layout's tables.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>

#include "core/internal_code.h"
#include "core/mapping_table.h"
#include "core/run_loop.h"

namespace tirmok {

// The tables and keys of the standard layout that its decoding steps read.
struct InscriptKeys {
  const MappingTable& consonants;
  const MappingTable& vowelSigns;  // read right after a consonant
  const MappingTable& vowels;      // independent vowels
  const MappingTable& signs;
  Byte halant;
  std::initializer_list<Byte> changers;    // keys after which a consonant stays bare
  std::initializer_list<Byte> noInherent;  // consonant keys that never take the inherent a
};

// Restates, for runs of ordinary keystrokes, InscriptConverter's DecodeStep and
// ConsonantStep in the standard layout (the rules stay there; guarded by the
// keyboard decoding tests of tests/fast_paths_test.cpp): a consonant key
// writes its code, then the vowel-sign key after it writes its sign, or the
// halant key after it kills the vowel (writing the separator when an
// independent vowel key follows), or a key that changes the consonant keeps it
// bare, or else the inherent a follows; where no consonant key begins, a
// vowel key or else a sign key writes its code.
//
// The run goes through RunByUnits, one key at a time, so that the processor
// never waits to learn where the next step begins. Each key has a cell as a
// step's first key and one as the key after a consonant: its code, ready to
// be stored whole, and what the key after it makes of it, resolved at
// start-up for each class of keys that act alike there. The run stops,
// leaving the step to the full rules, at keys without a cell (controls, keys
// that type nothing, keys typed only with another), before the second key of
// a longer key, at the halant doubled, and at a vowel sign after the halant.
class InscriptRun {
 public:
  explicit InscriptRun(const InscriptKeys& keys) {
    std::array<Cell, 256> fresh{};
    std::array<Cell, 256> taken{};
    std::array<std::uint32_t, 256> outcomes{};
    for (std::uint32_t b = 0; b < 256; ++b) {
      // As a step's first key: the first table in the step's order that a key
      // begins with decides.
      if (Begins(keys.consonants, b)) {
        fresh[b] = MakeCell(keys.consonants, b, IsOneOf(keys.noInherent, b) ? kBareConsonant : kConsonant);
      } else if (Begins(keys.vowels, b)) {
        fresh[b] = MakeCell(keys.vowels, b, kPlain);
      } else if (Begins(keys.signs, b)) {
        fresh[b] = MakeCell(keys.signs, b, kPlain);
      }
      // As the key after a consonant: its vowel sign, or the halant.
      if (Begins(keys.vowelSigns, b)) {
        taken[b] = MakeCell(keys.vowelSigns, b, kPlain);
      } else if (b == keys.halant) {
        taken[b] = Cell{{code::kSeparator, 0, 0}, 0, kHalant, kNoStop};
      }
      // What the key `b` makes of the key before it. After a consonant: a
      // vowel-sign key or the halant goes on into the same step, a changer
      // keeps the consonant bare, anything else (the terminator too) gives
      // the inherent a.
      std::uint32_t afterConsonant = kAddsUnit;
      if (Begins(keys.vowelSigns, b) || b == keys.halant) {
        afterConsonant = kContinues;
      } else if (IsOneOf(keys.changers, b)) {
        afterConsonant = 0;
      }
      // After the halant: an independent vowel key adds the separator; the
      // halant again, a vowel key the separator may not be written before,
      // and a vowel-sign key (a step of three keys) are left to the full rules.
      std::uint32_t afterHalant = 0;
      if (b == keys.halant) {
        afterHalant = kStops;
      } else if (Begins(keys.vowels, b)) {
        afterHalant = HasOneKeyEntry(keys.vowels, b) ? kAddsUnit : kStops;
      } else if (Begins(keys.vowelSigns, b)) {
        afterHalant = kStops;
      }
      outcomes[b] = kStops << (3 * kStop) | afterConsonant << (3 * kConsonant) |
                    (afterConsonant & kContinues) << (3 * kBareConsonant) | afterHalant << (3 * kHalant);
    }
    // The classes of the next key: keys with the same outcomes act alike,
    // except that a key some cell stops before is a class of its own. Keys
    // past the last class that fits stop every cell.
    std::array<bool, 257> stopsACell{};
    for (std::uint32_t c = 0; c < 256; ++c) stopsACell[fresh[c].stopBefore] = stopsACell[taken[c].stopBefore] = true;
    std::array<std::uint32_t, kClasses> representative{};
    std::uint32_t classes = 0;
    for (std::uint32_t b = 0; b < 256; ++b) {
      std::uint32_t k = 0;
      if (!stopsACell[b]) {
        while (k < classes && (stopsACell[representative[k]] || outcomes[representative[k]] != outcomes[b])) ++k;
      } else {
        k = classes;
      }
      if (k == classes && classes < kClasses - 1) representative[classes++] = b;
      classOf_[b] = static_cast<std::uint8_t>(k < classes ? k : kClasses - 1);
    }
    for (std::uint32_t b = 0; b < 256; ++b) {
      for (std::uint32_t k = 0; k < kClasses; ++k) {
        const bool everyCellStops = k >= classes;
        resolved_[0][b * kClasses + k] = everyCellStops ? kStopped : Resolve(fresh[b], representative[k], outcomes);
        resolved_[1][b * kClasses + k] = everyCellStops ? kStopped : Resolve(taken[b], representative[k], outcomes);
      }
    }
  }

  // The run for RunLoopWithShortRuns: keys from `p` whose cells hold their
  // step, while a step begins within `count` keys and `out` has not passed `last`.
  ShortStepResult Run(const Byte* p, std::int32_t count, Byte* out, const Byte* last) const {
    return RunByUnits(p, count, out, last, [this](const Byte* q, std::uint32_t taking, Byte* s) -> UnitResult {
      // q[0] is not the terminator, so q[1] may be read. Both cells are read
      // whatever the state, and only then is one chosen.
      const std::uint32_t at = q[0] * kClasses + classOf_[q[1]];
      const std::uint32_t fresh = resolved_[0][at];
      const std::uint32_t taken = resolved_[1][at];
      const std::uint32_t cell = fresh ^ ((fresh ^ taken) & (0u - taking));
      s[0] = static_cast<Byte>(cell);
      s[1] = static_cast<Byte>(cell >> 8);
      s[2] = static_cast<Byte>(cell >> 16);
      return {static_cast<std::int32_t>((cell >> kSizeShift) & 3), ((cell >> kContinuesShift) & 1) != 0,
              ((cell >> kStopShift) & 1) != 0};
    });
  }

 private:
  // What a cell does with the key after it: the kinds, and the outcomes of
  // each key for each kind (three bits per kind).
  enum Kind : std::uint32_t { kStop, kPlain, kConsonant, kBareConsonant, kHalant };
  static constexpr std::uint32_t kAddsUnit = 1;    // one more unit counts: the inherent a, the separator
  static constexpr std::uint32_t kContinues = 2;  // the next key belongs to this step
  static constexpr std::uint32_t kStops = 4;      // the run stops before this key

  static constexpr std::uint32_t kNoStop = 256;
  // A key's cell: its units (the code, then the unit kAddsUnit counts), the
  // code's units, its kind, and the key after it that would make a longer
  // key (kNoStop: none).
  struct Cell {
    std::array<Byte, 3> units{};
    std::uint32_t size = 0;
    Kind kind = kStop;
    std::uint32_t stopBefore = kNoStop;
  };

  // A resolved cell: the three units, then the units that count, whether the
  // step goes on into the next key, and whether the run stops before this key.
  static constexpr std::uint32_t kClasses = 8;
  static constexpr int kSizeShift = 24;
  static constexpr int kContinuesShift = 26;
  static constexpr int kStopShift = 27;
  static constexpr std::uint32_t kStopped = 1u << kStopShift;

  static bool Begins(const MappingTable& table, std::uint32_t b) { return !table.LeftKeyed().Candidates(b).empty(); }
  static bool IsOneOf(std::initializer_list<Byte> set, std::uint32_t b) {
    for (const Byte key : set)
      if (key == b) return true;
    return false;
  }
  static bool HasOneKeyEntry(const MappingTable& table, std::uint32_t b) {
    for (const auto& candidate : table.LeftKeyed().Candidates(b))
      if (candidate.key.size() == 1) return true;
    return false;
  }

  // The cell of the key `b` whose step the table decides: the first entry of
  // one key matches whatever follows, and the longer entries compared before
  // it must all have the same second key, before which the run stops. A
  // consonant's cell holds the inherent a after its code.
  static Cell MakeCell(const MappingTable& table, std::uint32_t b, Kind kind) {
    Cell cell;
    for (const auto& candidate : table.LeftKeyed().Candidates(b)) {
      if (candidate.key.size() > 1) {
        if (cell.stopBefore != kNoStop && cell.stopBefore != candidate.key[1]) return Cell{};
        cell.stopBefore = candidate.key[1];
        continue;
      }
      const std::span<const Byte> value = candidate.value;
      const std::size_t room = kind == kPlain ? 3 : 2;
      if (value.size() > room) return Cell{};
      for (std::size_t i = 0; i < value.size(); ++i) cell.units[i] = value[i];
      if (kind != kPlain) cell.units[value.size()] = code::kVowelA;
      cell.size = static_cast<std::uint32_t>(value.size());
      cell.kind = kind;
      return cell;
    }
    return Cell{};
  }

  // The cell with what the key `next` after it makes of it.
  static std::uint32_t Resolve(const Cell& cell, std::uint32_t next, const std::array<std::uint32_t, 256>& outcomes) {
    const std::uint32_t outcome = (outcomes[next] >> (3 * cell.kind)) & 7;
    const bool stops = (outcome & kStops) != 0 || cell.stopBefore == next;
    if (stops) return kStopped;
    const std::uint32_t size = cell.size + (outcome & kAddsUnit);
    const std::uint32_t continues = (outcome & kContinues) != 0 ? 1 : 0;
    return std::uint32_t{cell.units[0]} | std::uint32_t{cell.units[1]} << 8 | std::uint32_t{cell.units[2]} << 16 |
           size << kSizeShift | continues << kContinuesShift;
  }

  std::array<std::uint8_t, 256> classOf_{};
  // By key and class of the next key: as a step's first key, and as the key after a consonant.
  std::array<std::array<std::uint32_t, 256 * kClasses>, 2> resolved_{};
};

}  // namespace tirmok
