// The run loop every converter shares: one step at a time, whole steps only, always terminated.
#pragma once

#include <cstdint>
#include <span>

#include "core/piece.h"

namespace tirmok {

// Length of a zero-terminated string in units.
template <class Unit>
std::int32_t UnitLength(const Unit* s) {
  std::int32_t n = 0;
  while (s[n] != 0) ++n;
  return n;
}

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
    for (Unit u : piece) output_[length_++] = u;
    output_[length_] = 0;
    return true;
  }
  std::int32_t Length() const { return length_; }

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

}  // namespace tirmok
