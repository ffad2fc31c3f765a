// Tests of the shared machinery: mapping tables, the run loop, escapes and the UTF-8 layer.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/escape.h"
#include "core/mapping_table.h"
#include "core/normaliser.h"
#include "core/run_loop.h"
#include "core/text.h"
#include "core/utf.h"
#include "support/test_support.h"

namespace tirmok {
namespace {

using test::Describe;

std::u16string Value(std::span<const char16_t> v) { return {v.begin(), v.end()}; }
std::string Value(std::span<const Byte> v) { return {v.begin(), v.end()}; }

// --- Mapping table ordering and matching ---

TEST(MappingTable, LongerKeyWinsWhateverTheOrderOfAddition) {
  WideMappingTable table;
  table.AddEntry({122}, u"\u0C15");           // ka
  table.AddEntry({122, 170}, u"\u0C58");      // tsa-like pair added later
  const Byte pair[] = {122, 170, 100, 0};
  const Byte single[] = {122, 100, 0};
  EXPECT_EQ(table.MatchLeft(pair).length, 2);
  EXPECT_EQ(Value(table.MatchLeft(pair).value), u"\u0C58");
  EXPECT_EQ(table.MatchLeft(single).length, 1);
  EXPECT_EQ(Value(table.MatchLeft(single).value), u"\u0C15");
}

TEST(MappingTable, EqualKeysPreferTheShorterValueThenTheFirstAdded) {
  WideMappingTable table;
  table.AddEntry({103}, u"\u0C40");            // ii sign
  table.AddEntry({103}, u"\u0C3F\u0C55");      // i sign + length mark
  table.AddEntry({60}, u"\u2018");
  table.AddEntry({60}, u"\u0060");
  const Byte ii[] = {103, 0};
  const Byte quote[] = {60, 0};
  EXPECT_EQ(Value(table.MatchLeft(ii).value), u"\u0C40");
  EXPECT_EQ(Value(table.MatchLeft(quote).value), u"\u2018");
  const char16_t twoUnit[] = u"\u0C3F\u0C55x";
  EXPECT_EQ(table.MatchRight(twoUnit).length, 2);
  EXPECT_EQ(Value(table.MatchRight(twoUnit).value), std::string(1, char(103)));
  const char16_t grave[] = u"\u0060";
  const char16_t left[] = u"\u2018";
  EXPECT_EQ(Value(table.MatchRight(grave).value), std::string(1, char(60)));
  EXPECT_EQ(Value(table.MatchRight(left).value), std::string(1, char(60)));
}

TEST(MappingTable, EmptyRightStringEncodesToNothingAndNeverMatchesFromTheRight) {
  WideMappingTable table;
  table.AddEntry({100}, nullptr);
  const Byte a[] = {100, 0};
  const auto match = table.MatchLeft(a);
  EXPECT_EQ(match.length, 1);
  EXPECT_TRUE(match.value.empty());
  const char16_t empty[] = u"";
  EXPECT_FALSE(table.MatchRight(empty));
}

TEST(MappingTable, AppendFlagKeepsTheOrderOfAddition) {
  MappingTable table;
  table.AddEntry("MAY", "mE", 0, 1);
  table.AddEntry("MAYBE", "x", 0, 1);  // longer key added later: still behind "MAY"
  table.AddEntry("S", "s", 0, 1);
  table.AddEntry("SUNDAY", "AdivAraM", 0, 1);  // shadowed by the shorter key added first
  const Byte maybe[] = "MAYBE";
  const Byte sunday[] = "SUNDAY";
  EXPECT_EQ(table.MatchLeft(maybe).length, 3);
  EXPECT_EQ(table.MatchLeft(sunday).length, 1);
}

TEST(MappingTable, AppendedEntryAfterALongerSortedKeyIsStillFoundAfterIt) {
  MappingTable table;
  table.AddEntry("ab", "2");
  table.AddEntry("a", "1", 0, 1);
  const Byte ab[] = "abc";
  const Byte ax[] = "ax";
  EXPECT_EQ(Value(table.MatchLeft(ab).value), "2");
  EXPECT_EQ(Value(table.MatchLeft(ax).value), "1");
}

TEST(MappingTable, DirectionsFillOneOrBothArrays) {
  MappingTable table;
  table.AddEntry("L", "1", 1);
  table.AddEntry("R", "2", 2);
  EXPECT_FALSE(table.AddEntry("X", "3", 3));
  const Byte l[] = "L", r[] = "R", one[] = "1", two[] = "2", x[] = "X", three[] = "3";
  EXPECT_TRUE(table.MatchLeft(l));
  EXPECT_FALSE(table.MatchRight(one));
  EXPECT_TRUE(table.MatchRight(two));
  EXPECT_FALSE(table.MatchLeft(r));
  EXPECT_FALSE(table.MatchLeft(x));
  EXPECT_FALSE(table.MatchRight(three));
}

TEST(MappingTable, NoMatchAtTheTerminatorOrWhenTheInputEndsInsideAKey) {
  MappingTable table;
  table.AddEntry("kh", "K");
  const Byte end[] = "";
  const Byte cut[] = "k";
  EXPECT_FALSE(table.MatchLeft(end));
  EXPECT_FALSE(table.MatchLeft(cut));
  EXPECT_FALSE(table.MatchLeft(nullptr));
}

TEST(MappingTable, OverLongStringsAreRefused) {
  MappingTable table;
  const std::string longest(35, 'a');
  const std::string tooLong(36, 'a');
  EXPECT_TRUE(table.AddEntry(longest.c_str(), "x"));
  EXPECT_FALSE(table.AddEntry(tooLong.c_str(), "y"));
}

// The indexed lookup must give exactly the first match of a plain scan of
// the array in its order, for any mix of keys, values and append flags.
TEST(MappingTable, IndexedLookupEqualsAPlainScanOfTheArray) {
  std::mt19937 random(2024);
  for (int round = 0; round < 50; ++round) {
    MappingTable table;
    for (int i = 0; i < 60; ++i) {
      std::string key(1 + random() % 3, 'a');
      for (char& c : key) c = static_cast<char>('a' + random() % 3);
      const std::string value(random() % 4, static_cast<char>('0' + i % 10));
      table.AddEntry(key.c_str(), value.c_str(), 0, static_cast<int>(random() % 4 == 0));
    }
    for (int probe = 0; probe < 100; ++probe) {
      Byte input[5] = {};
      for (int i = 0; i < 4; ++i) input[i] = static_cast<Byte>('a' + random() % 3);
      input[random() % 5] = 0;
      const auto match = table.MatchLeft(input);
      int expectedLength = 0;
      std::string expectedValue;
      for (const auto& e : table.LeftKeyed().Entries()) {
        if (e.key.size == 0) continue;
        if (std::string(reinterpret_cast<const char*>(input)).compare(0, e.key.size,
                                                                      std::string(e.key.data, e.key.data + e.key.size)) == 0) {
          expectedLength = e.key.size;
          expectedValue = Value(e.value.View());
          break;
        }
      }
      ASSERT_EQ(match.length, expectedLength);
      ASSERT_EQ(Value(match.value), expectedValue);
    }
  }
}

// --- Run loop ---

std::int32_t CopyStep(const Byte* p, Piece<Byte>& piece) {
  piece.Push(p[0]);
  piece.Push(p[0]);
  return 1;
}

TEST(RunLoop, StopsBeforeTheFirstStepThatDoesNotFitWithTheTerminator) {
  const Byte input[] = "abc";
  Byte out[8];
  struct Case {
    std::int32_t capacity;
    std::int32_t consumed;
    std::string output;
  } cases[] = {{1, 0, ""}, {2, 0, ""}, {3, 1, "aa"}, {4, 1, "aa"}, {5, 2, "aabb"}, {7, 3, "aabbcc"}, {8, 3, "aabbcc"}};
  for (const auto& c : cases) {
    std::fill(std::begin(out), std::end(out), Byte{0xEE});
    EXPECT_EQ(RunLoop(input, -1, out, c.capacity, CopyStep), c.consumed) << c.capacity;
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out)), c.output) << c.capacity;
    for (int i = c.capacity; i < 8; ++i) EXPECT_EQ(out[i], 0xEE) << "capacity " << c.capacity;
  }
}

