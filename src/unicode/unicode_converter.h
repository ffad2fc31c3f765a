// UnicodeConverter: internal code <-> Telugu in UTF-16 ("UNICODE"; "UTF-8" through the hub).
#pragma once

#include <array>
#include <cstdint>

#include "core/internal_code.h"
#include "core/mapping_table.h"
#include "core/piece.h"
#include "core/run_loop.h"
#include "core/short_match.h"
#include "core/text.h"
#include "core/utf.h"
#include "unicode/unit_blocks.h"

namespace tirmok {

enum class UnicodeTable : int;

// Unicode writes a syllable in visual order (consonant, then its vowel sign or
// virama); the internal code writes it phonemically (bare consonants, then an
// explicit vowel byte, 100 for the inherent a). The steps translate between
// the two one syllable at a time.
class UnicodeConverter {
 public:
  static constexpr char16_t kVirama = 0x0C4D;

  static constexpr bool IsIndependentVowel(char16_t u) {
    return (u >= 0x0C05 && u <= 0x0C14) || u == 0x0C60 || u == 0x0C61;
  }
  static constexpr bool IsVowelSign(char16_t u) { return u >= 0x0C3E && u <= 0x0C4C; }

  UnicodeConverter();

  // UTF-16 in (`length` units, -1 for all), internal code out (`capacity` bytes
  // with the terminator). Returns the units consumed.
  std::int32_t Decode(const char16_t* input, std::int32_t length, Byte* output,
                      std::int32_t capacity) const;
  // The same for a length already measured.
  std::int32_t Decode(const char16_t* input, MeasuredLength length, Byte* output, std::int32_t capacity) const;
  // UTF-8 in (`length` bytes, -1 for all), internal code out: exactly what
  // Decode gives on the text's UTF-16 form (Utf8ToUtf16), read without that
  // form in between (the hub's "UTF-8" input). Returns the bytes of the
  // characters decoded whole.
  std::int32_t DecodeUtf8(const Byte* input, std::int32_t length, Byte* output, std::int32_t capacity) const;
  // Whether DecodeUtf8 reads blocks here; without them it takes a window of
  // UTF-16 for every few steps, and Utf8ToUtf16 then Decode is faster.
  static bool DecodesUtf8Fast() { return BestUtf8BlockReader() != nullptr; }
  // Decode and DecodeUtf8 with the given block readers (tests hold every
  // reader to the plain steps; null reads no blocks).
  std::int32_t DecodeWith(Utf16BlockReader reader, const char16_t* input, std::int32_t length, Byte* output,
                          std::int32_t capacity) const;
  std::int32_t DecodeUtf8With(Utf8BlockReader reader, const Byte* input, std::int32_t length, Byte* output,
                              std::int32_t capacity) const;
  // Internal code in, UTF-16 out (`capacity` units with the terminator).
  // Returns the bytes consumed.
  std::int32_t Encode(const Byte* input, std::int32_t length, char16_t* output,
                      std::int32_t capacity) const;
  // The whole of `input` encoded into the UTF-8 form of Encode's output
  // (`capacity` bytes with the terminator), step by step through a Utf8Sink;
  // the hub's "UTF-8" output. Returns the bytes of `input` consumed.
  std::int32_t EncodeUtf8(const Byte* input, Byte* output, std::int32_t capacity) const;

  // One decoding step at `p`: a syllable, a sign, a control run or an escape.
  // Returns the units consumed (0 only at the terminator).
  std::int32_t DecodeStep(const char16_t* p, Piece<Byte>& piece) const;
  // One encoding step at `p`.
  std::int32_t EncodeStep(const Byte* p, Piece<char16_t>& piece) const;

  // The decoding step of ordinary text from the shortcuts below, for callers
  // that decode a step at a time: it writes at `out` exactly what DecodeStep
  // would put into its piece (at most kShortStepMax bytes), or declines,
  // writing nothing and consuming 0, where only DecodeStep knows the answer.
  // It reads at most four units from `p`, fewer when the string ends first.
  ShortStepResult ShortDecodeStep(const char16_t* p, Byte* out) const;
  // The first byte every decoding step that starts with `unit` writes, when
  // the unit alone decides it; 0 otherwise.
  Byte FirstDecodedByte(char16_t unit) const;

