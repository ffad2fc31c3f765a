// Tests of the ISO 15919 romanisation: "ISO15919", "ISO15919_UTF_8" and "ISO15919_ANSI".
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/utf.h"
#include "support/test_support.h"
#include "tirmok/tirmok.h"
#include "unicode/iso15919_ansi_converter.h"
#include "unicode/iso15919_converter.h"
#include "unicode/latin_case.h"

namespace tirmok {
namespace {

using test::Codes;
using test::Compare;
using test::Convert;
using test::Describe;
using test::ToBytes;
using test::ToWide;

// Converters of their own, for rules that the hub hides: it normalises after
// decoding, and normalises internal-code input before encoding.
const Iso15919Converter& Iso() {
  static const Iso15919Converter converter;
  return converter;
}
const Iso15919AnsiConverter& Ansi() {
  static const Iso15919AnsiConverter converter;
  return converter;
}

std::string RawDecode(std::u16string_view text) {
  const std::u16string input(text);
  std::vector<Byte> out(input.size() * 5 + 8, 0xA5);
  Iso().Decode(input.c_str(), -1, out.data(), static_cast<std::int32_t>(out.size()));
  return reinterpret_cast<const char*>(out.data());
}
std::string RawAnsiDecode(std::string_view text) {
  const std::string input(text);
  std::vector<Byte> out(input.size() * 5 + 8, 0xA5);
  Ansi().Decode(reinterpret_cast<const Byte*>(input.c_str()), -1, out.data(), static_cast<std::int32_t>(out.size()));
  return reinterpret_cast<const char*>(out.data());
}

// Compares romanised text with internal code.
std::int32_t CompareWithCode(std::u16string_view text, std::string_view internal) {
  const std::u16string a(text);
  const std::string b(internal);
  return LpxCompare(a.c_str(), "ISO15919", b.c_str(), "LPXCODE");
}

struct WideCase {
  std::string internal;
  std::u16string text;
};
struct ByteCase {
  std::string internal;
  std::string text;
};

// ---------------------------------------------------------------------------
// ISO15919: encoding

TEST(Iso15919Encode, WritesLettersAndKeepsLettersApart) {
  const WideCase cases[] = {
      {Codes({122, 100}), u"ka"},                    // ka
      {Codes({122, 159, 100}), u"k\u1E63a"},         // kṣa: cluster, no mark between the letters
      {Codes({122}), u"k"},                          // bare k: no virama in the romanisation
      {Codes({137, 161, 100}), u"t:ha"},             // t + ha kept apart from the aspirate
      {Codes({138, 100}), u"tha"},                   // tha
      {Codes({122, 161}), u"k:h"},                   // k + h
      {Codes({146, 161, 100}), u"b:ha"},             // b + ha
      {Codes({150, 161, 100}), u"rha"},              // r is not in the set: rha
      {Codes({160, 161, 100}), u"sha"},              // s is not in this set either (it is in the 8-bit one)
      {Codes({128, 161, 100}), u"chha"},             // ch is not in this set: chh reads back as ch + h
      {Codes({122, 100, 102}), u"ka:i"},             // ka + independent i
      {Codes({122, 114}), u"kai"},                   // kai
      {Codes({100, 104}), u"a:u"},                   // a + u
      {Codes({122, 118}), u"kau"},                   // kau
      {Codes({101, 102}), u"\u0101i"},               // ā + i: only a takes the colon
      {Codes({100, 161}), u"ah"},                    // a + h: only consonants take :h
      {Codes({101}), u"\u0101"},                     // ā
      {Codes({87}), u"n\u0306"},                     // candrabindu n̆, not m̐
      {Codes({88}), u"\u1E41"},                      // anusvara ṁ
      {Codes({89}), u"\u1E25"},                      // visarga ḥ
      {Codes({122, 95, 100}), u"k\u2013a"},          // bare k, separator, a
      {Codes({94}), u"-"},                           // zero width joiner
      {Codes({45}), u"-"},                           // hyphen-minus
      {Codes({39}), u"\u2019"},                      // apostrophe ’
      {Codes({39, 39}), u"\u201D"},                  // ”
      {Codes({60, 60}), u"\u201C"},                  // “
      {Codes({48, 54, 55, 64}), u":@[~"},            // punctuation ranges
      {Codes({65}), u":'"},                          // avagraha
      {Codes({67}), u"Rs"},                          // rupee
      {Codes({74, 83}), u"09"},                      // Telugu digits zero and nine
      {Codes({127, 170, 100}), u"\u0109a"},          // tsa ĉa
      {Codes({129, 170, 100}), u"za"},               // dza za
      {Codes({117, 174, 175}), u"\u014D"},           // ō + accent marks without a form
      {Codes({122, 100, 171, 172, 173}), u"ka\u0332\u030D\u030E"},  // ka + accent marks
      {Codes({9, 122, 100, 13, 10}), u"\tka\r\n"},   // control characters copied
      {Codes({255, '0', '0', '4', '1'}), u"A"},       // escape of U+0041
      {Codes({255, '0', 'c', '0', 'c', 122}), u"\u0C0Ck"},  // escape with small hex digits
      {Codes({255, '0', '0', '0', '0', 122}), u"k"},  // escape of 0 writes nothing
      {Codes({255, '4', '1'}), u"A"},                 // escape cut short by the end of the text
      {Codes({99, 143, 122}), u"k"},                  // unassigned bytes dropped
      {"", u""},                                      // empty
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToWide(c.internal, "LPXCODE", "ISO15919"), c.text) << Describe(c.internal);
  }
}

TEST(Iso15919Encode, WritesBytesTheNormaliserWouldReplace) {
  // Direct calls: through the hub these bytes are normalised first.
  const WideCase cases[] = {
      {Codes({66}), u"\u014Dm\u0310"},                // om ōm̐
      {Codes({110}), u"\u00EA"},                      // a variant ê
      {Codes({111}), u"\u00EA"},                      // ê
      {Codes({115}), u"\u00F4"},                      // ô
      {Codes({190}), u"\u0113"},                      // ē variant
      {Codes({108, 109}), u"l\u0325l\u0325\u0304"},   // vocalic l, ll
      {Codes({142}), u"\u1E49"},                      // ṉ
      {Codes({141, 170}), u"\u1E49"},                 // n + nukta is also ṉ
      {Codes({149, 170}), u"\u1E8F"},                 // y + nukta ẏ
      {Codes({220}), u"\u1E8F"},                      // ẏ
      {Codes({221, 225}), u"rw"},                     // second ra, wa
      {Codes({200, 201, 202}), u"101001000"},         // number signs
      {Codes({215, 216}), u"\u1E43"},                 // ṃ; 216 has no form
      {Codes({122, 170, 161}), u"q:h"},               // q + ha: the key starts with k
      {Codes({124, 170, 100}), u"\u0121a"},           // ġa
      {Codes({123, 170}), u"k\u0332h\u0332"},         // k̲h̲
      {Codes({134, 170, 161}), u"\u1E5B:h"},          // ṛ + ha: the key starts with ḍ
      {Codes({135, 170}), u"\u1E5Bh"},                // ṛh
      {Codes({137, 170}), u"t\u0323"},                // t + nukta: no entry of its own
  };
  for (const auto& c : cases) {
    std::u16string out(16, u'\xA5A5');
    Iso().Encode(reinterpret_cast<const Byte*>(c.internal.c_str()), -1, out.data(), 16);
    EXPECT_EQ(std::u16string(out.c_str()), c.text) << Describe(c.internal);
  }
  // A byte without a form still consumes itself.
  const Byte accent[] = {174, 0};
  char16_t out[4] = {0xA5A5, 0xA5A5};
  EXPECT_EQ(Iso().Encode(accent, -1, out, 4), 1);
  EXPECT_EQ(out[0], 0);
}

TEST(Iso15919Encode, StopsBeforeAStepThatDoesNotFit) {
  const Byte tHa[] = {137, 161, 100, 0};
  char16_t out[8];
  // t:h is one step of three units.
  EXPECT_EQ(Iso().Encode(tHa, -1, out, 4), 2);
  EXPECT_EQ(std::u16string(out), u"t:h");
  EXPECT_EQ(Iso().Encode(tHa, -1, out, 3), 0);
  EXPECT_EQ(std::u16string(out), u"");
  EXPECT_EQ(Iso().Encode(tHa, -1, out, 5), 3);
  EXPECT_EQ(std::u16string(out), u"t:ha");

  const std::string internal = Codes({137, 161, 100});
  const auto four = Convert(internal, "LPXCODE", "ISO15919", 4);
  EXPECT_EQ(four.wide, u"t:h");
  EXPECT_EQ(four.result, 3);
  const auto three = Convert(internal, "LPXCODE", "ISO15919", 3);
  EXPECT_EQ(three.wide, u"");
  EXPECT_EQ(three.result, 0);
  EXPECT_EQ(Convert(internal, "LPXCODE", "ISO15919", 1).result, 0);
  // UTF-8: t:h is 3 bytes; kṣa's ṣ is 3 bytes and may not be split.
  EXPECT_EQ(Convert(internal, "LPXCODE", "ISO15919_UTF_8", 4).bytes, "t:h");
  EXPECT_EQ(Convert(Codes({122, 159, 100}), "LPXCODE", "ISO15919_UTF_8", 4).bytes, "k");
  EXPECT_EQ(Convert(Codes({122, 159, 100}), "LPXCODE", "ISO15919_UTF_8", 5).bytes, "k\xE1\xB9\xA3");
}

// ---------------------------------------------------------------------------
// ISO15919: decoding

TEST(Iso15919Decode, ReadsTheLongestTextAndNormalises) {
  const WideCase cases[] = {
      {Codes({122}), u"k"},                           // bare k
      {Codes({122, 100}), u"ka"},                     // ka
      {Codes({122, 100}), u"KA"},                     // capitals read as small letters
      {Codes({123}), u"kh"},                          // kh is one letter
      {Codes({122, 161}), u"k:h"},                    // k + h
      {Codes({137, 161, 100}), u"t:ha"},              // t + ha
      {Codes({150, 161, 100}), u"rha"},               // r + ha
      {Codes({114}), u"ai"},                          // ai
      {Codes({100, 102}), u"a:i"},                    // a + i
      {Codes({100, 104}), u"a:u"},                    // a + u
      {Codes({48}), u":"},                            // a lone colon
      {Codes({65}), u":'"},                           // avagraha
      {Codes({117}), u"\u014D"},                      // ō
      {Codes({117, 88, 122, 100}), u"\u014Dm\u0310ka"},  // om (normalised to ō + anusvara), ka
      {Codes({87, 87}), u"n\u0306m\u0310"},           // both forms of candrabindu
      {Codes({94}), u"-"},                            // hyphen-minus reads as the joiner
      {Codes({112}), u"\u00EA"},                      // ê is 111, normalised to e (110 would give a)
      {Codes({113}), u"\u0113"},                      // ē
      {Codes({141}), u"\u1E49"},                      // ṉ, normalised to n
      {Codes({149}), u"Y\u0307"},                     // ẏ with a capital, normalised to y
      {Codes({75, 74}), u"10"},                       // the number sign ten, normalised to digits
      {Codes({76, 75, 74, 74}), u"2100"},             // 2, then the number sign hundred
      {Codes({75, 74, 74, 74, 74}), u"10000"},        // thousand, then 0
      {Codes({150, 160}), u"Rs"},                     // the rupee text is never matched
      {Codes({122, 95, 100}), u"k\u2013a"},           // separator
      {Codes({127, 170, 100}), u"\u0109a"},           // tsa keeps its nukta
      {Codes({122, 100}), u"qa"},                     // q: other nukta removed by the normaliser
      {Codes({255, '0', '0', 'E', '9'}), u"\u00E9"},  // é has no entry: escape
      {Codes({255, '0', '0', '7', '8'}), u"x"},       // x has no entry
      {Codes({255, '0', '0', '7', '8'}), u"X"},       // nor its capital: escaped as x
      {Codes({9, 122, 10}), u"\tk\n"},                // control characters
      {"", u""},                                      // empty
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToBytes(c.text, "ISO15919", "LPXCODE"), c.internal) << Describe(c.text);
  }
}

