// Tests of the Unicode and UTF-8 converter: syllable rules, signs, escapes, folds, word round trips, hostile input.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/utf.h"
#include "support/test_support.h"
#include "unicode/unicode_converter.h"

namespace tirmok {
namespace {

using test::Codes;
using test::Convert;
using test::Describe;
using test::Escape;
using test::Wide;
using test::ToBytes;
using test::ToWide;

// Spellings the decoder reads as the one-unit vowel sign they stand for, so
// they come back in that form: ii, ee, ai and oo written with a length mark.
std::u16string FoldLengthMarks(std::u16string text) {
  const std::pair<std::u16string_view, char16_t> folds[] = {
      {u"\u0C3F\u0C55", 0x0C40}, {u"\u0C46\u0C55", 0x0C47}, {u"\u0C46\u0C56", 0x0C48}, {u"\u0C4A\u0C55", 0x0C4B}};
  for (const auto& [pair, single] : folds) {
    for (auto at = text.find(pair); at != std::u16string::npos; at = text.find(pair, at + 1)) {
      text.replace(at, pair.size(), 1, single);
    }
  }
  return text;
}

// Is `internal` well formed decoder output: escapes complete with upper-case digits,
// every other byte one the decoder can write?
bool IsDecoderOutput(std::string_view internal) {
  for (std::size_t i = 0; i < internal.size(); ++i) {
    const auto b = static_cast<unsigned char>(internal[i]);
    if (b == 255) {
      if (i + 4 >= internal.size()) return false;
      for (std::size_t k = 1; k <= 4; ++k) {
        const char c = internal[i + k];
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
      }
      i += 4;
      continue;
    }
    const bool known = (b >= 1 && b <= 65) || b == 67 || (b >= 74 && b <= 83) || (b >= 87 && b <= 89) ||
                       b == 94 || b == 95 || (b >= 100 && b <= 107) || (b >= 112 && b <= 114) ||
                       (b >= 116 && b <= 118) || (b >= 122 && b <= 141) || (b >= 144 && b <= 151) ||
                       b == 153 || b == 154 || (b >= 157 && b <= 161) || b == 170;
    if (!known) return false;
  }
  return true;
}

struct DecodeCase {
  std::u16string text;
  std::string internal;
};

TEST(UnicodeDecode, SyllablesSignsAndEscapes) {
  const DecodeCase cases[] = {
      // U+0C15 KA: the consonant carries its inherent vowel a
      {u"\u0C15", Codes({122, 100})},
      // KA, VIRAMA: bare consonant
      {u"\u0C15\u0C4D", Codes({122})},
      // KA, VOWEL SIGN I
      {u"\u0C15\u0C3F", Codes({122, 102})},
      // KA, VIRAMA, SSA: a cluster, the vowel after the last consonant
      {u"\u0C15\u0C4D\u0C37", Codes({122, 159, 100})},
      // KA, VIRAMA, LETTER A: the separator keeps the vowel independent
      {u"\u0C15\u0C4D\u0C05", Codes({122, 95, 100})},
      // KA, VIRAMA, VOWEL SIGN I (a sign after a virama): separator, then the lone sign escaped
      {u"\u0C15\u0C4D\u0C3F", Codes({122, 95}) + Escape("0C3F")},
      // KA, VIRAMA, LETTER VOCALIC L (independent vowel without a byte): separator, escape
      {u"\u0C15\u0C4D\u0C0C", Codes({122, 95}) + Escape("0C0C")},
      // KA, VIRAMA, ZWJ
      {u"\u0C15\u0C4D\u200D", Codes({122, 94})},
      // KA, VIRAMA, ZWNJ, LETTER A: the joiner is read as the separator
      {u"\u0C15\u0C4D\u200C\u0C05", Codes({122, 95, 100})},
      // KA, VOWEL SIGN E, AI LENGTH MARK: one vowel ai
      {u"\u0C15\u0C46\u0C56", Codes({122, 114})},
      // KA, VOWEL SIGN I, LENGTH MARK: one vowel ii
      {u"\u0C15\u0C3F\u0C55", Codes({122, 103})},
      // KA, unassigned U+0C45 in the vowel-sign range: bare consonant, then the escape
      {u"\u0C15\u0C45", Codes({122}) + Escape("0C45")},
      // TSA, DZA: consonants written with a nukta
      {u"\u0C58\u0C3E\u0C59", Codes({127, 170, 101, 129, 170, 100})},
      // KA, ANUSVARA; KA, VISARGA
      {u"\u0C15\u0C02\u0C15\u0C03", Codes({122, 100, 88, 122, 100, 89})},
      // LETTER A, LETTER VOCALIC RR, LETTER AU
      {u"\u0C05\u0C60\u0C14", Codes({100, 107, 118})},
      // VOWEL SIGN I alone; VIRAMA alone: escapes
      {u"\u0C3F", Escape("0C3F")},
      {u"\u0C4D", Escape("0C4D")},
      // LATIN SMALL LETTER A, DIGIT FIVE: no byte, escapes; TELUGU DIGIT FIVE: 79
      {u"a5\u0C6B", Escape("0061") + Escape("0035") + Codes({79})},
      // APOSTROPHE; two APOSTROPHEs; GRAVE ACCENT; the curly quotation marks
      {u"'", Codes({39})},
      {u"''", Codes({39, 39})},
      {u"`\u2018\u201C\u2019\u201D", Codes({60, 60, 60, 60, 39, 39, 39})},
      // SPACE, FULL STOP, RUPEE SIGN, AVAGRAHA
      {u" .\u20A8\u0C3D", Codes({32, 46, 67, 65})},
      // TAB, CR, LF pass through
      {u"\t\r\n", Codes({9, 13, 10})},
      // unpaired surrogates, U+FFFF, U+FFFD: escapes
      {Wide({0xD800, 0xDFFF, 0xFFFF, 0xFFFD}), Escape("D800") + Escape("DFFF") + Escape("FFFF") + Escape("FFFD")},
      // an empty string
      {u"", ""},
  };
  for (const DecodeCase& c : cases) {
    const auto out = Convert(c.text, "UNICODE", "LPXCODE");
    EXPECT_EQ(Describe(out.bytes), Describe(c.internal)) << "input " << Describe(c.text);
    EXPECT_EQ(out.result, static_cast<std::int32_t>(c.internal.size())) << "input " << Describe(c.text);
  }
}

TEST(UnicodeEncode, SyllablesSignsAndEscapes) {
  const DecodeCase cases[] = {
      // ka alone is bare: KA, VIRAMA
      {u"\u0C15\u0C4D", Codes({122})},
      // ka a: KA; a alone: LETTER A
      {u"\u0C15", Codes({122, 100})},
      {u"\u0C05", Codes({100})},
      // k, separator, a: KA, VIRAMA, ZWNJ, LETTER A
      {u"\u0C15\u0C4D\u200C\u0C05", Codes({122, 95, 100})},
      // k, ZWJ
      {u"\u0C15\u0C4D\u200D", Codes({122, 94})},
      // ii, ee, ai, oo after a consonant: the one-unit signs
      {u"\u0C15\u0C40\u0C15\u0C47\u0C15\u0C48\u0C15\u0C4B", Codes({122, 103, 122, 113, 122, 114, 122, 117})},
      // k ssa a: KA, VIRAMA, SSA
      {u"\u0C15\u0C4D\u0C37", Codes({122, 159, 100})},
      // ka, anusvara: KA, ANUSVARA; k, anusvara: the consonant stays bare
      {u"\u0C15\u0C02", Codes({122, 100, 88})},
      {u"\u0C15\u0C4D\u0C02", Codes({122, 88})},
      // tsa aa, dza i
      {u"\u0C58\u0C3E\u0C59\u0C3F", Codes({127, 170, 101, 129, 170, 102})},
      // 39 and 60 as curly marks; their pairs as double marks; three 39s as a pair and a single
      {u"\u2019\u2018\u201D\u201C\u201D\u2019", Codes({39, 60, 39, 39, 60, 60, 39, 39, 39})},
      // escapes: A; lower-case digits; 0000 writes nothing
      {u"A\u0C3F", Escape("0041") + Escape("0c3f")},
      {u"\u0C05", Escape("0000") + Codes({100})},
      // an escape cut short by the end of the string: the digits there are read
      {u"A", Escape("41")},
      // digits end at the first other character; the escape still covers five bytes
      {u"\u0004", Escape("4Z12")},
      {u"\u0C05", Escape("00zz") + Codes({100})},
      // an accent after a consonant: bare consonant, accent dropped
      {u"\u0C15\u0C4D\u0C05", Codes({122, 171, 100})},
      // unassigned 68 dropped
      {u"\u0C05", Codes({68, 100})},
      // TAB, CR, LF
      {u"\t\r\n", Codes({9, 13, 10})},
  };
  for (const DecodeCase& c : cases) {
    const auto out = Convert(c.internal, "LPXCODE", "UNICODE");
    EXPECT_EQ(Describe(out.wide), Describe(c.text)) << "input " << Describe(c.internal);
    EXPECT_EQ(out.result, static_cast<std::int32_t>(c.text.size())) << "input " << Describe(c.internal);
  }
}

// Internal code that the normaliser would fold first can only reach the encoder directly.
TEST(UnicodeEncode, StepsOnUnnormalisedCode) {
  struct Case {
    std::string internal;
    std::u16string text;  // of the first step
    std::int32_t consumed;
  };
  const Case cases[] = {
      // ka + nukta: the nukta only joins ca and ja, so ka is bare and the nukta is left
      {Codes({122, 170, 100}), u"\u0C15\u0C4D", 1},
      {Codes({170, 100}), u"", 1},
      // ca + nukta + aa: TSA, VOWEL SIGN AA in one step
      {Codes({127, 170, 101}), u"\u0C58\u0C3E", 3},
      // ka + vocalic l (a vowel without a sign): no virama, the vowel left for the next step
      {Codes({122, 108}), u"\u0C15", 1},
      {Codes({108}), u"", 1},
      // consonants without a Unicode form (second ra, wa, nna-variant) and om: dropped
      {Codes({221, 100}), u"", 1},
      {Codes({225}), u"", 1},
      {Codes({142, 100}), u"", 1},
      {Codes({66}), u"", 1},
      // 60 60 60: the longest key first
      {Codes({60, 60, 60}), u"\u201C", 2},
      // escapes consume five bytes, or up to the terminator when cut short
      {Escape("0000") + Codes({122}), u"", 5},
      {Escape("0C1"), u"\u00C1", 4},
      {Escape(""), u"", 1},
      // a run of 40 tabs: 31 in the first step
      {std::string(40, '\t'), std::u16string(31, u'\t'), 31},
      // a control run stops before any other byte
      {Codes({9, 10, 122}), u"\t\n", 2},
  };
  const UnicodeConverter converter;
  for (const Case& c : cases) {
    Piece<char16_t> piece;
    const auto consumed = converter.EncodeStep(reinterpret_cast<const Byte*>(c.internal.c_str()), piece);
    EXPECT_EQ(consumed, c.consumed) << "input " << Describe(c.internal);
    EXPECT_EQ(Describe(std::u16string(piece.View().begin(), piece.View().end())), Describe(c.text))
        << "input " << Describe(c.internal);
  }
  // The whole of ka + nukta + a: bare ka, then the independent vowel.
  char16_t out[8];
  const Byte kaNuktaA[] = {122, 170, 100, 0};
  EXPECT_EQ(converter.Encode(kaNuktaA, -1, out, 8), 3);
  EXPECT_EQ(Describe(std::u16string(out)), Describe(u"\u0C15\u0C4D\u0C05"));
}

TEST(UnicodeDecode, StepsConsume) {
  struct Case {
    std::u16string text;
    std::string internal;  // of the first step
    std::int32_t consumed;
  };
  const Case cases[] = {
      // KA, VIRAMA, LETTER A: the virama is consumed, the vowel after it is not
      {u"\u0C15\u0C4D\u0C05", Codes({122, 95}), 2},
      {u"\u0C15\u0C4D\u0C37", Codes({122}), 2},
      // KA, VOWEL SIGN I, LENGTH MARK: all three
      {u"\u0C15\u0C3F\u0C55", Codes({122, 103}), 3},
      // KA, unassigned vowel sign: only the consonant
      {u"\u0C15\u0C45", Codes({122}), 1},
      // curly double quotation mark
      {u"\u201C", Codes({60, 60}), 1},
      {std::u16string(40, u'\n'), std::string(31, '\n'), 31},
      {u"", "", 0},
  };
  const UnicodeConverter converter;
  for (const Case& c : cases) {
    Piece<Byte> piece;
    EXPECT_EQ(converter.DecodeStep(c.text.c_str(), piece), c.consumed) << "input " << Describe(c.text);
    EXPECT_EQ(Describe(std::string(piece.View().begin(), piece.View().end())), Describe(c.internal))
        << "input " << Describe(c.text);
  }
}

// What the converter changes on purpose: a text that is not written the
// converter's own way comes back in that way.
TEST(UnicodeRoundTrip, FoldedForms) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      // KA, VOWEL SIGN I + LENGTH MARK -> KA, VOWEL SIGN II
      {u"\u0C15\u0C3F\u0C55", u"\u0C15\u0C40"},
      // KA, VOWEL SIGN E + LENGTH MARK -> KA, VOWEL SIGN EE
      {u"\u0C15\u0C46\u0C55", u"\u0C15\u0C47"},
      // KA, VOWEL SIGN E + AI LENGTH MARK -> KA, VOWEL SIGN AI
      {u"\u0C15\u0C46\u0C56", u"\u0C15\u0C48"},
      // KA, VOWEL SIGN O + LENGTH MARK -> KA, VOWEL SIGN OO
      {u"\u0C15\u0C4A\u0C55", u"\u0C15\u0C4B"},
      // APOSTROPHE -> RIGHT SINGLE QUOTATION MARK; GRAVE ACCENT -> LEFT SINGLE QUOTATION MARK
      {u"'`", u"\u2019\u2018"},
      // two right single quotation marks -> RIGHT DOUBLE QUOTATION MARK
      {u"\u2019\u2019", u"\u201D"},
      // KA, VIRAMA, LETTER A -> the separator is written as ZWNJ
      {u"\u0C15\u0C4D\u0C05", u"\u0C15\u0C4D\u200C\u0C05"},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(Describe(ToWide(text, "UNICODE", "UNICODE")), Describe(expected)) << "input " << Describe(text);
    EXPECT_EQ(ToBytes(Utf16ToUtf8(text), "UTF-8", "UTF-8"), Utf16ToUtf8(expected)) << "input " << Describe(text);
  }
}