  // One unit of ordinary text as Decode's run reads it (see MakeRunCells),
  // for callers that walk text a unit at a time without a buffer: the bytes
  // it writes when `next` follows it, and `taking` says that the step of the
  // unit before goes on into it. From a step's start, units read this way
  // until one stops give exactly what DecodeStep gives.
  struct RunUnit {
    Byte bytes[2];
    std::uint32_t count;  // of bytes written, 0 to 2
    bool continues;       // this unit's step goes on into `next`
    bool stop;            // only the steps know this unit here: nothing was written
  };
  RunUnit ReadRunUnit(char16_t unit, bool taking, char16_t next) const {
    const std::uint32_t nextClass = unitClass_[RunIndex(next)];
    const std::uint32_t index = RunIndex(unit);
    const RunCell cell = taking ? takenCells_[index] : freshCells_[index];
    return {{static_cast<Byte>(cell), static_cast<Byte>(cell >> 8)},
            static_cast<std::uint32_t>((cell >> (16 + 2 * nextClass)) & 3),
            ((cell >> (32 + nextClass)) & 1) != 0,
            ((cell >> (40 + nextClass)) & 1) != 0};
  }

 private:
  using DecodeGroup = ShortGroup<char16_t, Byte>;
  using EncodeGroup = ShortGroup<Byte, char16_t>;

  // The tables' entries for one first unit, in the order the steps consult
  // them: `consonant` for the consonant lookup, `sign` for the vowel-sign
  // lookup that follows a consonant, and `plain` for the lookup that comes
  // next when no consonant key begins with the unit (the independent vowels,
  // or the other signs when no vowel key begins with it either). Decode and
  // Encode answer the steps of ordinary text from these (see
  // RunLoopWithShortSteps) and leave the rest to the steps above.
  template <class Group>
  struct Shortcut {
    Group consonant;
    Group sign;
    Group plain;
  };
  // Encoding also keeps the UTF-8 forms of the values, entry by entry.
  struct EncodeShortcut : Shortcut<EncodeGroup> {
    using Forms = std::array<Utf8Form, EncodeGroup::kMaxEntries>;
    Forms consonant8;
    Forms sign8;
    Forms plain8;
  };
  // Decoding keeps shortcuts for ASCII and the Telugu block (core/text.h).
  static constexpr char16_t kBlockFirst = kTeluguBlockFirst;
  static constexpr std::uint32_t kRangeSize = kUnitRangeSize;

  // Adds a pair, both ways, to the table with the given code.
  void AddToTable(UnicodeTable table, const Units<Byte>& code, const Units<char16_t>& text);
  void MakeShortcuts();
  // The decoding groups of the steps for input beginning with `unit`.
  Shortcut<DecodeGroup> DecodingShortcut(std::uint32_t unit) const;
  const Shortcut<DecodeGroup>* DecodeShortcut(char16_t unit) const {
    if (unit < kRangeSize) return &asciiShortcuts_[unit];
    const std::uint32_t index = static_cast<std::uint32_t>(unit) - kBlockFirst;
    return index < kRangeSize ? &teluguShortcuts_[index] : nullptr;
  }
  // The short decoding step as a function object, for Decode's run, and the
  // short encoding step into UTF-16 (Out char16_t) or UTF-8 (Out Byte); both
  // in unicode_fast_tiers.h.
  auto DecodeShortStep() const;
  template <class Out>
  auto EncodeShortStep() const;
  // Decodes a run of ordinary text a unit at a time (the shortRun of
  // RunLoopWithShortRuns): see MakeRunCells.
  ShortStepResult DecodeRun(const char16_t* p, std::int32_t count, Byte* out, const Byte* last) const;
  // Encodes a run of internal code into UTF-16 (Out char16_t) or UTF-8 (Out
  // Byte), a byte at a time with no state but the output's place: see
  // unicode_encode_run.h.
  template <class Out>
  ShortStepResult EncodeRun(const Byte* p, std::int32_t count, Out* out, const Out* last) const;
  void MakeRunCells();
  // Decode with a block reader, for a length of either kind.
  template <class Length>
  std::int32_t DecodeRuns(Utf16BlockReader reader, const char16_t* input, Length length, Byte* output,
                          std::int32_t capacity) const;
  // Encode's run into any sink: UTF-16 units into a buffer, or their UTF-8 form.
  template <class Sink>
  std::int32_t EncodeInto(const Byte* input, std::int32_t length, Sink& sink) const;

