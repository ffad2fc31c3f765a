// Many conversions in one call, for callers (such as the Python package) whose cost per call would outweigh
// the conversion of a short text.
#include <cstdint>
#include <cstring>

#include "module/formats.h"
#include "tirmok/tirmok_ext.h"

namespace {

// Index of the first zero unit at or after `from`, reading no further than
// `units`; -1 when there is none. 16-bit units are read without assuming
// alignment.
std::int32_t FindZero(const unsigned char* text, std::int32_t from, std::int32_t units, int unitBytes) {
  if (unitBytes == 1) {
    const void* zero = std::memchr(text + from, 0, static_cast<std::size_t>(units - from));
    return zero == nullptr ? -1 : static_cast<std::int32_t>(static_cast<const unsigned char*>(zero) - text);
  }
  for (std::int32_t i = from; i < units; ++i) {
    std::uint16_t unit = 0;
    std::memcpy(&unit, text + static_cast<std::size_t>(i) * 2, 2);
    if (unit == 0) return i;
  }
  return -1;
}

}  // namespace

extern "C" int32_t TirmokConvertBatch(const void* inputs, int32_t inputUnits, const char* inputFormat, void* output,
                                      const char* outputFormat, int32_t capacity, const char* const* properties,
                                      int32_t* consumed, int32_t* written, int32_t* status, int32_t* required) {
  if (consumed == nullptr || written == nullptr || status == nullptr || required == nullptr) return 0;
  *consumed = 0;
  *written = 0;
  *required = 0;
  *status = TIRMOK_INVALID_ARGUMENT;
  const auto from = inputFormat == nullptr ? std::nullopt : tirmok::ParseFormat(inputFormat);
  const auto to = outputFormat == nullptr ? std::nullopt : tirmok::ParseFormat(outputFormat);
  if (!from || !to || inputs == nullptr || inputUnits < 0 || capacity < 0 || (output == nullptr && capacity != 0)) {
    return 0;
  }
  const int inBytes = tirmok::Info(*from).unitBytes;
  const int outBytes = tirmok::Info(*to).unitBytes;
  const auto* in = static_cast<const unsigned char*>(inputs);
  auto* out = static_cast<unsigned char*>(output);

  std::int32_t done = 0;
  std::int32_t position = 0;
  std::int32_t used = 0;
  *status = TIRMOK_DONE;
  while (position < inputUnits) {
    const std::int32_t end = FindZero(in, position, inputUnits, inBytes);
    if (end < 0) {
      // The last string is not terminated within the input: converting it would read past the caller's data.
      *status = TIRMOK_INVALID_ARGUMENT;
      break;
    }
    const void* text = in + static_cast<std::size_t>(position) * static_cast<std::size_t>(inBytes);
    const std::int32_t room = capacity - used;
    std::int32_t result = TIRMOK_DONE;
    std::int32_t need = 0;
    const std::int32_t length =
        TirmokConvertStatus(text, inputFormat, room == 0 ? nullptr : out + static_cast<std::size_t>(used) * outBytes,
                            outputFormat, room, properties, &result, &need);
    if (room == 0 && result == TIRMOK_DONE) result = TIRMOK_CUT;
    if (result != TIRMOK_DONE) {
      // Only whole results count: a cut one is left out of `written`, and the caller goes on from this string.
      *status = result;
      *required = need;
      break;
    }
    used += length + 1;
    position = end + 1;
    ++done;
  }
  *consumed = position;
  *written = used;
  return done;
}
