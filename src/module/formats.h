// The format names the library accepts, their unit widths and directions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "tirmok/tirmok.hpp"

namespace tirmok {

// Format is the public enum of tirmok/tirmok.hpp.

struct FormatInfo {
  Format format;
  std::string_view name;
  int unitBytes;    // 1 for byte strings, 2 for char16_t strings
  bool input;       // has a decoder
  bool output;      // has an encoder
  bool comparable;  // accepted by the comparison
};

// In the order the library lists them, which is the order of Format. Here in
// the header so that every call can look a format up without a function call.
inline constexpr FormatInfo kFormatInfo[] = {
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
    {Format::kBraille, "BRAILLE", 1, true, true, false},
    {Format::kBrailleUnicode, "BRAILLE_UNICODE", 2, true, true, false},
};

constexpr std::span<const FormatInfo> AllFormats() { return kFormatInfo; }
constexpr const FormatInfo& Info(Format format) { return kFormatInfo[static_cast<std::size_t>(format)]; }
constexpr bool IsWide(Format format) { return Info(format).unitBytes == 2; }

// Parses a format name without regard to ASCII case. Upper-casing by ASCII
// rules gives the same answer as any locale for every valid name, and a
// library must not change its host's locale to do it.
std::optional<Format> ParseFormat(std::string_view name);
// The same for a zero-terminated name; null or over-long names are invalid.
// It reads no further than the first character at which the name stops
// agreeing with every format name.
std::optional<Format> ParseFormat(const char* name);

}  // namespace tirmok