TEST(RunLoop, LengthLimitsTheInputAndMinusOneMeansAll) {
  const Byte input[] = "abc";
  Byte out[16];
  EXPECT_EQ(RunLoop(input, 2, out, 16, CopyStep), 2);
  EXPECT_STREQ(reinterpret_cast<char*>(out), "aabb");
  EXPECT_EQ(RunLoop(input, -1, out, 16, CopyStep), 3);
  EXPECT_EQ(RunLoop(input, 99, out, 16, CopyStep), 3);
  EXPECT_EQ(RunLoop(input, -7, out, 16, CopyStep), 0);
  EXPECT_STREQ(reinterpret_cast<char*>(out), "");
}

TEST(RunLoop, NullOutputOrNoCapacityWritesNothing) {
  const Byte input[] = "abc";
  Byte out[2] = {0xEE, 0xEE};
  EXPECT_EQ(RunLoop(input, -1, out, 0, CopyStep), 0);
  EXPECT_EQ(RunLoop(input, -1, out, -3, CopyStep), 0);
  EXPECT_EQ(out[0], 0xEE);
  EXPECT_EQ(RunLoop(input, -1, static_cast<Byte*>(nullptr), 5, CopyStep), 0);
}

// --- Escapes and hexadecimal readers ---

TEST(Escape, FormatsFourUpperCaseDigits) {
  Piece<Byte> piece;
  AppendEscape(piece, 0x0c15);
  EXPECT_EQ(Value(piece.View()), "\xFF" "0C15");
  piece.Clear();
  AppendEscape(piece, 0x41);
  EXPECT_EQ(Value(piece.View()), "\xFF" "0041");
}

