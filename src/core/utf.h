// UTF-8 <-> UTF-16 conversion for the UTF-8 formats and the tools; no locale or platform code page involved.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/internal_code.h"
#include "core/piece.h"
#include "core/run_loop.h"

namespace tirmok {

inline constexpr char16_t kReplacementCharacter = 0xFFFD;

// The common characters of UTF-8 text read directly: ASCII, and well-formed
// three-byte sequences (all of Telugu). Returns the bytes the character at
// `p` takes and stores its unit, or returns 0 for anything else (which only
// the full conversion below reads). `end` is the end of the text.
inline std::int32_t ReadCommonUtf8(const Byte* p, const Byte* end, char16_t& unit) {
  const Byte lead = p[0];
  if (lead < 0x80) {
    unit = lead;
    return 1;
  }
  if (end - p < 3) return 0;
  const Byte b1 = p[1];
  const Byte b2 = p[2];
  if (lead == 0xE0 && (b1 & 0xFE) == 0xB0 && (b2 & 0xC0) == 0x80) {  // U+0C00 to U+0C7F
    unit = static_cast<char16_t>(0x0C00 | ((b1 & 1) << 6) | (b2 & 0x3F));
    return 3;
  }
  if ((lead & 0xF0) == 0xE0 && (b1 & 0xC0) == 0x80 && (b2 & 0xC0) == 0x80 && (lead != 0xE0 || b1 >= 0xA0) &&
      (lead != 0xED || b1 < 0xA0)) {
    unit = static_cast<char16_t>(((lead & 0x0F) << 12) | ((b1 & 0x3F) << 6) | (b2 & 0x3F));
    return 3;
  }
  return 0;
}

// One character of UTF-8 read the careful way, as Utf8ToUtf16 reads it: the
// code point (U+FFFD for a maximal ill-formed subpart) and the bytes it takes.
// `available` (at least 1) is the number of bytes left in the text.
struct Utf8Read {
  char32_t codePoint;
  std::int32_t length;
};
Utf8Read ReadUtf8Character(const Byte* p, std::int32_t available);

// Converts `length` bytes of UTF-8 into UTF-16. Ill-formed input becomes
// U+FFFD, one for each maximal ill-formed subpart (the Unicode standard's
// recommended practice); four-byte sequences become surrogate pairs. Writes at
// most `capacity` units including the terminator and returns the number of
// units written. Stops early, at a whole character, if the output is full.
std::int32_t Utf8ToUtf16(const Byte* input, std::int32_t length, char16_t* output,
                         std::int32_t capacity);

// The UTF-16 form of UTF-8 text, for tools and tests.
std::u16string Utf8ToUtf16(std::string_view text);
// The UTF-8 form of UTF-16 text; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// The UTF-8 form of a few UTF-16 units, kept beside a table's value so a
// step can write UTF-8 directly. Usable only without surrogates.
struct Utf8Form {
  static constexpr std::int32_t kMaxUnits = 4;
  bool usable = false;
  std::uint8_t size = 0;
  Byte bytes[3 * kMaxUnits] = {};

  static Utf8Form Of(std::span<const char16_t> units);
  // Writes the bytes at `out`; returns their count.
  std::int32_t Write(Byte* out) const {
    if (size == 3) {  // a character of the Telugu block
      out[0] = bytes[0];
      out[1] = bytes[1];
      out[2] = bytes[2];
      return 3;
    }
    CopyUnits(out, bytes, size);
    return size;
  }
};

// A run-loop sink that takes UTF-16 pieces and writes their UTF-8 form into a
// byte buffer. A piece is taken only when the UTF-8 form of everything taken so
// far, as one string, still fits with the terminator, so the output is always
// the UTF-8 form of a run of whole steps. A surrogate pair split across two
// pieces is written as one character, exactly as converting the whole UTF-16
// text at once would.
class Utf8Sink {
 public:
  using UnitType = char16_t;
  Utf8Sink(Byte* output, std::int32_t capacity);

  bool Usable() const { return output_ != nullptr; }
  bool Append(std::span<const char16_t> piece) {
    // With room for the longest form of every unit and nothing waiting, units
    // outside the surrogates are encoded straight into the output.
    if (output_ != nullptr && pendingHigh_ == 0 &&
        static_cast<std::int64_t>(capacity_) - written_ - 1 >= 3 * static_cast<std::int64_t>(piece.size()) + 3) {
      Byte* out = output_ + written_;
      for (const char16_t u : piece) {
        if (u < 0x80) {
          *out++ = static_cast<Byte>(u);
        } else if (u < 0x800) {
          out[0] = static_cast<Byte>(0xC0 | (u >> 6));
          out[1] = static_cast<Byte>(0x80 | (u & 0x3F));
          out += 2;
        } else if (u < 0xD800 || u > 0xDFFF) {
          out[0] = static_cast<Byte>(0xE0 | (u >> 12));
          out[1] = static_cast<Byte>(0x80 | ((u >> 6) & 0x3F));
          out[2] = static_cast<Byte>(0x80 | (u & 0x3F));
          out += 3;
        } else {
          return AppendAnyUnits(piece);  // a surrogate: the whole piece goes the long way
        }
      }
      written_ = static_cast<std::int32_t>(out - output_);
      *out = 0;
      return true;
    }
    return AppendAnyUnits(piece);
  }
  // Writes a high surrogate still waiting for its partner as U+FFFD (its room
  // was reserved when it was taken) and terminates the output.
  void Finish();
  std::int32_t Length() const { return written_; }

  // Writing UTF-8 in place while nothing waits for a partner: from where
  // bytes go, and the last place from which `n` bytes still fit with the
  // terminator; then taking the `n` bytes written there.
  ShortStretch<Byte> Stretch(std::int32_t n) const {
    if (output_ == nullptr || pendingHigh_ != 0 || static_cast<std::int64_t>(capacity_) - written_ - 1 < n) return {};
    return {output_ + written_, output_ + capacity_ - 1 - n};
  }
  void Commit(std::int32_t n) {
    written_ += n;
    output_[written_] = 0;
  }

 private:
  // Append for any piece, surrogates and the exact room check included.
  bool AppendAnyUnits(std::span<const char16_t> piece);

  Byte* output_;
  std::int32_t capacity_;
  std::int32_t written_ = 0;
  char16_t pendingHigh_ = 0;
};

}  // namespace tirmok
