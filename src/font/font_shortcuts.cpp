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
  MakeSingles();
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

void FontEncodingConverter::MakeSingles() {
  for (std::uint32_t b = 1; b < 256; ++b) {
    const auto byte = static_cast<Byte>(b);
    const auto oneByte = [](const auto& candidates) {
      return std::all_of(candidates.begin(), candidates.end(), [](const auto& c) { return c.key.size() == 1; });
    };
    // A step of this byte alone, whatever follows: a vowel or sign whose
    // every key is this byte, or a byte no table holds (dropped). Not a
    // consonant, which composes with what follows, nor the escape or a control.
    const auto vowels = vowels_.LeftKeyed().Candidates(b);
    const auto signs = signs_.LeftKeyed().Candidates(b);
    const bool consonant = !bareConsonants_.LeftKeyed().Candidates(b).empty();
    composes_[b] = vowels.empty() && consonant;  // EncodeStep's step here is ComposeSyllable's
    const bool single = vowels.empty() ? !consonant && oneByte(signs) && byte != code::kEscapeLead && byte >= code::kSpace
                                       : oneByte(vowels);
    const Byte alone[] = {byte, code::kEnd};
    Piece<Byte> glyphs;
    if (single && EncodeStep(alone, 1, glyphs) == 1 && glyphs.Size() <= static_cast<std::int32_t>(sizeof PairGlyphs::glyphs)) {
      singleKept_[b] = true;
      singles_[b].size = static_cast<std::uint8_t>(glyphs.Size());
      std::copy(glyphs.Data(), glyphs.Data() + glyphs.Size(), singles_[b].glyphs);
    }
    // What ComposeSyllable's lookups find at this byte, where one byte decides.
    ClusterByte& cluster = clusterBytes_[b];
    const auto longer = [](const auto& candidates) {
      return std::any_of(candidates.begin(), candidates.end(), [](const auto& c) { return c.key.size() > 1; });
    };
    cluster.vowel = vowels.empty() ? ClusterByte::kNone : longer(vowels) ? ClusterByte::kLonger : ClusterByte::kOne;
    const auto forms = belowForms_.LeftKeyed().Candidates(b);
    cluster.below = forms.empty() ? ClusterByte::kNone : longer(forms) ? ClusterByte::kLonger : ClusterByte::kOne;
    if (cluster.below == ClusterByte::kOne) cluster.belowGlyph = forms.front().value.empty() ? 0 : forms.front().value[0];
    const auto bares = bareConsonants_.LeftKeyed().Candidates(b);
    std::size_t seconds = 0;
    bool one = false;
    for (const auto& bare : bares) {
      if (bare.key.size() == 1) {
        one = true;
        if (bare.value.size() <= sizeof PairGlyphs::glyphs) {
          bares_[b].size = static_cast<std::uint8_t>(bare.value.size());
          std::copy(bare.value.begin(), bare.value.end(), bares_[b].glyphs);
        } else {
          one = false;
        }
        break;  // the first one-byte key is what the lookup finds when no longer key matches
      }
      // A longer key is tried first: where its second byte follows, the plain step decides.
      if (seconds == std::size(cluster.longerBare)) {
        one = false;
        break;
      }
      cluster.longerBare[seconds++] = bare.key[1];
    }
    cluster.bareKept = one && composes_[b];

    // An accent moved in front of its syllable: its sign, where one byte decides.
    if (IsAccent(byte) && oneByte(signs)) {
      const auto sign = signs_.MatchLeft(alone);
      if (sign.value.size() <= sizeof PairGlyphs::glyphs) {
        accentKept_[b] = true;
        accents_[b].size = static_cast<std::uint8_t>(sign.value.size());
        std::copy(sign.value.begin(), sign.value.end(), accents_[b].glyphs);
      }
    }
  }
}

