// Helpers for tests that call the library through its C exports.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tirmok::test {

// A byte string from a list of byte values: Codes({122, 100}).
std::string Codes(std::initializer_list<int> values);
// The internal code's escape: byte 255 and the hexadecimal digits given.
std::string Escape(const char* hex);
// A UTF-16 string from a list of units: Wide({0x0C15, 0x0C3F}).
std::u16string Wide(std::initializer_list<char16_t> units);
// The bytes as a list of decimal values, for readable failures: "122 100".
std::string Describe(std::string_view bytes);
std::string Describe(std::u16string_view units);

// The result of one LpxConvert call: the output (bytes for 8-bit formats,
// units for 16-bit formats) and the returned length.
struct Converted {
  std::string bytes;
  std::u16string wide;
  std::int32_t result = 0;
};

// Converts through LpxConvert. A capacity of -1 asks the library for the size
// first and uses that; any other value is passed as it stands (in units of
// the output format), with guard units after it that must stay untouched.
Converted Convert(std::string_view input, const char* from, const char* to, std::int32_t capacity = -1);
Converted Convert(std::u16string_view input, const char* from, const char* to, std::int32_t capacity = -1);

// Shorthands returning just the output.
std::string ToBytes(std::string_view input, const char* from, const char* to);
std::string ToBytes(std::u16string_view input, const char* from, const char* to);
std::u16string ToWide(std::string_view input, const char* from, const char* to);
std::u16string ToWide(std::u16string_view input, const char* from, const char* to);

std::int32_t Compare(std::string_view a, const char* formatA, std::string_view b, const char* formatB);
std::int32_t Compare(std::u16string_view a, const char* formatA, std::u16string_view b, const char* formatB);

// True in builds with AddressSanitizer or ThreadSanitizer, whose shadow
// memory makes address-space limits and memory figures meaningless.
bool Sanitized();

// The shared library of this build (<build>/libtirmok.so, the tests running
// from <build>/tests), or "" when it is not there.
std::string SharedLibraryPath();

// The real Telugu words kept in tests/data (UTF-8, one per line).
const std::vector<std::string>& WordSample();

}  // namespace tirmok::test