TEST(Iso15919Decode, SharedTextsDecodeToTheDesignatedKey) {
  // Raw decoder output, before any normalisation.
  const WideCase cases[] = {
      {Codes({94}), u"-"},                    // not 45
      {Codes({111}), u"\u00EA"},              // ê: not 110
      {Codes({111}), u"e\u0302"},             // e + circumflex
      {Codes({113}), u"\u0113"},              // ē: not 190
      {Codes({113}), u"e\u0304"},             // e + macron
      {Codes({150}), u"r"},                   // not 221
      {Codes({142}), u"\u1E49"},              // ṉ: not 141 170
      {Codes({142}), u"n\u0331"},             // n + macron below
      {Codes({220}), u"\u1E8F"},              // ẏ: not 149 170
      {Codes({220}), u"y\u0307"},             // y + dot above
      {Codes({66}), u"\u014Dm\u0310"},        // ōm̐
      {Codes({200}), u"10"},                  // number signs
      {Codes({76, 201}), u"2100"},
      {Codes({202}), u"1000"},
      {Codes({150, 160}), u"Rs"},             // rupee never read
      {Codes({132}), u"t\u0323"},             // t + dot below is ṭ
      {Codes({122, 170}), u"Q"},              // q
      {Codes({124, 170}), u"G\u0307"},        // ġ decomposed, capital
  };
  for (const auto& c : cases) EXPECT_EQ(RawDecode(c.text), c.internal) << Describe(c.text);

  // Comparisons do not normalise: codes without a collation unit take no part.
  EXPECT_EQ(CompareWithCode(u"\u0113", Codes({113})), 0);          // 113, not 190
  EXPECT_EQ(CompareWithCode(u"ra", Codes({150, 100})), 0);         // 150, not 221
  EXPECT_EQ(CompareWithCode(u"\u1E49a", Codes({100})), 0);         // 142 is dropped
  EXPECT_EQ(CompareWithCode(u"\u1E8Fa", Codes({100})), 0);         // 220 is dropped
  EXPECT_EQ(Compare(u"\u014Dm\u0310ka", "ISO15919", u"ka", "ISO15919"), 0);       // om is dropped
  EXPECT_EQ(Compare(u"ka", "ISO15919", u"kha", "ISO15919"), -1);
}

