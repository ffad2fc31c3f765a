// BrailleConverter: internal code <-> North American ASCII Braille ("BRAILLE") and Unicode Braille cells ("BRAILLE_UNICODE").
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "braille/braille_shortcuts.h"
#include "core/internal_code.h"
#include "core/mapping_table.h"
#include "core/piece.h"
#include "core/properties.h"
#include "core/run_loop.h"

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
    return DecodeCells<true>(properties, input, length, output, capacity, false);
  }

  // The same cells as Unicode Braille patterns (U+2800 to U+283F, the empty
  // cell U+2800), `capacity` in 16-bit units; whitespace and control
  // characters stay as they are.
  std::int32_t EncodeUnicode(const PropertyStore& properties, const Byte* input, char16_t* output,
                             std::int32_t capacity, bool* whole = nullptr) const;
  std::int32_t EncodeUnicodeStepByStep(const PropertyStore& properties, const Byte* input, char16_t* output,
                                       std::int32_t capacity, bool* whole = nullptr) const;
  // Reads Unicode Braille patterns (and spaces and control characters; any
  // other unit becomes an escape) through `work`, a byte buffer of
  // `workCapacity` bytes, five per input unit being always enough.
  std::int32_t DecodeUnicode(const PropertyStore& properties, const char16_t* input, std::int32_t length,
                             Byte* work, std::int32_t workCapacity, Byte* output, std::int32_t capacity) const {
    return DecodePatterns<true>(properties, input, length, work, workCapacity, output, capacity);
  }

  // Decode and DecodeUnicode by the plain reading rules alone, a step and a
  // unit at a time: what they give, for the tests of their shortcuts.
  std::int32_t DecodeStepByStep(const PropertyStore& properties, const Byte* input, std::int32_t length,
                                Byte* output, std::int32_t capacity) const {
    return DecodeCells<false>(properties, input, length, output, capacity, false);
  }
  std::int32_t DecodeUnicodeStepByStep(const PropertyStore& properties, const char16_t* input, std::int32_t length,
                                       Byte* work, std::int32_t workCapacity, Byte* output,
                                       std::int32_t capacity) const {
    return DecodePatterns<false>(properties, input, length, work, workCapacity, output, capacity);
  }

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
  char16_t CellUnit(Byte cell, char16_t*) const { return unitOfCell_[cell]; }

  // `escapesPassed`: the input carries escapes for what was no cell (the
  // Unicode form), which are copied as they stand. kFast: with the reader's
  // shortcuts; without, every step by DecodeStep (their reference).
  template <bool kFast>
  std::int32_t DecodeCells(const PropertyStore& properties, const Byte* input, std::int32_t length, Byte* output,
                           std::int32_t capacity, bool escapesPassed) const;
  template <bool kFast>
  std::int32_t DecodePatterns(const PropertyStore& properties, const char16_t* input, std::int32_t length,
                              Byte* work, std::int32_t workCapacity, Byte* output, std::int32_t capacity) const;

  // Encodes one unit at `p` (before `end`, the end of its word) into `unit`.
  // Returns the number of input bytes consumed, at least 1.
  std::int32_t EncodeStep(const Byte* p, const Byte* end, const Options& options, State& state,
                          Piece<Byte>& unit) const;

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
  std::int64_t longestCells_ = 0;  // the most cells of any value of the five tables
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
  std::array<char16_t, 256> unitOfCell_{};     // each byte's unit: its pattern, or itself where it is no cell

  // --- Shortcuts (braille_shortcuts.cpp) ---
  // The common steps both ways answered from tables made at start-up from
  // the tables above and the plain steps; each gives exactly what its plain
  // step gives (guarded by the Braille tests of tests/fast_paths_test.cpp).

  // A unit as the shortcuts give it: its cells (writing) or internal code
  // (reading) packed first unit in the low byte, and the input consumed (0:
  // the plain step decides).
  struct PackedUnit {
    std::uint64_t units = 0;
    std::int32_t count = 0;
    std::int32_t consumed = 0;
  };
  static constexpr std::int32_t kPackedMax = 8;
  // What follows a consonant's cells, by the byte after its key (or
  // kInherentVowel when that is the inherent vowel left out): the no-vowel
  // cell in front, or the vowel's cells behind, and the bytes it consumes.
  struct AfterConsonant {
    std::uint32_t post = 0;
    std::uint8_t pre = 0;
    std::uint8_t preCount = 0;
    std::uint8_t postCount = 0;
    std::uint8_t consumed = 0;
    bool usable = false;
  };
  static constexpr std::size_t kInherentVowel = 256;
  // What the reader's shortcut may do with a first cell.
  enum class ReadKind : std::uint8_t { kPlain, kDelimiter, kLetter, kBareConsonant, kAnusvara, kSign };

  void BuildShortcuts();
  // EncodeStep's letters (a consonant's syllable, an independent vowel), its
  // digits (also as escapes) and, while the word's number flags are clear,
  // its signs that leave them clear.
  PackedUnit ShortUnit(const Byte* p, const Options& options, State& state) const;
  PackedUnit ShortSyllable(const Byte* p) const;
  // Every word from `p` (the start of one) to the end of the input, known to
  // fit at `out`; returns the cells written.
  template <class Unit>
  std::int64_t EncodeRest(const Byte* p, const Options& options, State& state, Unit* out) const;

  // DecodeStep's syllables, consonants without vowel, independent vowels,
  // anusvara, whitespace and signs outside numbers and quotes; where it
  // declines, nothing has changed.
  PackedUnit ReadShort(const Byte* p, const Options& options, ReadState& state) const;
  // Shortcuts from `p` while one begins within `count` bytes and `out` has
  // not passed `last`: what they consumed and wrote (see RunLoopWithShortRuns).
  ShortStepResult ReadRun(const Byte* p, std::int32_t count, Byte* out, const Byte* last, const Options& options,
                          ReadState& state) const;

  // Writing.
  PairKeys consonantKeys_;
  PairKeys vowelKeys_;
  std::array<AfterConsonant, kInherentVowel + 1> afterConsonant_{};
  std::array<std::array<PackedUnit, 256>, 2> plainSigns_{};  // by the Nemeth option
  std::array<std::array<PackedUnit, 10>, 2> digitCells_{};   // without the number sign
  // The commonest syllables in one lookup: by the letter and the class of
  // what follows it (each vowel, the inherent vowel left out, anything that
  // is no vowel, or a byte that may continue the consonant's key).
  static constexpr std::size_t kLetterIndexes = 65;  // the last: no letter
  static constexpr std::size_t kNoVowelFollows = 19;
  static constexpr std::size_t kInherentVowelLeftOut = 20;
  static constexpr std::size_t kKeyMayGoOn = 21;
  static constexpr std::size_t kFollowers = 22;
  PackedUnit QuickSyllable(const Byte* p) const;
  // The entry for the letter at `p` and what follows it (consumed 0: none).
  const PackedUnit& SyllableEntry(const Byte* p) const;
  // The bytes a syllable of one lookup consumes: the letter, and the vowel
  // after a consonant. Entries that consume otherwise are not kept.
  static constexpr std::int32_t SyllableLength(Byte letter, Byte next) {
    return IsConsonant(letter) && IsVowel(next) && next < code::kVowelA + kNoVowelFollows ? 2 : 1;
  }
  std::array<std::uint8_t, 256> letterIndex_{};
  std::array<std::uint8_t, 256> followerIndex_{};
  std::vector<PackedUnit> syllableCells_;

  // Reading: the readings, whether a consonant's first cell begins no sign,
  // whether the no-vowel cell with the cell after it may begin a sign, and
  // the shortcut per first cell, both by the Nemeth option.
  PairKeys consonantReadingKeys_;
  PairKeys vowelReadingKeys_;
  PairKeys signReadingKeys_;
  std::array<bool, 256> beginsNoSign_{};
  std::array<std::array<bool, 256>, 2> noVowelSign_{};
  std::array<std::array<ReadKind, 256>, 2> readKinds_{};
  // The commonest readings in one lookup: a syllable by its first two cells
  // (cells 32 to 95, and 64 for any other byte), where those decide it; a
  // consonant without vowel by the cell after the no-vowel cell, by the
  // Nemeth option.
  static constexpr std::size_t kCellIndexes = 65;
  std::array<std::uint8_t, 256> cellIndex_{};
  std::vector<PairKeys::Entry> syllableReadings_;
  // The cells such a syllable takes, by its second cell (the vowel's, or the
  // next unit's): what the reading loop advances by before the entry is read.
  std::array<std::uint8_t, 256> syllableReadingLength_{};
  std::array<std::array<PairKeys::Entry, 256>, 2> bareReadings_{};
};

}  // namespace tirmok