TEST(Escape, ReaderStopsAtTheFirstNonDigitAndNeverPassesTheTerminator) {
  struct Case {
    const char* text;  // starts with the lead byte
    unsigned value;
    int consumed;
  } cases[] = {
      {"\xFF" "0C15", 0x0C15, 5}, {"\xFF" "0c15xyz", 0x0C15, 5}, {"\xFF" "00e9", 0xE9, 5},
      {"\xFF" "0000", 0, 5},      {"\xFF" "12G4", 0x12, 5},      {"\xFF" "G123", 0, 5},
      {"\xFF" "+123", 0, 5},      {"\xFF" "0x12", 0, 5},         {"\xFF" "41", 0x41, 3},
      {"\xFF", 0, 1},             {"\xFF" "FFFF", 0xFFFF, 5},
  };
  for (const auto& c : cases) {
    const auto read = ReadEscape(reinterpret_cast<const Byte*>(c.text));
    EXPECT_EQ(read.value, c.value) << Describe(c.text);
    EXPECT_EQ(read.consumed, c.consumed) << Describe(c.text);
  }
}

TEST(Escape, HashFormReadsLikeStrtolBase16) {
  struct Case {
    const char* text;
    bool matched;
    unsigned value;
    int consumed;
  } cases[] = {
      {"#0C15;", true, 0x0C15, 6}, {"#c15;", true, 0x0C15, 5}, {"#;", true, 0, 2},
      {"# 41;", true, 0x41, 5},    {"#-1;", true, 0xFFFF, 4},   {"#0x1F;", true, 0x1F, 6},
      {"#0x;", true, 0, 4},        {"#4z;", true, 4, 4},       {"#12345;", false, 0, 0},
      {"#0C15", false, 0, 0},      {"#", false, 0, 0},         {"x;", false, 0, 0},
      {"#+fF;", true, 0xFF, 5},
  };
  for (const auto& c : cases) {
    const auto read = ReadHashEscape(reinterpret_cast<const Byte*>(c.text));
    EXPECT_EQ(read.matched, c.matched) << c.text;
    EXPECT_EQ(read.value, c.value) << c.text;
    EXPECT_EQ(read.consumed, c.consumed) << c.text;
  }
}