  // Nothing in this converter takes precedence over these four tables, so the
  // priority table that would be consulted before them is left out.
  WideMappingTable independentVowels_;
  WideMappingTable vowelSigns_;
  WideMappingTable consonants_;
  WideMappingTable otherSigns_;
  std::array<Shortcut<DecodeGroup>, kRangeSize> asciiShortcuts_{};
  std::array<Shortcut<DecodeGroup>, kRangeSize> teluguShortcuts_{};
  // The commonest case of all, a consonant and a vowel sign of the Telugu
  // block that each decode to one byte: those bytes (0 for any other unit).
  std::array<Byte, kRangeSize> oneByteConsonants_{};
  std::array<Byte, kRangeSize> oneByteSigns_{};
  // And the other way: consonant and vowel bytes written as one unit of the
  // Telugu block each (0 for any other byte).
  std::array<char16_t, 256> oneUnitConsonants_{};
  std::array<char16_t, 256> oneUnitSigns_{};
  std::array<EncodeShortcut, 256> encodeShortcuts_{};
  // What DecodeRun does at a unit, packed in 64 bits by the class of the
  // unit after it (0 to 7, see unitClass_): the two bytes it may write (bits
  // 0-15); how many of them it keeps (bits 16-31, two bits per class);
  // whether its step goes on into the next unit (bits 32-39, one per class:
  // a consonant followed by a vowel sign or the virama); whether the run
  // ends before the unit (bits 40-47, one per class).
  using RunCell = std::uint64_t;
  static constexpr RunCell kRunStop = 0xFFull << 40;
  struct RunRule {
    Byte first = 0;
    Byte second = 0;
    std::uint32_t kept[8] = {};
    bool continues[8] = {};
    bool stop[8] = {};
  };
  static constexpr RunCell RunCellOf(const RunRule& rule) {
    RunCell cell = rule.first | (static_cast<RunCell>(rule.second) << 8);
    for (std::uint32_t cls = 0; cls < 8; ++cls) {
      cell |= static_cast<RunCell>(rule.kept[cls]) << (16 + 2 * cls);
      if (rule.continues[cls]) cell |= 1ull << (32 + cls);
      if (rule.stop[cls]) cell |= 1ull << (40 + cls);
    }
    return cell;
  }
  // Units are looked at by slot: ASCII, the Telugu block, the general
  // punctuation block (joiners, quotation marks), and all the rest.
  static constexpr std::uint32_t kRunSlots = 4;
  static constexpr std::uint32_t kRunIndexSize = kRunSlots * kRangeSize;
  static constexpr char16_t kPunctuationFirst = 0x2000;
  std::uint32_t RunIndex(char16_t unit) const {
    return runSlots_[unit >> 7] * kRangeSize + (unit & (kRangeSize - 1));
  }
  std::array<std::uint8_t, 0x10000 / kRangeSize> runSlots_{};
  // Cells for a unit that begins a step, and for one that a consonant's step
  // takes in (a vowel sign or the virama after it).
  std::array<RunCell, kRunIndexSize> freshCells_{};
  std::array<RunCell, kRunIndexSize> takenCells_{};
  // The class of a unit, for the unit before it: bit 0 when it is neither a
  // vowel sign nor the virama, bit 1 when it is a vowel or a vowel sign, bit
  // 2 when it is the second unit of a two-unit vowel sign (a length mark).
  static constexpr std::uint32_t kNotSignOrVirama = 1;
  static constexpr std::uint32_t kVowelOrSign = 2;
  static constexpr std::uint32_t kSignSecond = 4;
  std::array<std::uint8_t, kRunIndexSize> unitClass_{};
  // What EncodeRun writes for a byte, by whether the byte before it is a
  // consonant that takes a vowel after it, the byte, and the class of the
  // byte after it (unicode_encode_run.h): the output units packed from bit 0
  // (up to six bytes of UTF-8 or three units of UTF-16), their count in bits
  // 56-62, and bit 63 to end the run before the byte.
  using EncodeCell = std::uint64_t;
  static constexpr EncodeCell kEncodeStop = 1ull << 63;
  static constexpr std::uint32_t kEncodeCellCount = 2 * 256 * 4;
  using EncodeCells = std::array<EncodeCell, kEncodeCellCount>;
  // The class of a byte for EncodeRun's cells: a vowel, the nukta, a
  // consonant whose step takes the vowel after it.
  static constexpr std::uint8_t kEncodeVowel = 1;
  static constexpr std::uint8_t kEncodeNukta = 2;
  static constexpr std::uint8_t kEncodeTakesVowel = 4;
  static constexpr std::uint32_t EncodeCellIndex(std::uint32_t takes, Byte b, std::uint32_t nextClass) {
    return (takes << 10) | (static_cast<std::uint32_t>(b) << 2) | (nextClass & 3);
  }
  void MakeEncodeCells();
  std::array<std::uint8_t, 256> encodeClass_{};
  EncodeCells encodeCells16_{};
  EncodeCells encodeCells8_{};
  Utf8Form virama8_;

  // Blocks of ordinary text (unit_blocks.h): the run cells above, code by
  // code, and the steps between blocks (unicode_blocks.cpp).
  void MakeBlockTables();
  struct WindowSteps {
    std::int32_t consumed;  // bytes of whole characters
    bool full;              // a step did not fit
  };
  WindowSteps DecodeUtf8Window(const Byte* p, std::int32_t available, BufferSink<Byte>& sink,
                               bool blocksMayFollow) const;
  UnitBlockTables blockTables_;
};

}  // namespace tirmok
