// CollationStream: an operand's collation units a step at a time.
#include "collation/collation_stream.h"

#include <algorithm>
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

namespace {

// Two operands' collation units compared one by one as they come, as the
// full comparison compares the strings: the terminator of the shorter string
// takes part. Empty when a stream gives up.
template <class Stream>
StreamedOrder CompareUnitByUnit(Stream& a, Stream& b) {
  for (;;) {
    char16_t x = 0, y = 0;
    if (!a.Next(x) || !b.Next(y)) return std::nullopt;
    if (x != y) return OrderOfUnits(x, y);
    if (x == 0) return 0;
  }
}

}  // namespace

StreamedOrder CompareStreamsFromStart(const ConverterSet& converters, const void* string1,
                                                    std::int32_t length1, Format format1, const void* string2,
                                                    std::int32_t length2, Format format2) {
  CollationStream a(converters, string1, length1, format1);
  CollationStream b(converters, string2, length2, format2);
  return CompareUnitByUnit(a, b);
}


namespace {

// An operand's characters as UTF-16 units, with the unit after the current
// one already read: UTF-8 as the stream reads it (ReadCommonUtf8), UTF-16 as
// it stands. The unit is 0 once the operand has ended (at its length or at a
// zero, as the full conversion ends there too).
class UnitCursor {
 public:
  UnitCursor(const void* text, std::int32_t length, Format format) {
    if (format == Format::kUtf8) {
      begin_ = bytes_ = static_cast<const Byte*>(text);
      end_ = bytes_ + length;
    } else {
      wideBegin_ = wide_ = static_cast<const char16_t*>(text);
      wideEnd_ = wide_ + length;
    }
  }

  // Reads the first two units; false for a character only the full conversion reads.
  bool Start() { return Read(unit_) && ReadNext(); }
  // Moves on by one unit.
  bool Advance() {
    unit_ = next_;
    return ReadNext();
  }
  char16_t Unit() const { return unit_; }
  char16_t Next() const { return next_; }
  // The units of the text read so far: both units are within them.
  std::int32_t Consumed() const {
    return static_cast<std::int32_t>(bytes_ != nullptr ? bytes_ - begin_ : wide_ - wideBegin_);
  }
  // Where the next unit begins: the current one is within the text before.
  std::int32_t NextAt() const { return nextAt_; }
  // Takes the place of a cursor of the same format whose text begins with
  // the same units as this one's up to its NextAt(); this one reads its own
  // next unit.
  bool Follow(const UnitCursor& other) {
    if (bytes_ != nullptr) {
      bytes_ = begin_ + other.nextAt_;
    } else {
      wide_ = wideBegin_ + other.nextAt_;
    }
    unit_ = other.unit_;
    return ReadNext();
  }

 private:
  bool ReadNext() {
    nextAt_ = Consumed();
    return Read(next_);
  }

  bool Read(char16_t& unit) {
    if (bytes_ != nullptr) {
      if (bytes_ == end_) {
        unit = 0;
        return true;
      }
      const std::int32_t taken = ReadCommonUtf8(bytes_, end_, unit);
      bytes_ += taken;
      if (unit == 0) end_ = bytes_;
      return taken != 0;
    }
    if (wide_ == wideEnd_) {
      unit = 0;
      return true;
    }
    unit = *wide_++;
    if (unit == 0) wideEnd_ = wide_;
    return true;
  }

  const Byte* begin_ = nullptr;
  const Byte* bytes_ = nullptr;
  const Byte* end_ = nullptr;
  const char16_t* wideBegin_ = nullptr;
  const char16_t* wide_ = nullptr;
  const char16_t* wideEnd_ = nullptr;
  char16_t unit_ = 0;
  char16_t next_ = 0;
  std::int32_t nextAt_ = 0;  // where the next unit begins
};

// The collation units of one unit read by the run where `taking` says (at
// most two, into `units`; their count into `count`), and whether its step goes
// on into the next unit into `taking`. False where the run stops or a byte
// written has no collation unit of its own.
bool CollationUnitsOf(const UnicodeConverter& unicode, const CollationConverter& collation, char16_t unit,
                      char16_t next, bool& taking, char16_t (&units)[2], std::uint32_t& count) {
  const UnicodeConverter::RunUnit read = unicode.ReadRunUnit(unit, taking, next);
  if (read.stop) return false;
  for (std::uint32_t i = 0; i < read.count; ++i) {
    units[i] = collation.UnitOf(read.bytes[i]);
    if (units[i] == 0) return false;
  }
  count = read.count;
  taking = read.continues;
  return true;
}

// One operand's collation units from a unit on, as the run decodes it.
class RunUnits {
 public:
  RunUnits(const UnicodeConverter& unicode, const CollationConverter& collation, UnitCursor& cursor, bool taking)
      : unicode_(unicode), collation_(collation), cursor_(cursor), taking_(taking) {}

