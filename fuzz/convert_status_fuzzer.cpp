// Fuzz target for TirmokConvert and TirmokConvertStatus: any pair of format names, per-call properties, any
// capacity and alignment, any text.
//
// Input layout: from-format selector, to-format selector, flags, capacity (two
// bytes, little-endian), then the text (bytes; UTF-16 units in native order
// for the 16-bit formats).
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "tirmok/tirmok_ext.h"

using namespace tirmok::fuzz;

namespace {

struct StatusOutput {
  std::string text;
  std::int32_t result = -1;
  std::int32_t status = -1;
  std::int32_t required = -1;
};

// One guarded TirmokConvertStatus call; the output (when the capacity allows)
// is terminated within the capacity and its length is the result.
StatusOutput ConvertStatus(const InputBuffer& input, const char* from, const char* to, int toIndex,
                           std::int32_t capacity, bool misaligned, const char* const* properties) {
  const bool wide = toIndex >= 0 && IsWide(toIndex);
  StatusOutput out;
  const GuardedOutput guarded = CallGuarded(capacity, wide ? 2 : 1, misaligned, [&](void* buffer) {
    out.result = TirmokConvertStatus(input.data(), from, capacity == 0 ? nullptr : buffer, to, capacity, properties,
                                     &out.status, &out.required);
  });
  Require(out.status >= TIRMOK_DONE && out.status <= TIRMOK_INVALID_ARGUMENT, "a status outside its four values");
  if (capacity < 1 || toIndex < 0) {
    Require(!guarded.touched, "a conversion without capacity or output format wrote into the output");
    Require(out.result == 0, "a conversion without capacity gave a length");
    return out;
  }
  Require(guarded.terminated, "the output is not terminated within the capacity");
  out.text = guarded.text;
  Require(out.result == UnitCount(out.text, wide), "the result is not the output's length");
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteReader reader(data, size);
  const auto [from, to, flags, capacityField] = ReadPairHeader(reader);
  const std::string text = reader.Rest();

  const bool fromWide = from.index >= 0 && IsWide(from.index);
  const InputBuffer input(text, fromWide, (flags & 1) != 0);
  const bool misaligned = (flags & 2) != 0;
  const char* nemeth[] = {"LPX_KEY_NEMETH", "TRUE", "LPX_KEY_SUPERSCRIPT", "true", nullptr};
  const char* const* properties = (flags & 4) != 0 ? nemeth : nullptr;
  const char* fromName = from.name.c_str();
  const char* toName = to.name.c_str();
  const std::int32_t capacity = (flags & 8) != 0 ? capacityField % 64 : capacityField;

  if (from.index < 0 || to.index < 0 || !HasDecoder(from.index) || !HasEncoder(to.index)) {
    const StatusOutput out = ConvertStatus(input, fromName, toName, to.index, capacity, misaligned, properties);
    Require(out.status == TIRMOK_INVALID_ARGUMENT && out.result == 0 && out.required == 0,
            "an invalid argument was not reported as one");
    if (capacity > 0 && to.index >= 0) Require(out.text.empty(), "an invalid argument gave output");
    return 0;
  }

  // The measure: capacity 0 gives the exact size of the whole result.
  const StatusOutput measured = ConvertStatus(input, fromName, toName, to.index, 0, misaligned, properties);
  Require(measured.status == TIRMOK_CUT, "a measure did not say the output was cut");
  const std::int32_t required = measured.required;
  Require(required >= 1, "a measure gave no size");

  const StatusOutput whole = ConvertStatus(input, fromName, toName, to.index, required, misaligned, properties);
  Require(whole.status == TIRMOK_DONE, "the measured size did not hold the whole result");
  Require(whole.result == required - 1, "the measured size is not the whole result's");
  Require(whole.required == required, "two calls measured two sizes");
  if (required > 1) {
    const StatusOutput short1 = ConvertStatus(input, fromName, toName, to.index, required - 1, misaligned, properties);
    Require(short1.status == TIRMOK_CUT, "one unit less than the measured size did not cut the output");
    Require(short1.required == required, "a cut output measured another size");
  }

  // The chosen capacity: the output is TirmokConvert's, and the status says whether it is all of it.
  const StatusOutput got = ConvertStatus(input, fromName, toName, to.index, capacity, misaligned, properties);
  Require(got.required == required, "a cut output measured another size");
  if (capacity > 0) {
    Require(got.status == (capacity >= required ? TIRMOK_DONE : TIRMOK_CUT), "the status does not match the size");
    const bool wide = IsWide(to.index);
    std::int32_t plain = -1;
    const GuardedOutput reference = CallGuarded(capacity, wide ? 2 : 1, false, [&](void* buffer) {
      plain = TirmokConvert(input.data(), fromName, buffer, toName, capacity, properties);
    });
    if (reference.text != got.text || plain != got.result) {
      Fail("TirmokConvertStatus and TirmokConvert wrote different outputs",
           Describe(got.text) + "\nTirmokConvert: " + Describe(reference.text));
    }
    if (got.status == TIRMOK_DONE && got.text != whole.text) Fail("a whole result differs from another");
  }

  // Without properties, TirmokConvert is LpxConvert (the module's properties are never set here).
  if (properties == nullptr && capacity > 0) {
    const Converted lpx = ConvertChecked(input, fromName, toName, to.index, capacity, misaligned);
    if (lpx.text != got.text) Fail("TirmokConvert and LpxConvert wrote different outputs");
  }
  return 0;
}
