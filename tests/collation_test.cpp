// Tests of the collation code and of comparison: units, steps, sort order, and the total order over real words.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "collation/collation_converter.h"
#include "collation/unit_order.h"
#include "core/utf.h"
#include "support/test_support.h"
#include "tirmok/tirmok.h"

namespace tirmok {
namespace {

using test::Codes;
using test::Compare;
using test::Convert;
using test::Describe;
using test::Escape;
using test::Wide;
using test::ToBytes;
using test::ToWide;

TEST(UnitOrder, LowByteThenHighByte) {
  const struct {
    char16_t first;
    char16_t second;
  } kOrdered[] = {
      {0xE620, 0xE621},  // table units: by the byte they stand for
      {0x0023, 0xE624},  // low byte 0x23 before 0x24, whatever the high bytes
      {0xE64A, 0x014B},
      {0x0041, 0xE641},  // equal low bytes: the high byte decides
      {0x0000, 0x0001},  // the terminator first
      {0x0100, 0x0001},  // a unit with low byte 0 before any other low byte
  };
  for (const auto& row : kOrdered) {
    EXPECT_EQ(OrderOfUnits(row.first, row.second), -1) << std::hex << unsigned{row.first} << " " << unsigned{row.second};
    EXPECT_EQ(OrderOfUnits(row.second, row.first), 1) << std::hex << unsigned{row.first} << " " << unsigned{row.second};
    EXPECT_LT(OrderRank(row.first), OrderRank(row.second));
  }
}

TEST(CollationEncode, UnitsAndFallbacks) {
  struct Case {
    std::string internal;
    std::u16string units;
  };
  const Case cases[] = {
      // ka a
      {Codes({122, 100}), Wide({0xE67A, 0xE664})},
      // ee, au: the vowels e to au sit one below 0xE600 + byte
      {Codes({113, 118}), Wide({0xE670, 0xE675})},
      // space, tilde, ha, last accent mark
      {Codes({32, 64, 161, 177}), Wide({0xE620, 0xE640, 0xE6A1, 0xE6B1})},
      // tsa: ca and its nukta
      {Codes({127, 170, 100}), Wide({0xE67F, 0xE6AA, 0xE664})},
      // an escape gives its own unit; 0000 gives nothing
      {Escape("0041"), u"A"},
      {Escape("0000") + Codes({100}), Wide({0xE664})},
      // controls are copied
      {Codes({9, 10, 13}), u"\t\n\r"},
      // 68 is unassigned: dropped
      {Codes({68, 100}), Wide({0xE664})},
      {"", u""},
  };
  for (const Case& c : cases) {
    const auto out = Convert(c.internal, "LPXCODE", "COLLCODE");
    EXPECT_EQ(Describe(out.wide), Describe(c.units)) << "input " << Describe(c.internal);
    EXPECT_EQ(out.result, static_cast<std::int32_t>(c.units.size()));
  }
}

// Bytes the normaliser would fold first reach the collation encoder only directly.
TEST(CollationEncode, StepsOnUnnormalisedCode) {
  struct Case {
    std::string internal;
    std::u16string units;  // of the first step
    std::int32_t consumed;
  };
  const Case cases[] = {
      // escapes: five bytes, fewer only when the string ends first
      {Escape("0041"), u"A", 5},
      {Escape("0000"), u"", 5},
      {Escape("e676"), Wide({0xE676}), 5},
      {Escape("7"), Wide({0x0007}), 2},
      // a run of 40 tabs: 31 in the first step
      {std::string(40, '\t'), std::u16string(31, u'\t'), 31},
      {"", u"", 0},
  };
  const CollationConverter converter;
  // om, vocalic l, ê, ô, ṉ, ḻ, ē, ten, anusvara variant, 216, ẏ, second ra, wa: no unit
  for (int b : {66, 108, 111, 115, 142, 155, 190, 200, 215, 216, 220, 221, 225}) {
    Piece<char16_t> piece;
    const Byte input[] = {static_cast<Byte>(b), 100, 0};
    EXPECT_EQ(converter.EncodeStep(input, piece), 1) << b;
    EXPECT_TRUE(piece.Empty()) << b;
  }
  for (const Case& c : cases) {
    Piece<char16_t> piece;
    EXPECT_EQ(converter.EncodeStep(reinterpret_cast<const Byte*>(c.internal.c_str()), piece), c.consumed)
        << "input " << Describe(c.internal);
    EXPECT_EQ(Describe(std::u16string(piece.View().begin(), piece.View().end())), Describe(c.units))
        << "input " << Describe(c.internal);
  }
  // Bytes without a unit vanish from the whole string.
  const Byte mixed[] = {66, 122, 216, 100, 0};
  char16_t out[8];
  EXPECT_EQ(converter.Encode(mixed, -1, out, 8), 4);
  EXPECT_EQ(Describe(std::u16string(out)), Describe(Wide({0xE67A, 0xE664})));
}

// Every byte with a unit has one of its own, in the private use area, rising with the byte.
TEST(CollationEncode, UnitsRiseWithTheInternalCode) {
  const CollationConverter converter;
  int withUnit = 0;
  char16_t previous = 0;
  for (int b = 1; b < 255; ++b) {
    const Byte input[] = {static_cast<Byte>(b), 0};
    char16_t units[4] = {};
    converter.Encode(input, -1, units, 4);
    if (b < 32 || units[0] == 0) continue;
    ++withUnit;
    EXPECT_EQ(units[1], 0) << b;
    EXPECT_EQ(units[0] >> 8, 0xE6) << b;
    EXPECT_GT(units[0], previous) << b;
    previous = units[0];
    Byte back[4] = {};
    EXPECT_EQ(converter.Decode(units, -1, back, 4), 1);
    EXPECT_EQ(back[0], b);
    EXPECT_EQ(back[1], 0);
  }
  EXPECT_EQ(withUnit, 107);
}

TEST(CollationDecode, UnitsAndFallbacks) {
  struct Case {
    std::u16string units;
    std::string internal;
  };
  const Case cases[] = {
      // ee
      {Wide({0xE670}), Codes({113})},
      // U+E676 lies after au (U+E675) and has no byte: an escape
      {Wide({0xE676}), Escape("E676")},
      // om's place (U+E642) is empty too
      {Wide({0xE642}), Escape("E642")},
      // ordinary text is not collation code
      {u"A\u0C15", Escape("0041") + Escape("0C15")},
      {u"\t\t", Codes({9, 9})},
      {u"", ""},
  };
  for (const Case& c : cases) {
    const auto out = Convert(c.units, "COLLCODE", "LPXCODE");
    EXPECT_EQ(Describe(out.bytes), Describe(c.internal)) << "input " << Describe(c.units);
  }
  // An escape comes back as the unit it was made from.
  EXPECT_EQ(Describe(ToWide(Wide({0xE676, 0xFFFF, 0xD800}), "COLLCODE", "COLLCODE")),
            Describe(Wide({0xE676, 0xFFFF, 0xD800})));
}

TEST(CollationCapacity, WholeStepsOnly) {
  // ka a with room for one unit: ka only.
  const auto ka = Convert(Codes({122, 100}), "LPXCODE", "COLLCODE", 2);
  EXPECT_EQ(Describe(ka.wide), Describe(Wide({0xE67A})));
  const CollationConverter converter;
  const Byte kaA[] = {122, 100, 0};
  char16_t out[4];
  EXPECT_EQ(converter.Encode(kaA, -1, out, 2), 1);
  EXPECT_EQ(converter.Encode(kaA, -1, out, 1), 0);
  EXPECT_EQ(out[0], 0);
  // Forty tabs: steps of 31 and 9.
  const std::string tabs(40, '\t');
  EXPECT_EQ(Convert(tabs, "LPXCODE", "COLLCODE", 31).result, 0);
  EXPECT_EQ(Convert(tabs, "LPXCODE", "COLLCODE", 32).result, 31);
  EXPECT_EQ(Convert(tabs, "LPXCODE", "COLLCODE", 41).result, 40);
  EXPECT_EQ(Convert(std::u16string(40, u'\t'), "COLLCODE", "LPXCODE", 32).result, 31);
}

struct CompareCase {
  std::u16string a;
  const char* formatA;
  std::u16string b;
  const char* formatB;
  int expected;
};

// Operands of the 8-bit formats travel as their bytes widened one to one.
std::u16string Narrow(std::string_view bytes) {
  std::u16string s;
  for (unsigned char c : bytes) s += static_cast<char16_t>(c);
  return s;
}

bool IsWideFormat(const char* format) {
  const std::string f(format);
  return f == "UNICODE" || f == "COLLCODE" || f == "ISO15919";
}

std::int32_t CompareOperands(const std::u16string& a, const char* formatA, const std::u16string& b,
                             const char* formatB) {
  auto bytes = [](const std::u16string& s) {
    std::string out;
    for (char16_t u : s) out += static_cast<char>(u);
    return out;
  };
  // A mixed pair goes through the C export with each operand in its own width.
  const std::string narrowA = bytes(a), narrowB = bytes(b);
  const void* x = IsWideFormat(formatA) ? static_cast<const void*>(a.c_str()) : narrowA.c_str();
  const void* y = IsWideFormat(formatB) ? static_cast<const void*>(b.c_str()) : narrowB.c_str();
  return LpxCompare(x, formatA, y, formatB);
}

TEST(Compare, DictionaryOrder) {
  const std::u16string ka = Narrow(Codes({122, 100}));
  const CompareCase cases[] = {
      // ka before kha, and the reverse; a string equals itself
      {ka, "LPXCODE", Narrow(Codes({123, 100})), "LPXCODE", -1},
      {Narrow(Codes({123, 100})), "LPXCODE", ka, "LPXCODE", 1},
      {ka, "LPXCODE", ka, "LPXCODE", 0},
      // vowels before consonants: a before ka; ka before kaa
      {Narrow(Codes({100})), "LPXCODE", ka, "LPXCODE", -1},
      {ka, "LPXCODE", Narrow(Codes({122, 101})), "LPXCODE", -1},
      // ka before kṣa; ka before kaṃ before kaa
      {ka, "LPXCODE", Narrow(Codes({122, 159, 100})), "LPXCODE", -1},
      {ka, "LPXCODE", Narrow(Codes({122, 100, 88})), "LPXCODE", -1},
      {Narrow(Codes({122, 100, 88})), "LPXCODE", Narrow(Codes({122, 101})), "LPXCODE", -1},
      // KA + VIRAMA (k) is a proper prefix of KA (ka)
      {u"\u0C15\u0C4D", "UNICODE", u"\u0C15", "UNICODE", -1},
      // KA before KA, VOWEL SIGN AA
      {u"\u0C15", "UNICODE", u"\u0C15\u0C3E", "UNICODE", -1},
      // ki in four formats decodes to the same internal code
      {u"\u0C15\u0C3F", "UNICODE", Narrow(Codes({122, 102})), "LPXCODE", 0},
      {Narrow("\xE0\xB0\x95\xE0\xB0\xBF"), "UTF-8", u"\u0C15\u0C3F", "UNICODE", 0},
      {Wide({0xE67A, 0xE666}), "COLLCODE", u"\u0C15\u0C3F", "UNICODE", 0},
      // ai with a length mark and as one sign
      {u"\u0C15\u0C46\u0C56", "UNICODE", u"\u0C15\u0C48", "UNICODE", 0},
      // units of escapes and controls compare low byte first
      {Wide({0x0100}), "COLLCODE", Wide({0x00FF}), "COLLCODE", -1},
      {Wide({0x0100}), "UNICODE", Wide({0x00FF}), "UNICODE", -1},
      {u"A", "UNICODE", u"B", "UNICODE", -1},
      // a control before a space; a space before any letter
      {u"\t", "UNICODE", u" ", "UNICODE", -1},
      {u" ", "UNICODE", u"\u0C05", "UNICODE", -1},
      // characters without a unit take no part: unassigned 68, ISO 15919 om
      {Narrow(Codes({122, 100, 68})), "LPXCODE", ka, "LPXCODE", 0},
      {u"\u014Dm\u0310ka", "ISO15919", u"ka", "ISO15919", 0},
      // formats that cannot be compared
      {u"ka", "LPXKBD", u"ka", "LPXKBD", -1},
      {ka, "LPXCODE", u"ka", "LPXKBD", -1},
      {u"ka", "INSCRIPT", ka, "LPXCODE", -1},
      {u"ka", "ISO15919_UTF_8", ka, "LPXCODE", -1},
      {ka, "LPXCODE", u"ka", "BRAILLE", -1},
      // empty strings
      {u"", "UNICODE", u"", "LPXCODE", 0},
      {u"", "UNICODE", u"\u0C05", "UNICODE", -1},
      {u"\u0C05", "UNICODE", u"", "UTF-8", 1},
      {u"", "COLLCODE", u"", "UTF-8", 0},
      // an empty string before a unit whose low byte is zero
      {u"", "UTF-8", Wide({0x0100}), "COLLCODE", -1},
  };
  for (const CompareCase& c : cases) {
    EXPECT_EQ(CompareOperands(c.a, c.formatA, c.b, c.formatB), c.expected)
        << Describe(c.a) << " (" << c.formatA << ") vs " << Describe(c.b) << " (" << c.formatB << ")";
  }
}

class SampleOrder : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (const std::string& word : test::WordSample()) words_.push_back(Utf8ToUtf16(word));
  }
  static int Cmp(const std::u16string& a, const std::u16string& b) { return Compare(a, "UNICODE", b, "UNICODE"); }
  static std::u16string Key(const std::u16string& a) { return ToWide(a, "UNICODE", "COLLCODE"); }
  static std::vector<std::u16string> words_;
};
std::vector<std::u16string> SampleOrder::words_;