  // The next collation unit (0 once the operand has ended); false where the run stops.
  bool Next(char16_t& unit) {
    while (head_ == count_) {
      if (cursor_.Unit() == 0) {
        unit = 0;
        return true;
      }
      head_ = 0;
      if (!CollationUnitsOf(unicode_, collation_, cursor_.Unit(), cursor_.Next(), taking_, units_, count_)) {
        return false;
      }
      if (!cursor_.Advance()) return false;
    }
    unit = units_[head_++];
    return true;
  }

 private:
  const UnicodeConverter& unicode_;
  const CollationConverter& collation_;
  UnitCursor& cursor_;
  bool taking_;
  char16_t units_[2] = {};
  std::uint32_t head_ = 0;
  std::uint32_t count_ = 0;
};

// How many units two texts of one format begin with alike.
template <class Unit>
std::int32_t SharedStart(const Unit* x, std::int32_t n1, const Unit* y, std::int32_t n2) {
  const std::int32_t n = std::min(n1, n2);
  constexpr std::int32_t kStride = static_cast<std::int32_t>(sizeof(std::uint64_t) / sizeof(Unit));
  std::int32_t i = 0;
  for (; i + kStride <= n; i += kStride) {
    std::uint64_t wx = 0, wy = 0;
    std::memcpy(&wx, x + i, sizeof wx);
    std::memcpy(&wy, y + i, sizeof wy);
    if (wx != wy) break;
  }
  while (i < n && x[i] == y[i]) ++i;
  return i;
}

}  // namespace

StreamedOrder CompareUnitRuns(const ConverterSet& converters, const void* string1, std::int32_t length1,
                              Format format1, const void* string2, std::int32_t length2, Format format2) {
  const UnicodeConverter& unicode = converters.unicode;
  const CollationConverter& collation = converters.collation;
  UnitCursor a(string1, length1, format1);
  UnitCursor b(string2, length2, format2);
  if (!a.Start() || !b.Start()) return std::nullopt;
  // A unit writes what its own unit, the next and whether it is taken in
  // decide; so while both operands agree on a unit and the one after it, that
  // unit writes the same in both, and only whether its byte has a collation
  // unit needs asking.
  bool taking = false;
  char16_t units[2];  // what the shared units write: only checked, the same in both
  std::uint32_t count = 0;
  if (format1 == format2) {
    // Operands of one format agree on every unit read from the text they
    // share: there one reading serves both.
    const std::int32_t shared =
        format1 == Format::kUtf8
            ? SharedStart(static_cast<const Byte*>(string1), length1, static_cast<const Byte*>(string2), length2)
            : SharedStart(static_cast<const char16_t*>(string1), length1, static_cast<const char16_t*>(string2),
                          length2);
    while (a.Consumed() <= shared && a.Next() != 0) {
      if (!CollationUnitsOf(unicode, collation, a.Unit(), a.Next(), taking, units, count) || !a.Advance()) {
        return std::nullopt;
      }
    }
    if (a.Unit() != 0 && a.NextAt() <= shared && !b.Follow(a)) return std::nullopt;
  }
  while (a.Unit() == b.Unit() && a.Next() == b.Next()) {
    if (a.Unit() == 0) return 0;  // the same units to the end
    if (!CollationUnitsOf(unicode, collation, a.Unit(), a.Next(), taking, units, count)) return std::nullopt;
    if (!a.Advance() || !b.Advance()) return std::nullopt;
  }
  RunUnits x(unicode, collation, a, taking);
  RunUnits y(unicode, collation, b, taking);
  return CompareUnitByUnit(x, y);
}

}  // namespace tirmok
