// The run loop every converter shares: one step at a time, whole steps only, always terminated.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "core/piece.h"

namespace tirmok {

// Length of a zero-terminated string in units.
template <class Unit>
std::int32_t UnitLength(const Unit* s) {
  // The C library's scan of bytes is many times faster than a loop.
  if constexpr (sizeof(Unit) == 1) return static_cast<std::int32_t>(std::strlen(reinterpret_cast<const char*>(s)));
  std::int32_t n = 0;
  while (s[n] != 0) ++n;
  return n;
}

// Where short steps may write in place (see RunLoopWithShortSteps).
template <class Unit>
struct ShortStretch {
  Unit* begin = nullptr;
  Unit* last = nullptr;
};

// Writes into a caller's buffer of `capacity` units, terminator included. A
// piece is taken only whole and only if it leaves room for the terminator.
template <class Unit>
class BufferSink {
 public:
  using UnitType = Unit;
  // A null buffer or a capacity below 1 gets nothing written, not even a terminator.
  BufferSink(Unit* output, std::int32_t capacity)
      : output_(capacity > 0 ? output : nullptr), capacity_(output_ ? capacity : 0) {
    if (output_) output_[0] = 0;
  }
  bool Usable() const { return output_ != nullptr; }
  bool Append(std::span<const Unit> piece) {
    const auto n = static_cast<std::int64_t>(piece.size());
    if (!output_ || length_ + n + 1 > capacity_) return false;
    CopyUnits(output_ + length_, piece.data(), static_cast<std::int32_t>(n));
    length_ += static_cast<std::int32_t>(n);
    output_[length_] = 0;
    return true;
  }
  std::int32_t Length() const { return length_; }

  // Units that still fit before the terminator.
  std::int32_t Room() const { return capacity_ - 1 - length_; }
  // Writing in place: from where units go, and the last place from which
  // `n` units still fit with the terminator (none when they do not fit now);
  // then taking the `n` units written there.
  ShortStretch<Unit> Stretch(std::int32_t n) const {
    if (Room() < n) return {};
    return {output_ + length_, output_ + capacity_ - 1 - n};
  }
  void Commit(std::int32_t n) {
    length_ += n;
    output_[length_] = 0;
  }

