// FontEncodingConverter: internal code <-> legacy font glyph bytes ("ANSI").
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/internal_code.h"
#include "core/mapping_table.h"
#include "core/piece.h"
#include "core/run_loop.h"
#include "font/glyph_reader.h"

namespace tirmok {

// A legacy Telugu display font draws one written syllable as several glyph
// bytes in visual order: an accent in front, the first consonant with its
// vowel sign, then the below forms of the further consonants of a cluster.
// The encoder composes those groups from internal code (which is phonemic) and
// the decoder takes them apart again. Every table pairs internal code (left)
// with glyphs (right).
class FontEncodingConverter {
 public:
  FontEncodingConverter();

  // Text of the format in (`length` bytes, -1 for all), internal code out
  // (`capacity` bytes with the terminator). Returns the bytes consumed.
  std::int32_t Decode(const Byte* input, std::int32_t length, Byte* output,
                      std::int32_t capacity) const;
  // Internal code in, text of the format out. Returns the bytes consumed.
  std::int32_t Encode(const Byte* input, std::int32_t length, Byte* output,
                      std::int32_t capacity) const;
  // Encode by the plain steps alone: its reference, for the tests of its fast path.
  std::int32_t EncodeStepByStep(const Byte* input, std::int32_t length, Byte* output,
                                std::int32_t capacity) const;
  // Decode by the plain steps alone, likewise.
  std::int32_t DecodeStepByStep(const Byte* input, std::int32_t length, Byte* output,
                                std::int32_t capacity) const;

  // What the decoder remembers from one unit to the next within a call.
  struct DecodeState {
    bool previousBare = false;  // the unit before was a consonant without vowel
    bool currentBare = false;   // the unit being decoded is one
  };

  // One unit of encoding at `p`, where `available` bytes of the input are left
  // (a syllable's below forms and vowel are looked for only within them).
  // Returns the bytes consumed, 0 at the end of the string.
  std::int32_t EncodeStep(const Byte* p, std::int32_t available, Piece<Byte>& piece) const;
  // One unit of decoding at `p` (spacer bytes are skipped by the caller).
  std::int32_t DecodeStep(const Byte* p, std::int32_t available, DecodeState& state,
                          Piece<Byte>& piece) const;

 private:
  static constexpr std::size_t kSyllableTables = 36;

  template <bool kPairs>
  std::int32_t EncodeWith(const Byte* input, std::int32_t length, Byte* output, std::int32_t capacity) const;
  template <bool kShort>
  std::int32_t DecodeWith(const Byte* input, std::int32_t length, Byte* output, std::int32_t capacity) const;

  // The run loops' shortcuts, made at start-up from the tables and steps below.
  void MakeShortcuts();
  void MakeDecoderShortcuts();

  // The commonest syllable, a consonant of one byte with a vowel, as
  // EncodeStep writes it: its glyphs by the two bytes, made at start-up by
  // EncodeStep itself (the rule this restates; guarded by the ANSI test of
  // tests/fast_paths_test.cpp), where the two bytes alone decide them.
  struct PairGlyphs {
    std::uint8_t size = 0;  // 0: not kept, the step decides
    Byte glyphs[7] = {};
  };
  void MakePairs();
  const PairGlyphs* PairAt(const Byte* p, std::int32_t available) const {
    if (available < 2) return nullptr;
    const std::uint8_t c = pairConsonant_[p[0]];
    const std::uint8_t v = pairVowel_[p[1]];
    if (c == 0 || v == 0) return nullptr;
    const PairGlyphs& pair = pairs_[(c - 1u) * pairVowels_ + (v - 1u)];
    return pair.size == 0 ? nullptr : &pair;
  }
  std::array<std::uint8_t, 256> pairConsonant_{};  // a consonant's place in pairs_ plus 1; 0: none
  std::array<std::uint8_t, 256> pairVowel_{};
  std::size_t pairVowels_ = 0;
  std::vector<PairGlyphs> pairs_;
  // Steps of one byte whatever follows (a vowel, a sign, a dropped byte),
  // and the glyphs of an accent moved in front of a syllable, made likewise.
  void MakeSingles();
  std::array<bool, 256> singleKept_{};
  std::array<bool, 256> composes_{};  // a consonant key begins here and no vowel key does
  std::array<PairGlyphs, 256> singles_{};
  // What ComposeSyllable's lookups find at a byte: a bare consonant of one
  // byte (with the second bytes of its longer keys), a vowel, a below form.
  struct ClusterByte {
    enum Found : std::uint8_t { kNone, kOne, kLonger };
    bool bareKept = false;
    Byte longerBare[2] = {0, 0};
    Found vowel = kNone;
    Found below = kNone;
    Byte belowGlyph = 0;
  };
  std::array<ClusterByte, 256> clusterBytes_{};
  std::array<PairGlyphs, 256> bares_{};
  std::int32_t ShortCompose(const Byte* p, std::int32_t available, Piece<Byte>& piece) const;
  std::array<bool, 256> accentKept_{};
  std::array<PairGlyphs, 256> accents_{};
  // The encoder's short steps from `p` while a step begins within `count`
  // bytes and `out` has not passed `last`; ends before a step it leaves to
  // the plain one.
  ShortStepResult ShortEncodeRun(const Byte* p, std::int32_t count, Byte* out, const Byte* last) const;