// Restates ComposeSyllable for a consonant key of one byte, with below forms
// and vowels of one byte, from per-byte tables of the same lookups and the
// pairs' syllable glyphs (guarded by the ANSI encoding test of
// tests/fast_paths_test.cpp). Returns 0, having written nothing, where a
// longer key might match or a syllable's glyphs are not kept.
std::int32_t FontEncodingConverter::ShortCompose(const Byte* p, std::int32_t available, Piece<Byte>& piece) const {
  const Byte first = p[0];
  const ClusterByte& start = clusterBytes_[first];
  if (!start.bareKept || p[1] == start.longerBare[0] || p[1] == start.longerBare[1]) return 0;
  Byte below[2 * glyphs::kMaxBelowCount];
  std::int32_t belowSize = 0;
  std::int32_t belowCount = 0;
  Byte vowel = 0;
  std::span<const Byte> drawn(bares_[first].glyphs, bares_[first].size);
  std::int32_t position = 1;
  while (position < available) {
    const ClusterByte& at = clusterBytes_[p[position]];
    if (at.vowel == ClusterByte::kLonger) return 0;
    if (at.vowel == ClusterByte::kOne) {
      vowel = p[position];
      ++position;
      const std::uint8_t c = pairConsonant_[first];
      const std::uint8_t v = pairVowel_[vowel];
      if (c == 0 || v == 0) return 0;
      const PairGlyphs& pair = pairs_[(c - 1u) * pairVowels_ + (v - 1u)];
      if (pair.size == 0) return 0;
      drawn = std::span<const Byte>(pair.glyphs, pair.size);
      break;
    }
    if (belowCount >= glyphs::kMaxBelowCount || at.below == ClusterByte::kNone) break;
    if (at.below == ClusterByte::kLonger) return 0;
    Byte glyph = at.belowGlyph;
    if (p[position] == code::kRa && belowSize != 0) {
      --belowSize;
      glyph = glyphs::kRaAfterBelowForm;
    }
    below[belowSize++] = glyph;
    below[belowSize++] = glyphs::kBelowSpacer;
    ++position;
    ++belowCount;
  }
  if (belowSize == 0) {
    piece.Append(drawn);
    return position;
  }
  --belowSize;
  const std::span<const Byte> forms(below, static_cast<std::size_t>(belowSize));
  if (vowel == code::kVowelU && (first == code::kPa || first == code::kPha || first == code::kVa)) {
    piece.Append(drawn);
    piece.Push(glyphs::kSignSpacer);
    piece.Append(forms);
  } else if ((vowel == code::kVocalicR || vowel == code::kVocalicRr) && drawn.size() >= 2) {
    piece.Append(drawn.first(drawn.size() - 1));
    piece.Append(forms);
    piece.Push(glyphs::kSignSpacer);
    piece.Push(drawn.back());
  } else if (vowel == code::kVowelAi) {
    if (below[0] == glyphs::kTaBelowForm && !drawn.empty()) {
      piece.Push(glyphs::kAiLeadBeforeTaBelow);
      piece.Append(drawn.subspan(1));
      piece.Push(glyphs::kSignSpacer);
    } else {
      piece.Append(drawn);
      piece.Push(glyphs::kBelowSpacer);
    }
    piece.Append(forms);
  } else {
    piece.Append(drawn);
    piece.Append(forms);
  }
  return position;
}

