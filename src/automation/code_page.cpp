// Windows-1252 <-> UTF-16 for the automation layer's 8-bit strings.
#include "automation/code_page.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace tirmok::automation {
namespace {

// Bytes 0x80 to 0x9F; the rest of the code page is the same as Latin-1. The
// undefined bytes map to the C1 control of the same value.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr char kUnmappable = '?';

constexpr bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
constexpr bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

char ByteOf(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
  const auto* found = std::find(std::begin(kHighControls), std::end(kHighControls), unit);
  if (found != std::end(kHighControls)) return static_cast<char>(0x80 + (found - std::begin(kHighControls)));
  return kUnmappable;
}

}  // namespace

std::string ToWindows1252(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      ++i;  // one character, one replacement
      out.push_back(kUnmappable);
      continue;
    }
    out.push_back(ByteOf(unit));
  }
  return out;
}

std::u16string FromWindows1252(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<std::uint8_t>(c);
    out.push_back(byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : static_cast<char16_t>(byte));
  }
  return out;
}

}  // namespace tirmok::automation
