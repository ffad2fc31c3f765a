// The Unicode decoder's blocks (unit_blocks.h): their tables, made from the run cells, and UTF-8 read straight
// into the internal code, a block at a time, with the plain steps between blocks.
#include <algorithm>
#include <cstring>

#include "unicode/unicode_fast_tiers.h"

namespace tirmok {

// Each code's cells (MakeRunCells) as the bits the block readers combine:
// which unit a consonant's step takes in, what a step keeps before each
// class of follower, where the run stops. A code whose cells the bits do not
// restate for every class of follower is left out (no step begins with it
// and none takes it in), so that blocks stop before it.
void UnicodeConverter::MakeBlockTables() {
  using T = UnitBlockTables;
  const auto kept = [](RunCell cell, std::uint32_t cls) {
    return static_cast<std::uint32_t>((cell >> (16 + 2 * cls)) & 3);
  };
  const auto continues = [](RunCell cell, std::uint32_t cls) { return ((cell >> (32 + cls)) & 1) != 0; };
  const auto stops = [](RunCell cell, std::uint32_t cls) { return ((cell >> (40 + cls)) & 1) != 0; };
  for (int code = 0; code < 256; ++code) {
    const char16_t unit = UnitOfBlockCode(code);
    const std::uint32_t index = RunIndex(unit);
    const RunCell fresh = freshCells_[index];
    const RunCell taken = takenCells_[index];
    const std::uint32_t cls = unitClass_[index];
    const bool freshStop = stops(fresh, kNotSignOrVirama);
    const bool takenStop = stops(taken, kNotSignOrVirama);
    const bool consonant = !freshStop && continues(fresh, 0);
    const bool virama = unit == kVirama;
    const bool twoUnitSign = !takenStop && stops(taken, kNotSignOrVirama | kSignSecond);
    const std::uint32_t plainSize = kept(fresh, kNotSignOrVirama);
    // What the bits say before a follower of class `next`, against the cells.
    bool restated = true;
    for (std::uint32_t next = 0; next < 8; ++next) {
      const bool nextSign = (next & kNotSignOrVirama) == 0;
      if (stops(fresh, next) != freshStop) restated = false;
      if (!freshStop) {
        const std::uint32_t freshKept = consonant ? (nextSign ? 1 : 2) : plainSize;
        if (kept(fresh, next) != freshKept || continues(fresh, next) != (consonant && nextSign)) restated = false;
      }
      const bool takenStops = takenStop || (twoUnitSign && (next & kSignSecond) != 0);
      if (stops(taken, next) != takenStops) restated = false;
      if (!takenStops) {
        const std::uint32_t takenKept = virama ? ((next & kVowelOrSign) != 0 ? 1 : 0) : 1;
        if (kept(taken, next) != takenKept || continues(taken, next)) restated = false;
      }
    }
    Byte props = 0;
    if (restated) {
      if (consonant) props |= T::kConsonant;
      if (freshStop) props |= T::kFreshStop;
      if (takenStop) props |= T::kTakenStop;
      if (twoUnitSign) props |= T::kTwoUnitSign;
      if (virama) props |= T::kVirama;
    } else {
      props |= T::kFreshStop | T::kTakenStop;
    }
    if ((cls & kNotSignOrVirama) == 0) props |= T::kSignOrVirama;
    if ((cls & kVowelOrSign) != 0) props |= T::kVowelOrSign;
    if ((cls & kSignSecond) != 0) props |= T::kSignSecond;
    if ((props & T::kSignOrVirama) != 0) {
      blockTables_.signFirst = std::min(blockTables_.signFirst, static_cast<Byte>(code));
      blockTables_.signLast = std::max(blockTables_.signLast, static_cast<Byte>(code));
    }
    const auto c = static_cast<std::size_t>(code);
    blockTables_.props[c] = props;
    blockTables_.keeps[c] = static_cast<Byte>((consonant || plainSize >= 1 ? T::kKeepFirst : 0) |
                                              (consonant || plainSize >= 2 ? T::kKeepSecond : 0));
    blockTables_.freshFirst[c] = static_cast<Byte>(fresh);
    blockTables_.freshSecond[c] = static_cast<Byte>(fresh >> 8);
    blockTables_.takenFirst[c] = static_cast<Byte>(taken);
  }
}

std::int32_t UnicodeConverter::DecodeUtf8(const Byte* input, std::int32_t length, Byte* output,
                                          std::int32_t capacity) const {
  if (input != nullptr && length >= 0) {
    // Text too short for blocks goes through its UTF-16 form, which Decode
    // reads with its short steps, faster than the plain steps of a window.
    if (constexpr std::int32_t kShortText = 4 * kUtf8BlockReadable; length <= kShortText) {
      char16_t wide[kShortText + 1];
      const std::int32_t units = Utf8ToUtf16(input, length, wide, kShortText + 1);
      const std::int32_t used = Decode(wide, units, output, capacity);
      if (used == units) return length;
      // The bytes of the characters whose units were all consumed.
      std::int32_t consumed = 0;
      for (std::int32_t taken = 0; consumed < length;) {
        const Utf8Read c = ReadUtf8Character(input + consumed, length - consumed);
        taken += c.codePoint >= 0x10000 ? 2 : 1;
        if (taken > used) break;
        consumed += c.length;
      }
      return consumed;
    }
  }
  return DecodeUtf8With(BestUtf8BlockReader(), input, length, output, capacity);
}

// Blocks of ordinary text while there is room for a block's output, and the
// plain steps on a window of UTF-16 wherever a block stops. Blocks and windows
// both end at the end of a step and of a character, and a step depends only on
// the text from its start, so the steps are exactly those of Decode on the
// whole UTF-16 form.
std::int32_t UnicodeConverter::DecodeUtf8With(Utf8BlockReader reader, const Byte* input, std::int32_t length,
                                              Byte* output, std::int32_t capacity) const {
  BufferSink<Byte> sink(output, capacity);
  if (!sink.Usable() || input == nullptr) return 0;
  // The UTF-16 form would end at its first zero unit.
  if (length < 0) {
    length = static_cast<std::int32_t>(std::strlen(reinterpret_cast<const char*>(input)));
  } else if (const void* zero = std::memchr(input, 0, static_cast<std::size_t>(length)); zero != nullptr) {
    length = static_cast<std::int32_t>(static_cast<const Byte*>(zero) - input);
  }
  std::int32_t position = 0;
  while (position < length) {
    bool roomForBlocks = false;
    if (const auto stretch = sink.Stretch(kBlockOutputMax); reader != nullptr && stretch.begin != nullptr) {
      roomForBlocks = true;
      // Room for the blocks' bytes and the terminator.
      const auto room = static_cast<std::int32_t>(stretch.last - stretch.begin) + kBlockOutputMax;
      const BlockSteps blocks = reader(blockTables_, input + position, length - position, stretch.begin, room);
      position += blocks.consumed;
      sink.Commit(blocks.written);
      roomForBlocks = room - blocks.written >= kBlockOutputMax;
    }
    if (position >= length) break;
    const WindowSteps steps = DecodeUtf8Window(input + position, length - position, sink, roomForBlocks);
    position += steps.consumed;
    if (steps.full) break;
  }
  return position;
}

// The plain steps from `p` (a step's start) on the UTF-16 form of the text
// there, up to where a block may begin again. The window holds enough units
// past every step it takes for what the step reads (three units, or 31 for a
// control run), so a step sees there what it would see in the whole text.
UnicodeConverter::WindowSteps UnicodeConverter::DecodeUtf8Window(const Byte* p, std::int32_t available,
                                                                 BufferSink<Byte>& sink, bool blocksMayFollow) const {
  constexpr std::int32_t kWindow = 96;
  constexpr std::int32_t kStepReach = 4;
  constexpr std::int32_t kControlReach = 32;
  char16_t units[kWindow + 1];
  std::int32_t starts[kWindow + 1];  // the byte where each unit's character begins
  bool firsts[kWindow + 1];          // whether the unit is the first of its character
  std::int32_t n = 0;
  std::int32_t read = 0;
  // Characters are read as the steps need them: most windows take one step.
  const auto extend = [&](std::int32_t wanted) {
    while (n < wanted && read < available && n + 2 <= kWindow) {
      char16_t unit = 0;
      std::int32_t size = ReadCommonUtf8(p + read, p + available, unit);
      starts[n] = read;
      firsts[n] = true;
      if (size > 0) {
        units[n++] = unit;
      } else {
        const Utf8Read c = ReadUtf8Character(p + read, available - read);
        size = c.length;
        if (c.codePoint >= 0x10000) {
          const char32_t v = c.codePoint - 0x10000;
          units[n] = static_cast<char16_t>(0xD800 + (v >> 10));
          units[n + 1] = static_cast<char16_t>(0xDC00 + (v & 0x3FF));
          starts[n + 1] = read;
          firsts[n + 1] = false;
          n += 2;
        } else {
          units[n++] = static_cast<char16_t>(c.codePoint);
        }
      }
      read += size;
    }
    units[n] = 0;
    starts[n] = read;
    firsts[n] = true;
  };
  Piece<Byte> piece;
  std::int32_t k = 0;
  extend(kStepReach);
  while (k < n) {
    if (IsControl(units[k])) extend(k + kControlReach);
    extend(k + kStepReach);
    // The second unit of a surrogate pair is a step of its own that reads nothing after it.
    const bool toEnd = read == available;
    const bool seen = toEnd || k + kControlReach <= n || (!IsControl(units[k]) && k + kStepReach <= n);
    if (!seen && firsts[k]) break;
    piece.Clear();
    const std::int32_t used = DecodeStep(units + k, piece);
    if (used <= 0) break;
    if (!sink.Append(piece.View())) return {starts[k], true};
    k += used;
    // Back to blocks where one may begin: a character they read, which
    // begins a run step, with a block's bytes of input left.
    if (blocksMayFollow && k < n && firsts[k] && available - starts[k] >= kUtf8BlockReadable) {
      if (const int code = BlockCodeOf(units[k]);
          code >= 0 && (blockTables_.props[static_cast<std::size_t>(code)] & UnitBlockTables::kFreshStop) == 0) {
        break;
      }
    }
  }
  return {starts[k], false};
}

}  // namespace tirmok
