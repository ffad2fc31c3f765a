// What the tool checks in the text it reads (byte order marks, byte order, well-formed UTF-8 or UTF-16) and UTF-8 <-> UTF-16.
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

namespace {

constexpr char16_t kReplacement = 0xFFFD;

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      out += static_cast<char16_t>(lead);
      ++i;
      continue;
    }
    // The same ranges as WellFormedCheck: no overlong forms, surrogates or
    // code points past U+10FFFF.
    int need = 0;
    unsigned char low = 0x80, high = 0xBF;
    char32_t c = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      need = 1;
      c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      need = 2;
      c = lead & 0x0F;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      need = 3;
      c = lead & 0x07;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      out += kReplacement;
      ++i;
      continue;
    }
    std::size_t j = 1;
    bool whole = true;
    for (; j <= static_cast<std::size_t>(need); ++j) {
      const unsigned char lo = j == 1 ? low : 0x80;
      const unsigned char hi = j == 1 ? high : 0xBF;
      if (i + j >= text.size() || static_cast<unsigned char>(text[i + j]) < lo ||
          static_cast<unsigned char>(text[i + j]) > hi) {
        whole = false;
        break;
      }
      c = (c << 6) | (static_cast<unsigned char>(text[i + j]) & 0x3F);
    }
    i += j;  // a broken sequence ends before the byte that broke it
    if (!whole) {
      out += kReplacement;
    } else if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    const bool high = c >= 0xD800 && c <= 0xDBFF;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    AppendUtf8(out, c);
  }
  return out;
}

void SwapUnits(char* data, std::size_t size) {
  for (std::size_t i = 0; i + 1 < size; i += 2) std::swap(data[i], data[i + 1]);
}

}  // namespace tirmok::tool
