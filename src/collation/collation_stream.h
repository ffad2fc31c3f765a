// CollationStream: an operand's collation units a step at a time, so a comparison stops at the first difference.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>

#include "collation/unit_order.h"
#include "core/internal_code.h"
#include "core/run_loop.h"
#include "core/utf.h"
#include "module/converter_set.h"
#include "module/formats.h"

namespace tirmok {

// Produces the collation string of a "UTF-8", "UNICODE" or "COLLCODE"
// operand unit by unit, decoding only as far as asked. It follows the
// comparison's own pipeline exactly (UTF-8 to UTF-16, the Unicode decoding
// steps, the collation encoding steps), but only as long as every step is
// one the short steps answer: well-formed ASCII and three-byte UTF-8, the
// Unicode decoder's shortcut steps, and internal bytes with a collation unit
// of their own. Anything else makes it give up, and the caller compares the
// full collation strings instead.
class CollationStream {
 public:
  // `input` holds `length` units of `format` and is terminated.
  CollationStream(const ConverterSet& converters, const void* input, std::int32_t length, Format format);

  static bool Handles(Format format) {
    return format == Format::kUtf8 || format == Format::kUnicode || format == Format::kCollcode;
  }

  // What an operand's first character alone tells of its collation string,
  // without a stream: the first unit; 0, the terminator, for an empty
  // operand; or kUndecided when that takes more.
  static constexpr std::int32_t kUndecided = -1;
  static std::int32_t FirstUnit(const ConverterSet& converters, const void* input, std::int32_t length,
                                Format format) {
    char16_t first = 0;
    if (format == Format::kUtf8) {
      const auto* bytes = static_cast<const Byte*>(input);
      if (length == 0) return 0;
      if (ReadCommonUtf8(bytes, bytes + length, first) == 0) return kUndecided;
    } else {
      first = static_cast<const char16_t*>(input)[0];
      if (format == Format::kCollcode || first == 0) return first;
    }
    const char16_t unit = converters.firstUnits.Of(first);
    return unit == 0 ? kUndecided : unit;
  }

  // The next unit (0 once the string has ended); false when the stream gave up.
  bool Next(char16_t& unit) {
    while (head_ == count_) {
      if (!Step()) return false;
      if (ended_) {
        unit = 0;
        return true;
      }
    }
    unit = units_[head_++];
    return true;
  }

 private:
  // Decodes one step into units; sets ended_ at the terminator.
  bool Step();
  // The UTF-16 text from the current position with at least four units
  // after it, or all that is left and the terminator; null when the UTF-8
  // holds a sequence the stream does not take.
  const char16_t* Lookahead();

  static constexpr std::int32_t kWindow = 32;
  static constexpr std::int32_t kLookahead = 4;

  const UnicodeConverter& unicode_;
  const CollationConverter& collation_;
  Format format_;
  // UTF-16 input (UNICODE, COLLCODE): the caller's string.
  const char16_t* wide_ = nullptr;
  std::int32_t widePosition_ = 0;
  // UTF-8 input: its bytes, and the units converted from them so far.
  const Byte* bytes_ = nullptr;
  std::int32_t byteLength_ = 0;
  std::int32_t bytePosition_ = 0;
  char16_t window_[kWindow + 1];
  std::int32_t windowBegin_ = 0;
  std::int32_t windowEnd_ = 0;
  bool bytesDone_ = false;
  // Collation units of the current step.
  char16_t units_[kShortStepMax];
  std::int32_t head_ = 0;
  std::int32_t count_ = 0;
  bool ended_ = false;
};

// A streamed comparison's answer: -1, 0 or 1, or none when the full
// comparison must decide. It is one 32-bit word, returned in a register: an
// optional's two fields, written apart and read as one, cost a stalled load
// on every comparison.
class StreamedOrder {
 public:
  constexpr StreamedOrder(std::nullopt_t) : order_(kNone) {}
  constexpr StreamedOrder(std::int32_t order) : order_(order) {}
  constexpr bool has_value() const { return order_ != kNone; }
  constexpr explicit operator bool() const { return has_value(); }
  constexpr std::int32_t operator*() const { return order_; }

 private:
  static constexpr std::int32_t kNone = std::numeric_limits<std::int32_t>::min();
  std::int32_t order_;
};

// CompareStreams once the first units have not decided, for two operands of
// UTF-8 or UNICODE: both read a unit at a time by the Unicode decoder's run,
// each unit's bytes turned into collation units as they come. While the two
// operands hold the same units only one reading is followed; from the first
// difference on, each its own. Empty where a unit stops the run or a byte has
// no collation unit of its own: CompareStreamsFromStart decides then.
StreamedOrder CompareUnitRuns(const ConverterSet& converters, const void* string1, std::int32_t length1,
                              Format format1, const void* string2, std::int32_t length2, Format format2);

// CompareStreams once the first units have not decided: the streams go on
// from the start.
StreamedOrder CompareStreamsFromStart(const ConverterSet& converters, const void* string1,
                                                    std::int32_t length1, Format format1, const void* string2,
                                                    std::int32_t length2, Format format2);

// Compares two operands by their streams in Telugu dictionary order, the
// same way as comparing their full collation strings. Empty when a format is
// not streamed or a stream gave up: the full comparison decides then.
inline StreamedOrder CompareStreams(const ConverterSet& converters, const void* string1,
                                                  std::int32_t length1, Format format1, const void* string2,
                                                  std::int32_t length2, Format format2) {
  if (!CollationStream::Handles(format1) || !CollationStream::Handles(format2)) return std::nullopt;
  // Words that differ in their first letter are decided by it, which is
  // the common case: no stream is built for it. So are empty operands.
  const std::int32_t firstX = CollationStream::FirstUnit(converters, string1, length1, format1);
  const std::int32_t firstY = CollationStream::FirstUnit(converters, string2, length2, format2);
  if (firstX != CollationStream::kUndecided && firstY != CollationStream::kUndecided) {
    if (firstX != firstY) {
      return OrderOfUnits(static_cast<char16_t>(firstX), static_cast<char16_t>(firstY));
    }
    if (firstX == 0) return 0;
  }
  if (format1 != Format::kCollcode && format2 != Format::kCollcode) {
    if (const auto order = CompareUnitRuns(converters, string1, length1, format1, string2, length2, format2)) {
      return order;
    }
  }
  return CompareStreamsFromStart(converters, string1, length1, format1, string2, length2, format2);
}

}  // namespace tirmok
