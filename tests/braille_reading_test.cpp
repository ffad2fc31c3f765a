// Tests of reading Braille back (each rule of the writer inverted, the readings chosen where cells agree, bad bytes) and of Unicode Braille cells.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "braille/braille_converter.h"
#include "support/braille_support.h"
#include "support/test_support.h"
#include "tirmok/tirmok.h"

namespace tirmok {
namespace {

using test::BrailleOptions;
using test::Codes;
using test::Convert;
using test::Describe;
using test::Escape;
using test::WordSample;

struct Case {
  const char* options;  // N Nemeth, S subscript, P superscript
  std::string braille;
  std::string code;  // internal code read back
};

const BrailleConverter& Converter() {
  static const BrailleConverter converter;
  return converter;
}

std::string Read(const std::string& braille, const PropertyStore& properties = {}, std::int32_t capacity = 1 << 16) {
  std::vector<Byte> output(static_cast<std::size_t>(capacity) + 8, 0xA5);
  Converter().Decode(properties, reinterpret_cast<const Byte*>(braille.c_str()), -1, output.data(), capacity);
  for (std::size_t i = static_cast<std::size_t>(capacity); i < output.size(); ++i)
    EXPECT_EQ(output[i], 0xA5) << "write past capacity " << capacity;
  return reinterpret_cast<const char*>(output.data());
}

void ExpectAll(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    const PropertyStore properties = BrailleOptions(c.options);
    EXPECT_EQ(Describe(Read(c.braille, properties)), Describe(c.code))
        << "options '" << c.options << "', cells " << c.braille;
    // The writer gives the cells back (the cases are readings of what it writes).
    std::vector<Byte> cells(c.braille.size() * 4 + 64);
    Converter().Encode(properties, reinterpret_cast<const Byte*>(c.code.c_str()), cells.data(),
                       static_cast<std::int32_t>(cells.size()));
    EXPECT_EQ(reinterpret_cast<const char*>(cells.data()), c.braille) << "written back from " << Describe(c.code);
  }
}

// Consonants with and without vowel, vowel signs and independent vowels.
TEST(BrailleReading, Syllables) {
  ExpectAll({
      {"", "K", Codes({122, 100})},                   // ka: the inherent vowel
      {"", "@K", Codes({122})},                       // k without vowel
      {"", "K>", Codes({122, 101})},                  // kaa
      {"", "A", Codes({100})},                        // independent a
      {"", "[", Codes({118})},                        // independent au
      {"", "@KT", Codes({122, 137, 100})},            // k + ta
      {"", "Q", Codes({122, 159, 100})},              // ksa: one cell for the cluster
      {"", "@Q", Codes({122, 159})},
      {"", ":", Codes({129, 131, 100})},              // jnya
      {"", "KAA", Codes({122, 100, 100})},            // ka written out before an independent a
      {"", "KA>", Codes({122, 100, 101})},
      {"", "@KA", Codes({122, 95, 100})},             // k without vowel, then independent a: the separator
      {"", "R\"R", Codes({150, 106})},                // ra + vocalic r
      {"", "SXME", Codes({160, 116, 148, 113})},      // so + mee
      {"", "\"C", Codes({127, 170, 100})},            // tsa
      {"", "ZI", Codes({129, 170, 102})},             // dzi
      {"", "T;", Codes({137, 100, 88})},              // ta + anusvara
      {"", "DU,.KRM/N", Codes({139, 104, 89, 123, 100, 122, 100, 150, 100, 148, 114, 141, 100})},  // duhkhakaramaina
      {"", "P>#I", Codes({144, 101, 136, 102})},      // paani: nna after a letter, not a number
      {"", "@R#I", Codes({150, 136, 102})},
      {"", "6IKE&@N", Codes({145, 102, 122, 113, 159, 100, 141})},  // phi: a letter follows the cell of "!"
  });
}

// The number sign, the digit cells, the signs inside numbers and what ends a number.
TEST(BrailleReading, Numbers) {
  ExpectAll({
      {"", "#ABC", Codes({75, 76, 77})},
      {"", "#J", Codes({74})},
      {"", "#A.E", Codes({75, 46, 79})},              // full stop between digits
      {"", "#A/B", Codes({75, 47, 76})},              // solidus between digits
      {"", "#A4", Codes({75, 46})},                   // full stop after a number
      {"", "4#A", Codes({46, 75})},
      {"", "#A'''B", Codes({75, 46, 46, 46, 76})},
      {"", "#A1BBB", Codes({75, 44, 76, 76, 76})},    // comma keeps the number
      {"", "#A-B", Codes({75, 45, 76})},
      {"", "#A--#B", Codes({75, 45, 45, 76})},        // two hyphens end it
      {"", "#A6#B", Codes({75, 33, 76})},             // so does an exclamation mark
      {"", "#A+B", Codes({75, 43, 76})},              // plus between digits is not nga
      {"", "#B #C", Codes({76, 32, 77})},
      {"", "#BJAJLO", Codes({76, 74, 75, 74, 153, 117})},     // 2010lO: a suffix after a number
      {"", "#AG>", Codes({75, 124, 101})},            // 1gaa: a consonant with its vowel sign
      {"", "#AG;", Codes({75, 124, 100, 88})},        // 1gam
      {"", "#AG", Codes({75, 81})},                   // 17
      {"", "#AVDI", Codes({75, 157, 100, 139, 102})}, // 1vadi: after a letter, A to J are letters
      {"", "74 #AJEJ-ACEJ7", Codes({40, 46, 32, 75, 74, 79, 74, 45, 75, 77, 79, 74, 41})},
      {"N", "#123", Codes({75, 76, 77})},
      {"N", "#1.5", Codes({75, 46, 79})},
      {"N", "#1,2", Codes({75, 44, 76})},
      {"N", "#1\"12", Codes({75, 48, 76})},          // Nemeth colon
      {"N", "K #2", Codes({122, 100, 32, 76})},
  });
}

// The subscript and superscript indicators in front of every word.
TEST(BrailleReading, Indicators) {
  ExpectAll({
      {"S", ";BJAJ", Codes({76, 74, 75, 74})},        // digit cells that cannot be letters: a number
      {"P", "^BJAJ ^AB", Codes({76, 74, 75, 74, 32, 100, 146, 100})},  // a-ba: letters win
      {"S", ";CE", Codes({127, 113})},                // cee, not 35
      {"S", ";F", Codes({80})},                       // F is no letter
      {"S", ";K ;T", Codes({122, 100, 32, 137, 100})},
      {"S", ";", ""},
      {"S", ";K ;", Codes({122, 100, 32})},
      {"SP", ";A-B", Codes({75, 45, 76})},            // subscript wins
      {"NS", ";12", Codes({75, 76})},                 // Nemeth digits 1 and 2 are no letters
      {"S", ";K\r;\n;T", Codes({122, 100, 13, 10, 137, 100})},
  });
}

// Opening and closing quotes, across words; the question mark and parentheses that share their cells.
TEST(BrailleReading, QuotesAndParentheses) {
  ExpectAll({
      {"", "8K0", Codes({34, 122, 100, 34})},
      {"", "8K T0", Codes({34, 122, 100, 32, 137, 100, 34})},  // the quotation lasts past the word
      {"", "8K0NU", Codes({34, 122, 100, 34, 141, 104})},      // a suffix after the closing quote
      {"", "0>", Codes({130, 101})},                           // no quotation open: jhaa
      {"", "K8", Codes({122, 100, 53})},                       // question mark after a word
      {"", "K 8", Codes({122, 100, 32, 53})},
      {"", "#A8#B", Codes({75, 53, 76})},                      // 1?2, the same cells as 1"2
      {"", "0'K", Codes({39, 122, 100})},                      // apostrophe
      {"", ",8K", Codes({60, 122, 100})},                      // left single quotation mark
      {"", "7K7", Codes({40, 122, 100, 41})},
      {"", "K7T7", Codes({122, 100, 40, 137, 100, 41})},       // opened inside a word
      {"", "77", Codes({40, 41})},
      {"", "#A7", Codes({75, 41})},
      {"", ",7K7'", Codes({55, 122, 100, 57})},                // square brackets
  });
}

// Signs, including those whose cells are also letters.
TEST(BrailleReading, Signs) {
  ExpectAll({
      {"", "K6", Codes({122, 100, 33})},              // exclamation mark: no letter follows
      {"", "K3", Codes({122, 100, 48})},              // colon
      {"", "@*", Codes({42})},                        // asterisk standing alone
      {"", "@*K", Codes({128, 122, 100})},            // cha without vowel before a consonant
      {"", "K@*", Codes({122, 100, 128})},            // after a letter
      {"", "@#", Codes({35})},
      {"", "@&", Codes({38})},
      {"", "@4", Codes({36})},                        // dollar sign
      {"", "3P", Codes({37})},                        // percent sign
      {"", "_/", Codes({47})},                        // solidus outside a number
      {"", "K_/T", Codes({122, 100, 47, 137, 100})},
      {"", ".K", Codes({51})},                        // equals sign standing alone
      {"", "K.", Codes({122, 100, 123, 100})},        // kha ends a word
      {"", "7.7", Codes({40, 59, 41})},               // low line with no letter next to it
      {"", ",RS", Codes({67})},                       // rupee sign
      {"", "K;2", Codes({122, 100, 88, 49})},         // anusvara, semicolon
      {"", "K;8", Codes({122, 100, 88, 53})},         // anusvara and question mark, not "<"
      {"", "K'", Codes({122, 100, 87})},              // candrabindu
      {"", "K'''", Codes({122, 100, 46, 46, 46})},    // three full stops
      {"", "K,", Codes({122, 100, 89})},              // visarga
      {"N", "#1@0", Codes({75, 37})},                 // Nemeth percent sign
      {"N", "K,", Codes({122, 100, 89})},             // visarga, not the Nemeth comma
  });
}

// Bytes with no reading become escapes; whitespace and control bytes pass through.
TEST(BrailleReading, InvalidBytesAndControls) {
  ExpectAll({
      {"", "\tK\n", Codes({9, 122, 100, 10})},
      {"", "\x01\x02K", Codes({1, 2, 122, 100})},
  });
  const struct {
    std::string braille;
    std::string code;
  } cases[] = {
      {"k", Escape("006B")},                                   // lower case is not written
      {"K\x80T", Codes({122, 100}) + Escape("0080") + Codes({137, 100})},
      {"\xFF", Escape("00FF")},
      {"\"", Escape("0022")},                                  // the dot-5 cell alone
      {"`{|}~", Escape("0060") + Escape("007B") + Escape("007C") + Escape("007D") + Escape("007E")},
      {"#A\x01" "B", Codes({75, 1, 76})},                     // a control byte does not end a number
      {std::string(40, '\x01'), std::string(40, '\x01')},
  };
  for (const auto& c : cases) EXPECT_EQ(Describe(Read(c.braille)), Describe(c.code)) << Describe(c.braille);
}

// Capacities that cut inside a word keep whole steps and never write past the capacity.
TEST(BrailleReading, CapacitiesCutAtWholeSteps) {
  const std::string cells = "K>@RT #AB";  // kaa, r, ta, space, 12
  const std::string full = Read(cells);
  EXPECT_EQ(Describe(full), "122 101 150 137 100 32 75 76");
  const struct {
    std::int32_t capacity;
    std::int32_t length;
  } cases[] = {{1, 0}, {2, 0}, {3, 2}, {4, 3}, {5, 3}, {6, 5}, {7, 6}, {8, 7}, {9, 8}};
  for (const auto& c : cases)
    EXPECT_EQ(Describe(Read(cells, {}, c.capacity)), Describe(full.substr(0, c.length))) << c.capacity;
  EXPECT_EQ(Convert(cells, "BRAILLE", "UTF-8").bytes, "\u0C15\u0C3E\u0C30\u0C4D\u0C24 \u0C67\u0C68");
  EXPECT_EQ(Converter().Decode({}, nullptr, -1, nullptr, 10), 0);
}

// Every word of the real sample comes back from its cells unchanged, with each option.
TEST(BrailleReading, WordSampleRoundTrips) {
  for (const std::string& word : WordSample()) {
    const std::string code = Convert(word, "UTF-8", "LPXCODE").bytes;
    for (const char* options : {"", "N", "S", "P"}) {
      const PropertyStore properties = BrailleOptions(options);
      std::vector<Byte> cells(code.size() * 4 + 8);
      Converter().Encode(properties, reinterpret_cast<const Byte*>(code.c_str()), cells.data(),
                         static_cast<std::int32_t>(cells.size()));
      EXPECT_EQ(Read(reinterpret_cast<const char*>(cells.data()), properties), code)
          << word << " with options '" << options << "'";
    }
  }
}

// Any bytes are read without fault, and every escape written is whole.
TEST(BrailleReading, RandomBytesReadWithoutFault) {
  std::mt19937 random(22);
  for (int round = 0; round < 500; ++round) {
    std::string cells;
    for (int n = static_cast<int>(random() % 30); n > 0; --n) cells.push_back(static_cast<char>(1 + random() % 255));
    const std::string code = Read(cells);
    for (std::size_t i = 0; i < code.size(); ++i)
      if (static_cast<Byte>(code[i]) == 255) EXPECT_LE(i + 5, code.size()) << "escape cut short";
  }
}

// The standard correspondence of ASCII Braille characters and dot patterns:
// the character of pattern i (U+2800 + i, bit 0 dot 1 ... bit 5 dot 6).
constexpr std::string_view kAsciiByDots = " A1B'K2L@CIF/MSP\"E3H9O6R^DJG>NTQ,*5<-U8V.%[$+X!&;:4\\0Z7(_?W]#Y)=";

std::u16string AsPatterns(std::string_view cells) {
  std::u16string units;
  for (char c : cells) {
    const auto dots = kAsciiByDots.find(c);
    units.push_back(dots == std::string_view::npos ? static_cast<char16_t>(static_cast<unsigned char>(c))
                                                   : static_cast<char16_t>(0x2800 + dots));
  }
  return units;
}

TEST(BrailleUnicode, CellsAreTheirDotPatterns) {
  EXPECT_EQ(Convert("\u0C15\u0C43\u0C37\u0C4D\u0C23 12\t", "UTF-8", "BRAILLE_UNICODE").wide,
            u"\u2805\u2810\u2817\u2808\u282F\u283C\u2800\u283C\u2801\u2803\t");  // krsna 12, the tab kept
  // Any internal code: the Unicode form is the ASCII form pattern for pattern.
  std::mt19937 random(2800);
  for (int round = 0; round < 300; ++round) {
    std::string code;
    for (int n = static_cast<int>(random() % 30); n > 0; --n) code.push_back(static_cast<char>(1 + random() % 255));
    for (const char* options : {"", "N", "P"}) {
      const PropertyStore properties = BrailleOptions(options);
      Byte ascii[256];
      char16_t unicode[256];
      Converter().Encode(properties, reinterpret_cast<const Byte*>(code.c_str()), ascii, 256);
      Converter().EncodeUnicode(properties, reinterpret_cast<const Byte*>(code.c_str()), unicode, 256);
      EXPECT_EQ(std::u16string(unicode), AsPatterns(reinterpret_cast<const char*>(ascii))) << Describe(code);
    }
  }
  // Every pair of patterns reads as its two ASCII characters do.
  for (std::size_t a = 0; a < 64; ++a) {
    for (std::size_t b = 0; b < 64; ++b) {
      const std::string cells = {kAsciiByDots[a], kAsciiByDots[b]};
      EXPECT_EQ(Convert(AsPatterns(cells), "BRAILLE_UNICODE", "LPXCODE").bytes,
                Convert(cells, "BRAILLE", "LPXCODE").bytes)
          << cells;
    }
  }
}

// Between the two forms the cells are carried over pattern for pattern, not read: exactly, for every cell.
TEST(BrailleUnicode, FormsConvertIntoEachOtherCellForCell) {
  // ".A@N" has no reading the writer gives back ("_" before an independent a), "0'0'" two apostrophes.
  const std::string cells = ".TO.A@N 0'0' K\x80k#\t";
  // "." is kha's cell, dots 4 6.
  const std::u16string expected = u"\u2828\u281E\u2815\u2828\u2801\u2808\u281D\u2800\u2834\u2804\u2834\u2804"
                                  u"\u2800\u2805\u0080k\u283C\t";
  EXPECT_EQ(Convert(cells, "BRAILLE", "BRAILLE_UNICODE").wide, expected);
  // Back, what is no cell is left out: ASCII Braille holds cells, spaces and control characters only.
  EXPECT_EQ(Convert(expected + u"\u0C15", "BRAILLE_UNICODE", "BRAILLE").bytes, ".TO.A@N 0'0' K#\t");
  const auto cut = Convert(cells, "BRAILLE", "BRAILLE_UNICODE", 4);
  EXPECT_EQ(cut.wide, expected.substr(0, 3));
  EXPECT_EQ(cut.result, 3);
}

// Units that are no pattern become escapes; spaces and control characters are read as they stand.
TEST(BrailleUnicode, OtherUnitsAndWhitespace) {
  const struct {
    std::u16string cells;
    std::string code;
  } cases[] = {
      {u"\u2805 \u281E\n", Codes({122, 100, 32, 137, 100, 10})},
      {u"\u2805\u2800\u281E", Codes({122, 100, 32, 137, 100})},
      {u"\u2805A\u2840\u0C15", Codes({122, 100}) + Escape("0041") + Escape("2840") + Escape("0C15")},
      {u"\u283C\u2801\x01\u2803", Codes({75, 1, 76})},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Describe(Convert(c.cells, "BRAILLE_UNICODE", "LPXCODE").bytes), Describe(c.code));
  // The work buffer of the Unicode reading takes whole units only.
  Byte work[8] = {0, 0, 0, 0, 0, 0, 0, 0xA5};
  Byte output[64];
  EXPECT_EQ(Converter().DecodeUnicode({}, u"\u2801\u2801A", -1, work, 7, output, 64), 2);  // the escape needs 5
  EXPECT_EQ(Describe(reinterpret_cast<const char*>(output)), "100 100");
  EXPECT_EQ(work[7], 0xA5);
  EXPECT_EQ(Converter().DecodeUnicode({}, u"\u2801", -1, nullptr, 8, output, 64), 0);
}

// The two cell forms of real words agree in length at every capacity (whole words alike), and read back alike.
TEST(BrailleUnicode, AgreesWithAsciiBraille) {
  int words = 0;
  for (const std::string& word : WordSample()) {
    if (++words > 400) break;
    const std::string code = Convert(word + " " + word, "UTF-8", "LPXCODE").bytes;
    for (const char* options : {"", "N", "S"}) {
      const PropertyStore properties = BrailleOptions(options);
      std::vector<Byte> ascii(code.size() * 4 + 8);
      std::vector<char16_t> unicode(code.size() * 4 + 8);
      const auto ascii_length = Converter().Encode(properties, reinterpret_cast<const Byte*>(code.c_str()),
                                                   ascii.data(), static_cast<std::int32_t>(ascii.size()));
      const auto unicode_length = Converter().EncodeUnicode(properties, reinterpret_cast<const Byte*>(code.c_str()),
                                                            unicode.data(), static_cast<std::int32_t>(unicode.size()));
      ASSERT_EQ(ascii_length, unicode_length) << word;
      std::vector<Byte> fromAscii(code.size() + 64), fromUnicode(code.size() + 64), work(unicode.size() * 5 + 8);
      Converter().Decode(properties, ascii.data(), -1, fromAscii.data(), static_cast<std::int32_t>(fromAscii.size()));
      Converter().DecodeUnicode(properties, unicode.data(), -1, work.data(), static_cast<std::int32_t>(work.size()),
                                fromUnicode.data(), static_cast<std::int32_t>(fromUnicode.size()));
      EXPECT_EQ(reinterpret_cast<const char*>(fromAscii.data()), code) << word << " '" << options << "'";
      EXPECT_EQ(reinterpret_cast<const char*>(fromUnicode.data()), code) << word << " '" << options << "'";
      // Both forms cut at the same whole word.
      for (std::int32_t capacity : {1, 2, ascii_length / 2 + 1, ascii_length}) {
        std::vector<Byte> a(static_cast<std::size_t>(capacity));
        std::vector<char16_t> u(static_cast<std::size_t>(capacity));
        EXPECT_EQ(Converter().Encode(properties, reinterpret_cast<const Byte*>(code.c_str()), a.data(), capacity),
                  Converter().EncodeUnicode(properties, reinterpret_cast<const Byte*>(code.c_str()), u.data(), capacity))
            << word << " capacity " << capacity;
      }
    }
  }
}

}  // namespace
}  // namespace tirmok
