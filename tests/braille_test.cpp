// Tests of the Braille output: cells, number signs, quotes, options, whole words and long input.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <thread>
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

bool Has(std::string_view options, char option) { return options.find(option) != std::string_view::npos; }

// Sets the three options for one test and clears them again afterwards (the
// property store is shared by the whole process). `options` holds N for
// Nemeth, S for subscript, P for superscript.
class ScopedOptions {
 public:
  explicit ScopedOptions(std::string_view options) {
    Set(Has(options, 'N') ? "TRUE" : "", Has(options, 'S') ? "TRUE" : "", Has(options, 'P') ? "TRUE" : "");
  }
  ~ScopedOptions() { Set("", "", ""); }

 private:
  static void Set(const char* nemeth, const char* subscript, const char* superscript) {
    LpxSetProperty(LPX_KEY_NEMETH, nemeth);
    LpxSetProperty(LPX_KEY_SUBSCRIPT, subscript);
    LpxSetProperty(LPX_KEY_SUPERSCRIPT, superscript);
  }
};

std::string ToBraille(const std::string& code, std::int32_t capacity = -1) {
  return Convert(code, "LPXCODE", "BRAILLE", capacity).bytes;
}

const BrailleConverter& Converter() {
  static const BrailleConverter converter;
  return converter;
}

// Calls the converter itself, for input the normaliser would fold first.
std::string Direct(const std::string& code, const PropertyStore& properties = {},
                   std::int32_t capacity = 1 << 20) {
  std::vector<Byte> output(static_cast<std::size_t>(capacity) + 8, 0xA5);
  const std::int32_t length =
      Converter().Encode(properties, reinterpret_cast<const Byte*>(code.c_str()), output.data(), capacity);
  for (std::size_t i = static_cast<std::size_t>(capacity); i < output.size(); ++i)
    EXPECT_EQ(output[i], 0xA5) << "write past capacity " << capacity;
  EXPECT_EQ(output[static_cast<std::size_t>(length)], 0) << "not terminated at its length";
  return std::string(reinterpret_cast<const char*>(output.data()), static_cast<std::size_t>(length));
}

struct Case {
  const char* options;  // N Nemeth, S subscript, P superscript
  std::string code;
  std::string braille;
};

void ExpectAll(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    ScopedOptions options(c.options);
    EXPECT_EQ(ToBraille(c.code), c.braille) << "options '" << c.options << "', input " << Describe(c.code);
  }
}

void ExpectAllDirect(const std::vector<Case>& cases) {
  for (const Case& c : cases)
    EXPECT_EQ(Direct(c.code, BrailleOptions(c.options)), c.braille)
        << "options '" << c.options << "', input " << Describe(c.code);
}

TEST(Braille, Syllables) {
  ExpectAll({
      {"", Codes({122, 100}), "K"},                // ka
      {"", Codes({122}), "@K"},                    // bare k
      {"", Codes({122, 101}), "K>"},               // kaa
      {"", Codes({100}), "A"},                     // independent a
      {"", Codes({118}), "["},                     // independent au
      {"", Codes({122, 137, 100}), "@KT"},         // k + ta
      {"", Codes({122, 159, 100}), "Q"},           // ksa: the cluster has one cell
      {"", Codes({122, 159}), "@Q"},               // bare ks
      {"", Codes({129, 131, 100}), ":"},           // jnya
      {"", Codes({122, 100, 95, 100}), "KAA"},     // ka, non-joiner, a: the inherent a is written
      {"", Codes({122, 100, 94, 100}), "KAA"},     // ka, joiner, a
      {"", Codes({122, 100, 101}), "KA>"},         // ka before independent aa
      {"", Codes({122, 100, 102}), "KAI"},         // ka before independent i
      {"", Codes({122, 95, 100}), "@KA"},          // bare k, separator, independent a
      {"", Codes({150, 106}), "R\"R"},             // ra + vocalic r: dot 5, R
      {"", Codes({160, 116, 148, 113}), "SXME"},   // so + mee
      {"", Codes({127, 170, 100}), "\"C"},         // tsa: dot 5 and the cell of ca
      {"", Codes({127, 170}), "@\"C"},             // bare ts
      {"", Codes({129, 170, 102}), "ZI"},          // dzi
      {"", Codes({137, 100, 88}), "T;"},           // ta + anusvara
  });
}

