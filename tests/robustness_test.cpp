// Tests of bad input through the C exports: cut-short escapes, odd format names, stray properties, lone
// surrogates and sizes at the 32-bit limit. docs/robustness.md lists every kind of bad input and its test.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "support/test_support.h"
#include "tirmok/tirmok.h"

namespace tirmok {
namespace {

using test::Codes;
using test::Describe;
using test::ToBytes;
using test::ToWide;

// The escape lead byte followed by `digits`.
std::string Lead(const char* digits) { return std::string("\xFF") + digits; }

// An escape cut short by the end of the string is read as far as it goes and
// never past the terminator: the hexadecimal digits present give the value.
TEST(BadInput, EscapesCutShortAtTheEndOfInternalCode) {
  struct Row {
    std::string code;
    std::u16string unicode;  // LPXCODE -> UNICODE
    std::string latin;       // LPXCODE -> TELTRANS
  };
  const Row rows[] = {
      {Lead(""), u"", ""},                                             // the lead byte alone
      {Lead("41"), u"A", "#0041;"},                                    // two digits
      {Lead("0C1"), u"\u00C1", "#00C1;"},                              // three digits
      {Lead("zz"), u"", ""},                                           // no digit: the value 0 writes nothing
      {Codes({122, 100}) + Lead("c15"), u"\u0C15\u0C15", "ka#0C15;"},  // lower-case digits are read too
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Describe(ToWide(r.code, "LPXCODE", "UNICODE")), Describe(r.unicode)) << Describe(r.code);
    EXPECT_EQ(ToBytes(r.code, "LPXCODE", "TELTRANS"), r.latin) << Describe(r.code);
    // The normaliser copies what there is of the escape and nothing after the terminator.
    EXPECT_EQ(ToBytes(r.code, "LPXCODE", "LPXCODE"), r.code) << Describe(r.code);
  }
}

// "#hex;" in the typing schemes: the hexadecimal reader takes what C's strtol
// takes; without a ";" within five characters the "#" is the accent mark.
TEST(BadInput, HashEscapesInTheTransliteration) {
  struct Row {
    std::string latin;
    std::string code;
  };
  const Row rows[] = {
      {"#41", Codes({172, 78, 75})},                      // no ";": accent 172, digits four and one
      {"#;", ""},                                         // no digits: nothing
      {"#0x41;", Lead("0041")},                           // a "0x" prefix
      {"#-1;", Lead("FFFF")},                             // a sign: -1 keeps its low 16 bits
      {"#12345;", Codes({172, 75, 76, 77, 78, 79, 49})},  // ";" six characters on
      {"#zz;", ""},                                       // no hexadecimal digit
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Describe(ToBytes(r.latin, "TELTRANS", "LPXCODE")), Describe(r.code)) << r.latin;
  }
}

// Lone surrogates are ordinary units in UTF-16 formats; UTF-8 has no form for
// them and writes U+FFFD, while a pair becomes one four-byte character.
TEST(BadInput, LoneSurrogatesInUtf16) {
  const std::u16string lone = {0xD800, 0x0C15, 0xDC00};
  EXPECT_EQ(Describe(ToWide(lone, "UNICODE", "UNICODE")), Describe(lone));
  EXPECT_EQ(ToBytes(lone, "UNICODE", "UTF-8"), "\xEF\xBF\xBD\xE0\xB0\x95\xEF\xBF\xBD");
  const std::u16string pair = {0xD83D, 0xDE00};
  EXPECT_EQ(ToBytes(pair, "UNICODE", "UTF-8"), "\xF0\x9F\x98\x80");
  // Cut between the two halves of a pair, the UTF-8 output keeps whole characters.
  const auto cut = test::Convert(std::u16string(u"\u0C15") + pair, "UNICODE", "UTF-8", 6);
  EXPECT_EQ(cut.bytes, "\xE0\xB0\x95");
}