TEST(Iso15919Decode, PrecomposedDecomposedAndCapitalFormsAgree) {
  // Each row: forms that must all decode alike.
  const std::vector<std::u16string> groups[] = {
      {u"\u0101", u"a\u0304", u"\u0100", u"A\u0304"},                 // ā
      {u"\u012B", u"i\u0304", u"\u012A", u"I\u0304"},                 // ī
      {u"\u0113", u"e\u0304", u"\u0112", u"E\u0304"},                 // ē
      {u"\u00EA", u"e\u0302", u"\u00CA", u"E\u0302"},                 // ê
      {u"\u1E41", u"m\u0307", u"\u1E40", u"M\u0307"},                 // ṁ
      {u"\u1E45", u"n\u0307", u"\u1E44", u"N\u0307"},                 // ṅ
      {u"\u00F1", u"n\u0303", u"\u00D1", u"N\u0303"},                 // ñ
      {u"\u1E6Dh", u"t\u0323h", u"\u1E6CH", u"T\u0323h"},             // ṭh
      {u"\u1E5F", u"r\u0331", u"\u1E5E", u"R\u0331"},                 // ṟ
      {u"\u015B", u"s\u0301", u"\u015A", u"S\u0301"},                 // ś
      {u"\u1E63", u"s\u0323", u"\u1E62", u"S\u0323"},                 // ṣ
      {u"\u0109", u"c\u0302", u"\u0108", u"C\u0302"},                 // ĉ
      {u"\u1E5Bh", u"r\u0323h", u"\u1E5AH", u"R\u0323H"},             // ṛh
      {u"r\u0325\u0304", u"R\u0325\u0304"},                           // r̥̄
      {u"i", u"I", u"\u0130"},                                        // i; İ lower-cases to plain i
  };
  for (const auto& group : groups) {
    const std::string expected = ToBytes(group.front(), "ISO15919", "LPXCODE");
    EXPECT_EQ(expected.find('\xFF'), std::string::npos) << Describe(group.front());
    for (const auto& form : group) EXPECT_EQ(ToBytes(form, "ISO15919", "LPXCODE"), expected) << Describe(form);
  }
}

