// The date phrase table's words: English names and their Telugu words in the Latin transliteration.
#pragma once

#include <span>

namespace tirmok {

// One row: the English word in capitals, its abbreviation (null when there
// is none) and the Telugu word, written as the transliteration encoder writes
// it so that normalised Telugu input finds it.
struct DateWordRow {
  const char* english;
  const char* abbreviation;
  const char* telugu;
};

std::span<const DateWordRow> WeekdayRows();
std::span<const DateWordRow> MonthRows();
std::span<const DateWordRow> DayPartRows();

}  // namespace tirmok