TEST(UnicodeRoundTrip, EveryWordOfTheSample) {
  ASSERT_GE(test::WordSample().size(), 1000u);
  for (const std::string& word : test::WordSample()) {
    const std::u16string text = Utf8ToUtf16(word);
    const std::u16string expected = FoldLengthMarks(text);
    EXPECT_EQ(ToWide(word, "UTF-8", "UNICODE"), expected) << word;
    const std::string internal = ToBytes(text, "UNICODE", "LPXCODE");
    // Every character of a real word has a byte of its own.
    EXPECT_EQ(internal.find('\xFF'), std::string::npos) << word;
    EXPECT_EQ(ToWide(internal, "LPXCODE", "UNICODE"), expected) << word;
    EXPECT_EQ(ToBytes(word, "UTF-8", "UTF-8"), Utf16ToUtf8(expected)) << word;
    EXPECT_EQ(ToBytes(internal, "LPXCODE", "UTF-8"), Utf16ToUtf8(expected)) << word;
  }
}

// Real words with ai written as e + length mark read as the one-unit sign.
TEST(UnicodeRoundTrip, SampleWordsWithLengthMarks) {
  int seen = 0;
  for (const std::string& word : test::WordSample()) {
    const std::u16string text = Utf8ToUtf16(word);
    if (text.find(u'\u0C48') == std::u16string::npos) continue;
    std::u16string decomposed;
    for (char16_t u : text) decomposed += u == 0x0C48 ? std::u16string(u"\u0C46\u0C56") : std::u16string(1, u);
    EXPECT_EQ(ToBytes(decomposed, "UNICODE", "LPXCODE"), ToBytes(text, "UNICODE", "LPXCODE")) << word;
    EXPECT_EQ(ToWide(decomposed, "UNICODE", "UNICODE"), text) << word;
    ++seen;
  }
  EXPECT_GT(seen, 10);
}