TEST_F(SampleOrder, IsATotalOrder) {
  ASSERT_GE(words_.size(), 1000u);
  // Sort with the comparison itself and check every neighbouring pair both ways.
  std::vector<std::u16string> sorted = words_;
  std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return Cmp(a, b) < 0; });
  for (std::size_t i = 0; i + 1 < sorted.size(); ++i) {
    const int forward = Cmp(sorted[i], sorted[i + 1]);
    EXPECT_LE(forward, 0) << Describe(sorted[i]) << " / " << Describe(sorted[i + 1]);
    EXPECT_EQ(Cmp(sorted[i + 1], sorted[i]), -forward) << i;
  }
  // Real words have only table units (all 0xE6xx), whose order is plain
  // numeric order, so sorting the collation strings gives the same sequence.
  std::vector<std::pair<std::u16string, std::u16string>> keyed;
  for (const auto& w : words_) keyed.emplace_back(Key(w), w);
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
  for (std::size_t i = 0; i < keyed.size(); ++i) {
    for (char16_t u : keyed[i].first) ASSERT_EQ(u >> 8, 0xE6) << Describe(keyed[i].second);
    EXPECT_EQ(Cmp(keyed[i].second, sorted[i]), 0) << i;
  }
}

TEST_F(SampleOrder, AntisymmetricTransitiveAndEqualExactlyOnEqualKeys) {
  std::mt19937 random(15919);
  auto any = [&]() -> const std::u16string& { return words_[random() % words_.size()]; };
  for (int trial = 0; trial < 3000; ++trial) {
    const std::u16string& a = any();
    // Often a near neighbour: the same word, or one sharing its start.
    std::u16string b = any();
    if (trial % 4 == 0) b = a.substr(0, random() % (a.size() + 1));
    if (trial % 10 == 0) b = a;
    const std::u16string& c = any();
    const int ab = Cmp(a, b), ba = Cmp(b, a), bc = Cmp(b, c), ac = Cmp(a, c);
    EXPECT_EQ(ab, -ba) << Describe(a) << " / " << Describe(b);
    EXPECT_EQ(ab == 0, Key(a) == Key(b)) << Describe(a) << " / " << Describe(b);
    if (ab <= 0 && bc <= 0) {
      EXPECT_LE(ac, 0) << Describe(a) << " / " << Describe(b) << " / " << Describe(c);
    }
    if (ab >= 0 && bc >= 0) {
      EXPECT_GE(ac, 0) << Describe(a) << " / " << Describe(b) << " / " << Describe(c);
    }
    // Whatever form the operands take, the answer is the same.
    EXPECT_EQ(Compare(Key(a), "COLLCODE", Key(b), "COLLCODE"), ab);
    const std::string internalA = ToBytes(a, "UNICODE", "LPXCODE");
    EXPECT_EQ(CompareOperands(Narrow(internalA), "LPXCODE", b, "UNICODE"), ab);
    EXPECT_EQ(CompareOperands(Narrow(Utf16ToUtf8(a)), "UTF-8", b, "UNICODE"), ab);
  }
}