// Bytes the normaliser folds away reach the converter only directly.
TEST(Braille, UnnormalisedCodes) {
  ExpectAllDirect({
      {"", Codes({200}), "#AJ"},                   // number sign ten
      {"", Codes({201}), "#AJJ"},                  // hundred
      {"", Codes({202}), "#AJJJ"},                 // thousand
      {"", Codes({200, 75}), "#AJ#A"},             // a number sign is not a digit: the next digit gets #
      {"", Codes({75, 200}), "#A#AJ"},
      {"", Codes({66}), "O@M"},                    // om sign
      {"", Codes({220, 100}), "@5A"},              // single-byte ya is a sign, not a consonant
      {"", Codes({108}), "L\"R"},                  // vocalic l
      {"", Codes({142, 100}), ";"},                // na with underbar
      {"", Codes({155, 100}), "("},                // lla with underbar
      {"", Codes({221, 100}), "R"},                // second ra
      {"", Codes({122, 170, 100}), "\"K"},         // ka + nukta
      {"", Codes({123, 170, 100}), "X"},           // kha + nukta
      {"", Codes({135, 170, 101}), "\"]>"},        // ddha + nukta + aa
      {"", Codes({149, 170, 100}), "5"},           // ya + nukta
      {"", Codes({150, 170, 100}), "@RA"},         // ra has no nukta form: bare r, nukta dropped, a
      {"", Codes({122, 110}), "K"},                // 110 has no cell: k alone, 110 dropped
      {"", Codes({110}), ""},
      {"", Codes({143}), ""},                      // unassigned consonant value
      {"", Codes({225, 100}), "A"},                // wa has no cell
      {"", Codes({216}), ""},
  });
}

TEST(Braille, NumbersAndSigns) {
  ExpectAll({
      {"", Codes({75, 76, 77}), "#ABC"},               // 123
      {"", Codes({74}), "#J"},                         // 0
      {"", Codes({75, 46, 79}), "#A.E"},               // 1.5: full stop inside a number
      {"", Codes({75, 47, 76}), "#A/B"},               // 1/2: solidus inside a number
      {"", Codes({75, 46}), "#A4"},                    // full stop after a number
      {"", Codes({75, 47}), "#A_/"},
      {"", Codes({46, 75}), "4#A"},
      {"", Codes({75, 46, 46, 46, 76}), "#A'''B"},     // three full stops are one sign
      {"", Codes({75, 122, 100, 46, 76}), "#AK.B"},    // a letter does not end the number
      {"", Codes({75, 122, 100, 76}), "#AKB"},
      {"", Codes({143, 75, 143, 76}), "#AB"},          // nor does a byte without a cell
      {"", Codes({75, 44, 76, 76, 76}), "#A1BBB"},     // signs that keep the number sign
      {"", Codes({75, 39, 76}), "#A0'B"},
      {"", Codes({75, 42, 76}), "#A@*B"},
      {"", Codes({75, 43, 76}), "#A+B"},
      {"", Codes({75, 48, 76}), "#A3B"},
      {"", Codes({75, 56, 76}), "#A_*B"},
      {"", Codes({75, 45, 76}), "#A-B"},
      {"", Codes({75, 33, 76}), "#A6#B"},              // signs that end it
      {"", Codes({75, 49, 76}), "#A2#B"},
      {"", Codes({75, 88, 76}), "#A;#B"},              // anusvara
      {"", Codes({75, 58, 76}), "#A#B"},               // circumflex writes nothing yet ends it
      {"", Codes({75, 1, 76}), "#A\x01" "B"},          // a control byte does not
      {"", Codes({75, 45, 45, 76}), "#A--#B"},         // two hyphens in a row end it
      {"", Codes({75, 45, 122, 100, 45, 76}), "#A-K-#B"},  // a letter between them does not part them
      {"", Codes({75, 45, 46, 45, 76}), "#A-4-B"},     // another sign does
      {"", Codes({76, 32, 77}), "#B #C"},              // a new word, a new number
      {"", Codes({60}), ",8"},                         // left single quotation mark
      {"", Codes({60, 60}), "8"},                      // left double quotation mark
      {"", Codes({39}), "0'"},                         // apostrophe
      {"", Codes({39, 39}), "0"},                      // right double quotation mark
      {"", Codes({67, 87, 89, 65}), ",RS',1"},         // rupee, candrabindu, visarga, avagraha
      {"", Codes({58, 64, 94, 95}), ""},               // written as nothing
  });
}