TEST(Iso15919Decode, LengthAndCapacity) {
  const std::u16string text = u"kh";
  Byte out[16];
  // The copy ends after the given length, so k is not read as part of kh.
  EXPECT_EQ(Iso().Decode(text.c_str(), 1, out, 16), 1);
  EXPECT_EQ(Describe(reinterpret_cast<const char*>(out)), "122");
  EXPECT_EQ(Iso().Decode(text.c_str(), -1, out, 16), 2);
  EXPECT_EQ(Describe(reinterpret_cast<const char*>(out)), "123");
  EXPECT_EQ(Iso().Decode(text.c_str(), 0, out, 16), 0);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(Iso().Decode(text.c_str(), -7, out, 16), 0);
  EXPECT_EQ(Iso().Decode(text.c_str(), -1, out, 1), 0);
  EXPECT_EQ(Iso().Decode(nullptr, -1, out, 16), 0);
  EXPECT_EQ(out[0], 0);
  // An escape is one step of five bytes.
  EXPECT_EQ(Iso().Decode(u"ax", -1, out, 6), 1);
  EXPECT_EQ(Iso().Decode(u"ax", -1, out, 7), 2);
}

TEST(Iso15919Utf8, SameTextInUtf8) {
  const ByteCase cases[] = {
      {Codes({122, 159, 100}), "k\xE1\xB9\xA3" "a"},   // kṣa
      {Codes({137, 161, 100}), "t:ha"},                // t + ha
      {Codes({101, 87}), "\xC4\x81n\xCC\x86"},         // ā, candrabindu n̆
      {Codes({255, 'D', '8', '0', '0'}), "\xEF\xBF\xBD"},  // a lone surrogate from an escape
  };
  for (const auto& c : cases) EXPECT_EQ(ToBytes(c.internal, "LPXCODE", "ISO15919_UTF_8"), c.text) << Describe(c.internal);
  EXPECT_EQ(ToBytes("K\xE1\xB9\xA2" "A:i", "ISO15919_UTF_8", "LPXCODE"), Codes({122, 159, 100, 102}));  // KṢA:i
  EXPECT_EQ(ToBytes("-", "ISO15919_UTF_8", "LPXCODE"), Codes({94}));
}

// ---------------------------------------------------------------------------
// ISO15919_ANSI

TEST(Iso15919AnsiEncode, WritesBytesAndKeepsLettersApart) {
  const ByteCase cases[] = {
      {Codes({122, 100}), "ka"},                      // ka
      {Codes({101}), Codes({161})},                   // ā
      {Codes({87}), Codes({209})},                    // candrabindu: 209, not 176
      {Codes({160, 161, 100}), "s:ha"},               // s + ha: s is in this set
      {Codes({128, 161, 100}), "ch:ha"},              // ch + ha
      {Codes({158, 161}), Codes({190, ':', 'h'})},    // ś + h
      {Codes({137, 161, 100}), "t:ha"},               // t + ha
      {Codes({150, 161}), "rh"},                      // r is not in the set
      {Codes({123, 161}), "khh"},                     // kh + h
      {Codes({100, 102}), "a:i"},                     // a + i
      {Codes({100, 104}), "a:u"},                     // a + u
      {Codes({114, 118}), "aiau"},                    // ai, au
      {Codes({161}), "h"},                            // h: 104, not 210
      {Codes({39, 39}), "''"},                        // no pair entry: byte by byte
      {Codes({60, 60}), "``"},
      {Codes({48, 55, 64}), ":[~"},                   // punctuation ranges
      {Codes({65}), ":'"},                            // avagraha
      {Codes({67}), "rs"},                            // rupee
      {Codes({75, 74}), "10"},                        // digits
      {Codes({94, 95}), Codes({196, 197})},           // joiner, non-joiner
      {Codes({127, 170, 129, 170}), Codes({205, 'z'})},  // tsa, dza
      {Codes({122, 100, 171, 174}), Codes({'k', 'a', 198})},  // accent marks
      {Codes({255, '0', '0', '4', '1'}), "A"},        // escape of a byte value
      {Codes({255, '0', '0', '2', '5'}), "%"},
      {Codes({255, '0', '0', 'e', '9'}), Codes({233})},
      {Codes({255, '0', '0', '0', '0'}), "?"},        // 0 has no byte
      {Codes({255, '0', '1', '0', '0'}), "?"},        // nor has anything above 255
      {Codes({255, '4', '1'}), "A"},                  // escape cut short by the end of the text
      {Codes({9, 122, 10}), "\tk\n"},                 // control characters
      {Codes({99, 152}), ""},                         // unassigned bytes dropped
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToBytes(c.internal, "LPXCODE", "ISO15919_ANSI"), c.text) << Describe(c.internal);
  }
}

