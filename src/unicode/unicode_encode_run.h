// The Unicode converter's encoding run: internal code written as UTF-16 or
// UTF-8 a byte at a time, each byte's output looked up by the byte and its
// two neighbours, so that nothing but the output's place carries from one
// byte to the next.
//
// It restates EncodeStep (unicode_converter.cpp) for ordinary text: a
// consonant of one unit writes it, and the virama unless a vowel follows; a
// vowel after such a consonant writes its sign (the inherent vowel nothing, a
// vowel without a sign what it writes alone); any other byte its plain entry
// or nothing. The cells are made from the converter's shortcuts in
// unicode_encode_run.cpp; what they cannot say (controls, escapes, a
// consonant before the nukta, keys of two bytes) ends the run, and the short
// and plain steps take over. tests/fast_paths_test.cpp guards it: every byte
// pair and triple, random text, every capacity and every cut of the input.
#pragma once

#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>

#include "unicode/unicode_converter.h"

namespace tirmok {

namespace encode_run {

// Writes all of a cell's output units (and what lies past them, which the
// next cell overwrites or the stage leaves behind).
template <class Out>
inline void StoreCell(Out* s, std::uint64_t cell) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(s, &cell, sizeof cell);
  } else {
    for (std::size_t k = 0; k < sizeof cell / sizeof(Out); ++k) s[k] = static_cast<Out>(cell >> (8 * sizeof(Out) * k));
  }
}

}  // namespace encode_run

template <class Out>
ShortStepResult UnicodeConverter::EncodeRun(const Byte* p, std::int32_t count, Out* out, const Out* last) const {
  constexpr bool kUtf8 = std::is_same_v<Out, Byte>;
  const EncodeCell* const cells = kUtf8 ? encodeCells8_.data() : encodeCells16_.data();
  const std::uint8_t* const classes = encodeClass_.data();
  // Cells store eight bytes whatever they count, so output is staged and
  // copied out a stage at a time: the caller's buffer receives exactly the
  // steps' output. A stage ends only between steps.
  constexpr std::ptrdiff_t kStage = 512;
  Out stage[kStage + 32];
  Out* const begin = out;
  std::int32_t i = 0;
  std::uint32_t takes = 0;  // the byte before is a consonant whose step takes a vowel after it
  std::uint32_t cls = classes[p[0]];
  bool stopped = false;
  while (!stopped && i < count && out <= last) {
    // A step may begin while its place in the caller's buffer is not past `last`.
    const Out* const stageLast = stage + std::min<std::ptrdiff_t>(last - out, kStage);
    Out* s = stage;
    Out* before = s;  // where the last byte's output began
    for (;;) {
      // Eight bytes at a time while they are all in the run and their output
      // fits the stage; the bytes before a stop cell are taken, the stop is
      // left to the byte-at-a-time loop below.
      while (i + 8 <= count && s + 8 * 6 <= stageLast) {
        const Byte* const q = p + i;
        std::uint32_t k = 0;
        for (; k < 8; ++k) {
          const std::uint32_t nextClass = classes[q[k + 1]];
          const EncodeCell cell = cells[EncodeCellIndex(takes, q[k], nextClass)];
          if ((cell & kEncodeStop) != 0) break;
          encode_run::StoreCell(s, cell);
          before = s;
          s += (cell >> 56) & 0x7F;
          takes = (cls / kEncodeTakesVowel) & 1;
          cls = nextClass;
        }
        i += static_cast<std::int32_t>(k);
        if (k < 8) break;
      }
      // A vowel taken by the consonant before it belongs to that step.
      const bool taken = (takes & cls & kEncodeVowel) != 0;
      if (i >= count) {
        // p[i] is the terminator or past the caller's length: a step not
        // finished is left whole to the caller.
        if (taken) {
          s = before;
          --i;
        }
        stopped = true;
        break;
      }
      if (s > stageLast && !taken) break;
      // p[i] is not the terminator, so p[i + 1] may be read.
      const std::uint32_t nextClass = classes[p[i + 1]];
      const EncodeCell cell = cells[EncodeCellIndex(takes, p[i], nextClass)];
      if ((cell & kEncodeStop) != 0) {
        if (taken) {
          s = before;
          --i;
        }
        stopped = true;
        break;
      }
      encode_run::StoreCell(s, cell);
      before = s;
      s += (cell >> 56) & 0x7F;
      takes = (cls / kEncodeTakesVowel) & 1;
      cls = nextClass;
      ++i;
    }
    std::copy(stage, s, out);
    out += s - stage;
  }
  return {i, static_cast<std::int32_t>(out - begin)};
}

}  // namespace tirmok
