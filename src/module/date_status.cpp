// Date conversion that says what happened: LpxDateConvert's result is its
// output's length, which cannot tell an empty result from a failure.
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "tirmok/tirmok.hpp"
#include "tirmok/tirmok_ext.h"

extern "C" int32_t TirmokDateConvertStatus(const char* phrase, int32_t fromEnglish, char* output, int32_t capacity,
                                           int32_t* status, int32_t* required) {
  int32_t ignoredStatus = 0, ignoredRequired = 0;
  if (status == nullptr) status = &ignoredStatus;
  if (required == nullptr) required = &ignoredRequired;
  *status = TIRMOK_INVALID_ARGUMENT;
  *required = 0;
  if (phrase == nullptr || capacity < 0 || (output == nullptr && capacity != 0)) return 0;
  if (capacity > 0) output[0] = '\0';
  try {
    const std::string result = fromEnglish != 0 ? tirmok::date_to_telugu(phrase) : tirmok::date_to_english(phrase);
    if (result.size() >= static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) return 0;
    const auto length = static_cast<int32_t>(result.size());
    *required = length + 1;
    if (capacity <= length) {
      // Nothing rather than a cut phrase: a date word cut in two would read as another word.
      *status = TIRMOK_CUT;
      return 0;
    }
    std::memcpy(output, result.data(), result.size());
    output[length] = '\0';
    *status = TIRMOK_DONE;
    return length;
  } catch (const std::bad_alloc&) {
    *status = TIRMOK_OUT_OF_MEMORY;
  } catch (...) {
    // std::length_error for a phrase beyond the library's 32-bit sizes.
  }
  return 0;
}