TEST(Iso15919AnsiEncode, WritesBytesTheNormaliserWouldReplace) {
  const ByteCase cases[] = {
      {Codes({66}), Codes({181, 176})},     // om
      {Codes({200, 201, 202}), ""},          // number signs: nothing here
      {Codes({220}), Codes({193})},          // ẏ
      {Codes({149, 170}), Codes({193})},
      {Codes({215, 216}), Codes({174, 202})},
      {Codes({110, 190, 170}), ""},          // no entries
      {Codes({141, 170}), "n"},              // no pair entry; the nukta alone is dropped
      {Codes({122, 170, 161}), "q:h"},       // the key starts with k
  };
  for (const auto& c : cases) {
    Byte out[16];
    Ansi().Encode(reinterpret_cast<const Byte*>(c.internal.c_str()), -1, out, 16);
    EXPECT_EQ(Describe(reinterpret_cast<const char*>(out)), Describe(c.text)) << Describe(c.internal);
  }
  // Capacity: s:h is one step of three bytes.
  const Byte sHa[] = {160, 161, 100, 0};
  Byte out[8];
  EXPECT_EQ(Ansi().Encode(sHa, -1, out, 4), 2);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(out)), "s:h");
  EXPECT_EQ(Ansi().Encode(sHa, -1, out, 3), 0);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(Convert(Codes({160, 161, 100}), "LPXCODE", "ISO15919_ANSI", 4).bytes, "s:h");
  EXPECT_EQ(Convert(Codes({160, 161, 100}), "LPXCODE", "ISO15919_ANSI", 3).result, 0);
}

TEST(Iso15919AnsiDecode, ReadsTheLongestTextAndNormalises) {
  const ByteCase cases[] = {
      {Codes({101}), Codes({161})},                  // ā
      {Codes({87}), Codes({209})},                   // candrabindu
      {Codes({87}), Codes({176})},                   // its other byte
      {Codes({117, 88}), Codes({181, 176})},         // om, normalised
      {Codes({117}), Codes({181})},                  // ō
      {Codes({160, 161, 100}), "s:ha"},              // s + ha
      {Codes({122, 161}), "k:h"},                    // k + h
      {Codes({123}), "kh"},                          // kh
      {Codes({161, 161}), Codes({210, ':', 'h'})},   // the other forms of h
      {Codes({102, 104}), ":i:u"},
      {Codes({150}), "r"},                           // 150, not 221
      {Codes({149}), Codes({193})},                  // ẏ is 220, normalised to y
      {Codes({135}), Codes({162, 'h'})},             // ḍh is one letter
      {Codes({134, 161}), Codes({162, ':', 'h'})},   // ḍ + h
      {Codes({133}), Codes({191, 'h'})},             // ṭh
      {Codes({255, '0', '0', '4', 'B'}), "K"},       // capitals are escaped
      {Codes({255, '0', '0', '7', 'F'}), "\x7F"},
      {Codes({122, 100}), Codes({'k', 233, 'a'})},   // unmapped upper-half bytes are dropped
      {Codes({122}), Codes({'k', 255})},             // byte 255 too
      {Codes({39, 39}), "''"},                       // two apostrophes
      {Codes({45}), "-"},                            // hyphen-minus
      {Codes({9, 10}), "\t\n"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToBytes(c.text, "ISO15919_ANSI", "LPXCODE"), c.internal) << Describe(c.text);
  }
  // Raw decoder output for shared texts.
  EXPECT_EQ(RawAnsiDecode("r"), Codes({150}));
  EXPECT_EQ(RawAnsiDecode(Codes({193})), Codes({220}));
  EXPECT_EQ(RawAnsiDecode(Codes({181, 176})), Codes({66}));
  EXPECT_EQ(RawAnsiDecode("q"), Codes({122, 170}));
}

TEST(Iso15919AnsiDecode, RsReadsAsTheTwoLetters) {
  // Rupee is written rs, but rs is read as ra + sa: otherwise every cluster
  // of r and s in a word would come back as a rupee sign.
  EXPECT_EQ(ToBytes("pars", "ISO15919_ANSI", "LPXCODE"), Codes({144, 100, 150, 160}));
  EXPECT_EQ(ToBytes("rs", "ISO15919_ANSI", "LPXCODE"), Codes({150, 160}));
  const std::string parsu = Codes({144, 100, 150, 160, 104});  // పర్సు
  EXPECT_EQ(ToBytes(ToBytes(parsu, "LPXCODE", "ISO15919_ANSI"), "ISO15919_ANSI", "LPXCODE"), parsu);
  // The same holds for the UTF-16 form, whose rupee text has a capital.
  EXPECT_EQ(ToBytes(ToWide(parsu, "LPXCODE", "ISO15919"), "ISO15919", "LPXCODE"), parsu);
}