 private:
  Unit* output_;
  std::int32_t capacity_;
  std::int32_t length_ = 0;
};

// Resolves a caller's input length: -1, or anything not less than the
// string's length, means the whole string.
template <class Unit>
std::int32_t ResolveLength(const Unit* input, std::int32_t length) {
  const std::int32_t actual = UnitLength(input);
  return (length == -1 || length >= actual) ? actual : length;
}

// A length its caller has measured on the terminated text (the conversion
// pipeline measures every input once): exactly the units before the
// terminator, none of them zero. Taken as it is, without scanning the text
// for its end a second time.
struct MeasuredLength {
  std::int32_t units;
};
template <class Unit>
std::int32_t ResolveLength(const Unit*, MeasuredLength length) {
  return length.units;
}

// Runs `step(position_pointer, piece)` from the start of `input` while the
// position is before `length`. Each step consumes at least one unit before the
// terminator; a step whose piece the sink refuses ends the run. Returns the
// number of input units consumed.
template <class In, class Sink, class Step>
std::int32_t RunLoop(const In* input, std::int32_t length, Sink& sink, Step&& step) {
  if (input == nullptr) return 0;
  length = ResolveLength(input, length);
  Piece<typename Sink::UnitType> piece;
  std::int32_t position = 0;
  while (position < length) {
    piece.Clear();
    const std::int32_t used = step(input + position, piece);
    if (used <= 0) break;
    if (!sink.Append(piece.View())) break;
    position += used;
  }
  return position;
}

template <class In, class Out, class Step>
std::int32_t RunLoop(const In* input, std::int32_t length, Out* output, std::int32_t capacity,
                     Step&& step) {
  BufferSink<Out> sink(output, capacity);
  if (!sink.Usable()) return 0;
  return RunLoop(input, length, sink, step);
}

// What a short step did: the units it consumed (0: it left the step to the
// full rules and wrote nothing) and the units it wrote.
struct ShortStepResult {
  std::int32_t consumed;
  std::int32_t written;
};

// The most a short step may write into a caller's buffer of its output units,
// and into a UTF-8 sink.
inline constexpr std::int32_t kShortStepMax = 8;
inline constexpr std::int32_t kShortUtf8Max = 3 * kShortStepMax;

// RunLoop for converters whose common steps have a short form. A sink that
// can take units written in place offers `Stretch(n)` (where to write, and
// the last place from which n units and the terminator fit) and `Commit(n)`.
// There `shortStep(p, out)` either writes at `out` exactly what the sink
// would have made of the piece of `step` (at most `shortMax` units) and
// returns what it consumed, or declines before writing anything. The output
// is the same as RunLoop's with `step` alone: every short step fits whole, as
// its piece would have, and near the end of the buffer every step goes
// through the piece and the sink's own check.
//
// A converter may also answer whole runs of steps at once:
// `shortRun(p, count, out, last)` takes steps from `p` while a step begins
// within the next `count` units and `out` has not passed `last` (so that each
// step, of at most `shortMax` units, fits), and returns what those whole
// steps consumed and wrote, and nothing more (see RunByUnits).
//
// RunResolvedWithShortRuns is the same for a `length` already resolved (no
// more than the string's length), for callers that needed it first.
template <class In, class Sink, class ShortRun, class ShortStep, class Step>
std::int32_t RunResolvedWithShortRuns(const In* input, std::int32_t length, Sink& sink, std::int32_t shortMax,
                                      ShortRun&& shortRun, ShortStep&& shortStep, Step&& step) {
  Piece<typename Sink::UnitType> piece;
  std::int32_t position = 0;
  while (position < length) {
    // A stretch of short steps written in place, each while the longest of
    // them still fits; the sink is told once at the end of the stretch.
    if (const auto stretch = sink.Stretch(shortMax); stretch.begin != nullptr) {
      auto* out = stretch.begin;
      bool declined = false;
      while (position < length && out <= stretch.last) {
        const ShortStepResult run = shortRun(input + position, length - position, out, stretch.last);
        out += run.written;
        position += run.consumed;
        if (position >= length || out > stretch.last) break;
        const ShortStepResult done = shortStep(input + position, out);
        if (done.consumed <= 0) {
          declined = true;
          break;
        }
        out += done.written;
        position += done.consumed;
      }
      sink.Commit(static_cast<std::int32_t>(out - stretch.begin));
      if (!declined) continue;
    }
    if (position >= length) break;
    piece.Clear();
    const std::int32_t used = step(input + position, piece);
    if (used <= 0) break;
    if (!sink.Append(piece.View())) break;
    position += used;
  }
  return position;
}

template <class In, class Length, class Sink, class ShortRun, class ShortStep, class Step>
std::int32_t RunLoopWithShortRuns(const In* input, Length length, Sink& sink, std::int32_t shortMax,
                                  ShortRun&& shortRun, ShortStep&& shortStep, Step&& step) {
  if (input == nullptr) return 0;
  return RunResolvedWithShortRuns(input, ResolveLength(input, length), sink, shortMax, shortRun, shortStep, step);
}

// What RunByUnits' `unit` did at one input unit: the units it wrote, whether
// the step it belongs to goes on into the next input unit, and whether the
// run must stop before this unit (then it wrote nothing that counts).
struct UnitResult {
  std::int32_t written;
  bool continues;
  bool stop;
};

// A shortRun for converters that can spread each common step over the input
// units it consumes, so that a run advances exactly one input unit at a time
// whatever the text (the processor then never waits to learn where the next
// step begins). A step spans one unit or two. `unit(p, taking, out)`
// handles the input unit at `p`: `taking` (0 or 1) says that the step of the
// unit before goes on into it. It may write a few units past what it
// reports, so output is staged and copied out whole steps at a time: the
// caller's buffer receives exactly the steps' output. A step the run cannot
// finish (the input ends, or a unit within it stops the run) is left whole to
// the caller.
template <class In, class Out, class Unit>
ShortStepResult RunByUnits(const In* p, std::int32_t count, Out* out, const Out* last, Unit unit) {
  constexpr std::ptrdiff_t kStage = 256;
  // Room for the step under way when the stage fills, and for a unit's
  // writes past what it reports.
  Out stage[kStage + 4 * kShortUtf8Max];
  Out* const begin = out;
  std::int32_t i = 0;
  bool stopped = false;
  while (!stopped && i < count && out <= last) {
    // A step may begin while its place in the caller's buffer is not past `last`.
    const Out* const stageLast = stage + std::min<std::ptrdiff_t>(last - out, kStage);
    Out* s = stage;
    std::uint32_t taking = 0;
    std::int32_t lastWritten = 0;
    const auto take = [&] {
      const UnitResult done = unit(p + i, taking, s);
      stopped = done.stop;
      if (stopped) return;
      s += done.written;
      lastWritten = done.written;
      taking = done.continues ? 1 : 0;
      ++i;
    };
    // The loop's tests do not depend on the text, so that the processor can
    // predict them; nor does anything in `unit` but the rare stop.
    while (!stopped && i < count && s <= stageLast) take();
    if (!stopped && taking != 0 && i < count) take();  // the second unit of the step under way
    if (taking != 0) {  // a step not finished is left to the caller
      s -= lastWritten;
      --i;
      stopped = true;
    }
    std::copy(stage, s, out);
    out += s - stage;
  }
  return {i, static_cast<std::int32_t>(out - begin)};
}

// Runs of single short steps: no converter-wide run.
struct NoShortRun {
  template <class In, class Out>
  ShortStepResult operator()(const In*, std::int32_t, Out*, const Out*) const {
    return {0, 0};
  }
};

template <class In, class Sink, class ShortStep, class Step>
std::int32_t RunLoopWithShortSteps(const In* input, std::int32_t length, Sink& sink, std::int32_t shortMax,
                                   ShortStep&& shortStep, Step&& step) {
  return RunLoopWithShortRuns(input, length, sink, shortMax, NoShortRun{}, shortStep, step);
}

template <class In, class Out, class ShortStep, class Step>
std::int32_t RunLoopWithShortSteps(const In* input, std::int32_t length, Out* output, std::int32_t capacity,
                                   ShortStep&& shortStep, Step&& step) {
  BufferSink<Out> sink(output, capacity);
  if (!sink.Usable()) return 0;
  return RunLoopWithShortSteps(input, length, sink, kShortStepMax, shortStep, step);
}

}  // namespace tirmok
