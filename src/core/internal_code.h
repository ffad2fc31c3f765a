// The internal code: the library's 8-bit pivot code for Telugu text, its byte values and class tests.
#pragma once

#include <cstdint>

namespace tirmok {

using Byte = std::uint8_t;

// Byte values of the internal code that converter logic refers to by name.
// Tables use plain numbers, since they mirror the rows they were written from.
namespace code {
inline constexpr Byte kEnd = 0;
inline constexpr Byte kTab = 9;
inline constexpr Byte kLineFeed = 10;
inline constexpr Byte kCarriageReturn = 13;
inline constexpr Byte kControlLast = 31;
inline constexpr Byte kSpace = 32;
inline constexpr Byte kQuotationMark = 34;
inline constexpr Byte kApostrophe = 39;
inline constexpr Byte kHyphenMinus = 45;
inline constexpr Byte kFullStop = 46;
inline constexpr Byte kSemicolon = 49;
inline constexpr Byte kTilde = 64;
inline constexpr Byte kAvagraha = 65;
inline constexpr Byte kOm = 66;
inline constexpr Byte kRupee = 67;
inline constexpr Byte kDigitZero = 74;
inline constexpr Byte kDigitOne = 75;
inline constexpr Byte kDigitNine = 83;
inline constexpr Byte kCandrabindu = 87;
inline constexpr Byte kAnusvara = 88;
inline constexpr Byte kVisarga = 89;
inline constexpr Byte kJoiner = 94;     // zero width joiner
inline constexpr Byte kSeparator = 95;  // zero width non-joiner; also bare consonant | independent vowel
inline constexpr Byte kVowelA = 100;    // independent a, or the inherent vowel after a consonant
inline constexpr Byte kVowelAa = 101;
inline constexpr Byte kVowelI = 102;
inline constexpr Byte kVowelU = 104;
inline constexpr Byte kVocalicR = 106;
inline constexpr Byte kVocalicRr = 107;
inline constexpr Byte kVowelAi = 114;
inline constexpr Byte kVowelAu = 118;
inline constexpr Byte kVowelLast = 118;
inline constexpr Byte kKa = 122;
inline constexpr Byte kCa = 127;
inline constexpr Byte kJa = 129;
inline constexpr Byte kTa = 137;
inline constexpr Byte kPa = 144;
inline constexpr Byte kPha = 145;
inline constexpr Byte kRa = 150;
inline constexpr Byte kVa = 157;
inline constexpr Byte kSsa = 159;
inline constexpr Byte kHa = 161;
inline constexpr Byte kNukta = 170;
inline constexpr Byte kAccentFirst = 171;
inline constexpr Byte kAccentLast = 177;
inline constexpr Byte kTen = 200;
inline constexpr Byte kHundred = 201;
inline constexpr Byte kThousand = 202;
inline constexpr Byte kSecondRa = 221;
inline constexpr Byte kWa = 225;
inline constexpr Byte kEscapeLead = 255;
}  // namespace code

// An escape is the lead byte and four upper-case hexadecimal digits of a 16-bit code value.
inline constexpr int kEscapeLength = 5;

constexpr bool IsControl(unsigned unit) { return unit >= 1 && unit <= code::kControlLast; }

// 122 to 161 include a few unassigned values; that is the class as the converters use it.
constexpr bool IsConsonant(Byte b) { return (b >= 122 && b <= 161) || b == 221 || b == 225; }
constexpr bool IsVowel(Byte b) { return b >= 100 && b <= 118; }
constexpr bool IsAccent(Byte b) { return b >= code::kAccentFirst && b <= code::kAccentLast; }
constexpr bool IsLetter(Byte b) { return IsConsonant(b) || IsVowel(b); }
constexpr bool IsDigit(Byte b) { return b >= code::kDigitZero && b <= code::kDigitNine; }

}  // namespace tirmok
