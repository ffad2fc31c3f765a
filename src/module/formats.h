// The twelve format names the library accepts, their unit widths and directions.
#pragma once

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

std::span<const FormatInfo> AllFormats();
const FormatInfo& Info(Format format);

// Parses a format name without regard to ASCII case. Upper-casing by ASCII
// rules gives the same answer as any locale for every valid name, and a
// library must not change its host's locale to do it.
std::optional<Format> ParseFormat(std::string_view name);
// The same for a zero-terminated name; null or over-long names are invalid.
std::optional<Format> ParseFormat(const char* name);
bool IsValidFormat(const char* name);

inline bool IsWide(Format format) { return Info(format).unitBytes == 2; }

}  // namespace tirmok
