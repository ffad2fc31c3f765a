// Fuzz target for LpxConvert: any pair of format names, any capacity, any text.
//
// Input layout: from-format selector, to-format selector, flags, capacity (two
// bytes, little-endian), then the text (bytes; UTF-16 units in native order
// for the 16-bit formats).
#include <cstdint>
#include <string>

#include "core/utf.h"
#include "fuzz_support.h"

using namespace tirmok::fuzz;

namespace {

// The text is cut at the first zero unit, as the library reads it.
std::string Measured(const InputBuffer& input, bool wide) { return TextOf(input.data(), wide); }

// A cut output holds whole steps: it is the start of the whole output. For
// the UTF-8 formats a high surrogate at the cut is written as U+FFFD, where
// the whole output has the four-byte form of the pair.
void RequirePrefix(const std::string& cut, const std::string& whole, int to) {
  if (whole.compare(0, cut.size(), cut) == 0 && cut.size() <= whole.size()) return;
  if (to == kUtf8 || to == kIso15919Utf8) {
    const std::string replacement = "\xEF\xBF\xBD";
    if (cut.size() >= 3 && cut.compare(cut.size() - 3, 3, replacement) == 0) {
      const std::string head = cut.substr(0, cut.size() - 3);
      if (whole.compare(0, head.size(), head) == 0 && head.size() < whole.size() &&
          static_cast<unsigned char>(whole[head.size()]) >= 0xF0) {
        return;
      }
    }
  }
  Fail("a cut output is not the start of the whole output", Describe(cut) + "\nwhole: " + Describe(whole));
}

// Normalised internal code through a format and back.
void CheckRoundTrips(const std::string& code) {
  if (SurvivesUnicode(code, false)) {
    const std::string back = ConvertToInternal(ConvertInternal(code, kUnicode), kUnicode);
    if (back != code) Fail("internal code did not survive UNICODE", Describe(code) + "\nback: " + Describe(back));
  }
  if (SurvivesUnicode(code, true)) {
    const std::string back = ConvertToInternal(ConvertInternal(code, kUtf8), kUtf8);
    if (back != code) Fail("internal code did not survive UTF-8", Describe(code) + "\nback: " + Describe(back));
  }
  if (SurvivesCollation(code)) {
    const std::string back = ConvertToInternal(ConvertInternal(code, kCollcode), kCollcode);
    if (back != code) Fail("internal code did not survive COLLCODE", Describe(code) + "\nback: " + Describe(back));
  }
  const std::string latin = ConvertInternal(code, kTeltrans);
  std::string expected;
  const auto latinOfPrefix = [&](std::size_t length) { return ConvertInternal(code.substr(0, length), kTeltrans); };
  if (TransliterationExpectation(code, latin, latinOfPrefix, expected)) {
    const std::string back = ConvertToInternal(latin, kTeltrans);
    if (back != expected) {
      Fail("internal code did not survive TELTRANS",
           Describe(code) + "\nlatin: " + latin + "\nback: " + Describe(back) + "\nexpected: " + Describe(expected));
    }
  }
}

// Collation text through the internal code and back: every unit returns,
// except a nukta that does not follow ca or ja, which the normaliser drops.
void CheckCollationText(const std::string& units) {
  for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
    const unsigned u = static_cast<unsigned char>(units[i]) | (static_cast<unsigned char>(units[i + 1]) << 8);
    if (u != 0xE6AA) continue;
    if (i < 2) return;
    const unsigned before = static_cast<unsigned char>(units[i - 2]) | (static_cast<unsigned char>(units[i - 1]) << 8);
    if (before != 0xE67F && before != 0xE681) return;
  }
  const std::string back = ConvertInternal(ConvertToInternal(units, kCollcode), kCollcode);
  if (back != units)
    Fail("collation text did not survive the internal code", Describe(units) + "\nback: " + Describe(back));
}

