// Piece: the fixed-size buffer one conversion step writes before the run loop copies it out.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>

namespace tirmok {

// Copies `n` units. Steps hand over a few units at a time, for which a call
// into the C library's memcpy costs more than the copy itself.
template <class Unit>
inline void CopyUnits(Unit* to, const Unit* from, std::int32_t n) {
  switch (n) {
    case 4: to[3] = from[3]; [[fallthrough]];
    case 3: to[2] = from[2]; [[fallthrough]];
    case 2: to[1] = from[1]; [[fallthrough]];
    case 1: to[0] = from[0]; [[fallthrough]];
    case 0: return;
    default: std::memmove(to, from, static_cast<std::size_t>(n) * sizeof(Unit));
  }
}

// A step never writes more than a few dozen units (control runs end at 31); the
// buffer is larger than any step needs and ignores writes past its end rather
// than overrunning.
template <class Unit>
class Piece {
 public:
  static constexpr std::int32_t kCapacity = 64;

  void Clear() { size_ = 0; }
  void Push(Unit u) {
    // Compared as unsigned so the compiler sees the index is never negative
    // (size_ never is, but GCC cannot follow that across the steps that
    // inline this and warns of a write before the buffer).
    const auto at = static_cast<std::uint32_t>(size_);
    if (at < static_cast<std::uint32_t>(kCapacity)) {
      units_[at] = u;
      size_ = static_cast<std::int32_t>(at + 1);
    }
  }
  void Append(std::span<const Unit> units) {
    const auto n = static_cast<std::int32_t>(units.size());
    if (n <= kCapacity - size_) {
      CopyUnits(units_ + size_, units.data(), n);
      size_ += n;
    } else if (size_ >= 0 && size_ < kCapacity) {
      // What fits, as Push would take it unit by unit.
      const std::int32_t room = kCapacity - size_;
      CopyUnits(units_ + size_, units.data(), room);
      size_ = kCapacity;
    }
  }
  void Append(const Piece& other) { Append(other.View()); }
  // Removes the last unit (used where a later rule replaces what was written).
  void PopBack() {
    if (size_ > 0) --size_;
  }

  std::int32_t Size() const { return size_; }
  bool Empty() const { return size_ == 0; }
  const Unit* Data() const { return units_; }
  Unit* Data() { return units_; }
  Unit operator[](std::int32_t i) const { return units_[i]; }
  Unit Front() const { return units_[0]; }
  Unit Back() const { return units_[size_ - 1]; }
  std::span<const Unit> View() const { return {units_, static_cast<std::size_t>(size_)}; }

 private:
  Unit units_[kCapacity] = {};
  std::int32_t size_ = 0;
};

}  // namespace tirmok
