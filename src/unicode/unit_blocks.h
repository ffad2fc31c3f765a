// Blocks of ordinary text decoded at once: up to 64 characters of UTF-8 or UTF-16 into the internal code.
//
// The block readers restate the Unicode decoder's run cells (UnicodeConverter::MakeRunCells, which restate
// DecodeStep) for whole blocks: a unit's step depends only on whether the unit before it is a one-byte
// consonant, on the unit itself and on the class of the unit after it, so every unit of a block is decided
// at once and only the output position runs from one unit to the next. Whatever the cells do not answer
// ends the block before it, and the caller takes that step the plain way. tests/fast_paths_test.cpp
// (UnitBlocks) holds them to the plain steps at every capacity, at every cut and with odd units in every
// place.
#pragma once

#include <array>
#include <cstdint>

#include "core/internal_code.h"

namespace tirmok {

// The characters blocks read, each as a one-byte code: 0x20-0x7F ASCII (not
// the controls), 0x80-0xFF the Telugu block (U+0C00 plus the low seven bits),
// 0x00-0x1F U+2000 to U+201F (the joiners and the curly quotation marks).
// The tables say, code by code, what the decoder's run cells say.
struct UnitBlockTables {
  // Props: the unit is a one-byte consonant whose step goes on into a vowel
  // sign or the virama after it; it is a vowel sign or the virama; it is a
  // vowel or a vowel sign; it is the second unit of a two-unit sign (a
  // length mark); no run step begins with it; no consonant's step takes it
  // in; as a sign taken in, it may be the first unit of a two-unit sign; it
  // is the virama.
  static constexpr Byte kConsonant = 1;
  static constexpr Byte kSignOrVirama = 2;
  static constexpr Byte kVowelOrSign = 4;
  static constexpr Byte kSignSecond = 8;
  static constexpr Byte kFreshStop = 16;
  static constexpr Byte kTakenStop = 32;
  static constexpr Byte kTwoUnitSign = 64;
  static constexpr Byte kVirama = 128;
  // Keeps: a step beginning with the unit keeps its first byte, and its
  // second (a consonant's inherent vowel only where no sign or virama follows).
  static constexpr Byte kKeepFirst = 1;
  static constexpr Byte kKeepSecond = 2;

  std::array<Byte, 256> freshFirst{};   // the bytes of a step that begins with the unit
  std::array<Byte, 256> freshSecond{};
  std::array<Byte, 256> takenFirst{};   // the byte of a sign or virama taken in by a consonant
  std::array<Byte, 256> props{};
  std::array<Byte, 256> keeps{};
  // The codes from which a vowel sign or the virama may be: where the last
  // lane of a block is one, the block leaves it and the unit before it to
  // the next block, so that blocks mostly end where their lanes do.
  Byte signFirst = 0xFF;
  Byte signLast = 0;
};

// What a block reader did: the input units (bytes of UTF-8, or UTF-16 units)
// of the whole steps it decoded, and the bytes it wrote for them.
struct BlockSteps {
  std::int32_t consumed;
  std::int32_t written;
};

inline constexpr std::int32_t kBlockUnits = 64;
// A UTF-8 block reads two bytes past its 64 (the rest of a character that
// begins in its last bytes); a UTF-16 block reads its 64 units.
inline constexpr std::int32_t kUtf8BlockReadable = kBlockUnits + 2;
inline constexpr std::int32_t kUtf16BlockReadable = kBlockUnits;
// The most a block writes: two bytes for each unit.
inline constexpr std::int32_t kBlockOutputMax = 2 * kBlockUnits;

// A block reader decodes whole steps of ordinary text from a step's start
// at `p`, a block at a time while a block's input is left (of `available`
// units: kUtf8BlockReadable or kUtf16BlockReadable) and its output fits (in
// `room` bytes: kBlockOutputMax), writing exactly the steps' bytes at `out`.
// It stops where a step is not one it answers, and before a block that does
// not fit.
using Utf8BlockReader = BlockSteps (*)(const UnitBlockTables& tables, const Byte* p, std::int32_t available,
                                       Byte* out, std::int32_t room);
using Utf16BlockReader = BlockSteps (*)(const UnitBlockTables& tables, const char16_t* p, std::int32_t available,
                                        Byte* out, std::int32_t room);

// The portable readers, a lane at a time, and the best this processor runs,
// chosen once: AVX-512 where it has it, else none.
Utf8BlockReader PortableUtf8BlockReader();
Utf16BlockReader PortableUtf16BlockReader();
Utf8BlockReader BestUtf8BlockReader();
Utf16BlockReader BestUtf16BlockReader();

// The block code of a unit, or -1 for one that blocks do not read.
constexpr int BlockCodeOf(char16_t unit) {
  if (unit >= 0x20 && unit < 0x80) return unit;
  if (unit >= 0x0C00 && unit < 0x0C80) return 0x80 | (unit & 0x7F);
  if (unit >= 0x2000 && unit < 0x2020) return unit & 0x1F;
  return -1;
}
constexpr char16_t UnitOfBlockCode(int code) {
  if (code >= 0x80) return static_cast<char16_t>(0x0C00 | (code & 0x7F));
  if (code >= 0x20) return static_cast<char16_t>(code);
  return static_cast<char16_t>(0x2000 | code);
}

}  // namespace tirmok