TEST(UnicodeCapacity, WholeStepsOnly) {
  struct Case {
    std::string internal;
    std::int32_t capacity;
    std::u16string text;
  };
  const Case cases[] = {
      // k is one step of two units (KA, VIRAMA)
      {Codes({122}), 1, u""},
      {Codes({122}), 2, u""},
      {Codes({122}), 3, u"\u0C15\u0C4D"},
      // ka ki: KA | KA, VOWEL SIGN I
      {Codes({122, 100, 122, 102}), 2, u"\u0C15"},
      {Codes({122, 100, 122, 102}), 3, u"\u0C15"},
      {Codes({122, 100, 122, 102}), 4, u"\u0C15\u0C15\u0C3F"},
  };
  for (const Case& c : cases) {
    const auto out = Convert(c.internal, "LPXCODE", "UNICODE", c.capacity);
    EXPECT_EQ(Describe(out.wide), Describe(c.text)) << Describe(c.internal) << " capacity " << c.capacity;
  }
  EXPECT_EQ(Convert(std::string(40, '\n'), "LPXCODE", "UNICODE", 32).result, 31);
  // ka in UTF-8 is three bytes.
  EXPECT_EQ(Convert(Codes({122, 100}), "LPXCODE", "UTF-8", 3).bytes, "");
  EXPECT_EQ(Convert(Codes({122, 100}), "LPXCODE", "UTF-8", 4).bytes, "\xE0\xB0\x95");
}

