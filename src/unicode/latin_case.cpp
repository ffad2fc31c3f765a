// The simple lower-case mapping of the Latin blocks, kept as ranges of code points.
#include "unicode/latin_case.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace tirmok {
namespace {

// Capital letters from `first` to `last` map to the code point `delta` above
// them. In an alternating range only every second code point, starting at
// `first`, is a capital (the usual capital, small, capital, small pairing);
// the others are small letters already.
struct CaseRange {
  char16_t first;
  char16_t last;
  std::int32_t delta;
  bool alternating;
};

// Ascending and disjoint, so a lookup can stop at the first range above the unit.
constexpr CaseRange kLowerRanges[] = {
    // Basic Latin and Latin-1 Supplement
    {0x0041, 0x005A, 32, false},  // A to Z
    {0x00C0, 0x00D6, 32, false},  // À to Ö
    {0x00D8, 0x00DE, 32, false},  // Ø to Þ (× U+00D7 is not a letter)
    // Latin Extended-A
    {0x0100, 0x012E, 1, true},       // Ā ā to Į į
    {0x0130, 0x0130, 0x0069 - 0x0130, false},  // İ to plain i
    {0x0132, 0x0136, 1, true},       // Ĳ ĳ to Ķ ķ
    {0x0139, 0x0147, 1, true},       // Ĺ ĺ to Ň ň
    {0x014A, 0x0176, 1, true},       // Ŋ ŋ to Ŷ ŷ
    {0x0178, 0x0178, 0x00FF - 0x0178, false},  // Ÿ to ÿ
    {0x0179, 0x017D, 1, true},       // Ź ź to Ž ž
    // Latin Extended-B
    {0x0181, 0x0181, 0x0253 - 0x0181, false},  // Ɓ
    {0x0182, 0x0184, 1, true},                 // Ƃ, Ƅ
    {0x0186, 0x0186, 0x0254 - 0x0186, false},  // Ɔ
    {0x0187, 0x0187, 1, false},                // Ƈ
    {0x0189, 0x018A, 0x0256 - 0x0189, false},  // Ɖ, Ɗ
    {0x018B, 0x018B, 1, false},                // Ƌ
    {0x018E, 0x018E, 0x01DD - 0x018E, false},  // Ǝ
    {0x018F, 0x018F, 0x0259 - 0x018F, false},  // Ə
    {0x0190, 0x0190, 0x025B - 0x0190, false},  // Ɛ
    {0x0191, 0x0191, 1, false},                // Ƒ
    {0x0193, 0x0193, 0x0260 - 0x0193, false},  // Ɠ
    {0x0194, 0x0194, 0x0263 - 0x0194, false},  // Ɣ
    {0x0196, 0x0196, 0x0269 - 0x0196, false},  // Ɩ
    {0x0197, 0x0197, 0x0268 - 0x0197, false},  // Ɨ
    {0x0198, 0x0198, 1, false},                // Ƙ
    {0x019C, 0x019C, 0x026F - 0x019C, false},  // Ɯ
    {0x019D, 0x019D, 0x0272 - 0x019D, false},  // Ɲ
    {0x019F, 0x019F, 0x0275 - 0x019F, false},  // Ɵ
    {0x01A0, 0x01A4, 1, true},                 // Ơ, Ƣ, Ƥ
    {0x01A6, 0x01A6, 0x0280 - 0x01A6, false},  // Ʀ
    {0x01A7, 0x01A7, 1, false},                // Ƨ
    {0x01A9, 0x01A9, 0x0283 - 0x01A9, false},  // Ʃ
    {0x01AC, 0x01AC, 1, false},                // Ƭ
    {0x01AE, 0x01AE, 0x0288 - 0x01AE, false},  // Ʈ
    {0x01AF, 0x01AF, 1, false},                // Ư
    {0x01B1, 0x01B2, 0x028A - 0x01B1, false},  // Ʊ, Ʋ
    {0x01B3, 0x01B5, 1, true},                 // Ƴ, Ƶ
    {0x01B7, 0x01B7, 0x0292 - 0x01B7, false},  // Ʒ
    {0x01B8, 0x01B8, 1, false},                // Ƹ
    {0x01BC, 0x01BC, 1, false},                // Ƽ
    {0x01C4, 0x01C4, 2, false},                // Ǆ to ǆ
    {0x01C5, 0x01C5, 1, false},                // titlecase ǅ to ǆ
    {0x01C7, 0x01C7, 2, false},                // Ǉ to ǉ
    {0x01C8, 0x01C8, 1, false},                // titlecase ǈ to ǉ
    {0x01CA, 0x01CA, 2, false},                // Ǌ to ǌ
    {0x01CB, 0x01DB, 1, true},                 // titlecase ǋ, then Ǎ ǎ to Ǜ ǜ
    {0x01DE, 0x01EE, 1, true},                 // Ǟ ǟ to Ǯ ǯ
    {0x01F1, 0x01F1, 2, false},                // Ǳ to ǳ
    {0x01F2, 0x01F2, 1, false},                // titlecase ǲ to ǳ
    {0x01F4, 0x01F4, 1, false},                // Ǵ
    {0x01F6, 0x01F6, 0x0195 - 0x01F6, false},  // Ƕ to ƕ
    {0x01F7, 0x01F7, 0x01BF - 0x01F7, false},  // Ƿ to ƿ
    {0x01F8, 0x021E, 1, true},                 // Ǹ ǹ to Ȟ ȟ
    {0x0220, 0x0220, 0x019E - 0x0220, false},  // Ƞ to ƞ
    {0x0222, 0x0232, 1, true},                 // Ȣ ȣ to Ȳ ȳ
    {0x023A, 0x023A, 0x2C65 - 0x023A, false},  // Ⱥ to ⱥ
    {0x023B, 0x023B, 1, false},                // Ȼ
    {0x023D, 0x023D, 0x019A - 0x023D, false},  // Ƚ to ƚ
    {0x023E, 0x023E, 0x2C66 - 0x023E, false},  // Ⱦ to ⱦ
    {0x0241, 0x0241, 1, false},                // Ɂ
    {0x0243, 0x0243, 0x0180 - 0x0243, false},  // Ƀ to ƀ
    {0x0244, 0x0244, 0x0289 - 0x0244, false},  // Ʉ to ʉ
    {0x0245, 0x0245, 0x028C - 0x0245, false},  // Ʌ to ʌ
    {0x0246, 0x024E, 1, true},                 // Ɇ ɇ to Ɏ ɏ
    // Latin Extended Additional
    {0x1E00, 0x1E94, 1, true},                 // Ḁ ḁ to Ẕ ẕ
    {0x1E9E, 0x1E9E, 0x00DF - 0x1E9E, false},  // capital sharp s to ß
    {0x1EA0, 0x1EFE, 1, true},                 // Ạ ạ to Ỿ ỿ
};

}  // namespace