TEST(Braille, OptionCombinations) {
  ExpectAll({
      {"N", Codes({75, 76, 77}), "#123"},
      {"S", Codes({75, 76, 77}), ";ABC"},
      {"P", Codes({75, 76, 77}), "^ABC"},
      {"NS", Codes({75, 76, 77}), ";123"},
      {"NP", Codes({75, 76, 77}), "^123"},
      {"SP", Codes({75, 76, 77}), ";ABC"},             // subscript wins
      {"NSP", Codes({75, 76, 77}), ";123"},
      {"S", Codes({76, 32, 77}), ";B ;C"},
      {"P", Codes({76, 32, 77}), "^B ^C"},
      {"N", Codes({76, 32, 77}), "#2 #3"},
      {"N", Codes({122, 100}), "K"},                   // Nemeth alone adds no indicator
      {"S", Codes({75, 45, 45, 76}), ";A--B"},         // no number sign at all
      {"S", "", ";"},                                  // the empty word keeps its indicator
      {"P", "", "^"},
      {"S", Codes({122, 100, 32}), ";K ;"},
      {"S", Codes({9}), ";\t;"},
      {"S", Codes({122, 100, 13, 10, 137, 100}), ";K\r;\n;T"},  // each whitespace byte ends a word
      {"S", Codes({122, 100, 11, 137, 100}), ";K\vT"},          // vertical tab does not
      {"N", Codes({58, 64}), "_<@:"},
      {"N", Codes({48}), "\"1"},                       // colon
      {"N", Codes({48, 48}), ";2"},
      {"N", Codes({50}), "\"K"},                       // less-than sign
      {"N", Codes({39}), "'"},
      {"N", Codes({39, 39}), "''"},
      {"N", Codes({35, 36, 37}), ".#@S@0"},
      {"N", Codes({33}), "6"},                         // no Nemeth cell: the literary one
      {"N", Codes({75, 46, 76}), "#1.2"},              // inside a number the number cells come first
      {"N", Codes({75, 47}), "#1/"},
      {"N", Codes({75, 48, 76}), "#1\"12"},            // colon keeps the number sign
      {"N", Codes({75, 37, 76}), "#1@0#2"},            // percent ends it
  });
}

TEST(Braille, PropertyValues) {
  struct Value {
    const char* value;
    bool on;
  };
  const Value values[] = {{"TRUE", true}, {"true", true}, {"tRuE", true},   {"", false},
                          {"1", false},   {"yes", false}, {"TRUE ", false}, {"TRUEX", false}};
  for (const Value& v : values) {
    LpxSetProperty(LPX_KEY_SUBSCRIPT, v.value);
    EXPECT_EQ(ToBraille(Codes({75})), v.on ? ";A" : "#A") << "value '" << v.value << "'";
  }
  LpxSetProperty(LPX_KEY_SUBSCRIPT, "");
  // Keys are case-sensitive.
  LpxSetProperty("lpx_key_nemeth", "TRUE");
  EXPECT_EQ(ToBraille(Codes({75})), "#A");
  LpxSetProperty("lpx_key_nemeth", "");
}