// The decoder's capacity is the caller's only when it is called directly (the
// hub decodes into its own buffer); so are the input length and a missing buffer.
TEST(UnicodeDirect, LengthAndCapacityArguments) {
  const UnicodeConverter converter;
  Byte out[48] = {1, 1, 1};
  // KA, VOWEL SIGN I, KA: the first step is two bytes.
  const std::u16string text = u"\u0C15\u0C3F\u0C15";
  EXPECT_EQ(converter.Decode(text.c_str(), -1, out, 2), 0);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(converter.Decode(text.c_str(), -1, out, 4), 2);
  EXPECT_EQ(Describe(reinterpret_cast<const char*>(out)), Describe(Codes({122, 102})));
  // Only the first two units; a length beyond the string means all of it.
  EXPECT_EQ(converter.Decode(text.c_str(), 2, out, 48), 2);
  EXPECT_EQ(Describe(reinterpret_cast<const char*>(out)), Describe(Codes({122, 102})));
  EXPECT_EQ(converter.Decode(text.c_str(), 99, out, 48), 3);
  EXPECT_EQ(Describe(reinterpret_cast<const char*>(out)), Describe(Codes({122, 102, 122, 100})));
  // 40 line feeds decode in steps of 31 and 9.
  const std::u16string feeds(40, u'\n');
  EXPECT_EQ(converter.Decode(feeds.c_str(), -1, out, 31), 0);
  EXPECT_EQ(converter.Decode(feeds.c_str(), -1, out, 40), 31);
  EXPECT_EQ(converter.Decode(feeds.c_str(), -1, out, 41), 40);
  // Nothing is written without a buffer or capacity.
  EXPECT_EQ(converter.Decode(text.c_str(), -1, nullptr, 16), 0);
  out[0] = 7;
  EXPECT_EQ(converter.Decode(text.c_str(), -1, out, 0), 0);
  EXPECT_EQ(out[0], 7);
  // Encoding returns the bytes consumed by the steps that fit.
  char16_t wide[4] = {7, 7, 7, 7};
  const Byte kaKi[] = {122, 100, 122, 102, 0};
  EXPECT_EQ(converter.Encode(kaKi, -1, wide, 3), 2);
  EXPECT_EQ(Describe(std::u16string(wide)), Describe(u"\u0C15"));
}

