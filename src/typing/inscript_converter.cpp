// InscriptConverter: keystrokes -> internal code. Not yet filled in: every conversion is empty.
#include "typing/inscript_converter.h"

namespace tirmok {

InscriptConverter::InscriptConverter() = default;

std::int32_t InscriptConverter::Decode(const Byte*, std::int32_t, Byte* output, std::int32_t capacity,
                                       const PropertyStore&) const {
  if (output && capacity > 0) output[0] = 0;
  return 0;
}

}  // namespace tirmok
