// The twelve format names the library accepts, their unit widths and directions.
#include "module/formats.h"

#include <array>
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

// AsciiUpper as a table, for the names the exports parse on every call.
constexpr std::array<char, 256> kUpper = [] {
  std::array<char, 256> upper{};
  for (int c = 0; c < 256; ++c) upper[static_cast<std::size_t>(c)] = AsciiUpper(static_cast<char>(c));
  return upper;
}();
constexpr char Upper(char c) { return kUpper[static_cast<unsigned char>(c)]; }

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
  // Every call of the exports parses its names, so the first letter picks
  // the names to compare. Each is compared only as far as it agrees, so the
  // reading never passes the first character that matches no name.
  const auto named = [name](Format format) {
    const char* expected = Info(format).name.data();  // a terminated literal
    std::size_t i = 1;
    for (; expected[i] != '\0'; ++i)
      if (Upper(name[i]) != expected[i]) return false;
    return name[i] == '\0';
  };
  switch (Upper(name[0])) {
    case 'A': if (named(Format::kAnsi)) return Format::kAnsi; break;
    case 'B': if (named(Format::kBraille)) return Format::kBraille; break;
    case 'C': if (named(Format::kCollcode)) return Format::kCollcode; break;
    case 'I':
      for (Format format : {Format::kInscript, Format::kIso15919Ansi, Format::kIso15919, Format::kIso15919Utf8})
        if (named(format)) return format;
      break;
    case 'L':
      if (named(Format::kLpxcode)) return Format::kLpxcode;
      if (named(Format::kLpxkbd)) return Format::kLpxkbd;
      break;
    case 'T': if (named(Format::kTeltrans)) return Format::kTeltrans; break;
    case 'U':
      if (named(Format::kUnicode)) return Format::kUnicode;
      if (named(Format::kUtf8)) return Format::kUtf8;
      break;
    default: break;
  }
  return std::nullopt;
}

bool IsValidFormat(const char* name) { return ParseFormat(name).has_value(); }

}  // namespace tirmok
