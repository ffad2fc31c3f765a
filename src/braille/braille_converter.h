// BrailleConverter: internal code <-> North American ASCII Braille ("BRAILLE") and Unicode Braille cells ("BRAILLE_UNICODE").
#pragma once

#include <array>
#include <cstdint>

#include "core/internal_code.h"
#include "core/mapping_table.h"
#include "core/piece.h"
#include "core/properties.h"
#include "core/short_match.h"

namespace tirmok {

class BrailleConverter {
 public:
  BrailleConverter();

  // Encode by the plain rules alone, step by step: what Encode gives, for the
  // tests of its fast paths.
  std::int32_t EncodeStepByStep(const PropertyStore& properties, const Byte* input, Byte* output,
                                std::int32_t capacity, bool* whole = nullptr) const;

  // Internal code in (zero-terminated), ASCII Braille out (`capacity` bytes
  // with the terminator), whole words only. LPX_KEY_NEMETH, LPX_KEY_SUBSCRIPT
  // and LPX_KEY_SUPERSCRIPT in `properties` select the options. ASCII digits,
  // which reach it as escapes, are written as digits; every other escape is
  // left out. Returns the output's length; `whole` (when given) says whether
  // every word was written.
  std::int32_t Encode(const PropertyStore& properties, const Byte* input, Byte* output,
                      std::int32_t capacity, bool* whole = nullptr) const;

  // ASCII Braille in (`length` bytes, -1 for the whole zero-terminated
  // string), normalised internal code out (`capacity` bytes with the
  // terminator), whole steps only; the same three properties say how the
  // cells were written. Where cells have more than one reading, the one real
  // Telugu text uses is taken (see the reading rules in the source); bytes
  // that are no Braille cell in their place become escapes. Returns the
  // number of input bytes consumed.
  std::int32_t Decode(const PropertyStore& properties, const Byte* input, std::int32_t length, Byte* output,
                      std::int32_t capacity) const {
    return DecodeCells(properties, input, length, output, capacity, false);
  }

  // The same cells as Unicode Braille patterns (U+2800 to U+283F, the empty
  // cell U+2800), `capacity` in 16-bit units; whitespace and control
  // characters stay as they are.
  std::int32_t EncodeUnicode(const PropertyStore& properties, const Byte* input, char16_t* output,
                             std::int32_t capacity, bool* whole = nullptr) const;
  // Reads Unicode Braille patterns (and spaces and control characters; any
  // other unit becomes an escape) through `work`, a byte buffer of
  // `workCapacity` bytes, five per input unit being always enough.
  std::int32_t DecodeUnicode(const PropertyStore& properties, const char16_t* input, std::int32_t length,
                             Byte* work, std::int32_t workCapacity, Byte* output, std::int32_t capacity) const;

  // The two forms hold the same cells, so each is turned into the other
  // pattern for pattern, without reading the text: exactly, for every cell,
  // space and control character. Bytes that are no cell keep their value as
  // a unit; units that are neither a pattern nor a space or control
  // character are left out of ASCII Braille, which holds nothing else (as
  // Braille leaves out what it has no cell for). Both return the number of
  // input units consumed.
  std::int32_t CellsToPatterns(const Byte* input, std::int32_t length, char16_t* output,
                               std::int32_t capacity) const;
  std::int32_t PatternsToCells(const char16_t* input, std::int32_t length, Byte* output,
                               std::int32_t capacity) const;

 private:
  // The options a conversion reads from the property store when it starts.
  struct Options {
    bool nemeth = false;
    bool subscript = false;
    bool superscript = false;
  };

  // Everything a conversion remembers between units. The quote flag lasts the
  // whole conversion; the other three are cleared at the start of each word.
  struct State {
    bool quoteOpen = false;
    bool numberSign = false;  // the number sign is written for the current number
    bool inNumber = false;    // the current byte belongs to a number
    bool hyphen = false;      // the previous sign was a hyphen-minus
  };

  // kFast: with the short syllables and words written at once where they
  // surely fit; without, every step by EncodeStep and every word measured
  // first (the reference the fast form is tested against).
  template <class Unit, bool kFast = true>
  std::int32_t EncodeCells(const PropertyStore& properties, const Byte* input, Unit* output,
                           std::int32_t capacity, bool* whole) const;

