// ConsonantShortcuts: the short form of a keyboard scheme's commonest step, a consonant key and its vowel key.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>

#include "core/internal_code.h"
#include "core/mapping_table.h"
#include "core/piece.h"
#include "core/run_loop.h"
#include "core/table_steps.h"

namespace tirmok {

// Restates, for the common case, a keyboard decoder's consonant step (the
// rules stay in the converter's ConsonantStep; guarded by the keyboard
// decoding test of tests/fast_paths_test.cpp): the consonant key the table
// lookup finds, then the vowel key it finds right after, or else the inherent
// a when the next key starts no vowel key and is none of the keys that change
// the consonant (halant, joiners, cluster keys), or the halant key alone
// when the key after it is neither the halant again nor the start of a key of
// the tables that make the consonant step write a separator there (the
// vowels, and for INSCRIPT the vowel signs). The lookups come from
// per-key shortcuts made from the scheme's own tables at start-up. Anything
// else (a lookup the shortcuts decline, a key that changes the consonant)
// declines before writing, and the full step decides.
class ConsonantShortcuts {
 public:
  ConsonantShortcuts(const MappingTable& consonants, const MappingTable& vowels, std::initializer_list<Byte> changers,
                     Byte halant, std::initializer_list<const MappingTable*> separated)
      : consonants_(consonants.LeftKeyed()), vowels_(vowels.LeftKeyed()), halant_(halant) {
    for (std::uint32_t b = 0; b < inherent_.size(); ++b) {
      inherent_[b] = vowels.LeftKeyed().Candidates(b).empty();
      afterHalant_[b] = b != halant;
      for (const MappingTable* table : separated) afterHalant_[b] = afterHalant_[b] && table->LeftKeyed().Candidates(b).empty();
    }
    for (const Byte key : changers) inherent_[key] = false;
    inherent_[halant] = false;
    // The halant is taken only where no vowel key could begin with it.
    if (!vowels.LeftKeyed().Candidates(halant).empty()) afterHalant_.fill(false);
  }

  // Writes at `out` (room for kShortStepMax bytes) what the consonant step
  // would put into its piece and returns what it consumed, or declines.
  ShortStepResult Step(const Byte* p, Byte* out) const {
    Byte staged[2 * Shortcuts::Group::kMaxValue];
    const ShortStepResult consonant = consonants_.Step(p, staged);
    if (consonant.consumed == 0) return {0, 0};
    const Byte* next = p + consonant.consumed;
    // The shortcuts read the unit after the one they look up, so the terminator is never looked up.
    ShortStepResult vowel = next[0] == 0 ? ShortStepResult{0, 0} : vowels_.Step(next, staged + consonant.written);
    if (vowel.consumed == 0) {
      if (inherent_[next[0]]) {
        staged[consonant.written] = code::kVowelA;
        vowel.written = 1;
      } else if (next[0] == halant_ && afterHalant_[next[1]]) {
        vowel.consumed = 1;  // the consonant stays bare
      } else {
        return {0, 0};
      }
    }
    const std::int32_t written = consonant.written + vowel.written;
    CopyUnits(out, staged, written);
    return {consonant.consumed + vowel.consumed, written};
  }

 private:
  using Shortcuts = LatinDecodeShortcuts<Byte>;
  static_assert(2 * Shortcuts::Group::kMaxValue <= kShortStepMax);

  Shortcuts consonants_;
  Shortcuts vowels_;
  Byte halant_;
  // Keys (the terminator too) after which a consonant takes the inherent a.
  std::array<bool, 256> inherent_{};
  // Keys (the terminator too) after which the halant key only kills the vowel.
  std::array<bool, 256> afterHalant_{};
};

}  // namespace tirmok
