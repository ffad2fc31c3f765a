// Tests of reading ASCII Braille back: each rule of the writer inverted, the readings chosen where cells agree, bad bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
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

}  // namespace
}  // namespace tirmok