// Characters no table maps become escapes and come back as they were, in any
// number and order, including lone surrogates and noncharacters.
TEST(UnicodeHostile, UnmappedUnitsComeBackUnchanged) {
  std::mt19937 random(1591901);
  auto pick = [&]() -> char16_t {
    for (;;) {
      const auto u = static_cast<char16_t>(random() % 4 == 0 ? 1 + random() % 31 : random() % 0x10000);
      // Consonants combine with what follows; ASCII and single curly quotation
      // marks come back as curly or double marks.
      const bool consonant = (u >= 0x0C15 && u <= 0x0C39) || u == 0x0C58 || u == 0x0C59;
      const bool quote = u == u'\'' || u == u'`' || u == 0x2018 || u == 0x2019;
      if (u != 0 && !consonant && !quote) return u;
    }
  };
  for (int trial = 0; trial < 2000; ++trial) {
    std::u16string text;
    const int length = static_cast<int>(random() % 40);
    for (int i = 0; i < length; ++i) text += pick();
    // Include surrogates, noncharacters and signs without a consonant on purpose.
    if (trial % 3 == 0) text += Wide({0xDBFF, 0x0C3F, 0xFFFF, 0x0C4D, 0xDC00});
    const std::string internal = ToBytes(text, "UNICODE", "LPXCODE");
    EXPECT_TRUE(IsDecoderOutput(internal)) << Describe(text);
    EXPECT_EQ(Describe(ToWide(internal, "LPXCODE", "UNICODE")), Describe(text));
    EXPECT_EQ(Describe(ToWide(text, "UNICODE", "UNICODE")), Describe(text));
    EXPECT_EQ(ToBytes(text, "UNICODE", "UTF-8"), Utf16ToUtf8(text)) << Describe(text);
  }
}