TEST(Braille, QuotesAcrossWords) {
  ExpectAll({
      {"", Codes({34, 122, 100, 34}), "8K0"},
      {"", Codes({34, 122, 100, 32, 137, 100, 34}), "8K T0"},  // the open quote lasts past the word
      {"", Codes({34, 32, 34, 32, 34}), "8 0 8"},
      {"", Codes({34, 34, 34}), "808"},
      {"", Codes({34}), "8"},                                  // every conversion starts closed
      {"", Codes({75, 34, 76}), "#A8#B"},                      // a quote ends the number
      {"N", Codes({34, 75, 34}), "8#10"},
  });
}

TEST(Braille, EscapesAndControls) {
  ExpectAll({
      {"", Codes({255, '0', '0', '4', '1'}), ""},                      // escaped Latin A is left out
      {"", Codes({122, 100, 255, '0', '0', '4', '1', 137, 100}), "KT"},
      {"", Codes({75, 255, '0', '0', '4', '1', 76}), "#AB"},           // and does not end a number
      {"", Codes({122, 100, 255, '0'}), "K"},                          // cut short by the end
      {"S", Codes({255, 32, 122, 100}), ";;K"},                        // cut short by its word's end
      {"", Codes({9, 122, 100, 10}), "\tK\n"},
      {"", Codes({1, 2, 3}), "\x01\x02\x03"},
      {"", std::string(40, '\x01'), std::string(40, '\x01')},          // runs longer than 31 lose nothing
  });
}

// ASCII digits reach the converter as escapes and are written as the digits
// they are, under every rule for digits. Input here is UTF-8.
TEST(Braille, AsciiDigits) {
  const std::vector<Case> cases = {
      {"", "2010", "#BJAJ"},                                  // digits alone
      {"", "0", "#J"},
      {"", "(ca. 1050-1350)", "74 #AJEJ-ACEJ7"},              // Latin letters are still left out
      {"", "2010 \u0C38\u0C02\u0C35\u0C24\u0C4D\u0C38\u0C30\u0C02", "#BJAJ S;V@TSR;"},
      {"", "\u0C2A\u0C47\u0C1C\u0C3F12\u0C32\u0C4B", "PEJI#ABLO"},  // pe ji 12 lo: inside a word
      {"", "\u0C151\u0C152", "K#AKB"},                      // ka 1 ka 2: a letter does not end the number
      {"", "1\u0C6A3", "#ADC"},                              // 1, Telugu four, 3: one number
      {"", "\u0C6755", "#AEE"},                              // Telugu one, 5, 5
      {"", "1.5 1. 3...4 1/2 1,000", "#A.E #A4 #C'''D #A/B #A1JJJ"},  // full stop, solidus, comma
      {"", "1-2--3", "#A-B--#C"},                             // two hyphens end the number
      {"", "1!2", "#A6#B"},                                   // another sign ends it
      {"", "A1B2", "#AB"},                                    // other escapes are left out, inside a number too
      {"", "\uFF11\u0661", ""},                             // other scripts' digits stay escapes, left out
      {"N", "12.5", "#12.5"},                                 // Nemeth digits
      {"N", "1,2", "#1,2"},
      {"S", "12 3", ";AB ;C"},                                // subscript: no number sign
      {"P", "12 3", "^AB ^C"},                                // superscript
      {"NS", "1-2", ";1-2"},
  };
  for (const Case& c : cases) {
    ScopedOptions options(c.options);
    EXPECT_EQ(Convert(c.code, "UTF-8", "BRAILLE").bytes, c.braille) << "options '" << c.options << "', input " << c.code;
  }
}