TEST(Iso15919AnsiDecode, EscapedBytesComeBackUnchanged) {
  for (const char* text : {"KA", "Xx", "The End", "\x7F"}) {
    const std::string internal = ToBytes(text, "ISO15919_ANSI", "LPXCODE");
    EXPECT_EQ(ToBytes(internal, "LPXCODE", "ISO15919_ANSI"), text) << text;
  }
}

// ---------------------------------------------------------------------------
// Lower-casing

TEST(LatinCase, SimpleLowerCaseMapping) {
  const struct {
    char16_t from;
    char16_t to;
  } cases[] = {
      {u'A', u'a'}, {u'Z', u'z'}, {u'a', u'a'}, {u'@', u'@'}, {u'[', u'['},  // Basic Latin
      {0x00C0, 0x00E0}, {0x00DE, 0x00FE}, {0x00D7, 0x00D7}, {0x00DF, 0x00DF},  // À, Þ; × and ß unchanged
      {0x0100, 0x0101}, {0x0101, 0x0101}, {0x0130, 0x0069}, {0x0131, 0x0131},  // Ā; İ to i; ı unchanged
      {0x0139, 0x013A}, {0x0178, 0x00FF}, {0x017D, 0x017E}, {0x017F, 0x017F},  // Ĺ, Ÿ, Ž; ſ unchanged
      {0x0181, 0x0253}, {0x018E, 0x01DD}, {0x01C4, 0x01C6}, {0x01C5, 0x01C6},  // Ɓ, Ǝ, Ǆ, ǅ
      {0x01CB, 0x01CC}, {0x01CD, 0x01CE}, {0x01F2, 0x01F3}, {0x01F6, 0x0195},  // ǋ, Ǎ, ǲ, Ƕ
      {0x0220, 0x019E}, {0x023A, 0x2C65}, {0x0243, 0x0180}, {0x024E, 0x024F},  // Ƞ, Ⱥ, Ƀ, Ɏ
      {0x1E00, 0x1E01}, {0x1E6C, 0x1E6D}, {0x1E94, 0x1E95}, {0x1E96, 0x1E96},  // Ḁ, Ṭ, Ẕ; ẖ unchanged
      {0x1E9E, 0x00DF}, {0x1EFE, 0x1EFF}, {0x1EFF, 0x1EFF},                    // ẞ to ß, Ỿ
      {0x0391, 0x0391}, {0x0C15, 0x0C15}, {0xD800, 0xD800}, {0xFF21, 0xFF21},  // outside the Latin blocks
  };
  for (const auto& c : cases) {
    EXPECT_EQ(static_cast<unsigned>(LowerLatin(c.from)), static_cast<unsigned>(c.to))
        << std::hex << static_cast<unsigned>(c.from);
  }
}

TEST(LatinCase, TablesGiveWhatTheRangesGiveForEveryUnit) {
  std::u16string all;
  for (std::uint32_t u = 1; u <= 0xFFFF; ++u) all.push_back(static_cast<char16_t>(u));
  std::u16string lowered = all;
  LowerLatin(lowered);
  for (std::size_t i = 0; i < all.size(); ++i) {
    ASSERT_EQ(static_cast<unsigned>(LowerLatin(all[i])), static_cast<unsigned>(LowerLatinByRanges(all[i])))
        << std::hex << static_cast<unsigned>(all[i]);
    ASSERT_EQ(lowered[i], LowerLatinByRanges(all[i])) << std::hex << static_cast<unsigned>(all[i]);
  }
}

// ---------------------------------------------------------------------------
// Properties

// Random internal code built like text: syllables of normalised letters, signs,
// digits, spaces and punctuation, without the few sequences the romanisation
// cannot tell apart (colon before i, u, h or an apostrophe; hyphen-minus,
// which reads as the joiner; the rupee sign, which reads as r + s; an accent
// mark between two consonants).
std::string RandomText(std::mt19937& rng, int syllables) {
  static const std::vector<int> consonants = [] {
    std::vector<int> v;
    for (int b = 122; b <= 141; ++b) v.push_back(b);
    for (int b = 144; b <= 151; ++b) v.push_back(b);
    for (int b : {153, 154, 157, 158, 159, 160, 161}) v.push_back(b);
    return v;
  }();
  static const std::vector<int> vowels = {100, 101, 102, 103, 104, 105, 106, 107, 112, 113, 114, 116, 117, 118};
  static const std::vector<int> others = {32, 33, 34, 39, 40, 41, 44, 46, 47, 49, 50, 53, 55, 60, 63, 65,
                                          74, 75, 76, 83, 94, 95, 9, 10};
  auto pick = [&rng](const std::vector<int>& v) { return v[std::uniform_int_distribution<std::size_t>(0, v.size() - 1)(rng)]; };
  std::uniform_int_distribution<int> percent(0, 99);
  std::string s;
  for (int i = 0; i < syllables; ++i) {
    const int kind = percent(rng);
    if (kind < 15) {
      s.push_back(static_cast<char>(pick(others)));
      continue;
    }
    const int cluster = kind < 30 ? 0 : 1 + percent(rng) % 3;
    for (int c = 0; c < cluster; ++c) {
      s.push_back(static_cast<char>(pick(consonants)));
      if (percent(rng) < 5 && (s.back() == char(127) || s.back() == char(129))) s.push_back(static_cast<char>(170));
    }
    if (cluster == 0 || percent(rng) < 90) s.push_back(static_cast<char>(pick(vowels)));
    if (percent(rng) < 15) s.push_back(static_cast<char>(87 + percent(rng) % 3));
    if (s.back() >= char(100) && s.back() <= char(118) && percent(rng) < 5) s.push_back(static_cast<char>(171 + percent(rng) % 3));
  }
  return s;
}

