// FontEncodingConverter's run loops and the shortcuts they take for common steps (the rules are the plain steps).
#include <algorithm>
#include <cstring>

#include "core/escape.h"
#include "core/run_loop.h"
#include "font/font_encoding_converter.h"
#include "font/glyph_tables.h"

namespace tirmok {

using glyphs::IsSpacer;

void FontEncodingConverter::MakeShortcuts() {
  MakePairs();
  MakeDecoderShortcuts();
}

void FontEncodingConverter::MakePairs() {
  // Vowels of a one-byte key, which match whatever follows them.
  std::vector<Byte> vowels;
  std::vector<Byte> consonants;
  for (std::uint32_t b = 1; b < 256; ++b) {
    const auto vowel = vowels_.LeftKeyed().Candidates(b);
    if (std::any_of(vowel.begin(), vowel.end(), [](const auto& c) { return c.key.size() == 1; })) {
      vowels.push_back(static_cast<Byte>(b));
    }
    // A consonant's step is its syllable only where no vowel key begins with it.
    if (vowel.empty() && !bareConsonants_.LeftKeyed().Candidates(b).empty()) consonants.push_back(static_cast<Byte>(b));
  }
  if (consonants.size() >= 255 || vowels.size() >= 255) return;
  pairVowels_ = vowels.size();
  pairs_.assign(consonants.size() * vowels.size(), PairGlyphs{});
  for (std::size_t c = 0; c < consonants.size(); ++c) {
    pairConsonant_[consonants[c]] = static_cast<std::uint8_t>(c + 1);
    const auto keys = bareConsonants_.LeftKeyed().Candidates(consonants[c]);
    // The consonant alone must match, or another table's longer key might.
    const bool alone = std::any_of(keys.begin(), keys.end(), [](const auto& k) { return k.key.size() == 1; });
    for (std::size_t v = 0; v < vowels.size(); ++v) {
      pairVowel_[vowels[v]] = static_cast<std::uint8_t>(v + 1);
      // A longer consonant key through the vowel would read past the pair.
      if (!alone || std::any_of(keys.begin(), keys.end(), [&](const auto& k) { return k.key.size() > 1 && k.key[1] == vowels[v]; })) {
        continue;
      }
      const Byte pair[] = {consonants[c], vowels[v], code::kEnd};
      Piece<Byte> glyphs;
      if (EncodeStep(pair, 2, glyphs) != 2 || glyphs.Size() > static_cast<std::int32_t>(sizeof PairGlyphs::glyphs)) {
        continue;
      }
      PairGlyphs& kept = pairs_[c * vowels.size() + v];
      kept.size = static_cast<std::uint8_t>(glyphs.Size());
      std::copy(glyphs.Data(), glyphs.Data() + glyphs.Size(), kept.glyphs);
    }
  }
}

template <bool kPairs>
std::int32_t FontEncodingConverter::EncodeWith(const Byte* input, std::int32_t length, Byte* output,
                                               std::int32_t capacity) const {
  BufferSink<Byte> sink(output, capacity);
  if (!sink.Usable() || input == nullptr) return 0;
  length = ResolveLength(input, length);
  Piece<Byte> unit;
  Piece<Byte> piece;
  std::int32_t position = 0;
  while (position < length) {
    unit.Clear();
    std::int32_t used = 0;
    if (const PairGlyphs* pair = kPairs ? PairAt(input + position, length - position) : nullptr) {
      unit.Append(std::span<const Byte>(pair->glyphs, pair->size));
      used = 2;
    } else {
      used = EncodeStep(input + position, length - position, unit);
    }
    if (used <= 0) break;
    piece.Clear();
    // The font draws an accent in front of the syllable it belongs to, while
    // the internal code writes it after. A step never consumes the terminator,
    // so the byte after it is still part of the string.
    const Byte first = input[position];
    const Byte next = input[position + used];
    if (IsAccent(next) && first >= code::kSpace && !IsAccent(first)) {
      piece.Append(signs_.MatchLeft(input + position + used).value);
      ++used;
    }
    piece.Append(unit);
    if (!sink.Append(piece.View())) break;
    position += used;
  }
  return position;
}

std::int32_t FontEncodingConverter::Encode(const Byte* input, std::int32_t length, Byte* output,
                                           std::int32_t capacity) const {
  return EncodeWith<true>(input, length, output, capacity);
}

std::int32_t FontEncodingConverter::EncodeStepByStep(const Byte* input, std::int32_t length, Byte* output,
                                                     std::int32_t capacity) const {
  return EncodeWith<false>(input, length, output, capacity);
}

void FontEncodingConverter::MakeDecoderShortcuts() {
  // The trie holds every key the decoder's lookups at the start of a step compare.
  reader_.AddKeys(vowels_.RightKeyed());
  reader_.AddKeys(bareConsonants_.RightKeyed());
  for (std::size_t i = 0; i < syllableTableCount_; ++i) reader_.AddKeys(syllableTables_[i].RightKeyed());
  reader_.AddKeys(signs_.RightKeyed());
  reader_.Resolve([this](const Byte* s) {
    GlyphReader::Lookups at;
    at.usable = true;
    const auto keep = [&](GlyphReader::Found& found, std::int32_t length, std::span<const Byte> value) {
      // A unit that begins with an accent is taken apart by Decode: only one
      // byte long is it kept.
      if (value.size() > static_cast<std::size_t>(GlyphReader::Found::kMaxUnits) ||
          (value.size() > 1 && IsAccent(value[0]))) {
        at.usable = false;
        return;
      }
      found.length = static_cast<std::uint8_t>(length);
      found.size = static_cast<std::uint8_t>(value.size());
      std::copy(value.begin(), value.end(), found.units);
    };
    if (const auto vowel = vowels_.MatchRight(s)) keep(at.vowel, vowel.length, vowel.value);
    if (const auto bare = bareConsonants_.MatchRight(s)) {
      keep(at.consonant, bare.length, bare.value);
    } else if (const auto syllable = MatchSyllableGlyphs(s); !syllable.value.empty()) {
      keep(at.consonant, syllable.length, syllable.value.first(syllable.value.size() - 1));
      at.syllableVowel = syllable.value.back();
    }
    if (const auto sign = signs_.MatchRight(s)) keep(at.sign, sign.length, sign.value);
    // The order DecodeStep asks in: a vowel, the ai lead, a consonant, a sign.
    using Kind = GlyphReader::Kind;
    if (!at.usable) {
      at.kind = Kind::kNone;
    } else if (at.vowel.length != 0) {
      at.kind = Kind::kVowel;
    } else if (s[0] == glyphs::kAiLeadBeforeTaBelow) {
      at.kind = Kind::kAiLead;
    } else if (at.consonant.length != 0) {
      at.kind = Kind::kConsonant;
    } else if (at.sign.length != 0) {
      at.kind = Kind::kSign;
    }
    return at;
  });
  shortDecoding_ = reader_.Ready();

  // What the loop over a syllable's below forms does with each glyph byte, in
  // the order DecomposeSyllable asks.
  for (std::uint32_t b = 0; b < 256; ++b) {
    BelowGlyph& glyph = belowGlyphs_[b];
    const auto forms = belowForms_.RightKeyed().Candidates(b);
    if (IsSpacer(static_cast<Byte>(b))) {
      glyph.kind = BelowKind::kSpacer;
    } else if (std::any_of(forms.begin(), forms.end(), [](const auto& form) { return form.key.size() > 1; })) {
      glyph.kind = BelowKind::kDecline;  // a longer key might match: the plain step decides
    } else if (!forms.empty() && !forms.front().value.empty()) {
      glyph.kind = BelowKind::kBelow;
      glyph.consonant = forms.front().value[0];
      glyph.count = static_cast<std::uint8_t>(std::min<std::size_t>(forms.front().value.size(), glyphs::kMaxBelowCount));
    } else if (b == glyphs::kVocalicRSign) {
      glyph.kind = BelowKind::kVocalicR;
    } else if (b == glyphs::kVocalicRrSign) {
      glyph.kind = BelowKind::kVocalicRr;
    }
  }
}

// Restates DecodeStep and DecomposeSyllable, with Decode's placing of the
// held accent, for the steps the trie answers: an independent vowel, a
// syllable with its below forms, or a sign (guarded by the ANSI decoding test
// of tests/fast_paths_test.cpp). Spacers are skipped. An escape, a dropped
// byte or a control run ends the run before its step, which the plain step
// then takes.
ShortStepResult FontEncodingConverter::ShortDecodeRun(const Byte* p, std::int32_t count, DecodeState& state,
                                                      Byte& held, Byte* out, const Byte* last) const {
  using Kind = GlyphReader::Kind;
  // Steps are staged and copied out whole, so that a unit's few bytes can be
  // copied at a fixed size (the bytes past it are overwritten or never copied).
  constexpr std::ptrdiff_t kStage = 256;
  Byte stage[kStage + kShortPieceMax + GlyphReader::Found::kMaxUnits];
  Byte* const begin = out;
  std::int32_t i = 0;
  bool declined = false;
  while (!declined && i < count && out <= last) {
    const Byte* const stageLast = stage + std::min<std::ptrdiff_t>(last - out, kStage);
    Byte* s = stage;
    while (i < count && s <= stageLast) {
      const Byte first = p[i];
      if (IsSpacer(first)) {
        ++i;
        continue;
      }
      const GlyphReader::Lookups* at = &reader_.At(p + i);
      // The unit: the separator, a consonant key, its below forms and the
      // vowel; or a vowel or a sign.
      Byte* unit = s;
      std::int32_t used = 0;
      bool bare = false;
      Kind kind = at->kind;
      Byte vowel = 0;
      std::int32_t position = 0;
      const GlyphReader::Lookups* syllable = at;
      if (kind == Kind::kAiLead) {
        // The consonant lookups after the lead; without a consonant there,
        // the lead itself is read as a sign if it is one.
        syllable = &reader_.At(p + i + 1);
        if (syllable->usable && syllable->consonant.length != 0) {
          vowel = code::kVowelAi;
          position = 1;
          kind = Kind::kConsonant;
        } else {
          kind = syllable->usable && at->sign.length != 0 ? Kind::kSign : Kind::kNone;
        }
      }
      if (kind == Kind::kConsonant) {
        const GlyphReader::Found& consonant = syllable->consonant;
        if (state.previousBare) *unit++ = code::kSeparator;
        std::memcpy(unit, consonant.units, GlyphReader::Found::kMaxUnits);
        unit += consonant.size;
        position += consonant.length;
        if (vowel == 0) vowel = syllable->syllableVowel;
        const std::int32_t available = count - i;
        std::int32_t belowCount = 0;
        while (position < available && belowCount < glyphs::kMaxBelowCount) {
          const BelowGlyph& glyph = belowGlyphs_[p[i + position]];
          if (glyph.kind == BelowKind::kEnd) break;
          if (glyph.kind == BelowKind::kSpacer) {
            ++position;
          } else if (glyph.kind == BelowKind::kBelow) {
            *unit++ = glyph.consonant;
            belowCount += glyph.count;
            ++position;
          } else if (glyph.kind == BelowKind::kVocalicR && vowel == code::kVowelA) {
            vowel = code::kVocalicR;
            ++position;
          } else if (glyph.kind == BelowKind::kVocalicRr && vowel == code::kVowelA) {
            vowel = code::kVocalicRr;
            ++position;
          } else {
            declined = glyph.kind == BelowKind::kDecline;
            break;
          }
        }
        if (declined) break;
        if (vowel != 0) {
          *unit++ = vowel;
        } else {
          bare = true;
        }
        used = position;
      } else if (kind == Kind::kVowel) {
        if (state.previousBare) *unit++ = code::kSeparator;
        std::memcpy(unit, at->vowel.units, GlyphReader::Found::kMaxUnits);
        unit += at->vowel.size;
        used = at->vowel.length;
      } else if (kind == Kind::kSign) {
        std::memcpy(unit, at->sign.units, GlyphReader::Found::kMaxUnits);
        unit += at->sign.size;
        used = at->sign.length;
      } else {
        declined = true;
        break;
      }
      state.previousBare = bare;
      i += used;
      // As Decode places the held accent around the unit.
      const auto size = static_cast<std::int32_t>(unit - s);
      if (size != 0 && s[0] >= code::kSpace && !IsAccent(s[0])) {
        s = unit;
        if (held != 0) *s++ = held;
        held = 0;
      } else if (size != 0 && IsAccent(s[0])) {
        const Byte accent = s[0];
        if (held != 0) *s++ = held;
        held = accent;
      } else {
        if (held != 0) {
          std::copy_backward(s, unit, unit + 1);
          *s++ = held;
        }
        s += size;
        held = 0;
      }
    }
    std::copy(stage, s, out);
    out += s - stage;
  }
  return {i, static_cast<std::int32_t>(out - begin)};
}

template <bool kShort>
std::int32_t FontEncodingConverter::DecodeWith(const Byte* input, std::int32_t length, Byte* output,
                                               std::int32_t capacity) const {
  BufferSink<Byte> sink(output, capacity);
  if (!sink.Usable() || input == nullptr) return 0;
  length = ResolveLength(input, length);
  DecodeState state;
  Piece<Byte> unit;
  Piece<Byte> piece;
  // An accent read in front of a syllable waits to be written after it.
  Byte held = 0;
  std::int32_t position = 0;
  while (position < length) {
    if constexpr (kShort) {
      // Short steps written in place while the longest of them still fits.
      if (const auto stretch = sink.Stretch(kShortPieceMax); stretch.begin != nullptr && shortDecoding_) {
        const ShortStepResult run =
            ShortDecodeRun(input + position, length - position, state, held, stretch.begin, stretch.last);
        position += run.consumed;
        sink.Commit(run.written);
        if (position >= length) break;
        if (stretch.begin + run.written > stretch.last) continue;  // the stretch is full, not declined
      }
    }
    if (IsSpacer(input[position])) {
      ++position;
      continue;
    }
    unit.Clear();
    const std::int32_t used = DecodeStep(input + position, length - position, state, unit);
    if (used <= 0) break;
    piece.Clear();
    if (!unit.Empty() && IsAccent(unit.Front())) {
      // A second accent in a row releases the first and is held in its place.
      if (held != 0) piece.Push(held);
      held = unit.Front();
    } else if (!unit.Empty() && unit.Front() >= code::kSpace) {
      piece.Append(unit);
      if (held != 0) piece.Push(held);
      held = 0;
    } else {
      // A control run or nothing: the accent had no syllable to follow.
      if (held != 0) piece.Push(held);
      piece.Append(unit);
      held = 0;
    }
    if (!sink.Append(piece.View())) break;
    position += used;
  }
  if (held != 0) sink.Append({&held, 1});
  return position;
}

std::int32_t FontEncodingConverter::Decode(const Byte* input, std::int32_t length, Byte* output,
                                           std::int32_t capacity) const {
  return DecodeWith<true>(input, length, output, capacity);
}

std::int32_t FontEncodingConverter::DecodeStepByStep(const Byte* input, std::int32_t length, Byte* output,
                                                     std::int32_t capacity) const {
  return DecodeWith<false>(input, length, output, capacity);
}

}  // namespace tirmok
