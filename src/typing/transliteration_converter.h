// TransliterationConverter: internal code <-> the Latin transliteration ("TELTRANS").
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/internal_code.h"
#include "core/mapping_table.h"
#include "core/piece.h"
#include "core/run_loop.h"
#include "core/short_match.h"

namespace tirmok {

// The plain-ASCII, case-sensitive romanisation. It mirrors the internal code
// token for token: a consonant is written bare, every vowel (the inherent a
// included) is written out. Four tables pair Latin forms (left) with internal
// code (right); they are built once and only read afterwards, and every call
// keeps its working state on its own stack, so calls may run concurrently.
class TransliterationConverter {
 public:
  TransliterationConverter();

  // Text of the format in (`length` bytes, -1 for all), internal code out
  // (`capacity` bytes with the terminator). Returns the bytes consumed.
  std::int32_t Decode(const Byte* input, std::int32_t length, Byte* output,
                      std::int32_t capacity) const;
  // Internal code in, text of the format out. Returns the bytes consumed.
  std::int32_t Encode(const Byte* input, std::int32_t length, Byte* output,
                      std::int32_t capacity) const;

  // One step at `p` (a position in a zero-terminated string): writes the
  // step's output into `piece` and returns the bytes consumed, 0 only at the
  // terminator.
  std::int32_t DecodeStep(const Byte* p, Piece<Byte>& piece) const;
  std::int32_t EncodeStep(const Byte* p, Piece<Byte>& piece) const;

  // The four tables, in the order the steps consult them.
  enum class TableKind : std::uint8_t { kNone, kWords, kVowels, kConsonants, kSigns };

 private:
  // Which table a step consults first for a byte, and what it gives there
  // when the byte alone decides; the cells below are made from these.
  struct Shortcut {
    TableKind kind = TableKind::kNone;
    std::uint8_t separator = 0;  // index into separators_
    ShortGroup<Byte, Byte> group;
  };
  // What an encoding step writes after its entry, by the byte that follows:
  // none, the vowel break before a vowel, "~" before ha, "~" after the tilde.
  struct Separator {
    std::array<bool, 256> before{};
    std::uint8_t size = 0;
    Byte text[2] = {};
  };

  // The short steps' answers packed for the hot loops, made from the
  // shortcuts: what a step consumes and writes where its first byte decides
  // it alone, or together with the byte after it. A byte's cell is found
  // without a branch: `base` is its cell, or the first of its row of 256
  // cells by the next byte, which `mask` lets through. Values of up to four
  // bytes; cell 0, and any cell with nothing consumed, leaves the step to the
  // rules.
  struct Cell {
    std::uint8_t consumed = 0;
    std::uint8_t size = 0;          // bytes of text
    std::uint8_t separator = 0;     // encoding: the separator that may follow (index into separators_)
    std::uint8_t separatorBit = 0;  // its bit in separatorBits_, 0 for none
    Byte text[4] = {};
  };
  struct CellTable {
    std::array<std::uint16_t, 256> base{};
    std::array<Byte, 256> mask{};
    std::vector<Cell> cells;
  };

  void MakeShortcuts();
  static CellTable MakeCells(const std::array<Shortcut, 256>& shortcuts);
  // The short step of Decode (no separators) or Encode (with them).
  template <bool kSeparators>
  ShortStepResult CellStep(const CellTable& cells, const Byte* p, Byte* out) const;

  MappingTable words_;
  MappingTable vowels_;
  MappingTable consonants_;
  MappingTable signs_;
  std::array<Separator, 4> separators_{};
  // Bit 1 << i is set for the bytes before which separator i is written.
  std::array<std::uint8_t, 256> separatorBits_{};
  CellTable decodeCells_;
  CellTable encodeCells_;
};

}  // namespace tirmok
