// PhoneticKeyboardConverter: keystrokes -> internal code, one syllable-aware step at a time.
#include "typing/phonetic_keyboard_converter.h"

#include "core/escape.h"
#include "core/run_loop.h"
#include "typing/key_rows.h"
#include "typing/phonetic_keyboard_tables.h"

namespace tirmok {
namespace {

// "f" is in no table: it only kills the vowel of the consonant before it.
constexpr Byte kHalantKey = 'f';
constexpr Byte kNonJoinerKey = '^';
constexpr Byte kJoinerKey = '&';
// Begins a "#hex;" escape, which is read before the signs.
constexpr Byte kHashEscapeLead = '#';

}  // namespace

PhoneticKeyboardConverter::PhoneticKeyboardConverter()
    : vowels_(KeyTable(phonetic_keyboard::VowelRows())),
      consonants_(KeyTable(phonetic_keyboard::ConsonantRows())),
      signs_(KeyTable(phonetic_keyboard::SignRows())),
      shortcuts_({consonants_, vowels_, vowels_, signs_, kHalantKey, {kNonJoinerKey, kJoinerKey}, {&vowels_}, {kHashEscapeLead}}) {}

std::int32_t PhoneticKeyboardConverter::Decode(const Byte* input, std::int32_t length, Byte* output,
                                               std::int32_t capacity) const {
  // Consonants with their vowel, halant or inherent a, vowels and signs in place (KeyShortcuts); the rest step by step.
  return RunLoopWithShortSteps(
      input, length, output, capacity, [this](const Byte* p, Byte* out) { return shortcuts_.Step(p, out); },
      [this](const Byte* p, Piece<Byte>& piece) { return DecodeStep(p, piece); });
}

// A consonant key and what its next keys make of it: its own vowel, dead
// before a joiner, dead after the halant key, or the inherent a.
std::int32_t PhoneticKeyboardConverter::ConsonantStep(const Match<Byte, Byte>& consonant, const Byte* p,
                                                      Piece<Byte>& piece) const {
  piece.Append(consonant.value);
  const Byte* next = p + consonant.length;
  if (const auto vowel = vowels_.MatchLeft(next)) {
    piece.Append(vowel.value);
    return consonant.length + vowel.length;
  }
  // The joiner key is read by the next step; the consonant before it stays bare.
  if (next[0] == kNonJoinerKey || next[0] == kJoinerKey) return consonant.length;
  if (next[0] == kHalantKey) {
    // "ff" keeps a visible virama.
    if (next[1] == kHalantKey) {
      piece.Push(code::kSeparator);
      return consonant.length + 2;
    }
    // A vowel key after the halant is an independent vowel, not this
    // consonant's vowel: the separator keeps the two apart.
    if (vowels_.MatchLeft(next + 1)) piece.Push(code::kSeparator);
    return consonant.length + 1;
  }
  piece.Push(code::kVowelA);
  return consonant.length;
}

std::int32_t PhoneticKeyboardConverter::DecodeStep(const Byte* p, Piece<Byte>& piece) const {
  if (const auto consonant = consonants_.MatchLeft(p)) return ConsonantStep(consonant, p, piece);
  if (const auto vowel = vowels_.MatchLeft(p)) {
    piece.Append(vowel.value);
    return vowel.length;
  }
  if (const HashEscapeRead escape = ReadHashEscape(p); escape.matched) {
    if (escape.value != 0) AppendEscape(piece, escape.value);
    return escape.consumed;
  }
  if (const auto sign = signs_.MatchLeft(p)) {
    piece.Append(sign.value);
    return sign.length;
  }
  if (p[0] == code::kEnd) return 0;
  if (IsControl(p[0])) return CopyControlRun(p, piece);
  return 1;  // a key that types nothing
}

}  // namespace tirmok
