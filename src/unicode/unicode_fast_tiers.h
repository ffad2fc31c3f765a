// The Unicode converter's fast tiers: the short steps and the packed run
// cells, which answer ordinary text from tables built once from the four
// mapping tables instead of matching the tables step by step.
//
// Each tier restates the plain rules of unicode_converter.cpp, DecodeStep and
// EncodeStep (a consonant writes its bytes, then the inherent vowel 100 unless
// a vowel sign or the virama follows; the virama writes the separator only
// before a vowel or vowel sign; a vowel sign or a vowel byte after a consonant
// becomes its sign; anything else takes its plain entry), for the cases where
// the first unit or two decide the answer, and declines everything else so
// that the plain step gives it. tests/fast_paths_test.cpp guards them: it
// checks that every tier writes exactly what the plain steps write, on every
// unit, on real words and on random text.
//
// The run functions and short steps are defined here, inline, so that the
// conversion loops in unicode_converter.cpp see through them; the tables they
// read are built in unicode_fast_tiers.cpp.
#pragma once

#include <type_traits>

#include "core/escape.h"
#include "core/run_loop.h"
#include "unicode/unicode_converter.h"

namespace tirmok {

inline ShortStepResult UnicodeConverter::DecodeRun(const char16_t* p, std::int32_t count, Byte* out,
                                            const Byte* last) const {
  return RunByUnits(p, count, out, last, [this](const char16_t* q, std::uint32_t taking, Byte* s) -> UnitResult {
    // q[0] is not the terminator, so q[1] may be read. Both cells are read
    // whatever the state, and what follows is arithmetic.
    const std::uint32_t index = RunIndex(q[0]);
    const std::uint32_t nextClass = unitClass_[RunIndex(q[1])];
    const RunCell fresh = freshCells_[index];
    const RunCell taken = takenCells_[index];
    const RunCell cell = fresh ^ ((fresh ^ taken) & (0ull - taking));
    // Both bytes are staged; the first n count.
    s[0] = static_cast<Byte>(cell);
    s[1] = static_cast<Byte>(cell >> 8);
    const auto n = static_cast<std::int32_t>((cell >> (16 + 2 * nextClass)) & 3);
    const bool continues = ((cell >> (32 + nextClass)) & 1) != 0;
    return {n, continues, ((cell >> (40 + nextClass)) & 1) != 0};
  });
}

// A consonant with the sign, virama or inherent vowel after it, or a plain
// unit, where the shortcuts hold the entries: what DecodeStep gives there.
inline auto UnicodeConverter::DecodeShortStep() const {
  return [this](const char16_t* p, Byte* out) -> ShortStepResult {
    // A one-byte consonant with a one-byte sign, or with no sign or virama.
    if (const std::uint32_t index = static_cast<std::uint32_t>(p[0]) - kBlockFirst; index < kRangeSize) {
      if (const Byte consonant = oneByteConsonants_[index]; consonant != 0) {
        const char16_t next = p[1];
        const std::uint32_t after = static_cast<std::uint32_t>(next) - kBlockFirst;
        if (after < kRangeSize && oneByteSigns_[after] != 0) {
          out[0] = consonant;
          out[1] = oneByteSigns_[after];
          return {2, 2};
        }
        if (!IsVowelSign(next) && next != kVirama) {
          out[0] = consonant;
          out[1] = code::kVowelA;
          return {1, 2};
        }
      }
    }
    const Shortcut<DecodeGroup>* shortcut = DecodeShortcut(p[0]);
    if (shortcut == nullptr) return {0, 0};
    const DecodeGroup::Entry* consonant = nullptr;
    if (shortcut->consonant.state == DecodeGroup::State::kDecided) {  // most steps
      consonant = &shortcut->consonant.entries[0];
    } else if (shortcut->consonant.NoMatch()) {
      if (!shortcut->plain.complete) return {0, 0};
      const DecodeGroup::Entry* plain = shortcut->plain.Find(p);
      if (plain == nullptr) return {0, 0};
      return {plain->keyLength, plain->Write(out)};
    } else {
      if (!shortcut->consonant.complete) return {0, 0};
      consonant = shortcut->consonant.Find(p);
      if (consonant == nullptr) return {0, 0};
    }
    const std::int32_t length = consonant->keyLength;
    const char16_t next = p[length];
    if (IsVowelSign(next)) {
      // A sign without an entry is left for the next step.
      const DecodeGroup& signs = teluguShortcuts_[next - kBlockFirst].sign;
      if (!signs.complete) return {0, 0};
      const DecodeGroup::Entry* sign =
          signs.state == DecodeGroup::State::kDecided ? &signs.entries[0] : signs.Find(p + length);
      const std::int32_t n = consonant->Write(out);
      if (sign == nullptr) return {length, n};
      return {length + sign->keyLength, n + sign->Write(out + n)};
    }
    const std::int32_t n = consonant->Write(out);
    if (next == kVirama) {
      const char16_t after = p[length + 1];
      if (!IsIndependentVowel(after) && !IsVowelSign(after)) return {length + 1, n};
      out[n] = code::kSeparator;
      return {length + 1, n + 1};
    }
    out[n] = code::kVowelA;
    return {length, n + 1};
  };
}

// A consonant with its vowel, or a plain byte, where the shortcuts hold the
// entries: what EncodeStep gives there, into UTF-16 (Out char16_t) or UTF-8
// (Out Byte).
template <class Out>
auto UnicodeConverter::EncodeShortStep() const {
  // `out` takes UTF-16 units, or (Byte) the UTF-8 forms of the same units.
  constexpr bool kUtf8 = std::is_same_v<Out, Byte>;
  // Writes entry `i` of a group; UTF-8 output needs the entry's UTF-8 form.
  const auto writable = [](const EncodeShortcut::Forms& forms, std::int32_t i) {
    return !kUtf8 || forms[static_cast<std::size_t>(i)].usable;
  };
  const auto write = [](const EncodeShortcut::Forms& forms, const EncodeGroup& group, std::int32_t i, Out* out) {
    if constexpr (kUtf8) {
      return forms[static_cast<std::size_t>(i)].Write(out);
    } else {
      return group.entries[i].Write(out);
    }
  };
  // A unit of the Telugu block, as itself or as its three bytes of UTF-8.
  const auto put = [](char16_t unit, Out* out) -> std::int32_t {
    if constexpr (kUtf8) {
      out[0] = 0xE0;
      out[1] = static_cast<Byte>(0x80 | ((unit >> 6) & 0x3F));
      out[2] = static_cast<Byte>(0x80 | (unit & 0x3F));
      return 3;
    } else {
      out[0] = unit;
      return 1;
    }
  };
  return [this, writable, write, put](const Byte* p, Out* out) -> ShortStepResult {
    // The commonest case: a one-unit consonant with the inherent vowel, with
    // no vowel (virama), or with a vowel of one unit.
    if (const char16_t consonant = oneUnitConsonants_[p[0]]; consonant != 0) {
      const Byte next = p[1];
      if (next == code::kVowelA) return {2, put(consonant, out)};
      if (!IsVowel(next)) {
        const std::int32_t n = put(consonant, out);
        return {1, n + put(kVirama, out + n)};
      }
      if (const char16_t sign = oneUnitSigns_[next]; sign != 0) {
        const std::int32_t n = put(consonant, out);
        return {2, n + put(sign, out + n)};
      }
    }
    if (p[0] == code::kEscapeLead) {
      // An escape writes its unit, if any (WideEncodeFallback); a surrogate
      // waits in the UTF-8 sink for its partner, so that is left to the sink.
      const EscapeRead escape = ReadEscape(p);
      if (escape.value == 0) return {escape.consumed, 0};
      const char16_t unit = escape.value;
      if constexpr (kUtf8) {
        if (unit >= 0xD800 && unit <= 0xDFFF) return {0, 0};
        if (unit < 0x80) {
          out[0] = static_cast<Byte>(unit);
          return {escape.consumed, 1};
        }
        if (unit < 0x800) {
          out[0] = static_cast<Byte>(0xC0 | (unit >> 6));
          out[1] = static_cast<Byte>(0x80 | (unit & 0x3F));
          return {escape.consumed, 2};
        }
        out[0] = static_cast<Byte>(0xE0 | (unit >> 12));
        out[1] = static_cast<Byte>(0x80 | ((unit >> 6) & 0x3F));
        out[2] = static_cast<Byte>(0x80 | (unit & 0x3F));
        return {escape.consumed, 3};
      } else {
        out[0] = unit;
        return {escape.consumed, 1};
      }
    }
    const EncodeShortcut& shortcut = encodeShortcuts_[p[0]];
    std::int32_t consonant = 0;  // most steps: a consonant whose first unit decides
    if (shortcut.consonant.state != EncodeGroup::State::kDecided) {
      if (shortcut.consonant.NoMatch()) {
        if (!shortcut.plain.complete) return {0, 0};
        const std::int32_t plain = shortcut.plain.FindIndex(p);
        if (plain < 0 || !writable(shortcut.plain8, plain)) return {0, 0};
        return {shortcut.plain.entries[plain].keyLength, write(shortcut.plain8, shortcut.plain, plain, out)};
      }
      if (!shortcut.consonant.complete) return {0, 0};
      consonant = shortcut.consonant.FindIndex(p);
      if (consonant < 0) return {0, 0};
    }
    if (!writable(shortcut.consonant8, consonant)) return {0, 0};
    const std::int32_t length = shortcut.consonant.entries[consonant].keyLength;
    const Byte next = p[length];
    if (!IsVowel(next)) {
      const std::int32_t n = write(shortcut.consonant8, shortcut.consonant, consonant, out);
      if constexpr (kUtf8) {
        return {length, n + virama8_.Write(out + n)};
      } else {
        out[n] = kVirama;
        return {length, n + 1};
      }
    }
    if (next == code::kVowelA) return {length + 1, write(shortcut.consonant8, shortcut.consonant, consonant, out)};
    // A vowel without a sign is left for the next step.
    const EncodeShortcut& after = encodeShortcuts_[next];
    if (!after.sign.complete) return {0, 0};
    const std::int32_t sign = after.sign.FindIndex(p + length);
    if (sign >= 0 && !writable(after.sign8, sign)) return {0, 0};
    const std::int32_t n = write(shortcut.consonant8, shortcut.consonant, consonant, out);
    if (sign < 0) return {length, n};
    return {length + after.sign.entries[sign].keyLength, n + write(after.sign8, after.sign, sign, out + n)};
  };
}

}  // namespace tirmok
