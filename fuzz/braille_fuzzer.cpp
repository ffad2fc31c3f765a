// Fuzz target for Braille output with random properties.
//
// Input layout: one value selector for each of LPX_KEY_NEMETH,
// LPX_KEY_SUBSCRIPT, LPX_KEY_SUPERSCRIPT and LPX_KEY_LANGUAGE, an input
// format selector, flags, capacity (two bytes, little-endian), the length of
// a stray property's value, that value, then the text.
#include <cstdint>
#include <string>

#include "fuzz_support.h"

using namespace tirmok::fuzz;

namespace {

// Values of the three Braille switches: only "TRUE" in any case turns one on.
const char* const kSwitchValues[] = {"TRUE", "true", "True", "tRuE", "FALSE", "",        "TRUE ", " TRUE",
                                     "1",    "yes",  "on",   "TRU",  "TRUEE", "\xD4RUE", "T\0RUE"};
bool TurnsOn(const char* value) {
  const std::string v = value;
  if (v.size() != 4) return false;
  for (std::size_t i = 0; i < 4; ++i) {
    const char upper = (v[i] >= 'a' && v[i] <= 'z') ? static_cast<char>(v[i] - 'a' + 'A') : v[i];
    if (upper != "TRUE"[i]) return false;
  }
  return true;
}

const char* const kLanguages[] = {"BENGALI", "ASSAMESE", "MARATHI", "bengali", "TELUGU", "", "Marathi "};

// Keys no converter reads; setting them changes nothing. A few fixed ones
// keep the property store from growing without end.
const char* const kStrayKeys[] = {"LPX_KEY_OTHER", "lpx_key_nemeth", "LPX_KEY_NEMETH ", "", "\xFF", "KEY"};

const char* const kSwitchKeys[] = {LPX_KEY_NEMETH, LPX_KEY_SUBSCRIPT, LPX_KEY_SUPERSCRIPT};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteReader reader(data, size);
  const char* switches[3];
  for (const char*& value : switches) value = kSwitchValues[reader.Byte() % std::size(kSwitchValues)];
  const char* language = kLanguages[reader.Byte() % std::size(kLanguages)];
  const std::uint8_t formatSelector = reader.Byte();
  const std::uint8_t flags = reader.Byte();
  const std::uint16_t capacityField = reader.Word();
  const std::string strayValue = reader.Take(reader.Byte() % 32);
  const std::string text = reader.Rest();

  // Mostly internal code, which reaches every rule of the Braille encoder.
  int format = kLpxcode;
  if ((flags & 0x30) == 0x30) format = formatSelector % kFormatCount;
  const bool wide = IsWide(format);
  const InputBuffer input(text, wide, (flags & 1) != 0);
  const char* from = kFormats[format];

  for (int k = 0; k < 3; ++k) Require(LpxSetProperty(kSwitchKeys[k], switches[k]) != 0, "setting a property failed");
  Require(LpxSetProperty(LPX_KEY_LANGUAGE, language) != 0, "setting a property failed");
  Require(LpxSetProperty(nullptr, "TRUE") == 0 && LpxSetProperty(LPX_KEY_NEMETH, nullptr) == 0,
          "a property without key or value was accepted");

  const std::int32_t required = SizeQuery(input, from, "BRAILLE", wide);
  const Converted whole = ConvertChecked(input, from, "BRAILLE", kBraille, required);
  if (ConvertChecked(input, from, "BRAILLE", kBraille, 2 * required + 64).text != whole.text) {
    Fail("the queried size was not enough for the Braille output");
  }
  // Every byte is a cell (32 to 95) or a control character copied through.
  for (unsigned char c : whole.text) {
    if (c == 0 || c > 95) Fail("Braille output holds a byte that is not a cell", Describe(whole.text));
  }
  std::int32_t capacity = capacityField % 1024;
  if ((flags & 6) == 2) capacity = capacityField % 24;
  const bool misaligned = (flags & 8) != 0;
  const Converted cut = ConvertChecked(input, from, "BRAILLE", kBraille, capacity, misaligned);
  if (capacity > 0 && whole.text.compare(0, cut.text.size(), cut.text) != 0) {
    Fail("a cut Braille output is not the start of the whole output", cut.text + "\nwhole: " + whole.text);
  }
  Require(ConvertChecked(input, from, "BRAILLE", kBraille, capacity, !misaligned).text == cut.text,
          "the same Braille conversion gave two outputs");

  // Keys nobody reads change nothing, and each switch depends only on
  // whether its value is "TRUE" without regard to case.
  Require(LpxSetProperty(kStrayKeys[(formatSelector / 16) % std::size(kStrayKeys)], strayValue.c_str()) != 0,
          "setting a property failed");
  for (int k = 0; k < 3; ++k) LpxSetProperty(kSwitchKeys[k], TurnsOn(switches[k]) ? "TRUE" : "FALSE");
  const Converted canonical = ConvertChecked(input, from, "BRAILLE", kBraille, required);
  if (canonical.text != whole.text) {
    Fail("a Braille switch depends on more than its value being TRUE",
         std::string(switches[0]) + "|" + switches[1] + "|" + switches[2] + "\n" + whole.text + "\n" + canonical.text);
  }
  return 0;
}
