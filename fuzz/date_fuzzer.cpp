// Fuzz target for LpxDateConvert: any phrase, either direction, any capacity.
//
// Input layout: flags (bit 0: from English; bit 1: misaligned output; bits
// 2-3: how the capacity is chosen), capacity (two bytes, little-endian), then
// the phrase.
#include <cstdint>
#include <string>

#include "fuzz_support.h"

using namespace tirmok::fuzz;

namespace {

struct Dated {
  std::string text;
  std::int32_t result = 0;
};

// One guarded call: terminated within the capacity, nothing around the
// output changed, the result is the output's length; a capacity below 1
// leaves the buffer alone.
Dated DateChecked(const InputBuffer& phrase, std::int32_t fromEnglish, std::int32_t capacity, bool misaligned) {
  Dated dated;
  const GuardedOutput out = CallGuarded(capacity, 1, misaligned, [&](void* buffer) {
    dated.result = LpxDateConvert(phrase.c_str(), fromEnglish, static_cast<char*>(buffer), capacity);
  });
  if (capacity < 1) {
    Require(!out.touched && dated.result == 0, "a date conversion without capacity wrote into the output");
    return dated;
  }
  Require(out.terminated, "the date output is not terminated within the capacity");
  dated.text = out.text;
  Require(dated.result == static_cast<std::int32_t>(out.text.size()), "the date result is not the output's length");
  return dated;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteReader reader(data, size);
  const std::uint8_t flags = reader.Byte();
  const std::uint16_t capacityField = reader.Word();
  const std::string text = reader.Rest();
  const InputBuffer phrase(text, false, false);
  const std::size_t length = TextOf(phrase.data(), false).size();
  // Any non-zero flag means English to Telugu, whatever its value.
  const std::int32_t fromEnglish = (flags & 1) != 0 ? static_cast<std::int32_t>(0x80000000u >> (flags >> 4)) : 0;
  const bool misaligned = (flags & 2) != 0;

  Require(LpxDateConvert(nullptr, fromEnglish, nullptr, 16) == 0, "a date conversion without buffers did something");
  DateChecked(phrase, fromEnglish, -1 - capacityField, misaligned);
  DateChecked(phrase, fromEnglish, 0, misaligned);

  // Room for the longest result: a Telugu word is at most four times its
  // English key, and respelling Telugu at most doubles it (an escape "#1;"
  // is written "#0001;").
  const auto room = static_cast<std::int32_t>(8 * length + 64);
  const Dated whole = DateChecked(phrase, fromEnglish, room, false);
  Require(whole.result + 1 < room, "a date conversion filled a buffer meant to hold all of it");
  Require(DateChecked(phrase, fromEnglish, room, true).text == whole.text, "the same date conversion gave two outputs");
  Require(DateChecked(phrase, fromEnglish ? 1 : 0, room, false).text == whole.text,
          "two non-zero direction flags gave two outputs");

  std::int32_t capacity = capacityField % 512;
  if ((flags & 12) == 4) capacity = capacityField % 16;
  const Dated cut = DateChecked(phrase, fromEnglish, capacity, misaligned);
  if (capacity > 0 && whole.text.compare(0, cut.text.size(), cut.text) != 0) {
    Fail("a cut date output is not the start of the whole output", cut.text + "\nwhole: " + whole.text);
  }
  // A phrase without letters has nothing to replace.
  const bool anyLetter = std::any_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length),
                                     [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); });
  if (!anyLetter && fromEnglish != 0) Require(whole.text == text.substr(0, length), "a phrase without letters changed");
  return 0;
}