TEST_F(SampleOrder, CollationStringsRoundTrip) {
  for (const std::u16string& word : words_) {
    const std::string internal = ToBytes(word, "UNICODE", "LPXCODE");
    const std::u16string key = ToWide(internal, "LPXCODE", "COLLCODE");
    EXPECT_EQ(key.size(), internal.size()) << Describe(word);
    EXPECT_EQ(Describe(ToBytes(key, "COLLCODE", "LPXCODE")), Describe(internal));
    EXPECT_EQ(ToWide(key, "COLLCODE", "UNICODE"), word);
  }
}

// Random collation text: characters with a unit, controls and escapes of
// other units all come back through the collation code unchanged.
TEST(CollationHostile, RandomCodeRoundTrips) {
  std::mt19937 random(2718);
  const CollationConverter converter;
  std::vector<Byte> withUnit;
  for (int b = 32; b < 255; ++b) {
    const Byte one[] = {static_cast<Byte>(b), 0};
    char16_t unit[2];
    if (converter.Encode(one, -1, unit, 2) == 1 && unit[0] != 0) withUnit.push_back(static_cast<Byte>(b));
  }
  for (int trial = 0; trial < 3000; ++trial) {
    std::string internal;
    const int length = static_cast<int>(random() % 40);
    for (int i = 0; i < length; ++i) {
      const unsigned r = random() % 10;
      if (r == 0) {
        char hex[8];
        unsigned value;
        do value = 32 + random() % 0xFFE0;
        while (value >> 8 == 0xE6);
        std::snprintf(hex, sizeof hex, "%04X", value);
        internal += Escape(hex);
      } else if (r == 1) {
        internal += static_cast<char>(1 + random() % 31);
      } else {
        internal += static_cast<char>(withUnit[random() % withUnit.size()]);
      }
    }
    std::vector<char16_t> key(internal.size() + 1);
    std::vector<Byte> back(internal.size() + 1);
    const auto* bytes = reinterpret_cast<const Byte*>(internal.c_str());
    EXPECT_EQ(converter.Encode(bytes, -1, key.data(), static_cast<std::int32_t>(key.size())),
              static_cast<std::int32_t>(internal.size()));
    converter.Decode(key.data(), -1, back.data(), static_cast<std::int32_t>(back.size()));
    EXPECT_EQ(Describe(reinterpret_cast<const char*>(back.data())), Describe(internal));
  }
}

