// Per-thread error information: the object that carries a failure's description, source and interface.
#pragma once

#include <string_view>

#include "tirmok/automation.h"

namespace tirmok::automation {

// Makes a new error-information object the calling thread's current one.
// Returns false (and leaves the slot empty) when memory runs out.
bool SetThreadError(std::u16string_view description, std::u16string_view source, const GUID& guid) noexcept;

}  // namespace tirmok::automation
