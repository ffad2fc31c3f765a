// Fuzz target for the C++ API: views without a terminator (the fuzzer's own bytes, read in place), any Format
// value including invalid ones, and agreement with the C functions.
//
// Input layout: from-format byte, to-format byte (any value; 12 and above are
// invalid), flags, length of the first text (two bytes, little-endian), then
// the first text and the second (the rest). Neither text is terminated.
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "tirmok/tirmok.hpp"
#include "tirmok/tirmok_ext.h"

using namespace tirmok::fuzz;

namespace {

bool Valid(std::uint8_t value) { return value < kFormatCount; }

// `body` must throw std::invalid_argument and nothing else.
template <class Body>
void RequireInvalidArgument(Body&& body, const char* what) {
  try {
    body();
  } catch (const std::invalid_argument&) {
    return;
  } catch (...) {
    Fail(what, "another exception");
  }
  Fail(what, "no exception");
}

// The C function's whole output for the text up to its first zero unit.
std::string CConvert(std::string_view bytes, int from, int to) {
  std::string text(bytes.substr(0, std::min(bytes.size(), bytes.find('\0'))));
  return ConvertText(text, from, to);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteReader reader(data, size);
  const std::uint8_t fromValue = reader.Byte();
  const std::uint8_t toValue = reader.Byte();
  const std::uint8_t flags = reader.Byte();
  const std::size_t firstLength = std::min<std::size_t>(reader.Word(), reader.Left());
  // Views straight into the fuzzer's buffer: no terminator follows them.
  const std::size_t offset = size - reader.Left();
  const std::string_view first(reinterpret_cast<const char*>(data) + offset, firstLength);
  const std::string_view second(reinterpret_cast<const char*>(data) + offset + firstLength,
                                size - offset - firstLength);
  const auto from = static_cast<tirmok::Format>(fromValue % ((flags & 1) != 0 ? 256 : kFormatCount));
  const auto to = static_cast<tirmok::Format>(toValue % ((flags & 2) != 0 ? 256 : kFormatCount));
  const bool fromValid = Valid(static_cast<std::uint8_t>(from));
  const bool toValid = Valid(static_cast<std::uint8_t>(to));

  if (!fromValid) {
    RequireInvalidArgument([&] { tirmok::format_name(from); }, "format_name took an invalid Format");
    RequireInvalidArgument([&] { tirmok::is_wide(from); }, "is_wide took an invalid Format");
    RequireInvalidArgument([&] { tirmok::can_read(from); }, "can_read took an invalid Format");
    RequireInvalidArgument([&] { tirmok::can_compare(from); }, "can_compare took an invalid Format");
    RequireInvalidArgument([&] { tirmok::convert(first, from, tirmok::Format::kUtf8); },
                           "convert took an invalid Format");
    RequireInvalidArgument([&] { tirmok::sort_key(first, from); }, "sort_key took an invalid Format");
    RequireInvalidArgument([&] { tirmok::compare(first, from, second, tirmok::Format::kUtf8); },
                           "compare took an invalid Format");
  }
  if (!toValid) {
    RequireInvalidArgument([&] { tirmok::convert(first, tirmok::Format::kUtf8, to); },
                           "convert took an invalid Format");
    RequireInvalidArgument([&] { tirmok::convert_u16(first, tirmok::Format::kUtf8, to); },
                           "convert_u16 took an invalid Format");
  }
  if (!fromValid || !toValid) return 0;

  const int fromIndex = static_cast<int>(from);
  const int toIndex = static_cast<int>(to);
  // A byte string of a 16-bit input format is UTF-8 text; its UTF-16 form is the C function's input.
  if (!HasDecoder(fromIndex) || !HasEncoder(toIndex)) {
    RequireInvalidArgument([&] { tirmok::convert(first, from, to); }, "convert took a direction the format lacks");
    return 0;
  }
  const std::string result = tirmok::convert(first, from, to);
  if (!IsWide(fromIndex) && !IsWide(toIndex)) {
    if (result != CConvert(first, fromIndex, toIndex)) {
      Fail("convert differs from LpxConvert", Describe(first) + "\nC++: " + Describe(result));
    }
  }
  // UTF-16 input views, of any unit count (an odd byte is left out).
  if (IsWide(fromIndex)) {
    std::u16string units(second.size() / 2, u'\0');
    std::memcpy(units.data(), second.data(), units.size() * 2);
    const std::u16string_view view(units);
    const std::string wideResult = tirmok::convert(view, from, to);
    if (!IsWide(toIndex)) {
      std::string bytes(reinterpret_cast<const char*>(units.data()), units.size() * 2);
      const std::size_t zero = std::u16string_view(units).find(u'\0');
      if (zero != std::u16string_view::npos) bytes.resize(zero * 2);
      if (wideResult != ConvertText(bytes, fromIndex, toIndex)) Fail("convert of UTF-16 differs from LpxConvert");
    }
  }

  // Comparison and sort keys agree, for the formats that can be compared.
  if (IsComparable(fromIndex)) {
    const int order = tirmok::compare(first, from, second, from);
    Require(order == -1 || order == 0 || order == 1, "compare gave a value other than -1, 0 or 1");
    const std::string keyA = tirmok::sort_key(first, from);
    const std::string keyB = tirmok::sort_key(second, from);
    const int keyOrder = keyA < keyB ? -1 : (keyB < keyA ? 1 : 0);
    if (keyOrder != order) Fail("sort keys order otherwise than compare");
  }
  return 0;
}