// Any bytes, any capacity: a terminated run of whole steps within the capacity.
TEST(CollationHostile, RandomBytesAndCapacities) {
  std::mt19937 random(1618);
  for (int trial = 0; trial < 2000; ++trial) {
    std::string internal;
    const int length = static_cast<int>(random() % 40);
    for (int i = 0; i < length; ++i) internal += static_cast<char>(1 + random() % 255);
    const std::u16string key = ToWide(internal, "LPXCODE", "COLLCODE");
    const auto capacity = static_cast<std::int32_t>(1 + random() % 40);
    const auto encoded = Convert(internal, "LPXCODE", "COLLCODE", capacity);
    EXPECT_LT(encoded.result, capacity);
    EXPECT_EQ(key.compare(0, encoded.wide.size(), encoded.wide), 0) << Describe(internal);

    // Any units but the nukta's, which the way back through the internal code
    // would drop unless it follows ca or ja.
    std::u16string units;
    for (int i = 0; i < length; ++i) {
      const auto u = static_cast<char16_t>(1 + random() % 0xFFFF);
      if (u != 0xE6AA) units += u;
    }
    const std::string decodedAll = ToBytes(units, "COLLCODE", "LPXCODE");
    const auto decoded = Convert(units, "COLLCODE", "LPXCODE", capacity);
    EXPECT_LT(decoded.result, capacity);
    EXPECT_EQ(decodedAll.compare(0, decoded.bytes.size(), decoded.bytes), 0) << Describe(units);
    EXPECT_EQ(ToWide(decodedAll, "LPXCODE", "COLLCODE"), units) << Describe(units);
  }
}

}  // namespace
}  // namespace tirmok