// Restates Encode's steps where two bytes or one decide them: a consonant of
// one byte with a vowel (the pairs), a vowel or sign of one byte, a byte
// dropped; takes other syllables by the plain EncodeStep; each with the
// accent after it moved in front (guarded by the ANSI encoding test of
// tests/fast_paths_test.cpp). Anything else (an escape, a control run) ends
// the run before its step, which the plain loop then takes.
ShortStepResult FontEncodingConverter::ShortEncodeRun(const Byte* p, std::int32_t count, Byte* out,
                                                      const Byte* last) const {
  constexpr std::ptrdiff_t kStage = 256;
  Byte stage[kStage + kShortPieceMax + sizeof PairGlyphs::glyphs];
  Byte* const begin = out;
  Piece<Byte> syllable;
  std::int32_t i = 0;
  bool declined = false;
  while (!declined && i < count && out <= last) {
    const Byte* const stageLast = stage + std::min<std::ptrdiff_t>(last - out, kStage);
    Byte* s = stage;
    while (i < count && s <= stageLast) {
      const Byte* const q = p + i;
      const Byte first = q[0];
      std::int32_t used = 2;
      const PairGlyphs* step = PairAt(q, count - i);
      if (step == nullptr && singleKept_[first]) {
        step = &singles_[first];
        used = 1;
      }
      if (step == nullptr) {
        // A syllable the pairs do not hold (a cluster, a consonant without
        // vowel): the plain step, while its glyphs fit the short piece.
        if (!composes_[first]) {
          declined = true;
          break;
        }
        syllable.Clear();
        used = ShortCompose(q, count - i, syllable);
        if (used == 0) used = EncodeStep(q, count - i, syllable);
        if (used <= 0 || syllable.Size() > kShortPieceMax - static_cast<std::int32_t>(sizeof PairGlyphs::glyphs)) {
          declined = true;
          break;
        }
      }
      // The byte after a step is still part of the string (see EncodeWith).
      const Byte next = q[used];
      if (IsAccent(next) && first >= code::kSpace && !IsAccent(first)) {
        if (!accentKept_[next]) {
          declined = true;
          break;
        }
        std::memcpy(s, accents_[next].glyphs, sizeof PairGlyphs::glyphs);
        s += accents_[next].size;
        ++used;
      }
      if (step != nullptr) {
        std::memcpy(s, step->glyphs, sizeof PairGlyphs::glyphs);
        s += step->size;
      } else {
        std::copy(syllable.Data(), syllable.Data() + syllable.Size(), s);
        s += syllable.Size();
      }
      i += used;
    }
    std::copy(stage, s, out);
    out += s - stage;
  }
  return {i, static_cast<std::int32_t>(out - begin)};
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
    if constexpr (kPairs) {
      // Short steps staged and written in place while the longest of them still fits.
      if (const auto stretch = sink.Stretch(kShortPieceMax); stretch.begin != nullptr) {
        const ShortStepResult run = ShortEncodeRun(input + position, length - position, stretch.begin, stretch.last);
        position += run.consumed;
        sink.Commit(run.written);
        if (position >= length) break;
        if (stretch.begin + run.written > stretch.last) continue;  // the stretch is full, not declined
      }
    }
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

  // The commonest units whole, from the same lookups, where the unit's first
  // byte lets Decode place a held accent simply: after the unit, or (for an
  // accent) in its place.
  using Kind = GlyphReader::Kind;
  wholeUnits_.assign(reader_.NodeCount(), WholeUnit{});
  for (std::size_t n = 0; n < reader_.NodeCount(); ++n) {
    const GlyphReader::Lookups& at = reader_.Node(n);
    WholeUnit whole;
    const GlyphReader::Found* found = nullptr;
    if (at.kind == Kind::kVowel) {
      found = &at.vowel;
      whole.form = WholeUnit::kVowel;
    } else if (at.kind == Kind::kConsonant) {
      found = &at.consonant;
      whole.form = at.syllableVowel != 0 ? WholeUnit::kSyllable : WholeUnit::kBare;
    } else if (at.kind == Kind::kSign) {
      found = &at.sign;
      whole.form = WholeUnit::kSign;
    }
    if (found == nullptr || !at.usable || found->size == 0) continue;
    std::copy(found->units, found->units + found->size, whole.units);
    whole.size = found->size;
    if (whole.form == WholeUnit::kSyllable) whole.units[whole.size++] = at.syllableVowel;
    // The walk's own length tells where the next unit begins, so the unit
    // must take every byte of the node's string.
    if (found->length != at.depth) continue;
    whole.used = found->length;
    const Byte lead = whole.units[0];
    if (whole.form == WholeUnit::kSign && whole.size == 1 && IsAccent(lead)) {
      whole.form = WholeUnit::kAccent;
    } else if (lead < code::kSpace || IsAccent(lead)) {
      continue;  // the unit's own steps place the held accent
    }
    wholeUnits_[n] = whole;
  }

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
  // Kept here, not through the references, which every byte written might alias.
  bool previousBare = state.previousBare;
  Byte holding = held;
  while (!declined && i < count && out <= last) {
    const Byte* const stageLast = stage + std::min<std::ptrdiff_t>(last - out, kStage);
    Byte* s = stage;
    while (i < count && s <= stageLast) {
      const Byte first = p[i];
      if (IsSpacer(first)) {
        ++i;
        continue;
      }
      const Byte* walked = p + i;
      const std::uint32_t node = reader_.NodeAt(p + i, walked);
      // A whole unit, when no below form follows a syllable: what the steps
      // below would write, without their branches. It ends where the walk
      // did, so the next walk need not wait for this unit's record.
      if (const WholeUnit& whole = wholeUnits_[node]; whole.form != WholeUnit::kOther) {
        const auto after = static_cast<std::int32_t>(walked - p);
        const bool syllable = whole.form == WholeUnit::kSyllable || whole.form == WholeUnit::kBare;
        if (!syllable || after >= count || belowGlyphs_[p[after]].kind == BelowKind::kEnd) {
          if (whole.form == WholeUnit::kAccent) {
            *s = holding;
            s += holding != 0 ? 1 : 0;
            holding = whole.units[0];
          } else {
            *s = code::kSeparator;
            s += previousBare && whole.form <= WholeUnit::kBare ? 1 : 0;
            std::memcpy(s, whole.units, sizeof whole.units);
            s += whole.size;
            *s = holding;
            s += holding != 0 ? 1 : 0;
            holding = 0;
          }
          previousBare = whole.form == WholeUnit::kBare;
          i = after;
          continue;
        }
      }
      const GlyphReader::Lookups* at = &reader_.Node(node);
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
        if (previousBare) *unit++ = code::kSeparator;
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
        if (previousBare) *unit++ = code::kSeparator;
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
      previousBare = bare;
      i += used;
      // As Decode places the held accent around the unit.
      const auto size = static_cast<std::int32_t>(unit - s);
      if (size != 0 && s[0] >= code::kSpace && !IsAccent(s[0])) {
        s = unit;
        if (holding != 0) *s++ = holding;
        holding = 0;
      } else if (size != 0 && IsAccent(s[0])) {
        const Byte accent = s[0];
        if (holding != 0) *s++ = holding;
        holding = accent;
      } else {
        if (holding != 0) {
          std::copy_backward(s, unit, unit + 1);
          *s++ = holding;
        }
        s += size;
        holding = 0;
      }
    }
    std::copy(stage, s, out);
    out += s - stage;
  }
  state.previousBare = previousBare;
  held = holding;
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
