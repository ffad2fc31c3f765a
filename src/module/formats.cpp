// The format names the library accepts, their unit widths and directions.
#include "module/formats.h"

#include <utility>

#include "core/text.h"

namespace tirmok {
namespace {

static_assert([] {
  for (std::size_t i = 0; i < std::size(kFormatInfo); ++i)
    if (static_cast<std::size_t>(kFormatInfo[i].format) != i) return false;
  return true;
}(), "the format table is indexed by Format");

// Whether character `c` is `expected` (an upper-case letter or another
// character of a name) without regard to ASCII case. A letter's two cases
// differ only in bit 0x20, and no other byte sets that bit to the same value.
template <char expected>
constexpr bool SameLetter(char c) {
  if constexpr (expected >= 'A' && expected <= 'Z') {
    return (c | 0x20) == (expected | 0x20);
  } else {
    return c == expected;
  }
}

// Whether `name`, whose first character is already known to agree, spells
// the name of `format` and ends there. The comparison is unrolled at compile
// time and stops at the first character that differs.
template <Format format>
bool Spells(const char* name) {
  constexpr std::size_t length = Info(format).name.size();
  return [name]<std::size_t... i>(std::index_sequence<i...>) {
    return (SameLetter<Info(format).name[i + 1]>(name[i + 1]) && ...) && name[length] == '\0';
  }(std::make_index_sequence<length - 1>{});
}

}  // namespace

std::optional<Format> ParseFormat(std::string_view name) {
  for (const FormatInfo& info : kFormatInfo) {
    if (info.name.size() != name.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < name.size() && same; ++i) same = AsciiUpper(name[i]) == info.name[i];
    if (same) return info.format;
  }
  return std::nullopt;
}

std::optional<Format> ParseFormat(const char* name) {
  if (name == nullptr) return std::nullopt;
  // Every call of the exports parses its names, so the first letter picks
  // the names to compare; each is compared only as far as it agrees.
  switch (name[0] | 0x20) {
    case 'a': if (Spells<Format::kAnsi>(name)) return Format::kAnsi; break;
    case 'b':
      if (Spells<Format::kBraille>(name)) return Format::kBraille;
      if (Spells<Format::kBrailleUnicode>(name)) return Format::kBrailleUnicode;
      break;
    case 'c': if (Spells<Format::kCollcode>(name)) return Format::kCollcode; break;
    case 'i':
      if (Spells<Format::kInscript>(name)) return Format::kInscript;
      if (Spells<Format::kIso15919Ansi>(name)) return Format::kIso15919Ansi;
      if (Spells<Format::kIso15919>(name)) return Format::kIso15919;
      if (Spells<Format::kIso15919Utf8>(name)) return Format::kIso15919Utf8;
      break;
    case 'l':
      if (Spells<Format::kLpxcode>(name)) return Format::kLpxcode;
      if (Spells<Format::kLpxkbd>(name)) return Format::kLpxkbd;
      break;
    case 't': if (Spells<Format::kTeltrans>(name)) return Format::kTeltrans; break;
    case 'u':
      if (Spells<Format::kUnicode>(name)) return Format::kUnicode;
      if (Spells<Format::kUtf8>(name)) return Format::kUtf8;
      break;
    default: break;
  }
  return std::nullopt;
}

}  // namespace tirmok
