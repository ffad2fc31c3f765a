// What the tool checks in the text it reads: byte order marks, byte order and well-formed UTF-8 or UTF-16.
#include "input_check.h"

#include <utility>

namespace tirmok::tool {

void WellFormedCheck::Feed(const char* data, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    const auto byte = static_cast<unsigned char>(data[i]);
    switch (encoding_) {
      case Encoding::kBytes:
        break;
      case Encoding::kUtf8:
        FeedUtf8(byte);
        break;
      case Encoding::kUtf16Le:
      case Encoding::kUtf16Be:
        if (!halfUnit_) {
          halfUnit_ = byte;
        } else {
          FeedUnit(*halfUnit_ | static_cast<unsigned>(byte) << 8);
          halfUnit_.reset();
        }
        break;
    }
    ++offset_;
  }
}

void WellFormedCheck::FeedUtf8(unsigned char byte) {
  if (need_ > 0) {
    if (byte >= low_ && byte <= high_) {
      --need_;
      low_ = 0x80;
      high_ = 0xBF;
      return;
    }
    // The sequence broke off; this byte starts the next one.
    Mark(start_);
    need_ = 0;
  }
  low_ = 0x80;
  high_ = 0xBF;
  start_ = offset_;
  if (byte < 0x80) return;
  if (byte >= 0xC2 && byte <= 0xDF) {
    need_ = 1;
  } else if (byte >= 0xE0 && byte <= 0xEF) {
    need_ = 2;
    if (byte == 0xE0) low_ = 0xA0;  // no overlong forms
    if (byte == 0xED) high_ = 0x9F;  // no surrogates
  } else if (byte >= 0xF0 && byte <= 0xF4) {
    need_ = 3;
    if (byte == 0xF0) low_ = 0x90;
    if (byte == 0xF4) high_ = 0x8F;  // nothing past U+10FFFF
  } else {
    Mark(offset_);
  }
}

void WellFormedCheck::FeedUnit(unsigned unit) {
  const std::uint64_t at = offset_ - 1;  // the unit's first byte
  const bool high = unit >= 0xD800 && unit <= 0xDBFF;
  const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
  if (highSurrogateAt_ && !low) Mark(*highSurrogateAt_);
  if (!highSurrogateAt_ && low) Mark(at);
  highSurrogateAt_.reset();
  if (high) highSurrogateAt_ = at;
}

void WellFormedCheck::Finish() {
  if (need_ > 0) Mark(start_);
  need_ = 0;
  if (highSurrogateAt_) Mark(*highSurrogateAt_);
  highSurrogateAt_.reset();
  // An odd last byte is reported by the reader as an error of its own.
}

std::size_t ByteOrderMark(const std::string& start, Encoding& encoding, bool detect) {
  const auto startsWith = [&start](std::string_view mark) { return start.compare(0, mark.size(), mark) == 0; };
  switch (encoding) {
    case Encoding::kBytes:
      return 0;
    case Encoding::kUtf8:
      return startsWith("\xEF\xBB\xBF") ? 3 : 0;
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be:
      if (start.size() < 2) return 0;
      if (startsWith("\xFF\xFE") && (detect || encoding == Encoding::kUtf16Le)) {
        encoding = Encoding::kUtf16Le;
        return 2;
      }
      if (startsWith("\xFE\xFF") && (detect || encoding == Encoding::kUtf16Be)) {
        encoding = Encoding::kUtf16Be;
        return 2;
      }
      return 0;
  }
  return 0;
}

std::string ByteOrderMarkFor(Encoding encoding) {
  switch (encoding) {
    case Encoding::kBytes:
      return {};
    case Encoding::kUtf8:
      return "\xEF\xBB\xBF";
    case Encoding::kUtf16Le:
      return "\xFF\xFE";
    case Encoding::kUtf16Be:
      return "\xFE\xFF";
  }
  return {};
}

void SwapUnits(char* data, std::size_t size) {
  for (std::size_t i = 0; i + 1 < size; i += 2) std::swap(data[i], data[i + 1]);
}

}  // namespace tirmok::tool