char16_t LowerLatinByRanges(char16_t unit) {
  for (const CaseRange& range : kLowerRanges) {
    if (unit < range.first) break;
    if (unit > range.last) continue;
    if (range.alternating && (unit - range.first) % 2 != 0) return unit;
    return static_cast<char16_t>(unit + range.delta);
  }
  return unit;
}

namespace {

// LowerLatinByRanges for every unit of the two places the ranges cover (up to
// U+024F, and Latin Extended Additional), made from it once.
constexpr char16_t kLowBlocksEnd = 0x0250;
constexpr char16_t kAdditionalFirst = 0x1E00;
constexpr std::size_t kAdditionalSize = 0x100;

struct LowerTables {
  std::array<char16_t, kLowBlocksEnd> low{};
  std::array<char16_t, kAdditionalSize> additional{};
  LowerTables() {
    for (std::size_t u = 0; u < low.size(); ++u) low[u] = LowerLatinByRanges(static_cast<char16_t>(u));
    for (std::size_t i = 0; i < additional.size(); ++i) {
      additional[i] = LowerLatinByRanges(static_cast<char16_t>(kAdditionalFirst + i));
    }
  }
};

const LowerTables& Lower() {
  static const LowerTables tables;
  return tables;
}

}  // namespace

char16_t LowerLatin(char16_t unit) {
  const LowerTables& tables = Lower();
  if (unit < kLowBlocksEnd) return tables.low[unit];
  const auto additional = static_cast<std::size_t>(unit - kAdditionalFirst);
  return additional < kAdditionalSize ? tables.additional[additional] : unit;
}

void LowerLatin(std::u16string& text) {
  const LowerTables& tables = Lower();
  for (char16_t& unit : text) {
    if (unit < kLowBlocksEnd) {
      unit = tables.low[unit];
    } else if (const auto additional = static_cast<std::size_t>(unit - kAdditionalFirst); additional < kAdditionalSize) {
      unit = tables.additional[additional];
    }
  }
}

}  // namespace tirmok
