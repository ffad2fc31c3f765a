// CollationStream: an operand's collation units a step at a time.
#include "collation/collation_stream.h"

#include <cstring>

#include "core/utf.h"

namespace tirmok {

CollationStream::CollationStream(const ConverterSet& converters, const void* input, std::int32_t length,
                                 Format format)
    : unicode_(converters.unicode), collation_(converters.collation), format_(format) {
  if (format == Format::kUtf8) {
    bytes_ = static_cast<const Byte*>(input);
    byteLength_ = length;
  } else {
    wide_ = static_cast<const char16_t*>(input);
  }
}

const char16_t* CollationStream::Lookahead() {
  if (windowEnd_ - windowBegin_ >= kLookahead || bytesDone_) return window_ + windowBegin_;
  if (windowEnd_ + kLookahead > kWindow) {
    const std::int32_t kept = windowEnd_ - windowBegin_;
    std::memmove(window_, window_ + windowBegin_, static_cast<std::size_t>(kept) * sizeof(char16_t));
    windowBegin_ = 0;
    windowEnd_ = kept;
  }
  // Characters converted the way the UTF-8 conversion converts them; the
  // stream takes only the common ones.
  const Byte* p = bytes_ + bytePosition_;
  const Byte* const end = bytes_ + byteLength_;
  char16_t* out = window_ + windowEnd_;
  char16_t* const full = window_ + windowBegin_ + kLookahead;
  while (out < full) {
    if (p == end) {
      bytesDone_ = true;
      *out = 0;  // the terminator of the converted text
      break;
    }
    const std::int32_t taken = ReadCommonUtf8(p, end, *out);
    if (taken == 0) return nullptr;
    ++out;
    p += taken;
  }
  bytePosition_ = static_cast<std::int32_t>(p - bytes_);
  windowEnd_ = static_cast<std::int32_t>(out - window_);
  return window_ + windowBegin_;
}

bool CollationStream::Step() {
  head_ = count_ = 0;
  if (format_ == Format::kCollcode) {
    // Already a collation string.
    units_[0] = wide_[widePosition_];
    if (units_[0] == 0) {
      ended_ = true;
    } else {
      ++widePosition_;
      count_ = 1;
    }
    return true;
  }
  const char16_t* p = format_ == Format::kUtf8 ? Lookahead() : wide_ + widePosition_;
  if (p == nullptr) return false;
  if (p[0] == 0) {
    ended_ = true;
    return true;
  }
  Byte internal[kShortStepMax];
  const ShortStepResult done = unicode_.ShortDecodeStep(p, internal);
  if (done.consumed == 0) return false;
  if (format_ == Format::kUtf8) {
    windowBegin_ += done.consumed;
  } else {
    widePosition_ += done.consumed;
  }
  for (std::int32_t i = 0; i < done.written; ++i) {
    const char16_t unit = collation_.UnitOf(internal[i]);
    if (unit == 0) return false;
    units_[count_++] = unit;
  }
  return true;
}

StreamedOrder CompareStreamsFromStart(const ConverterSet& converters, const void* string1,
                                                    std::int32_t length1, Format format1, const void* string2,
                                                    std::int32_t length2, Format format2) {
  CollationStream a(converters, string1, length1, format1);
  CollationStream b(converters, string2, length2, format2);
  for (;;) {
    char16_t x = 0, y = 0;
    if (!a.Next(x) || !b.Next(y)) return std::nullopt;
    // As the full comparison: the terminator of the shorter string takes part.
    if (x != y) return OrderOfUnits(x, y);
    if (x == 0) return 0;
  }
}

}  // namespace tirmok