TEST(Iso15919Properties, InternalCodeRoundTrips) {
  std::mt19937 rng(15919);
  for (int i = 0; i < 2000; ++i) {
    const std::string internal = RandomText(rng, 1 + i % 12);
    const std::u16string wide = ToWide(internal, "LPXCODE", "ISO15919");
    EXPECT_EQ(ToBytes(wide, "ISO15919", "LPXCODE"), internal) << Describe(internal) << " / " << Describe(wide);
    const std::string utf8 = ToBytes(internal, "LPXCODE", "ISO15919_UTF_8");
    EXPECT_EQ(utf8, Utf16ToUtf8(wide));
    EXPECT_EQ(ToBytes(utf8, "ISO15919_UTF_8", "LPXCODE"), internal) << Describe(internal);
    const std::string ansi = ToBytes(internal, "LPXCODE", "ISO15919_ANSI");
    EXPECT_EQ(ToBytes(ansi, "ISO15919_ANSI", "LPXCODE"), internal) << Describe(internal) << " / " << Describe(ansi);
  }
}

std::string RandomBytes(std::mt19937& rng, int length) {
  std::string s;
  std::uniform_int_distribution<int> byte(1, 255);
  for (int i = 0; i < length; ++i) s.push_back(static_cast<char>(byte(rng)));
  return s;
}

std::u16string RandomUnits(std::mt19937& rng, int length) {
  // Mostly units the table knows, with some capitals, controls and others.
  static const std::u16string alphabet =
      std::u16string(u"abcdeghijklmnoprstuvwxyzKAHIR:'-10\t\n\u0101\u0304\u0323\u0331\u0307\u0302\u0306\u0310"
                     u"\u1E6D\u1E63\u1E49\u1E8F\u00EA\u0113\u014D\u2013\u2019\u201D\u0C15\u00E9") +
      char16_t{0xD800} + char16_t{0xDC00};  // surrogates, paired or not
  std::u16string s;
  std::uniform_int_distribution<std::size_t> index(0, alphabet.size() - 1);
  for (int i = 0; i < length; ++i) s.push_back(alphabet[index(rng)]);
  return s;
}

TEST(Iso15919Properties, RandomInputsStayWithinCapacity) {
  std::mt19937 rng(2013);
  for (int i = 0; i < 600; ++i) {
    const std::string internal = RandomBytes(rng, 1 + i % 24);
    const std::u16string text = RandomUnits(rng, 1 + i % 24);
    const std::string ansiText = RandomBytes(rng, 1 + i % 24);
    const auto wideFull = Convert(internal, "LPXCODE", "ISO15919");
    const auto utf8Full = Convert(internal, "LPXCODE", "ISO15919_UTF_8");
    const auto ansiFull = Convert(internal, "LPXCODE", "ISO15919_ANSI");
    const auto fromWide = Convert(text, "ISO15919", "LPXCODE");
    const auto fromUtf8 = Convert(Utf16ToUtf8(text), "ISO15919_UTF_8", "LPXCODE");
    const auto fromAnsi = Convert(ansiText, "ISO15919_ANSI", "LPXCODE");
    for (int k = 0; k < 4; ++k) {
      // The helper checks the guard units after the capacity; a cut output is
      // a prefix of the whole one.
      const std::int32_t capacity = 1 + static_cast<std::int32_t>(rng() % 40);
      const auto wide = Convert(internal, "LPXCODE", "ISO15919", capacity);
      EXPECT_EQ(wideFull.wide.substr(0, wide.wide.size()), wide.wide);
      const auto utf8 = Convert(internal, "LPXCODE", "ISO15919_UTF_8", capacity);
      EXPECT_EQ(utf8Full.bytes.substr(0, utf8.bytes.size()), utf8.bytes);
      const auto ansi = Convert(internal, "LPXCODE", "ISO15919_ANSI", capacity);
      EXPECT_EQ(ansiFull.bytes.substr(0, ansi.bytes.size()), ansi.bytes);
      EXPECT_EQ(fromWide.bytes.substr(0, static_cast<std::size_t>(capacity - 1)),
                Convert(text, "ISO15919", "LPXCODE", capacity).bytes);
      EXPECT_EQ(fromUtf8.bytes.substr(0, static_cast<std::size_t>(capacity - 1)),
                Convert(Utf16ToUtf8(text), "ISO15919_UTF_8", "LPXCODE", capacity).bytes);
      EXPECT_EQ(fromAnsi.bytes.substr(0, static_cast<std::size_t>(capacity - 1)),
                Convert(ansiText, "ISO15919_ANSI", "LPXCODE", capacity).bytes);
    }
    // Direct decoding with small capacities: whole steps, terminated, nothing past the capacity.
    for (std::int32_t capacity = 1; capacity < 12; ++capacity) {
      std::vector<Byte> out(static_cast<std::size_t>(capacity) + 4, 0xA5);
      const std::int32_t used = Iso().Decode(text.c_str(), -1, out.data(), capacity);
      EXPECT_LE(used, static_cast<std::int32_t>(text.size()));
      for (std::size_t j = static_cast<std::size_t>(capacity); j < out.size(); ++j) EXPECT_EQ(out[j], 0xA5);
      const std::string raw = RawDecode(text);
      EXPECT_EQ(raw.substr(0, std::string(reinterpret_cast<const char*>(out.data())).size()),
                reinterpret_cast<const char*>(out.data()));
      std::fill(out.begin(), out.end(), 0xA5);
      Ansi().Decode(reinterpret_cast<const Byte*>(ansiText.c_str()), -1, out.data(), capacity);
      for (std::size_t j = static_cast<std::size_t>(capacity); j < out.size(); ++j) EXPECT_EQ(out[j], 0xA5);
    }
  }
}

