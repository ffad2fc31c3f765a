// ScratchBuffers: the three work buffers of a conversion, sized by the size rule and only ever grown.
#pragma once

#include <cstdint>
#include <memory>

#include "core/internal_code.h"

namespace tirmok {

// Bytes each buffer needs for an input of `units` units: 20 per unit plus 4096.
// Computed in 64 bits; callers treat a result above INT32_MAX as too large.
constexpr std::int64_t RequiredCapacity(std::int64_t units) { return 20 * units + 4096; }

class ScratchBuffers {
 public:
  static constexpr std::int32_t kInitialCapacity = 1024;

  // Allocates three zero-filled buffers of the initial capacity.
  ScratchBuffers();

  // Grows all three buffers to at least `required` bytes. On failure (no
  // memory, or a size beyond 32 bits) the old buffers stay in service and the
  // result is false.
  bool Reserve(std::int64_t required) { return required <= scratchCapacity_ || Grow(required); }
  // Reserve by the size rule for an input of `units` units: what every
  // operation asks before it uses the buffers.
  bool ReserveFor(std::int64_t units) { return Reserve(RequiredCapacity(units)); }

  // Goes back to the initial capacity when the buffers are larger than
  // `keptBytes`, giving their memory back.
  void Release(std::int32_t keptBytes);

  // Each buffer serves as a byte string or as a UTF-16 string; the storage is
  // char16_t so that both uses are aligned.
  Byte* A() { return reinterpret_cast<Byte*>(scratchA_.get()); }
  Byte* B() { return reinterpret_cast<Byte*>(scratchB_.get()); }
  Byte* C() { return reinterpret_cast<Byte*>(scratchC_.get()); }
  char16_t* WideA() { return scratchA_.get(); }
  char16_t* WideB() { return scratchB_.get(); }
  char16_t* WideC() { return scratchC_.get(); }

  std::int32_t Capacity() const { return scratchCapacity_; }          // bytes
  std::int32_t WideCapacity() const { return scratchCapacity_ / 2; }  // 16-bit units

 private:
  bool Grow(std::int64_t required);

  std::unique_ptr<char16_t[]> scratchA_;
  std::unique_ptr<char16_t[]> scratchB_;
  std::unique_ptr<char16_t[]> scratchC_;
  std::int32_t scratchCapacity_ = 0;
};

}  // namespace tirmok
