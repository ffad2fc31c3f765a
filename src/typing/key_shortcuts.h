// KeyShortcuts: the short form of a keyboard scheme's common steps, from per-key shortcuts of its tables.
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

// A keyboard scheme's tables and the keys its steps treat apart.
struct KeyScheme {
  const MappingTable& consonants;
  const MappingTable& consonantVowels;  // the vowel keys read right after a consonant
  const MappingTable& vowels;           // independent vowels
  const MappingTable& signs;
  Byte halant;
  std::initializer_list<Byte> changers;                 // keys after which a consonant stays bare
  std::initializer_list<const MappingTable*> separated;  // tables whose keys after the halant make a separator
  std::initializer_list<Byte> leftToTheStep;            // keys read before the signs (the escape's lead)
};

// Restates, for the common cases, a keyboard decoder's step (the rules stay in
// the converter's DecodeStep and ConsonantStep; guarded by the keyboard
// decoding test of tests/fast_paths_test.cpp). A consonant: the consonant key
// the table lookup finds, then the vowel key it finds right after, or else the
// inherent a when the next key starts no vowel key and is none of the keys that
// change the consonant (halant, joiners, cluster keys), or the halant key
// alone when the key after it is neither the halant again nor the start of a
// key of the tables that make the consonant step write a separator there.
// Otherwise, where no consonant key begins: an independent vowel, or, where no
// vowel key begins either, a sign. The lookups come from per-key shortcuts
// made from the scheme's own tables at start-up. Anything else (a lookup the
// shortcuts decline, a key that changes the consonant, an escape) declines
// before writing, and the full step decides.
class KeyShortcuts {
 public:
  explicit KeyShortcuts(const KeyScheme& scheme)
      : consonants_(scheme.consonants.LeftKeyed()),
        consonantVowels_(scheme.consonantVowels.LeftKeyed()),
        vowels_(scheme.vowels.LeftKeyed()),
        signs_(scheme.signs.LeftKeyed()),
        halant_(scheme.halant) {
    const auto starts = [](const MappingTable& table, std::uint32_t b) { return !table.LeftKeyed().Candidates(b).empty(); };
    for (std::uint32_t b = 0; b < 256; ++b) {
      inherent_[b] = !starts(scheme.consonantVowels, b);
      afterHalant_[b] = b != scheme.halant;
      for (const MappingTable* table : scheme.separated) afterHalant_[b] = afterHalant_[b] && !starts(*table, b);
      noConsonant_[b] = !starts(scheme.consonants, b);
      signOnly_[b] = noConsonant_[b] && !starts(scheme.vowels, b);
    }
    for (const Byte key : scheme.changers) inherent_[key] = false;
    for (const Byte key : scheme.leftToTheStep) signOnly_[key] = false;
    inherent_[scheme.halant] = false;
    // The halant is taken only where no vowel key could begin with it.
    if (starts(scheme.consonantVowels, scheme.halant)) afterHalant_.fill(false);
  }

  // Writes at `out` (room for kShortStepMax bytes) what the step at `p` (not
  // the terminator) would put into its piece and returns what it consumed,
  // or declines.
  ShortStepResult Step(const Byte* p, Byte* out) const {
    if (noConsonant_[p[0]]) {
      if (const ShortStepResult vowel = vowels_.Step(p, out); vowel.consumed > 0) return vowel;
      if (!signOnly_[p[0]]) return {0, 0};
      return signs_.Step(p, out);
    }
    Byte staged[2 * Shortcuts::Group::kMaxValue];
    const ShortStepResult consonant = consonants_.Step(p, staged);
    if (consonant.consumed == 0) return {0, 0};
    const Byte* next = p + consonant.consumed;
    // The shortcuts read the unit after the one they look up, so the terminator is never looked up.
    ShortStepResult vowel = next[0] == 0 ? ShortStepResult{0, 0} : consonantVowels_.Step(next, staged + consonant.written);
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
  Shortcuts consonantVowels_;
  Shortcuts vowels_;
  Shortcuts signs_;
  Byte halant_;
  // Keys (the terminator too) after which a consonant takes the inherent a.
  std::array<bool, 256> inherent_{};
  // Keys (the terminator too) after which the halant key only kills the vowel.
  std::array<bool, 256> afterHalant_{};
  // Keys that begin no consonant key; of those, the keys that begin no vowel key either.
  std::array<bool, 256> noConsonant_{};
  std::array<bool, 256> signOnly_{};
};

}  // namespace tirmok
