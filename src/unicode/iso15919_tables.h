// The ISO 15919 romanisation tables: internal code paired with its letters, in UTF-16 and in the 8-bit form.
#pragma once

#include <span>

#include "core/mapping_table.h"
#include "core/piece.h"

namespace tirmok {

// One row of a romanisation table: an internal-code string and its text. A row
// with a `count` above 1 stands for that many entries, the first byte of the
// code and the first unit of the text rising by one from each entry to the
// next. `direction` is that of `AddEntry` (both arrays unless stated).
template <class Text>
struct RomanisationRow {
  Units<Byte> code;
  Units<Text> text;
  int count = 1;
  int direction = BasicMappingTable<Byte, Text>::kBoth;
};

// The rows of "ISO15919" in their order of addition, candrabindu first.
std::span<const RomanisationRow<char16_t>> Iso15919Rows();
// The rows of "ISO15919_ANSI" in their order of addition, candrabindu first.
std::span<const RomanisationRow<Byte>> Iso15919AnsiRows();

// Adds every entry of `rows` to `table`, in order.
template <class Text>
void AddRomanisationRows(BasicMappingTable<Byte, Text>& table, std::span<const RomanisationRow<Text>> rows) {
  for (const RomanisationRow<Text>& row : rows) {
    for (int i = 0; i < row.count; ++i) {
      Units<Byte> code = row.code;
      Units<Text> text = row.text;
      if (code.size > 0) code.data[0] = static_cast<Byte>(code.data[0] + i);
      if (text.size > 0) text.data[0] = static_cast<Text>(text.data[0] + i);
      table.AddEntry(code, text, row.direction);
    }
  }
}

// The colon separator the romanisation writes between a matched letter and
// the byte after it, so that the two do not read back as one letter: ":h"
// before ha after a consonant of `haSet` (else the pair reads as an
// aspirate), ":i" and ":u" after a before i and u (else a diphthong). Returns
// the two characters, or null when no separator is needed.
inline const char* RomanisationSeparator(Byte lead, Byte next, bool (*haSet)(Byte)) {
  if (next == code::kHa && haSet(lead)) return ":h";
  if (lead == code::kVowelA && next == code::kVowelI) return ":i";
  if (lead == code::kVowelA && next == code::kVowelU) return ":u";
  return nullptr;
}

// The encoding step's table part, shared by both forms of the romanisation:
// the longest match at `p` and, where the byte after it needs one, the colon
// separator, which then consumes that byte too. Returns 0 without a match.
template <class Text>
std::int32_t EncodeRomanisedMatch(const BasicMappingTable<Byte, Text>& table, const Byte* p, Piece<Text>& piece,
                                  bool (*haSet)(Byte)) {
  const auto match = table.MatchLeft(p);
  if (!match) return 0;
  piece.Append(match.value);
  // The key holds no zero byte, so the byte after it is at most the terminator.
  if (const char* separator = RomanisationSeparator(match.key[0], p[match.length], haSet)) {
    piece.Push(static_cast<Text>(separator[0]));
    piece.Push(static_cast<Text>(separator[1]));
    return match.length + 1;
  }
  return match.length;
}

}  // namespace tirmok