TEST(Escape, ControlRunsStopAt31) {
  std::string controls(40, '\t');
  controls += "x";
  Piece<char16_t> piece;
  EXPECT_EQ(CopyControlRun(reinterpret_cast<const Byte*>(controls.c_str()), piece), 31);
  EXPECT_EQ(piece.Size(), 31);
  piece.Clear();
  EXPECT_EQ(CopyControlRun(reinterpret_cast<const Byte*>(controls.c_str()) + 31, piece), 9);
}

// --- UTF-8 ---

TEST(Utf8, IllFormedInputBecomesOneReplacementPerMaximalSubpart) {
  struct Case {
    std::string utf8;
    std::u16string utf16;
  } cases[] = {
      {"\xE0\xB0\x95", u"\u0C15"},                      // TELUGU LETTER KA
      {"\xF0\x9F\x98\x80", u"\U0001F600"},              // four bytes -> surrogate pair
      {"\xE0\xB0", u"\uFFFD"},                          // truncated sequence
      {"\xE0\xB0" "a", u"\uFFFDa"},
      {"\xC0\xAF", u"\uFFFD\uFFFD"},                    // overlong
      {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},          // overlong three-byte
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},          // a surrogate encoded in UTF-8
      {"\x80", u"\uFFFD"},                              // lone continuation
      {"\xFF\xFE", u"\uFFFD\uFFFD"},
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
      {"\xF1\x80\x80", u"\uFFFD"},                      // truncated four-byte
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << Describe(c.utf8);
}

TEST(Utf8, LoneSurrogatesBecomeReplacementCharacters) {
  EXPECT_EQ(Utf16ToUtf8(u"a\xD800" "b"), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
}

TEST(Utf8Sink, TakesWholePiecesThatFitAndJoinsSplitSurrogatePairs) {
  Byte out[16];
  {
    Utf8Sink sink(out, 16);
    const char16_t high[] = {0xD83D}, low[] = {0xDE00};
    EXPECT_TRUE(sink.Append(high));
    EXPECT_TRUE(sink.Append(low));
    sink.Finish();
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out)), "\xF0\x9F\x98\x80");
  }
  {
    Utf8Sink sink(out, 4);  // room for three bytes
    const char16_t ka[] = {0x0C15};
    EXPECT_TRUE(sink.Append(ka));
    EXPECT_FALSE(sink.Append(ka));
    sink.Finish();
    EXPECT_EQ(sink.Length(), 3);
  }
  {
    Utf8Sink sink(out, 3);  // a lone high surrogate needs three bytes as U+FFFD
    const char16_t high[] = {0xD83D};
    EXPECT_FALSE(sink.Append(high));
    sink.Finish();
    EXPECT_EQ(out[0], 0);
  }
}

// --- Normaliser ---

TEST(Text, AsciiUpperTouchesOnlyAsciiLetters) {
  const struct {
    char16_t unit;
    char16_t upper;
  } kRows[] = {{u'a', u'A'}, {u'z', u'Z'}, {u'A', u'A'}, {u'`', u'`'}, {u'{', u'{'}, {u'0', u'0'},
               {0xE1, 0xE1}, {0x0C15, 0x0C15}, {0xFF41, 0xFF41}};  // a-acute, ka, fullwidth a
  for (const auto& row : kRows) {
    EXPECT_EQ(AsciiUpper(row.unit), row.upper) << static_cast<unsigned>(row.unit);
    if (row.unit < 0x80) EXPECT_EQ(AsciiUpper(static_cast<char>(row.unit)), static_cast<char>(row.upper));
  }
  EXPECT_EQ(AsciiUpper(static_cast<Byte>(0xE1)), 0xE1);  // Windows-1252 a-acute stays
  EXPECT_EQ(AsciiUpper(std::string("utf-8 \xE1x")), "UTF-8 \xE1X");
}

