// UTF-8 <-> UTF-16 conversion for the UTF-8 formats and the tools; no locale or platform code page involved.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/internal_code.h"

namespace tirmok {

inline constexpr char16_t kReplacementCharacter = 0xFFFD;

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
  bool Append(std::span<const char16_t> piece);
  // Writes a high surrogate still waiting for its partner as U+FFFD (its room
  // was reserved when it was taken) and terminates the output.
  void Finish();
  std::int32_t Length() const { return written_; }

 private:
  Byte* output_;
  std::int32_t capacity_;
  std::int32_t written_ = 0;
  char16_t pendingHigh_ = 0;
};

}  // namespace tirmok