// Each byte becomes a byte of the normalised internal code (controls left
// out, since they would end a control run anywhere); byte 255 followed by
// four more bytes becomes an escape of their low nibbles.
std::string AsNormalisedCode(const std::string& bytes) {
  static const std::string alphabet = [] {
    std::string a;
    for (int b = 32; b < 255; ++b) {
      if (IsNormalisedByte(static_cast<std::uint8_t>(b))) a += static_cast<char>(b);
    }
    return a;
  }();
  std::string code;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<std::uint8_t>(bytes[i]);
    if (b == kEscape && i + 4 < bytes.size()) {
      code += static_cast<char>(kEscape);
      for (int k = 1; k <= 4; ++k) code += "0123456789ABCDEF"[static_cast<std::uint8_t>(bytes[i + k]) % 16];
      i += 4;
    } else {
      code += alphabet[b % alphabet.size()];
    }
  }
  return code;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteReader reader(data, size);
  const PairHeader header = ReadPairHeader(reader);
  // Named as references, not bindings, since lambdas below take them.
  const FormatChoice& from = header.first;
  const FormatChoice& to = header.second;
  const std::uint8_t flags = header.flags;
  const std::uint16_t capacityField = header.word;
  std::string text = reader.Rest();
  // Flag bit 4 maps the text onto the normalised internal code, so that the
  // round trips below are checked on all kinds of well-formed code and not
  // only where random bytes happen to be well-formed.
  if ((flags & 16) != 0) text = AsNormalisedCode(text);

  const bool fromWide = from.index >= 0 && IsWide(from.index);
  const InputBuffer input(text, fromWide, (flags & 1) != 0);
  const bool misalignedOutput = (flags & 2) != 0;

  // Invalid names: nothing happens and the result is 0.
  if (from.index < 0 || to.index < 0) {
    const Converted out = ConvertChecked(input, from.name.c_str(), to.name.c_str(), -1, 0);
    Require(out.result == 0, "an invalid format name was accepted by a size query");
    GuardedOutput untouched = CallGuarded(64, 2, misalignedOutput, [&](void* buffer) {
      Require(LpxConvert(input.data(), from.name.c_str(), buffer, to.name.c_str(), 32) == 0,
              "an invalid format name was accepted");
    });
    Require(!untouched.touched, "a conversion with an invalid format name wrote into the output");
    return 0;
  }

  const char* fromName = from.name.c_str();
  const char* toName = to.name.c_str();
  const std::int32_t required = SizeQuery(input, fromName, toName, fromWide);
  Require(ConvertChecked(input, fromName, toName, to.index, 0, misalignedOutput).result == required,
          "a size query with a buffer gave another size");
  Require(ConvertChecked(input, fromName, toName, to.index, -1 - capacityField, misalignedOutput).result == 0,
          "a negative capacity was accepted");

  // The chosen capacity: small ones cut the output, the queried size must not.
  std::int32_t capacity = capacityField % 4096;
  if ((flags & 12) == 4) capacity = required;
  if ((flags & 12) == 8) capacity = capacityField % 48;
  const Converted cut = ConvertChecked(input, fromName, toName, to.index, capacity, misalignedOutput);
  const Converted again = ConvertChecked(input, fromName, toName, to.index, capacity, !misalignedOutput);
  if (cut.text != again.text || cut.result != again.result) Fail("the same conversion gave two outputs");

  const Converted whole = ConvertChecked(input, fromName, toName, to.index, required);
  const Converted roomier = ConvertChecked(input, fromName, toName, to.index, 2 * required + 64);
  if (whole.text != roomier.text)
    Fail("the queried size was not enough for the output", Describe(Measured(input, fromWide)));
  if (capacity > 0) RequirePrefix(cut.text, whole.text, to.index);
  if (!HasEncoder(to.index) || !HasDecoder(from.index)) {
    Require(whole.result == 0 && whole.text.empty(), "a format without a converter gave output");
    if (!HasDecoder(from.index)) return 0;
  }

  // The conversion is its input's internal code, encoded: where that internal
  // code is already normalised, going through "LPXCODE" changes nothing.
  const std::string measured = Measured(input, fromWide);
  const std::string code = ConvertToInternal(measured, from.index);
  const std::string normalised = ConvertInternal(code, kLpxcode);
  // (The two Braille forms are carried into each other cell for cell, without the internal code.)
  const bool brailleForms = (from.index == kBraille && to.index == kBrailleUnicode) ||
                            (from.index == kBrailleUnicode && to.index == kBraille);
  if (normalised == code && HasEncoder(to.index) && !brailleForms) {
    const std::string via = ConvertInternal(code, to.index);
    if (via != whole.text) {
      Fail("converting through the internal code gave another output",
           Describe(measured) + "\ncode: " + Describe(code) + "\ndirect: " + Describe(whole.text) +
               "\nvia: " + Describe(via));
    }
  }
  // Normalising twice changes nothing more.
  Require(ConvertInternal(normalised, kLpxcode) == normalised, "normalising is not idempotent");

  // UTF-8 is read straight into the internal code; its UTF-16 form through
  // "UNICODE" gives the same.
  if (from.index == kUtf8) {
    const std::u16string wide = tirmok::Utf8ToUtf16(measured);
    const std::string units(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(char16_t));
    const std::string viaUnicode = ConvertToInternal(units, kUnicode);
    if (viaUnicode != code) {
      Fail("UTF-8 and its UTF-16 form gave other internal code",
           Describe(measured) + "\nUTF-8: " + Describe(code) + "\nUNICODE: " + Describe(viaUnicode));
    }
  }
  CheckRoundTrips(normalised);
  if (from.index == kCollcode) CheckCollationText(measured);
  return 0;
}
