// The twelve format names the library accepts, their unit widths and directions.
#include "module/formats.h"

#include <cstring>

namespace tirmok {
namespace {

// In the order the library lists them.
constexpr FormatInfo kFormats[] = {
    {Format::kTeltrans, "TELTRANS", 1, true, true, true},
    {Format::kLpxcode, "LPXCODE", 1, true, true, true},
    {Format::kLpxkbd, "LPXKBD", 1, true, false, false},
    {Format::kInscript, "INSCRIPT", 1, true, false, false},
    {Format::kAnsi, "ANSI", 1, true, true, true},
    {Format::kUnicode, "UNICODE", 2, true, true, true},
    {Format::kUtf8, "UTF-8", 1, true, true, true},
    {Format::kCollcode, "COLLCODE", 2, true, true, true},
    {Format::kIso15919Ansi, "ISO15919_ANSI", 1, true, true, true},
    {Format::kIso15919, "ISO15919", 2, true, true, true},
    {Format::kIso15919Utf8, "ISO15919_UTF_8", 1, true, true, false},
    {Format::kBraille, "BRAILLE", 1, false, true, false},
};

constexpr char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::span<const FormatInfo> AllFormats() { return kFormats; }

const FormatInfo& Info(Format format) { return kFormats[static_cast<std::size_t>(format)]; }

std::optional<Format> ParseFormat(std::string_view name) {
  for (const FormatInfo& info : kFormats) {
    if (info.name.size() != name.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < name.size() && same; ++i) same = AsciiUpper(name[i]) == info.name[i];
    if (same) return info.format;
  }
  return std::nullopt;
}

std::optional<Format> ParseFormat(const char* name) {
  if (name == nullptr) return std::nullopt;
  // No valid name is longer than this; stop reading a longer one there.
  constexpr std::size_t kLongest = 16;
  const std::size_t length = strnlen(name, kLongest + 1);
  if (length > kLongest) return std::nullopt;
  return ParseFormat(std::string_view(name, length));
}

bool IsValidFormat(const char* name) { return ParseFormat(name).has_value(); }

}  // namespace tirmok