// The escape itself, as internal code: only a complete escape of 0030 to 0039 is a digit.
TEST(Braille, DigitEscapes) {
  ExpectAllDirect({
      {"", Escape("0031") + Escape("0039"), "#AI"},
      {"", Codes({75}) + Escape("0032") + Codes({77}), "#ABC"},
      {"", Codes({75, 46}) + Escape("0035"), "#A.E"},          // the full stop looks ahead to an escaped digit
      {"", Codes({75, 47}) + Escape("0032"), "#A/B"},
      {"", Escape("0033") + Codes({255, '0', '0', '3'}), "#C"},   // cut at the end of the input: left out
      {"", Codes({75, 255, '0', '0', '3', 32}) + Escape("0034"), "#A#D"},  // cut by its word's end, space and all
      {"", Codes({255, '0', '0', '3', 'A'}), ""},              // 003A is the colon of ASCII, not a digit
      {"", Codes({255, '0', '0', '2', '9'}), ""},
      {"", Codes({255, '0', '1', '3', '1'}), ""},
      {"", Codes({122}) + Escape("0031"), "@K#A"},             // bare k before a digit
      {"", Codes({122, 100}) + Escape("0031"), "K#A"},         // the inherent vowel is not written
      {"S", Escape("0031") + Codes({32}) + Escape("0032"), ";A ;B"},
  });
}

// Capacities that cut before, inside and after a number: whole words only,
// and the digits count as the cells they make.
TEST(Braille, CapacityAroundNumbers) {
  const std::string text = "\u0C15 12 \u0C2A";  // ka, 12, pa: "K #AB P"
  const struct {
    std::int32_t capacity;
    const char* braille;
  } cases[] = {{1, ""}, {2, ""}, {3, "K "}, {4, "K "}, {6, "K "}, {7, "K #AB "}, {8, "K #AB P"}};
  for (const auto& c : cases)
    EXPECT_EQ(Convert(text, "UTF-8", "BRAILLE", c.capacity).bytes, c.braille) << "capacity " << c.capacity;
}

TEST(Braille, OutputStopsAtWholeWords) {
  const std::string text = Codes({122, 100, 32, 137, 100});  // ka, space, ta
  EXPECT_EQ(ToBraille(text, 4), "K T");
  EXPECT_EQ(ToBraille(text, 3), "K ");
  EXPECT_EQ(ToBraille(text, 2), "");
  EXPECT_EQ(ToBraille(text, 1), "");
  {
    ScopedOptions options("S");
    EXPECT_EQ(ToBraille("", 1), "");
    EXPECT_EQ(ToBraille("", 2), ";");
  }
  Byte untouched[1] = {0xA5};
  EXPECT_EQ(Converter().Encode({}, reinterpret_cast<const Byte*>("\x7A\x64"), untouched, 0), 0);
  EXPECT_EQ(untouched[0], 0xA5);
  EXPECT_EQ(Converter().Encode({}, reinterpret_cast<const Byte*>("\x7A\x64"), nullptr, 10), 0);
  EXPECT_EQ(Converter().Encode({}, nullptr, untouched, 1), 0);
}

// The longest run of whole words of `full` that fits `capacity` with its
// terminator. Whitespace cells come only from the bytes that end words.
std::string CutAtWholeWord(const std::string& full, std::int32_t capacity, const std::string& delimiters) {
  std::size_t cut = full.size() + 1 <= static_cast<std::size_t>(capacity) ? full.size() : 0;
  for (std::size_t i = 0; i < full.size() && cut < full.size(); ++i)
    if (delimiters.find(full[i]) != std::string::npos && i + 2 <= static_cast<std::size_t>(capacity))
      cut = i + 1;
  return full.substr(0, cut);
}