TEST(Text, UpToZeroAndAlignedCopy) {
  using namespace std::string_view_literals;
  EXPECT_EQ(UpToZero("ab\0cd"sv), "ab"sv);
  EXPECT_EQ(UpToZero("abc"sv), "abc"sv);
  EXPECT_EQ(UpToZero("\0"sv), ""sv);
  EXPECT_EQ(UpToZero(u"x\0y"sv), u"x"sv);
  // A 16-bit string one byte into a buffer, as a caller may pass it.
  const std::u16string text = u"\u0C15\u0C3F";
  unsigned char bytes[1 + 2 * 2] = {};
  std::memcpy(bytes + 1, text.data(), 2 * sizeof(char16_t));
  EXPECT_EQ(AlignedCopy(bytes + 1, 2), text);
  EXPECT_EQ(AlignedCopy(bytes + 1, 0), u"");
}

TEST(Normaliser, FoldsVariantCodes) {
  CodeNormaliser normaliser;
  struct Case {
    std::string in, out;
    std::int32_t consumed;
  } cases[] = {
      {test::Codes({122, 170, 100}), test::Codes({122, 100}), 3},    // other nukta removed
      {test::Codes({127, 170, 100}), test::Codes({127, 170, 100}), 3},  // tsa kept
      {test::Codes({129, 170}), test::Codes({129, 170}), 2},         // dza kept
      {test::Codes({66}), test::Codes({117, 88}), 1},                // om
      {test::Codes({200}), test::Codes({75, 74}), 1},                // ten
      {test::Codes({202}), test::Codes({75, 74, 74, 74}), 1},        // thousand
      {test::Codes({108}), test::Codes({153, 106}), 1},              // vocalic l
      {test::Codes({216}), "", 1},                                   // removed
      {test::Codes({9, 10, 122}), test::Codes({9, 10, 122}), 3},     // controls pass
      {"\xFF" "0C15", "\xFF" "0C15", 5},                             // escape copied
      {test::Codes({255, '4', '1'}), test::Codes({255, '4', '1'}), 3},  // cut short: only what is there
      {test::Codes({99, 143, 254}), test::Codes({99, 143, 254}), 3},  // unassigned bytes pass
  };
  for (const auto& c : cases) {
    Byte out[64];
    const auto consumed = normaliser.Normalise(reinterpret_cast<const Byte*>(c.in.c_str()), -1, out, 64);
    EXPECT_EQ(Describe(reinterpret_cast<char*>(out)), Describe(c.out)) << Describe(c.in);
    EXPECT_EQ(consumed, c.consumed) << Describe(c.in);
  }
}

TEST(Normaliser, AnEscapeNeedsRoomForAllItsBytes) {
  CodeNormaliser normaliser;
  const std::string escape = "\xFF" "0C15";
  Byte out[8];
  EXPECT_EQ(normaliser.Normalise(reinterpret_cast<const Byte*>(escape.c_str()), -1, out, 5), 0);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(normaliser.Normalise(reinterpret_cast<const Byte*>(escape.c_str()), -1, out, 6), 5);
  // A fold that does not fit whole stops the run before it.
  const std::string om = test::Codes({122, 66});
  EXPECT_EQ(normaliser.Normalise(reinterpret_cast<const Byte*>(om.c_str()), -1, out, 3), 1);
  EXPECT_EQ(Describe(reinterpret_cast<char*>(out)), "122");
}

}  // namespace
}  // namespace tirmok