  // Encodes the word [word, end) into at most `room` cells, writing them to
  // `out` unless it is null. Returns the number of cells, or -1 (with nothing
  // more written) as soon as they exceed `room`.
  template <class Unit, bool kFast>
  std::int64_t EncodeWord(const Byte* word, const Byte* end, const Options& options, State& state,
                          Unit* out, std::int64_t room) const;

  // A cell as a unit of the output: the ASCII Braille byte, or its pattern.
  Byte CellUnit(Byte cell, Byte*) const { return cell; }
  char16_t CellUnit(Byte cell, char16_t*) const;

  // `escapesPassed`: the input carries escapes for what was no cell (the
  // Unicode form), which are copied as they stand.
  std::int32_t DecodeCells(const PropertyStore& properties, const Byte* input, std::int32_t length, Byte* output,
                           std::int32_t capacity, bool escapesPassed) const;

  // Encodes one unit at `p` (before `end`, the end of its word) into `unit`.
  // Returns the number of input bytes consumed, at least 1.
  std::int32_t EncodeStep(const Byte* p, const Byte* end, const Options& options, State& state,
                          Piece<Byte>& unit) const;

  using CellGroup = ShortGroup<Byte, Byte>;
  static constexpr std::int32_t kShortCellsMax = 2 * CellGroup::kMaxValue;
  // EncodeStep's consonant syllable (its letter rules, restated from the
  // groups below; guarded by the Braille test of tests/fast_paths_test.cpp):
  // writes its cells at `cells` (at most kShortCellsMax, with room for
  // kMaxValue more stored past them) and returns the bytes
  // consumed, or 0, writing nothing, where only EncodeStep decides.
  std::int32_t ShortSyllable(const Byte* p, const Byte* end, Byte* cells, std::int32_t& written) const;

  // What the reader has just read, for the cells whose reading depends on it.
  enum class Read : std::uint8_t {
    kWordStart,      // nothing yet in this word (or only its indicator)
    kBareConsonant,  // a consonant without vowel
    kSyllable,       // a consonant with its vowel, or an independent vowel
    kNumberSign,
    kDigit,
    kInNumber,       // a sign that keeps the number going
    kHyphen,         // a hyphen that keeps the number going
    kOpening,        // an opening quote or parenthesis
    kSign,
  };
  // Everything a reading remembers between steps.
  struct ReadState {
    bool quoteOpen = false;
    std::int32_t parentheses = 0;  // open parentheses
    Read previous = Read::kWordStart;
    bool indicatorRead = false;  // the subscript or superscript indicator of this word
  };

  std::int32_t DecodeStep(const Byte* p, const Options& options, bool escapesPassed, ReadState& state,
                          Piece<Byte>& unit) const;
  // The digit written at `p` (its internal code and cells), if any.
  Match<Byte, Byte> DigitAt(const Byte* p, const Options& options) const;
  // Whether the cells at `p` begin a letter: a consonant, a vowel or a consonant without vowel.
  bool LetterAt(const Byte* p) const;
  // Whether the word at `p` (after its indicator) holds only digits and the signs inside numbers.
  bool NumberWord(const Byte* p, const Options& options) const;

  MappingTable consonants_;  // left: internal code; value: cells
  std::int64_t longestCells_ = 0;  // the most cells of any value of the five tables above
  // The consonant and vowel entries a lookup compares, per first byte.
  std::array<CellGroup, 256> consonantGroups_{};
  std::array<CellGroup, 256> vowelGroups_{};
  MappingTable vowels_;
  MappingTable signs_;
  MappingTable numbers_;     // signs inside a number
  MappingTable nemeth_;      // only with the Nemeth option

  // The reader's tables, keyed by cells: the same rows, for the internal code
  // the encoder is given (normalised), each reading once.
  MappingTable consonantReadings_;
  MappingTable vowelReadings_;
  MappingTable signReadings_;    // without the digits and the cells the rules read themselves
  MappingTable digitReadings_;   // A to J
  MappingTable nemethReadings_;  // without the digits
  MappingTable nemethDigitReadings_;
  MappingTable numberReadings_;  // full stop and solidus between digits

  std::array<char16_t, 128> patternOfCell_{};  // ASCII Braille 32 to 95 -> U+2800 to U+283F
  std::array<Byte, 64> cellOfPattern_{};       // and back
};

}  // namespace tirmok
