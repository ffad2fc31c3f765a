// The cells and bytes the Braille converter's rules name, shared by its plain steps and its shortcuts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/escape.h"
#include "core/internal_code.h"

namespace tirmok::braille {

// Cells the rules write by themselves.
inline constexpr Byte kNumberSignCell = '#';   // dots 3 4 5 6
inline constexpr Byte kNoVowelCell = '@';      // dot 4, before a consonant without vowel
inline constexpr Byte kSubscriptCell = ';';    // dots 5 6
inline constexpr Byte kSuperscriptCell = '^';  // dots 4 5
inline constexpr Byte kOpenQuoteCell = '8';    // dots 2 3 6
inline constexpr Byte kCloseQuoteCell = '0';   // dots 3 5 6

// Signs that may stand inside a number without ending it (apostrophe and
// hyphen-minus, full stop have names of their own in the internal code).
inline constexpr Byte kAsterisk = 42;
inline constexpr Byte kPlusSign = 43;
inline constexpr Byte kComma = 44;
inline constexpr Byte kSolidus = 47;
inline constexpr Byte kColon = 48;
inline constexpr Byte kReverseSolidus = 56;

inline constexpr Byte kLeftParenthesis = 40;
inline constexpr Byte kRightParenthesis = 41;
inline constexpr Byte kQuestionMark = 53;
inline constexpr Byte kLeftSingleQuote = 60;
inline constexpr Byte kAnusvaraCell = ';';
inline constexpr Byte kLowLineCell = '.';  // also the consonant kha, which it is read as
inline constexpr Byte kParenthesisCell = '7';

inline constexpr std::int32_t kControlRunMax = 31;
inline constexpr char16_t kBraillePatterns = 0x2800;  // the empty cell; dots are the low six bits

// Words end at whitespace; the whitespace byte belongs to the word it ends.
inline constexpr bool IsDelimiter(Byte b) {
  return b == code::kSpace || b == code::kTab || b == code::kCarriageReturn || b == code::kLineFeed;
}

// An ASCII digit has no internal code of its own: the decoders write it as an
// escape (255 and "0030" to "0039"). Numbers in Telugu text are mostly written
// with ASCII digits, so a complete escape of one is read as the Telugu digit of
// the same value and takes part in every rule for digits. Returns that digit,
// or 0 when the `left` bytes at `p` do not start with such an escape.
inline constexpr Byte EscapedDigit(const Byte* p, std::ptrdiff_t left) {
  if (left < kEscapeLength || p[0] != code::kEscapeLead || p[1] != '0' || p[2] != '0' || p[3] != '3' ||
      p[4] < '0' || p[4] > '9')
    return 0;
  return static_cast<Byte>(code::kDigitZero + (p[4] - '0'));
}

inline constexpr bool KeepsNumberSign(Byte k) {
  return k == code::kApostrophe || k == kAsterisk || k == kPlusSign || k == kComma ||
         k == code::kHyphenMinus || k == code::kFullStop || k == kSolidus || k == kColon ||
         k == kReverseSolidus;
}


}  // namespace tirmok::braille
