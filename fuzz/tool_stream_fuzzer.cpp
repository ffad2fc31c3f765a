// Fuzz target for the command-line tool's block reader: a stream cut at every point converts as the whole input.
//
// Input layout: input format selector, output selector, flags (bit 0 UTF-16
// bytes, bits 1 to 3 the Braille switches Nemeth, subscript, superscript,
// bit 4 the Bengali INSCRIPT layout, bit 5 date words instead of a format
// conversion, bit 6 date words from English), block size, stretch limit
// selector (0: no limit reached), largest read, seed of the read sizes, then
// the text.
//
// Checks: the streamed result equals converting the whole text at once (for
// dates, each line at once); with a small stretch limit the stream either
// gives that result or stops with the tool's error after writing a prefix of
// it; an odd number of UTF-16 bytes is an error both ways. The tool's own
// UTF-8 <-> UTF-16 code (it uses only the public interface) gives what the
// library's gives for the same text.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/utf.h"
#include "fuzz_support.h"
#include "input_check.h"
#include "stream.h"

using namespace tirmok::fuzz;
using tirmok::Format;
using tirmok::tool::ToolError;

namespace {

std::vector<Format> Formats(bool (*has)(Format)) {
  std::vector<Format> formats;
  for (int f = 0; f <= static_cast<int>(Format::kBraille); ++f) {
    if (has(static_cast<Format>(f))) formats.push_back(static_cast<Format>(f));
  }
  return formats;
}

// Hands out the text in reads of 1 to `most` bytes, sizes drawn from `seed`.
tirmok::tool::Source Chunked(const std::string& text, std::size_t most, std::uint32_t seed) {
  std::size_t position = 0;
  return [&text, most, position, seed](char* buffer, std::size_t size) mutable {
    seed = seed * 1664525u + 1013904223u;
    const std::size_t n = std::min({std::size_t{1} + (seed >> 16) % most, size, text.size() - position});
    std::copy_n(text.data() + position, n, buffer);
    position += n;
    return n;
  };
}

// Runs `stream` into a string; false when it stopped with the tool's error.
template <typename Stream>
bool Collect(const Stream& stream, std::string& out) {
  out.clear();
  try {
    stream([&out](std::string_view piece) { out += piece; });
    return true;
  } catch (const ToolError&) {
    return false;
  }
}

// Each line's date words converted at once, as the date command promises.
std::string DatesByLine(const std::string& text, bool fromEnglish) {
  std::string out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    out += tirmok::tool::ConvertDateLine(std::string_view(text).substr(start, end - start), fromEnglish);
    out += '\n';
    start = end + 1;
  }
  return out;
}

void CheckAgainst(const std::string& whole, bool wholeOk, const std::string& streamed, bool streamedOk,
                  bool limited) {
  if (!wholeOk) {
    Require(!streamedOk, "the whole text is an error but the stream is not");
    return;
  }
  if (streamedOk) {
    if (streamed != whole) Fail("streamed result differs", Describe(streamed) + "\n--- whole:\n" + Describe(whole));
    return;
  }
  Require(limited, "the stream stopped although no limit was reached");
  Require(whole.compare(0, streamed.size(), streamed) == 0, "a stopped stream wrote what the whole text does not");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<Format> readable = Formats(tirmok::can_read);
  static const std::vector<Format> writable = Formats(tirmok::can_write);
  ByteReader reader(data, size);
  const Format from = readable[reader.Byte() % readable.size()];
  const Format to = writable[reader.Byte() % writable.size()];
  const std::uint8_t flags = reader.Byte();
  const std::size_t block = 1 + reader.Byte();
  const std::uint8_t limit = reader.Byte();
  const std::size_t most = 1 + reader.Byte() % 64;
  const std::uint32_t seed = reader.Byte();
  const std::string text = reader.Rest();

  Require(tirmok::tool::Utf8ToUtf16(text) == tirmok::Utf8ToUtf16(std::string_view(text)),
          "the tool reads UTF-8 otherwise than the library");
  std::u16string units(text.size() / 2, u'\0');
  std::memcpy(units.data(), text.data(), units.size() * sizeof(char16_t));
  Require(tirmok::tool::Utf16ToUtf8(units) == tirmok::Utf16ToUtf8(units),
          "the tool writes UTF-8 otherwise than the library");

  const bool limited = limit != 0;
  const tirmok::tool::StreamLimits limits{block, limited ? block + 8u * limit : text.size() + 1};
  std::string whole;
  std::string streamed;
  if (flags & 0x20) {
    const bool fromEnglish = (flags & 0x40) != 0;
    whole = DatesByLine(text, fromEnglish);
    const bool ok = Collect(
        [&](const auto& sink) {
          tirmok::tool::ConvertDateStream(fromEnglish, Chunked(text, most, seed), sink, limits);
        },
        streamed);
    CheckAgainst(whole, true, streamed, ok, limited);
    return 0;
  }

  tirmok::tool::PropertyList properties;
  if (flags & 0x02) properties[LPX_KEY_NEMETH] = "TRUE";
  if (flags & 0x04) properties[LPX_KEY_SUBSCRIPT] = "TRUE";
  if (flags & 0x08) properties[LPX_KEY_SUPERSCRIPT] = "true";
  if (flags & 0x10) properties[LPX_KEY_LANGUAGE] = "BENGALI";
  const tirmok::tool::TextConverter converter(from, to, (flags & 0x01) != 0, properties);
  bool wholeOk = true;
  try {
    whole = converter.Convert(text);
  } catch (const ToolError&) {
    wholeOk = false;
  }
  const bool ok = Collect(
      [&](const auto& sink) { tirmok::tool::ConvertStream(converter, Chunked(text, most, seed), sink, limits); },
      streamed);
  CheckAgainst(whole, wholeOk, streamed, ok, limited);
  return 0;
}
