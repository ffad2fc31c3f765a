// The ISO 15919 romanisation tables: internal code paired with its letters, in UTF-16 and in the 8-bit form.
#pragma once

#include <algorithm>
#include <array>
#include <span>
#include <type_traits>

#include "core/mapping_table.h"
#include "core/piece.h"
#include "core/run_loop.h"
#include "core/short_match.h"
#include "core/utf.h"

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

// The short form of a romanisation encoder's table step, EncodeRomanisedMatch
// above (the reference it restates, guarded by the ISO 15919 tests of
// tests/fast_paths_test.cpp): per internal byte, the left-keyed entries its
// lookup compares (see ShortGroup), their UTF-8 forms for the UTF-8 output,
// and the same colon separator after the match. Where a group does not fit or
// nothing matches (escapes, controls, bytes without a form) the step declines
// and the full step decides.
//
// Runs of bytes matched by a one-byte key (most letters) go a byte at a time
// through RunByUnits: each byte's cell, made from its group, holds its value's
// units, ready to be stored whole, whether it may take a separator, and the
// next byte that would make a longer key, before which the run stops; a byte
// that takes a separator writes it and goes on into the next byte, which the
// separator consumes.
template <class Text>
class RomanisedShortcuts {
 public:
  using Group = ShortGroup<Byte, Text>;
  // Value units and the separator: within kShortStepMax, and their UTF-8 within kShortUtf8Max.
  static_assert(Group::kMaxValue + 2 <= kShortStepMax);

  RomanisedShortcuts(const BasicMappingTable<Byte, Text>& table, bool (*haSet)(Byte)) : haSet_(haSet) {
    for (std::uint32_t b = 0; b < 256; ++b) {
      const Group& group = groups_[b] = Group::Of(table.LeftKeyed(), b);
      if constexpr (kWide) {
        for (std::int32_t i = 0; i < group.count; ++i) {
          utf8_[b][static_cast<std::size_t>(i)] = Utf8Form::Of(group.entries[i].View());
        }
      }
      // What may follow the byte's match: ha after a consonant of the set
      // (class 1), i or u after a (class 2).
      const auto lead = static_cast<Byte>(b);
      const std::uint8_t separates = (haSet(lead) ? 1 : 0) | (lead == code::kVowelA ? 2 : 0);
      nextClass_[b] = lead == code::kHa ? 1 : (lead == code::kVowelI || lead == code::kVowelU) ? 2 : 0;
      separatorLetter_[b] = lead == code::kHa ? 'h' : lead == code::kVowelI ? 'i' : 'u';
      // The byte's one-byte entry, when its group holds one; pairs before it
      // (a consonant with nukta) must all have the same second byte, before
      // which the run stops.
      if (b == 0 || !group.complete) continue;
      const typename Group::Entry* single = nullptr;
      Byte second = 0;
      bool oneSecond = true;
      for (std::int32_t i = 0; i < group.count && single == nullptr; ++i) {
        const auto& entry = group.entries[i];
        if (entry.keyLength == 1) {
          single = &entry;
        } else {
          oneSecond = oneSecond && (second == 0 || second == entry.second);
          second = entry.second;
        }
      }
      if (single == nullptr || !oneSecond) continue;
      MakeCell(runCells_[b], single->View(), separates, second);
      if constexpr (kWide) {
        const Utf8Form& form = utf8_[b][static_cast<std::size_t>(single - group.entries)];
        if (form.usable) MakeCell(utf8Cells_[b], std::span<const Byte>(form.bytes, form.size), separates, second);
      }
    }
  }

  // The encoders' run loop: runs of cells first, then short steps, and the
  // converter's plain `step` wherever both decline.
  template <class Sink, class PlainStep>
  std::int32_t RunLoop(const Byte* input, std::int32_t length, Sink& sink, std::int32_t shortMax,
                       PlainStep step) const {
    return RunLoopWithShortRuns(
        input, length, sink, shortMax,
        [this](const Byte* p, std::int32_t count, auto* out, const auto* last) { return Run(p, count, out, last); },
        [this](const Byte* p, auto* out) { return Step(p, out); }, step);
  }