// ---------------------------------------------------------------------------
// Round trips over real words

bool UnicodeConverterAvailable() { return ToBytes(u"\u0C15", "UNICODE", "LPXCODE") == Codes({122, 100}); }

// Why a word did not come back, by what its internal code holds.
std::string LossClass(const std::string& internal) {
  if (internal.find('\xFF') != std::string::npos) return "character without an internal byte";
  if (internal.find(char(45)) != std::string::npos) return "hyphen-minus (reads as the joiner)";
  if (internal.find(char(67)) != std::string::npos) return "rupee sign (reads as r + s)";
  return "other";
}

// Words whose romanisation does not give them back, counted by class. Only the
// classes named here are accepted; the Telugu words of the sample have none.
void CheckWordRoundTrip(const char* format) {
  if (!UnicodeConverterAvailable()) GTEST_SKIP() << "the Unicode converter is not available";
  const bool wide = std::string(format) == "ISO15919";
  std::map<std::string, std::vector<std::string>> losses;
  std::size_t words = 0;
  for (const std::string& word : test::WordSample()) {
    const std::u16string unicode = Utf8ToUtf16(word);
    const std::u16string reference = ToWide(unicode, "UNICODE", "UNICODE");
    const std::u16string back = wide ? ToWide(ToWide(unicode, "UNICODE", format), format, "UNICODE")
                                     : ToWide(ToBytes(unicode, "UNICODE", format), format, "UNICODE");
    ++words;
    if (back == unicode) continue;
    // A word that the Unicode converter alone does not give back is not the romanisation's loss.
    const std::string name = back == reference ? "not kept by the Unicode converter itself"
                                               : LossClass(ToBytes(unicode, "UNICODE", "LPXCODE"));
    losses[name].push_back(word);
  }
  std::printf("[   INFO   ] %s: %zu words, %zu classes of loss\n", format, words, losses.size());
  for (const auto& [name, list] : losses) {
    std::printf("[   INFO   ]   %s: %zu words, e.g. %s\n", name.c_str(), list.size(), list.front().c_str());
    EXPECT_NE(name, "other") << list.size() << " words, e.g. " << list.front();
  }
  EXPECT_EQ(words, 3000u);
}

TEST(Iso15919RoundTrip, UnicodeThroughIso15919) { CheckWordRoundTrip("ISO15919"); }
TEST(Iso15919RoundTrip, UnicodeThroughIso15919Ansi) { CheckWordRoundTrip("ISO15919_ANSI"); }

TEST(Iso15919RoundTrip, UnicodeExamples) {
  if (!UnicodeConverterAvailable()) GTEST_SKIP() << "the Unicode converter is not available";
  // U+0C15 KA, U+0C3E AA: kā, two units; U+0C15 U+0C4D U+0C37 KA VIRAMA SSA: kṣa
  const auto kaa = Convert(u"\u0C15\u0C3E", "UNICODE", "ISO15919");
  EXPECT_EQ(kaa.wide, u"k\u0101");
  EXPECT_EQ(kaa.result, 2);
  EXPECT_EQ(ToWide(u"\u0C15\u0C4D\u0C37", "UNICODE", "ISO15919"), u"k\u1E63a");
  EXPECT_EQ(ToWide(u"K\u1E62A", "ISO15919", "UNICODE"), u"\u0C15\u0C4D\u0C37");
  EXPECT_EQ(ToBytes(u"\u0C15\u0C3E", "UNICODE", "ISO15919_ANSI"), Codes({'k', 161}));
}

TEST(Iso15919RoundTrip, Utf8ThroughIso15919Utf8) {
  if (!UnicodeConverterAvailable()) GTEST_SKIP() << "the Unicode converter is not available";
  std::size_t changed = 0;
  for (const std::string& word : test::WordSample()) {
    const std::string reference = ToBytes(word, "UTF-8", "UTF-8");
    if (ToBytes(ToBytes(word, "UTF-8", "ISO15919_UTF_8"), "ISO15919_UTF_8", "UTF-8") != reference) ++changed;
  }
  EXPECT_EQ(changed, 0u);
}

}  // namespace
}  // namespace tirmok
