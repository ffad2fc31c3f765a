// What the tool checks in the text it reads (byte order marks, byte order, well-formed UTF-8 or UTF-16) and UTF-8 <-> UTF-16.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tirmok::tool {

// How the bytes of an input file carry its text.
enum class Encoding {
  kBytes,    // an 8-bit format: every byte is text
  kUtf8,     // UTF-8 text
  kUtf16Le,  // UTF-16 units, least significant byte first
  kUtf16Be,  // UTF-16 units, most significant byte first
};

// Finds the first ill-formed sequence of UTF-8 or UTF-16 in a stream given
// piece by piece (a sequence may be split between pieces). Offsets count the
// bytes fed since the start.
class WellFormedCheck {
 public:
  explicit WellFormedCheck(Encoding encoding) : encoding_(encoding) {}

  // Feeds the next bytes; UTF-16 is fed in the order the converter reads it
  // (least significant byte first).
  void Feed(const char* data, std::size_t size);
  // The input ended: a sequence still open is ill-formed.
  void Finish();

  // The byte offset of the first ill-formed sequence, if any.
  std::optional<std::uint64_t> FirstInvalid() const { return firstInvalid_; }

 private:
  void Mark(std::uint64_t offset) {
    if (!firstInvalid_) firstInvalid_ = offset;
  }
  void FeedUtf8(unsigned char byte);
  void FeedUnit(unsigned unit);

  Encoding encoding_;
  std::uint64_t offset_ = 0;           // bytes fed so far
  std::optional<std::uint64_t> firstInvalid_;
  // UTF-8: continuation bytes still wanted, the range the next one must be
  // in, and where the sequence began.
  int need_ = 0;
  unsigned char low_ = 0x80, high_ = 0xBF;
  std::uint64_t start_ = 0;
  // UTF-16: a byte of a unit, and a high surrogate waiting for its low one.
  std::optional<unsigned char> halfUnit_;
  std::optional<std::uint64_t> highSurrogateAt_;
};

// The byte order mark an input starts with, for its encoding: its length in
// bytes, 0 when there is none. For UTF-16 read without a stated byte order
// (`detect`), a mark of either order counts and `encoding` becomes that order.
std::size_t ByteOrderMark(const std::string& start, Encoding& encoding, bool detect);

// The byte order mark written in front of output of `encoding` ("" for kBytes).
std::string ByteOrderMarkFor(Encoding encoding);

// The UTF-16 form of UTF-8 text, as the library reads UTF-8: each maximal
// ill-formed subpart becomes one U+FFFD (the Unicode standard's recommended
// practice), four-byte sequences surrogate pairs.
std::u16string Utf8ToUtf16(std::string_view text);
// The UTF-8 form of UTF-16 text; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
// Appends the UTF-8 form of the code point `c` (at most U+10FFFF).
void AppendUtf8(std::string& out, char32_t c);

// Swaps the bytes of each 2-byte unit in place (an odd last byte stays).
void SwapUnits(char* data, std::size_t size);

}  // namespace tirmok::tool