  // The decoder's short steps: units (and spacers) from `p` while a step
  // begins within `count` bytes and `out` has not passed `last`, each written
  // as Decode would place it with the held accent, at most kShortPieceMax
  // bytes. Ends before a step it leaves to the plain one.
  static constexpr std::int32_t kShortPieceMax = 16;
  ShortStepResult ShortDecodeRun(const Byte* p, std::int32_t count, DecodeState& state, Byte& held, Byte* out,
                                 const Byte* last) const;
  // The lookups at the start of a decoding step, all at once.
  GlyphReader reader_;
  bool shortDecoding_ = false;
  // The commonest units whole, by the reader's node: an independent vowel, a
  // syllable or a consonant without vowel (when no below form follows), or a
  // sign, with the bytes DecodeStep writes for them (the separator aside).
  // Made at start-up from the node's lookups, for nodes whose whole string
  // the unit takes; ShortDecodeRun uses them (and the same test guards them).
  struct WholeUnit {
    enum Form : std::uint8_t {
      kOther,      // the unit's own steps decide
      kVowel,      // the separator first after a consonant without vowel
      kSyllable,   // likewise, when no below form follows
      kBare,       // likewise, and the unit is itself a consonant without vowel
      kSign,
      kAccent,     // a sign that is one accent, held for the next unit
    };
    Byte units[8] = {};
    std::uint8_t size = 0;
    std::uint8_t used = 0;
    Form form = kOther;
  };
  std::vector<WholeUnit> wholeUnits_;
  // What DecomposeSyllable's loop over the below forms does with a glyph byte.
  enum class BelowKind : std::uint8_t { kEnd, kSpacer, kBelow, kVocalicR, kVocalicRr, kDecline };
  struct BelowGlyph {
    BelowKind kind = BelowKind::kEnd;
    Byte consonant = 0;       // kBelow: the consonant it reads as
    std::uint8_t count = 0;   // kBelow: what it adds to the below count
  };
  std::array<BelowGlyph, 256> belowGlyphs_{};

  // A consonant syllable: the first consonant (or cluster) with its vowel
  // glyphs, then the below forms. Returns 0 when no consonant key starts here.
  std::int32_t ComposeSyllable(const Byte* p, std::int32_t available, Piece<Byte>& piece) const;
  // The reverse: a syllable's glyphs with their below forms.
  std::int32_t DecomposeSyllable(const Byte* p, std::int32_t available, DecodeState& state,
                                 Piece<Byte>& piece) const;
  // The longest glyph string of any syllable table that starts at `p`.
  Match<Byte, Byte> MatchSyllableGlyphs(const Byte* p) const;
  // The index of the syllable table for a key followed by a vowel
  // (kSyllableTables for none).
  std::size_t SyllableTableIndex(std::span<const Byte> syllable) const;

  MappingTable vowels_;
  MappingTable bareConsonants_;
  MappingTable belowForms_;
  MappingTable signs_;
  // One table per consonant, in ascending order of the consonant, then the
  // cluster k+ss; the decoder searches them in this order.
  std::array<MappingTable, kSyllableTables> syllableTables_;
  // The key each syllable table is for (one consonant, or the cluster).
  std::array<Units<Byte>, kSyllableTables> syllableTableKeys_;
  std::size_t syllableTableCount_ = 0;
  // For each glyph byte, the syllable tables (in list order) with a glyph
  // string that begins with it: the only ones MatchSyllableGlyphs need ask.
  std::array<std::vector<std::uint8_t>, 256> syllableTablesByGlyph_;
  // For each internal byte, the syllable tables (in list order) whose key
  // begins with it: the only ones SyllableTableIndex need compare.
  std::array<std::vector<std::uint8_t>, 256> syllableTablesByKey_;
};

}  // namespace tirmok
