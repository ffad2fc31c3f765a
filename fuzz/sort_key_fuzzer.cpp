// Fuzz target for TirmokSortKey: keys order strings exactly as LpxCompare does, and are written only whole.
//
// Input layout: first format selector, second format selector, flags, length
// of the first string (two bytes, little-endian), capacity selector, then the
// first string and the second (the rest).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "tirmok/tirmok_ext.h"

using namespace tirmok::fuzz;

namespace {

// A key by TirmokSortKey, its length first asked for and the key then written
// into a guarded buffer of exactly that size; a smaller capacity must leave
// the buffer untouched.
std::string Key(const InputBuffer& text, const char* format, std::uint8_t smaller, bool& valid) {
  const std::int32_t length = TirmokSortKey(text.data(), format, nullptr, 0);
  valid = length >= 0;
  if (!valid) {
    Require(length == -1, "an invalid sort key call did not give -1");
    return {};
  }
  std::int32_t again = -2;
  CallGuarded(length, 1, false, [&](void* buffer) {
    again = TirmokSortKey(text.data(), format, static_cast<unsigned char*>(buffer), length);
  });
  Require(again == length, "the same sort key has two lengths");
  if (length > 0) {
    const std::int32_t room = smaller % length;
    const GuardedOutput untouched = CallGuarded(room, 1, false, [&](void* buffer) {
      Require(TirmokSortKey(text.data(), format, static_cast<unsigned char*>(buffer), room) == length,
              "a small capacity changed the key's length");
    });
    Require(!untouched.touched, "a key was written into a capacity smaller than its length");
  }
  // The buffer holds the key's bytes; zero bytes are part of a key.
  std::string bytes(static_cast<std::size_t>(length), '\0');
  Require(TirmokSortKey(text.data(), format, reinterpret_cast<unsigned char*>(bytes.data()), length) == length,
          "the same sort key has two lengths");
  return bytes;
}

int KeyOrder(const std::string& a, const std::string& b) {
  const int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
  if (c != 0) return c < 0 ? -1 : 1;
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteReader reader(data, size);
  const auto [first, second, flags, lengthA] = ReadPairHeader(reader);
  const std::uint8_t smaller = reader.Byte();
  const std::string a = reader.Take(lengthA);
  const std::string b = reader.Rest();

  const bool wideA = first.index >= 0 && IsWide(first.index);
  const bool wideB = second.index >= 0 && IsWide(second.index);
  const InputBuffer inputA(a, wideA, (flags & 1) != 0);
  const InputBuffer inputB(b, wideB, (flags & 2) != 0);

  bool validA = false, validB = false;
  const std::string keyA = Key(inputA, first.name.c_str(), smaller, validA);
  const std::string keyB = Key(inputB, second.name.c_str(), smaller, validB);
  const bool comparableA = first.index >= 0 && IsComparable(first.index);
  const bool comparableB = second.index >= 0 && IsComparable(second.index);
  Require(validA == comparableA && validB == comparableB, "a sort key for a format that cannot be compared");
  Require(TirmokSortKey(nullptr, "UTF-8", nullptr, 0) == -1, "a null text was accepted");
  if (!validA || !validB) return 0;

  const int order = LpxCompare(inputA.data(), first.name.c_str(), inputB.data(), second.name.c_str());
  if (KeyOrder(keyA, keyB) != order) {
    Fail("the keys' order is not LpxCompare's",
         "key A: " + Describe(keyA) + "\nkey B: " + Describe(keyB) + "\nLpxCompare " + std::to_string(order));
  }
  return 0;
}