  // The runs for RunLoopWithShortRuns: bytes from `p` whose cells hold their
  // step, while a step begins within `count` bytes and `out` has not passed `last`.
  template <class Out>
  ShortStepResult Run(const Byte* p, std::int32_t count, Out* out, const Out* last) const {
    const auto& cells = CellsFor<Out>();
    return RunByUnits(p, count, out, last, [&](const Byte* q, std::uint32_t taking, Out* s) -> UnitResult {
      if (taking != 0) return {0, false, false};  // the byte the separator consumed
      const RunCell<Out>& cell = cells[q[0]];
      if (cell.size == 0 || q[1] == cell.stopBefore) return {0, false, true};
      std::copy(cell.units.begin(), cell.units.end(), s);
      const bool separated = (cell.separates & nextClass_[q[1]]) != 0;
      const std::int32_t n = cell.size - 1;
      s[n] = static_cast<Out>(':');
      s[n + 1] = static_cast<Out>(separatorLetter_[q[1]]);
      return {n + (separated ? 2 : 0), separated, false};
    });
  }

  // Writes at `out` what the table step and the run's sink would make of the
  // step at `p` (Out is Text, or Byte for the UTF-8 form of wide text) and
  // returns what it consumed and wrote, or declines with nothing written.
  template <class Out>
  ShortStepResult Step(const Byte* p, Out* out) const {
    const Group& group = groups_[p[0]];
    if (!group.complete) return {0, 0};
    const std::int32_t i = group.FindIndex(p);
    if (i < 0) return {0, 0};
    std::int32_t n = 0;
    if constexpr (kWide && std::is_same_v<Out, Byte>) {
      const Utf8Form& form = utf8_[p[0]][static_cast<std::size_t>(i)];
      if (!form.usable) return {0, 0};
      n = form.Write(out);
    } else {
      n = group.entries[i].Write(out);
    }
    const std::int32_t length = group.entries[i].keyLength;
    if (const char* separator = RomanisationSeparator(p[0], p[length], haSet_)) {
      out[n] = static_cast<Out>(separator[0]);
      out[n + 1] = static_cast<Out>(separator[1]);
      return {length + 1, n + 2};
    }
    return {length, n};
  }

 private:
  static constexpr bool kWide = std::is_same_v<Text, char16_t>;
  struct NoForms {};
  using Forms = std::conditional_t<kWide, std::array<std::array<Utf8Form, Group::kMaxEntries>, 256>, NoForms>;

  // A byte's whole step in a run: its value in 8 bytes of units, stored
  // whole; `size` is the value's units plus one, 0 for a byte the run stops at.
  template <class Out>
  struct RunCell {
    std::array<Out, 8 / sizeof(Out)> units{};
    std::uint8_t size = 0;
    std::uint8_t separates = 0;  // the classes of the next byte that take a separator
    Byte stopBefore = 0;         // a next byte that makes a longer key (0: the terminator, harmlessly)
  };
  template <class Out, class Value>
  static void MakeCell(RunCell<Out>& cell, std::span<const Value> value, std::uint8_t separates, Byte stopBefore) {
    if (value.size() > cell.units.size()) return;
    for (std::size_t i = 0; i < value.size(); ++i) cell.units[i] = static_cast<Out>(value[i]);
    cell.size = static_cast<std::uint8_t>(value.size() + 1);
    cell.separates = separates;
    cell.stopBefore = stopBefore;
  }
  template <class Out>
  const auto& CellsFor() const {
    if constexpr (kWide && std::is_same_v<Out, Byte>) {
      return utf8Cells_;
    } else {
      return runCells_;
    }
  }

  bool (*haSet_)(Byte);
  std::array<Group, 256> groups_{};
  Forms utf8_{};
  std::array<RunCell<Text>, 256> runCells_{};
  std::conditional_t<kWide, std::array<RunCell<Byte>, 256>, NoForms> utf8Cells_{};
  std::array<std::uint8_t, 256> nextClass_{};
  std::array<char, 256> separatorLetter_{};
};

}  // namespace tirmok