TEST(UnicodeHostile, InvalidUtf8BecomesReplacementCharacters) {
  struct Case {
    std::string bytes;
    int replacements;  // U+FFFD written
    std::string rest;  // internal code after them
  };
  const Case cases[] = {
      // continuation bytes and 0xFF alone
      {"\x80", 1, ""},
      {"\xBF\xFF", 2, ""},
      // overlong slash (two and three bytes)
      {"\xC0\xAF", 2, ""},
      {"\xE0\x80\xAF", 3, ""},
      // a surrogate encoded in UTF-8
      {"\xED\xA0\x80", 3, ""},
      // above U+10FFFF
      {"\xF4\x90\x80\x80", 4, ""},
      // the start of KA cut short (one maximal subpart)
      {"\xE0\xB0", 1, ""},
  };
  for (const Case& c : cases) {
    std::string expected;
    for (int i = 0; i < c.replacements; ++i) expected += Escape("FFFD");
    EXPECT_EQ(Describe(ToBytes(c.bytes, "UTF-8", "LPXCODE")), Describe(expected)) << Describe(c.bytes);
    std::string marks;
    for (int i = 0; i < c.replacements; ++i) marks += "\xEF\xBF\xBD";
    EXPECT_EQ(Describe(ToBytes(c.bytes, "UTF-8", "UTF-8")), Describe(marks)) << Describe(c.bytes);
  }
  // KA followed by a truncated sequence: the syllable survives.
  EXPECT_EQ(Describe(ToBytes("\xE0\xB0\x95\xE0\xB0", "UTF-8", "LPXCODE")),
            Describe(Codes({122, 100}) + Escape("FFFD")));
  // A character beyond U+FFFF is two escapes that join up again on the way out.
  EXPECT_EQ(Describe(ToBytes("\xF0\x9F\x98\x80", "UTF-8", "LPXCODE")), Describe(Escape("D83D") + Escape("DE00")));
  EXPECT_EQ(ToBytes("\xF0\x9F\x98\x80", "UTF-8", "UTF-8"), "\xF0\x9F\x98\x80");
}