// Random words at random capacities: the output is always the full output cut
// after the last whole word that fits, and nothing past the capacity changes.
TEST(Braille, RandomCapacitiesKeepWholeWords) {
  const std::vector<std::string> pieces = {
      Codes({122, 100}), Codes({137, 102}), Codes({122, 159, 100}), Codes({75, 46, 76}), Codes({34}),
      Codes({45}),       Codes({200}),      Codes({66}),            Codes({122}),       Codes({1, 2}),
      Escape("0037")};
  const std::string delimiters = Codes({32, 9, 10, 13});
  std::mt19937 random(20240611);
  for (int round = 0; round < 200; ++round) {
    std::string text;
    const int words = static_cast<int>(random() % 12);
    for (int w = 0; w < words; ++w) {
      for (int n = static_cast<int>(random() % 4); n > 0; --n) text += pieces[random() % pieces.size()];
      text += delimiters[random() % delimiters.size()];
    }
    for (int n = static_cast<int>(random() % 3); n > 0; --n) text += pieces[random() % pieces.size()];
    // The exports normalise first (200 becomes 75 74), so each path has its own full output.
    const std::string fullDirect = Direct(text);
    const std::string fullExported = ToBraille(text);
    for (int trial = 0; trial < 5; ++trial) {
      const auto capacity = static_cast<std::int32_t>(1 + random() % (fullDirect.size() + 2));
      EXPECT_EQ(Direct(text, {}, capacity), CutAtWholeWord(fullDirect, capacity, delimiters))
          << "capacity " << capacity << ", input " << Describe(text);
      EXPECT_EQ(ToBraille(text, capacity), CutAtWholeWord(fullExported, capacity, delimiters))
          << "capacity " << capacity << ", input " << Describe(text);
    }
  }
}

TEST(Braille, LongInputLosesNothing) {
  std::string longWord;
  for (int i = 0; i < 50000; ++i) longWord += Codes({122, 100});
  EXPECT_EQ(ToBraille(longWord), std::string(50000, 'K'));
  // The words after a long one are converted too.
  EXPECT_EQ(ToBraille(longWord.substr(0, 1200) + Codes({32, 137, 100})), std::string(600, 'K') + " T");
  // A long word that does not fit is left out whole.
  EXPECT_EQ(Direct(longWord, {}, 50001), std::string(50000, 'K'));
  EXPECT_EQ(Direct(longWord, {}, 50000), "");
  EXPECT_EQ(Direct(Codes({137, 100, 32}) + longWord, {}, 100), "T ");
  // One number sign for a long number.
  EXPECT_EQ(ToBraille(std::string(100000, '\x4B')), "#" + std::string(100000, 'A'));

  std::string words;
  for (int i = 0; i < 10000; ++i) words += Codes({122, 100, 32});
  std::string expected;
  for (int i = 0; i < 10000; ++i) expected += "K ";
  EXPECT_EQ(ToBraille(words), expected);
}

// Any input gives ASCII Braille cells (32 to 95) and the control bytes it held.
TEST(Braille, RandomInputGivesCellsOnly) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    std::string text;
    for (int n = static_cast<int>(random() % 40); n > 0; --n)
      text.push_back(static_cast<char>(1 + random() % 255));
    for (const char* options : {"", "N", "S"}) {
      for (unsigned char c : Direct(text, BrailleOptions(options)))
        EXPECT_TRUE(c >= 1 && c <= 95) << "byte " << int(c) << " from " << Describe(text);
    }
  }
}

// The converter keeps no state of its own, so one object serves many threads
// with different options at once.
TEST(Braille, ConcurrentCallsAgree) {
  const std::string text = Codes({34, 75, 45, 45, 76, 32, 122, 159, 100, 46, 75, 46, 76, 34});
  const char* optionSets[] = {"", "N", "S", "NP"};
  std::vector<std::string> expected;
  for (const char* options : optionSets) expected.push_back(Direct(text, BrailleOptions(options)));
  std::vector<std::thread> threads;
  std::vector<int> mismatches(4, 0);
  for (std::size_t t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      const PropertyStore properties = BrailleOptions(optionSets[t]);
      Byte output[256];
      for (int i = 0; i < 2000; ++i) {
        Converter().Encode(properties, reinterpret_cast<const Byte*>(text.c_str()), output, 256);
        if (expected[t] != reinterpret_cast<const char*>(output)) ++mismatches[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (std::size_t t = 0; t < 4; ++t) EXPECT_EQ(mismatches[t], 0) << optionSets[t];
}

}  // namespace
}  // namespace tirmok
