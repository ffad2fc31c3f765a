// Fuzz target for LpxCompare: two strings in any formats.
//
// Input layout: first format selector, second format selector, flags, length
// of the first string (two bytes, little-endian), then the first string and
// the second (the rest).
#include <cstdint>
#include <string>

#include "fuzz_support.h"

using namespace tirmok::fuzz;

namespace {

// The comparison rule on two collation strings (bytes, two per unit, low
// byte first): byte by byte up to the longer string's terminator, so a proper
// prefix sorts first.
int CompareKeys(const std::string& a, const std::string& b) {
  const std::size_t n = std::max(a.size(), b.size()) + 2;
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned x = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
    const unsigned y = i < b.size() ? static_cast<unsigned char>(b[i]) : 0;
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

// The collation string the comparison uses for an operand, where it is what
// the conversion to "COLLCODE" gives: every comparable format but the two
// ISO 15919 ones, which the comparison reads without normalising.
bool KeyByConversion(int format) { return IsComparable(format) && format != kIso15919 && format != kIso15919Ansi; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteReader reader(data, size);
  const auto [first, second, flags, lengthA] = ReadPairHeader(reader);
  const std::string a = reader.Take(lengthA);
  const std::string b = reader.Rest();

  const bool wideA = first.index >= 0 && IsWide(first.index);
  const bool wideB = second.index >= 0 && IsWide(second.index);
  const InputBuffer inputA(a, wideA, (flags & 1) != 0);
  const InputBuffer inputB(b, wideB, (flags & 2) != 0);
  const char* nameA = first.name.c_str();
  const char* nameB = second.name.c_str();

  const int result = LpxCompare(inputA.data(), nameA, inputB.data(), nameB);
  Require(result == -1 || result == 0 || result == 1, "a comparison gave a value other than -1, 0 or 1");
  Require(LpxCompare(inputA.data(), nameA, inputB.data(), nameB) == result, "the same comparison gave two results");
  if (first.index < 0 || second.index < 0) {
    Require(result == -1, "a comparison with an invalid format name did not give -1");
    return 0;
  }
  if (!IsComparable(first.index) || !IsComparable(second.index)) {
    Require(result == -1, "a comparison of a format that cannot be compared did not give -1");
    return 0;
  }

  const int reverse = LpxCompare(inputB.data(), nameB, inputA.data(), nameA);
  if (reverse != -result) Fail("swapping the operands did not reverse the result");
  Require(LpxCompare(inputA.data(), nameA, inputA.data(), nameA) == 0, "a string did not compare equal to itself");
  Require(LpxCompare(inputB.data(), nameB, inputB.data(), nameB) == 0, "a string did not compare equal to itself");

  if (KeyByConversion(first.index) && KeyByConversion(second.index)) {
    const std::string keyA = ConvertText(TextOf(inputA.data(), wideA), first.index, kCollcode);
    const std::string keyB = ConvertText(TextOf(inputB.data(), wideB), second.index, kCollcode);
    if (CompareKeys(keyA, keyB) != result) {
      Fail("the comparison does not follow the collation strings",
           "key A: " + Describe(keyA) + "\nkey B: " + Describe(keyB) + "\nresult " + std::to_string(result));
    }
    const InputBuffer collA(keyA, true, false);
    const InputBuffer collB(keyB, true, false);
    Require(LpxCompare(collA.data(), "COLLCODE", collB.data(), "COLLCODE") == result,
            "the collation strings compare otherwise than their texts");
  }
  return 0;
}
