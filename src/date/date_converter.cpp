// DateConverter: English weekday and month names and AM/PM <-> Telugu words in the transliteration scheme.
#include "date/date_converter.h"

#include <cstring>
#include <span>
#include <vector>

#include "core/run_loop.h"
#include "core/text.h"
#include "date/date_tables.h"
#include "typing/transliteration_converter.h"

namespace tirmok {
namespace {

constexpr int kKeepOrderOfAddition = 1;

// Removes the joiners 94 and 95 from a zero-terminated internal-code string in place.
void DropJoiners(Byte* text) {
  Byte* out = text;
  for (const Byte* in = text; *in != code::kEnd; ++in) {
    if (*in != code::kJoiner && *in != code::kSeparator) *out++ = *in;
  }
  *out = code::kEnd;
}

}  // namespace

// Full names come before their abbreviations (weekdays, then months), so a
// Telugu word reads back as the full name, and an English full name is
// replaced whole rather than by its abbreviation's prefix.
DateConverter::DateConverter() {
  for (const auto rows : {WeekdayRows(), MonthRows(), DayPartRows()}) {
    for (const DateWordRow& row : rows) {
      table_.AddEntry(row.english, row.telugu, MappingTable::kBoth, kKeepOrderOfAddition);
    }
    for (const DateWordRow& row : rows) {
      if (row.abbreviation != nullptr) {
        table_.AddEntry(row.abbreviation, row.telugu, MappingTable::kBoth, kKeepOrderOfAddition);
      }
    }
  }
}

std::int32_t DateConverter::Convert(const Byte* phrase, bool fromEnglish, Byte* output,
                                    std::int32_t capacity,
                                    const TransliterationConverter& transliteration, Byte* workA,
                                    Byte* workB, std::int32_t workCapacity) const {
  if (phrase == nullptr || output == nullptr || capacity < 1) return 0;
  BufferSink<Byte> sink(output, capacity);

  std::vector<Byte> upper;
  const Byte* text = nullptr;
  if (fromEnglish) {
    // Plain ASCII upper-casing: the table's English words are ASCII capitals.
    upper.assign(phrase, phrase + std::strlen(reinterpret_cast<const char*>(phrase)) + 1);
    for (Byte& c : upper) c = AsciiUpper(c);
    text = upper.data();
  } else {
    // Decoding and encoding again brings every spelling of a word to the one
    // the encoder writes, which is the spelling the table holds. The joiners
    // go in between, so that a word typed with one still matches.
    if (workA == nullptr || workB == nullptr || workCapacity < 1) return 0;
    transliteration.Decode(phrase, -1, workA, workCapacity);
    DropJoiners(workA);
    transliteration.Encode(workA, -1, workB, workCapacity);
    text = workB;
  }

  // Every position is looked at, with no regard to word boundaries.
  for (const Byte* p = text; *p != code::kEnd;) {
    const auto match = fromEnglish ? table_.MatchLeft(p) : table_.MatchRight(p);
    const std::span<const Byte> piece = match ? match.value : std::span<const Byte>(p, 1);
    if (!sink.Append(piece)) break;
    p += match ? match.length : 1;
  }
  return sink.Length();
}

}  // namespace tirmok
