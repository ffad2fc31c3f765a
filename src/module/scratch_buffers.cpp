// ScratchBuffers: the three work buffers of a conversion, sized by the size rule and only ever grown.
#include "module/scratch_buffers.h"

#include <limits>
#include <new>

namespace tirmok {

ScratchBuffers::ScratchBuffers()
    : scratchA_(new char16_t[kInitialCapacity / 2]()),
      scratchB_(new char16_t[kInitialCapacity / 2]()),
      scratchC_(new char16_t[kInitialCapacity / 2]()),
      scratchCapacity_(kInitialCapacity) {}

void ScratchBuffers::Release(std::int32_t keptBytes) {
  if (scratchCapacity_ <= keptBytes) return;
  std::unique_ptr<char16_t[]> a(new (std::nothrow) char16_t[kInitialCapacity / 2]());
  std::unique_ptr<char16_t[]> b(new (std::nothrow) char16_t[kInitialCapacity / 2]());
  std::unique_ptr<char16_t[]> c(new (std::nothrow) char16_t[kInitialCapacity / 2]());
  if (!a || !b || !c) return;  // the large buffers stay in service
  scratchA_ = std::move(a);
  scratchB_ = std::move(b);
  scratchC_ = std::move(c);
  scratchCapacity_ = kInitialCapacity;
}

bool ScratchBuffers::Grow(std::int64_t required) {
  if (required > std::numeric_limits<std::int32_t>::max() - 1) return false;
  const std::int64_t bytes = required + (required & 1);  // whole 16-bit units
  const auto units = static_cast<std::size_t>(bytes / 2);
  std::unique_ptr<char16_t[]> a(new (std::nothrow) char16_t[units]);
  std::unique_ptr<char16_t[]> b(new (std::nothrow) char16_t[units]);
  std::unique_ptr<char16_t[]> c(new (std::nothrow) char16_t[units]);
  if (!a || !b || !c) return false;
  scratchA_ = std::move(a);
  scratchB_ = std::move(b);
  scratchC_ = std::move(c);
  scratchCapacity_ = static_cast<std::int32_t>(bytes);
  return true;
}

}  // namespace tirmok