TEST(UnicodeHostile, RandomUtf8) {
  std::mt19937 random(919);
  for (int trial = 0; trial < 2000; ++trial) {
    std::string bytes;
    const int length = static_cast<int>(random() % 40);
    for (int i = 0; i < length; ++i) {
      // Anything but the lead bytes of Telugu (0xE0) and of the punctuation
      // block (0xE2), and the two ASCII quotation marks: none of that maps to
      // a table, so all of it comes back, ill-formed parts as U+FFFD.
      Byte b;
      do b = static_cast<Byte>(1 + random() % 255);
      while (b == 0xE0 || b == 0xE2 || b == '\'' || b == '`');
      bytes += static_cast<char>(b);
    }
    const std::string expected = Utf16ToUtf8(Utf8ToUtf16(bytes));
    EXPECT_EQ(Describe(ToBytes(bytes, "UTF-8", "UTF-8")), Describe(expected)) << Describe(bytes);
    const std::string internal = ToBytes(bytes, "UTF-8", "LPXCODE");
    EXPECT_TRUE(IsDecoderOutput(internal)) << Describe(bytes);
    EXPECT_EQ(ToBytes(internal, "LPXCODE", "UTF-8"), expected) << Describe(bytes);
  }
}

// Any text, any capacity: the output is a terminated run of whole steps, that
// is, a prefix of the full output, and nothing past the capacity changes (the
// helpers check the guard units).
TEST(UnicodeHostile, RandomTextAndCapacities) {
  std::mt19937 random(3141);
  const UnicodeConverter converter;
  const char16_t telugu[] = {0x0C15, 0x0C37, 0x0C58, 0x0C4D, 0x0C3F, 0x0C46, 0x0C55, 0x0C56, 0x0C05,
                             0x0C0C, 0x0C45, 0x0C02, 0x200C, 0x200D, 0x2019, u'\'', u'\t', 0xD800};
  for (int trial = 0; trial < 1500; ++trial) {
    std::u16string text;
    const int length = static_cast<int>(random() % 30);
    for (int i = 0; i < length; ++i) {
      text += random() % 5 == 0 ? static_cast<char16_t>(1 + random() % 0xFFFF)
                                : telugu[random() % std::size(telugu)];
    }
    const std::string internal = ToBytes(text, "UNICODE", "LPXCODE");
    EXPECT_TRUE(IsDecoderOutput(internal)) << Describe(text);
    const std::u16string back = ToWide(internal, "LPXCODE", "UNICODE");
    const std::string utf8 = ToBytes(internal, "LPXCODE", "UTF-8");
    EXPECT_EQ(utf8, Utf16ToUtf8(back));

    // The decoder's capacity is only the caller's when it is called directly.
    const auto capacity = static_cast<std::int32_t>(1 + random() % 40);
    std::vector<Byte> buffer(static_cast<std::size_t>(capacity) + 8, 0xA5);
    const auto consumed = converter.Decode(text.c_str(), -1, buffer.data(), capacity);
    const std::string decoded(reinterpret_cast<const char*>(buffer.data()));
    EXPECT_LT(decoded.size(), static_cast<std::size_t>(capacity));
    EXPECT_TRUE(std::all_of(buffer.begin() + capacity, buffer.end(), [](Byte b) { return b == 0xA5; }));
    EXPECT_EQ(internal.compare(0, decoded.size(), decoded), 0) << Describe(text);
    Byte whole[256];
    converter.Decode(text.c_str(), consumed, whole, 256);
    EXPECT_EQ(Describe(reinterpret_cast<const char*>(whole)), Describe(decoded)) << "stopped mid-step";
    const auto encoded = Convert(internal, "LPXCODE", "UNICODE", capacity);
    EXPECT_LT(encoded.result, capacity);
    EXPECT_EQ(back.compare(0, encoded.wide.size(), encoded.wide), 0) << Describe(internal);
    // In UTF-8: the UTF-8 form of the first units of the full text.
    const auto asUtf8 = Convert(internal, "LPXCODE", "UTF-8", capacity);
    EXPECT_LT(asUtf8.result, capacity);
    bool isPrefixForm = false;
    for (std::size_t k = 0; k <= back.size() && !isPrefixForm; ++k) {
      isPrefixForm = Utf16ToUtf8(back.substr(0, k)) == asUtf8.bytes;
    }
    EXPECT_TRUE(isPrefixForm) << Describe(internal) << " capacity " << capacity;
  }
}

}  // namespace
}  // namespace tirmok