// Names that look like format names but are not: only ASCII letters change
// case, so no locale can turn one of these into a valid name.
TEST(BadInput, FormatNamesWithOddBytes) {
  const char* const invalid[] = {
      "un\304\261code",       // dotless i in UTF-8
      "UN\304\260CODE",       // capital I with dot above in UTF-8
      "un\375code",           // dotless i in ISO 8859-9
      "UNICODE\xA0",          // no-break space
      "\xEF\xBB\xBFUNICODE",  // byte order mark
      "UNICODE\t",           "UTF_8",
  };
  char out[8];
  for (const char* name : invalid) {
    std::memset(out, 'x', sizeof out);
    testing::internal::CaptureStdout();
    EXPECT_EQ(LpxConvert("k", "TELTRANS", out, name, sizeof out), 0) << name;
    EXPECT_EQ(LpxCompare("k", name, "k", "TELTRANS"), -1) << name;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Invalid output format.\r\nInvalid data format.\r\n");
    EXPECT_EQ(out[0], 'x') << name;
  }
  EXPECT_EQ(ToBytes("k", "teltrans", "lpxcode"), Codes({122}));
  EXPECT_EQ(ToBytes("k", "TelTrans", "iso15919_ansi"), "k");
}

// Keys are compared exactly and only "TRUE" (in any case) turns a switch on;
// other keys are kept and never read.
TEST(BadInput, PropertiesWithStrayKeysAndValues) {
  const std::string digits = Codes({75, 76});
  LpxSetProperty(LPX_KEY_NEMETH, "FALSE");
  const std::string plain = ToBytes(digits, "LPXCODE", "BRAILLE");
  ASSERT_EQ(plain, "#AB");
  for (const char* key : {"lpx_key_nemeth", "LPX_KEY_NEMETH ", "LPX_KEY_NEMET", "", "\xFF"}) {
    LpxSetProperty(key, "TRUE");
    EXPECT_EQ(ToBytes(digits, "LPXCODE", "BRAILLE"), plain) << "key \"" << key << "\"";
  }
  for (const char* value : {"TRUE ", "1", "yes", "TRU", "\xD4RUE", ""}) {
    LpxSetProperty(LPX_KEY_NEMETH, value);
    EXPECT_EQ(ToBytes(digits, "LPXCODE", "BRAILLE"), plain) << "value \"" << value << "\"";
  }
  LpxSetProperty(LPX_KEY_NEMETH, "tRuE");
  EXPECT_EQ(ToBytes(digits, "LPXCODE", "BRAILLE"), "#12");
  LpxSetProperty(LPX_KEY_NEMETH, "FALSE");
}

// The size rule is 20 bytes per unit plus 4096 in a signed 32-bit number: the
// last input length that fits is answered, one more unit is refused (0), and
// nothing is allocated for either question.
TEST(BadInput, SizesAtTheThirtyTwoBitLimit) {
  constexpr std::int64_t kLast = (INT32_MAX - 4096) / 20;  // 107,373,977 units
  std::string text(static_cast<std::size_t>(kLast + 1), 'k');
  EXPECT_EQ(LpxConvert(text.c_str(), "TELTRANS", nullptr, "UNICODE", 0), 0);
  text[static_cast<std::size_t>(kLast)] = '\0';
  EXPECT_EQ(LpxConvert(text.c_str(), "TELTRANS", nullptr, "UNICODE", 0), 20 * kLast + 4096);
  text[static_cast<std::size_t>(kLast)] = 'k';
  // Too large to convert: nothing is done. The date conversion still empties
  // its output, and the comparison answers 0 as it does when memory runs out.
  char out[8] = "xxxxxxx";
  EXPECT_EQ(LpxDateConvert(text.c_str(), 1, out, sizeof out), 0);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(LpxCompare(text.c_str(), "TELTRANS", "k", "TELTRANS"), 0);
}

}  // namespace
}  // namespace tirmok
