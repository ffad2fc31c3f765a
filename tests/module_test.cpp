// Tests of the C exports and the conversion hub: format names, messages, size queries, capacities, arguments.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "module/converter_module.h"
#include "support/test_support.h"
#include "tirmok/tirmok.h"

namespace tirmok {
namespace {

using test::Codes;
using test::Convert;
using test::Describe;

TEST(FormatNames, AreReadWithoutRegardToCase) {
  const std::string ka = Codes({122, 170, 100});
  for (const char* name : {"LPXCODE", "lpxcode", "LpxCode", "lPxCoDe"}) {
    EXPECT_EQ(Describe(Convert(ka, name, name).bytes), "122 100") << name;
  }
}

TEST(FormatNames, InvalidNamesPrintTheirMessageAndLeaveTheOutputAlone) {
  struct Case {
    const char* from;
    const char* to;
    const char* message;
  } cases[] = {
      {"XYZ", "LPXCODE", "Invalid input format.\r\n"},
      {"LPXCODE", "XYZ", "Invalid output format.\r\n"},
      {"XYZ", "XYZ", "Invalid input format.\r\n"},
      {"UTF8", "LPXCODE", "Invalid input format.\r\n"},
      {"LPXCODE ", "LPXCODE", "Invalid input format.\r\n"},
      {"", "LPXCODE", "Invalid input format.\r\n"},
      {"LPXCODE\xC3\xA9", "LPXCODE", "Invalid input format.\r\n"},
      {"ISO15919_UTF_8_AND_A_VERY_LONG_TAIL", "LPXCODE", "Invalid input format.\r\n"},
  };
  for (const auto& c : cases) {
    char output[8];
    std::memset(output, 'x', sizeof output);
    testing::internal::CaptureStdout();
    EXPECT_EQ(LpxConvert("k", c.from, output, c.to, sizeof output), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message) << c.from << " -> " << c.to;
    EXPECT_EQ(output[0], 'x');
  }
}

TEST(FormatNames, ComparisonWithAnInvalidNamePrintsAndGivesMinusOne) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(LpxCompare("k", "TELTRANS", "k", "XYZ"), -1);
  EXPECT_EQ(LpxCompare("k", "XYZ", "k", "TELTRANS"), -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Invalid data format.\r\nInvalid data format.\r\n");
}

// Every name, with any one of its characters changed in bit 0x20 (the bit
// that tells an ASCII letter's cases apart), cut short or run on: only the
// case changes of letters still name the format. Each call is a size query of
// an empty string, whose answer is 4096 for any valid input name.
TEST(FormatNames, OnlyLettersChangeCase) {
  const char* const names[] = {"TELTRANS", "LPXCODE",  "LPXKBD",        "INSCRIPT", "ANSI",           "UNICODE",
                               "UTF-8",    "COLLCODE", "ISO15919_ANSI", "ISO15919", "ISO15919_UTF_8", "BRAILLE"};
  const char16_t empty[1] = {0};  // empty in byte and 16-bit formats alike
  const auto sizeFor = [&](const std::string& name) {
    testing::internal::CaptureStdout();
    const std::int32_t size = LpxConvert(empty, name.c_str(), nullptr, "TELTRANS", 0);
    testing::internal::GetCapturedStdout();
    return size;
  };
  for (const std::string name : names) {
    EXPECT_EQ(sizeFor(name), 4096) << name;
    for (std::size_t i = 0; i < name.size(); ++i) {
      std::string twin = name;
      twin[i] = static_cast<char>(twin[i] ^ 0x20);  // "uNICODE", "UTF\r8", "ISO\x11" "5919" ...
      const bool letter = name[i] >= 'A' && name[i] <= 'Z';
      EXPECT_EQ(sizeFor(twin), letter ? 4096 : 0) << name << " changed at " << i;
    }
    EXPECT_EQ(sizeFor(name.substr(0, name.size() - 1)), 0) << name;
    EXPECT_EQ(sizeFor(name + "_"), 0) << name;
  }
}

TEST(SizeQuery, IsTwentyBytesPerInputUnitPlus4096) {
  const std::u16string wide(10, u'\u0C15');
  const std::string narrow(10, 'k');
  char16_t untouched[2] = {0x1234, 0x1234};
  EXPECT_EQ(LpxConvert(wide.c_str(), "UNICODE", untouched, "LPXCODE", 0), 4296);
  EXPECT_EQ(LpxConvert(narrow.c_str(), "TELTRANS", untouched, "UNICODE", 0), 4296);
  EXPECT_EQ(LpxConvert("", "TELTRANS", untouched, "UNICODE", 0), 4096);
  EXPECT_EQ(untouched[0], 0x1234);
}

TEST(SizeQuery, AnInputTooLargeFor32BitSizesGivesZero) {
  // 20 x 107,400,000 + 4096 does not fit in a signed 32-bit size.
  const std::string huge(107'400'000, 'k');
  char out[4];
  EXPECT_EQ(LpxConvert(huge.c_str(), "TELTRANS", out, "LPXCODE", 0), 0);
  std::memset(out, 'x', sizeof out);
  EXPECT_EQ(LpxConvert(huge.c_str(), "TELTRANS", out, "LPXCODE", sizeof out), 0);
  EXPECT_EQ(out[0], 0) << "the output is emptied, not left as it was";
}

TEST(Arguments, NullPointersAndNegativeCapacitiesWriteNothing) {
  char out[8];
  std::memset(out, 'x', sizeof out);
  EXPECT_EQ(LpxConvert(nullptr, "LPXCODE", out, "LPXCODE", 8), 0);
  EXPECT_EQ(LpxConvert("k", "LPXCODE", nullptr, "LPXCODE", 8), 0);
  EXPECT_EQ(LpxConvert("k", nullptr, out, "LPXCODE", 8), 0);
  EXPECT_EQ(LpxConvert("k", "LPXCODE", out, nullptr, 8), 0);
  EXPECT_EQ(LpxConvert("k", "LPXCODE", out, "LPXCODE", -1), 0);
  EXPECT_EQ(LpxConvert("k", "LPXCODE", out, "LPXCODE", INT32_MIN), 0);
  EXPECT_EQ(out[0], 'x');
  EXPECT_EQ(LpxCompare(nullptr, "LPXCODE", "k", "LPXCODE"), -1);
  EXPECT_EQ(LpxCompare("k", "LPXCODE", nullptr, "LPXCODE"), -1);
  EXPECT_EQ(LpxCompare("k", nullptr, "k", "LPXCODE"), -1);
  EXPECT_EQ(LpxDateConvert(nullptr, 1, out, 8), 0);
  EXPECT_EQ(LpxDateConvert("May", 1, nullptr, 8), 0);
  EXPECT_EQ(LpxDateConvert("May", 1, out, 0), 0);
  EXPECT_EQ(out[0], 'x');
  EXPECT_EQ(LpxSetProperty(nullptr, "x"), 0);
  EXPECT_EQ(LpxSetProperty("x", nullptr), 0);
}

TEST(InternalCode, LpxcodeToLpxcodeFoldsVariantsAndKeepsEscapes) {
  struct Case {
    std::string input;
    std::string expected;
  } cases[] = {
      {Codes({122, 170, 100}), "122 100"},          // nukta on ka removed
      {Codes({127, 170, 100}), "127 170 100"},      // tsa kept
      {Codes({66}), "117 88"},                      // om sign
      {Codes({201, 9, 216}), "75 74 74 9"},         // hundred, tab, removed sign
      {"\xFF" "0C15", "255 48 67 49 53"},           // escape copied whole
      {Codes({225, 221, 220}), "157 150 149"},      // wa, second ra, y
  };
  for (const auto& c : cases) EXPECT_EQ(Describe(Convert(c.input, "LPXCODE", "LPXCODE").bytes), c.expected);
}

TEST(Capacity, OneGivesAnEmptyOutputAndZero) {
  EXPECT_EQ(Convert(Codes({122, 100}), "LPXCODE", "LPXCODE", 1).result, 0);
  const auto wide = Convert(Codes({122, 100}), "LPXCODE", "UNICODE", 1);
  EXPECT_EQ(wide.result, 0);
  EXPECT_TRUE(wide.wide.empty());
}

TEST(Capacity, LpxcodeOutputIsCutToTheCapacity) {
  const auto out = Convert(Codes({122, 100, 123, 100}), "LPXCODE", "LPXCODE", 3);
  EXPECT_EQ(Describe(out.bytes), "122 100");
  EXPECT_EQ(out.result, 2);
}

TEST(Directions, InputOnlyAndOutputOnlyFormatsGiveEmptyResults) {
  for (const char* to : {"LPXKBD", "INSCRIPT"}) {
    const auto out = Convert(Codes({122, 100}), "LPXCODE", to, 16);
    EXPECT_EQ(out.result, 0) << to;
    EXPECT_TRUE(out.bytes.empty()) << to;
  }
  // Braille is read as well as written.
  const auto braille = Convert("K", "BRAILLE", "LPXCODE", 16);
  EXPECT_EQ(braille.result, 2);
  EXPECT_EQ(Describe(braille.bytes), "122 100");
  for (const char* format : {"LPXKBD", "INSCRIPT", "ISO15919_UTF_8", "BRAILLE"}) {
    EXPECT_EQ(LpxCompare("k", format, "k", format), -1) << format;
    EXPECT_EQ(LpxCompare("k", "LPXCODE", "k", format), -1) << format;
  }
}

TEST(Module, FirstConversionGrowsTheScratchBuffersByTheSizeRule) {
  char out[8];
  LpxConvert("k", "LPXCODE", out, "LPXCODE", sizeof out);
  EXPECT_GE(ConverterModule::Instance().scratch.Capacity(), 4096);
  const std::string longer(1000, 'k');
  LpxConvert(longer.c_str(), "LPXCODE", out, "LPXCODE", sizeof out);
  EXPECT_GE(ConverterModule::Instance().scratch.Capacity(), 20 * 1000 + 4096);
}

TEST(Module, PropertiesKeepTheLastValueAndKeysAreCaseSensitive) {
  EXPECT_EQ(LpxSetProperty("TEST_KEY", "one"), 1);
  EXPECT_EQ(LpxSetProperty("TEST_KEY", "two"), 1);
  EXPECT_EQ(LpxSetProperty("test_key", "three"), 1);
  const auto& store = ConverterModule::Instance().properties;
  EXPECT_EQ(*FindProperty(store, "TEST_KEY"), "two");
  EXPECT_EQ(*FindProperty(store, "test_key"), "three");
}

TEST(Alignment, SixteenBitStringsAtOddAddressesAreReadAndWrittenSafely) {
  // The library must not assume char16_t alignment of a caller's pointers.
  std::vector<unsigned char> input(2 * 3 + 1, 0);
  const char16_t units[] = {0x0C15, 0x0C3F, 0};  // KA, VOWEL SIGN I
  std::memcpy(input.data() + 1, units, sizeof units);
  std::vector<unsigned char> output(2 * 8 + 1, 0xEE);
  const auto n = LpxConvert(input.data() + 1, "UNICODE", output.data() + 1, "UNICODE", 8);
  char16_t back[8];
  std::memcpy(back, output.data() + 1, sizeof back);
  EXPECT_EQ(std::u16string(back, static_cast<std::size_t>(n)),
            test::ToWide(std::u16string(u"\u0C15\u0C3F"), "UNICODE", "UNICODE"));
  EXPECT_EQ(output[0], 0xEE);
}

// Operands of the 16-bit formats at odd addresses compare as they do aligned,
// whether the first letters decide or more of the words is needed.
TEST(Alignment, SixteenBitOperandsAtOddAddressesCompareAsAligned) {
  struct Row {
    std::u16string a;
    const char* formatA;
    std::u16string b;
    const char* formatB;
    std::int32_t expected;
  } rows[] = {
      {u"\u0C15", "UNICODE", u"\u0C16", "UNICODE", -1},                // KA before KHA
      {u"\u0C15\u0C3F", "UNICODE", u"\u0C15", "UNICODE", 1},           // KA, VOWEL SIGN I after KA
      {u"\u0C15\u0C3F", "UNICODE", u"\u0C15\u0C3F", "UNICODE", 0},     // the same word
      {u"", "UNICODE", u"\u0C05", "UNICODE", -1},                      // empty before A
      {u"\uE67A\uE666", "COLLCODE", u"\u0C15\u0C3F", "UNICODE", 0},    // ki as collation units
  };
  const auto placed = [](const std::u16string& text, std::vector<unsigned char>& room) {
    room.assign(2 * (text.size() + 1) + 1, 0);
    std::memcpy(room.data() + 1, text.c_str(), 2 * (text.size() + 1));
    return static_cast<const void*>(room.data() + 1);
  };
  for (const Row& row : rows) {
    std::vector<unsigned char> roomA, roomB;
    EXPECT_EQ(LpxCompare(row.a.c_str(), row.formatA, row.b.c_str(), row.formatB), row.expected) << Describe(row.a);
    EXPECT_EQ(LpxCompare(placed(row.a, roomA), row.formatA, placed(row.b, roomB), row.formatB), row.expected)
        << Describe(row.a);
    EXPECT_EQ(LpxCompare(placed(row.a, roomA), row.formatA, row.b.c_str(), row.formatB), row.expected)
        << Describe(row.a);
  }
}

TEST(Date, OutputIsTerminatedAndTheResultIsItsLength) {
  char out[64];
  const auto n = LpxDateConvert("10:30", 1, out, sizeof out);
  EXPECT_EQ(n, static_cast<std::int32_t>(std::strlen(out)));
}

}  // namespace
}  // namespace tirmok
