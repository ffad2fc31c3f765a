// Tests of the Latin transliteration ("TELTRANS"): decoding, encoding, separators, escapes and round trips.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/internal_code.h"
#include "core/utf.h"
#include "support/test_support.h"
#include "typing/transliteration_converter.h"
#include "typing/transliteration_tables.h"

namespace tirmok {
namespace {

using test::Codes;
using test::Convert;
using test::Describe;
using test::ToBytes;

std::string Decoded(std::string_view latin) { return ToBytes(latin, "TELTRANS", "LPXCODE"); }
std::string Encoded(std::string_view code) { return ToBytes(code, "LPXCODE", "TELTRANS"); }
// Latin text read and written again: the one spelling the encoder writes.
std::string Respelled(std::string_view latin) { return Encoded(Decoded(latin)); }

const TransliterationConverter& Converter() {
  static const TransliterationConverter converter;
  return converter;
}

std::string DirectEncode(const std::string& code) {
  std::vector<Byte> out(code.size() * 8 + 16);
  Converter().Encode(reinterpret_cast<const Byte*>(code.c_str()), -1, out.data(),
                     static_cast<std::int32_t>(out.size()));
  return reinterpret_cast<const char*>(out.data());
}

std::string DirectDecode(const std::string& latin) {
  std::vector<Byte> out(latin.size() * 8 + 16);
  Converter().Decode(reinterpret_cast<const Byte*>(latin.c_str()), -1, out.data(),
                     static_cast<std::int32_t>(out.size()));
  return reinterpret_cast<const char*>(out.data());
}

struct DecodeCase {
  std::string latin;
  std::string code;
};

TEST(TransliterationDecode, TokensAndLongestMatch) {
  const DecodeCase cases[] = {
      {"", ""},
      // s O m a v A r a M: sa oo ma a va aa ra a anusvara
      {"sOmavAraM", Codes({160, 117, 148, 100, 157, 101, 150, 100, 88})},
      // j a n a v a r i
      {"janavari", Codes({129, 100, 141, 100, 157, 100, 150, 102})},
      // kha in both spellings; longest key wins over "k"
      {"kh", Codes({123})},
      {"K", Codes({123})},
      {"kha", Codes({123, 100})},
      // dza in both spellings, tsa
      {"jx", Codes({129, 170})},
      {"z", Codes({129, 170})},
      {"cx", Codes({127, 170})},
      // second spellings of the long vowels and au; "ai" is one vowel
      {"ee", Codes({103})},
      {"aa", Codes({101})},
      {"oo", Codes({105})},
      {"ou", Codes({118})},
      {"ai", Codes({114})},
      {"aai", Codes({101, 102})},
      // vocalic r, vocalic rr, rra, rupee sign
      {"Ru", Codes({106})},
      {"RU", Codes({107})},
      {"rx", Codes({151})},
      {"Rs", Codes({67})},
      // ka + ha written with the guarding tilde; ha on its own as "~h"
      {"k~h", Codes({122, 161})},
      {"~h", Codes({161})},
      // sha, ssa, ca, cha, tta/ttha, ta/tha
      {"sh", Codes({158})},
      {"Sh", Codes({159})},
      {"ch", Codes({127})},
      {"Ch", Codes({128})},
      {"Th", Codes({133})},
      {"th", Codes({138})},
      // case matters: dda and da, ya in both cases, va as "w"
      {"D", Codes({134})},
      {"d", Codes({139})},
      {"Y", Codes({149})},
      {"w", Codes({157})},
      // nga and nya are consonant keys, found before the sign "~"
      {"~g", Codes({126})},
      {"~j", Codes({131})},
      // joiners: "^^" is the non-joiner, so "^^^" is non-joiner + joiner
      {"^", Codes({94})},
      {"^^", Codes({95})},
      {"^^^", Codes({95, 94})},
      {"a^^i", Codes({100, 95, 102})},
      // nasals and visarga
      {"~M", Codes({87})},
      {"M", Codes({88})},
      {"H", Codes({89})},
      // the tilde and the signs that begin with it
      {"~", Codes({64})},
      {"~~", Codes({64})},
      {"~~~", Codes({64, 64})},
      {"~#", Codes({35})},
      {"~$", Codes({36})},
      {"~&", Codes({38})},
      {"~^", Codes({58})},
      {"&", Codes({65})},
      // punctuation with awkward characters: quote, apostrophe, backslash, bar, semicolon
      {"\"'\\|;", Codes({34, 39, 56, 62, 49})},
      // accent marks in their odd order (V is 177, W is 176); "#" without ";" is 172
      {"@#$qQVW", Codes({171, 172, 173, 174, 175, 177, 176})},
      // ASCII digits are the Telugu digits
      {"0123456789", Codes({74, 75, 76, 77, 78, 79, 80, 81, 82, 83})},
      // letters without a key, lone R and x, and bytes from 128 up are dropped
      {"fFXZxR", ""},
      {"\xC3\xA9\x80\xFF", ""},
      {"Rx", ""},
      // control characters pass through
      {"\t\r\n", "\t\r\n"},
      {"k\ta", Codes({122, 9, 100})},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Describe(Decoded(c.latin)), Describe(c.code)) << "\"" << c.latin << "\"";
  }
}

TEST(TransliterationDecode, HashEscape) {
  const DecodeCase cases[] = {
      // U+0C15 by its code value
      {"#0C15;", "\xFF" "0C15"},
      // fewer digits and lower case are read, written back as four upper-case digits
      {"#c15;", "\xFF" "0C15"},
      {"#41;", "\xFF" "0041"},
      // a number reader's extras: blanks, a sign, a 0x prefix; only the low 16 bits count
      {"# 1;", "\xFF" "0001"},
      {"#+a;", "\xFF" "000A"},
      {"#-1;", "\xFF" "FFFF"},
      {"#0x1;", "\xFF" "0001"},
      // reading stops at the first non-digit; the rest up to ";" is consumed
      {"#1g;a", "\xFF" "0001" "\x64"},
      // a zero value, or no digits at all, yields nothing but still consumes through ";"
      {"#;", ""},
      {"#0;", ""},
      {"#0000;", ""},
      {"#ku;a", Codes({100})},
      {"#10000;", Codes({172, 75, 74, 74, 74, 74, 49})},  // ";" six characters on: accent 172
      {"#1000;", "\xFF" "1000"},                           // ";" five characters on: escape
      {"#abc", Codes({172, 100, 146, 127})},               // no ";" at all
      {"##0C15;", "\xAC\xFF" "0C15"},                      // accent 172, then an escape
      {"~#0C15;", Codes({35, 74, 128, 75, 79, 49})},       // "~#" is the number sign 35
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Describe(Decoded(c.latin)), Describe(c.code)) << "\"" << c.latin << "\"";
  }
}

struct EncodeCase {
  std::string code;
  std::string latin;
};

TEST(TransliterationEncode, PreferredForms) {
  const EncodeCase cases[] = {
      {"", ""},
      {Codes({160, 117, 148, 100, 157, 101, 150, 100, 88}), "sOmavAraM"},
      // the shorter form, or the one added first, is written
      {Codes({123}), "K"},           // kha, not "kh"
      {Codes({129, 170}), "z"},      // dza, not "jx"
      {Codes({127, 170}), "cx"},     // tsa, before ca alone
      {Codes({103}), "I"},           // ii, not "ee"
      {Codes({101}), "A"},           // aa
      {Codes({118}), "au"},          // au, not "ou"
      {Codes({149}), "y"},           // ya, not "Y"
      {Codes({157}), "v"},           // va, not "w"
      {Codes({161}), "h"},           // ha, not "~h"
      {Codes({145}), "P"},           // pha
      {Codes({64}), "~"},            // tilde, not "~~"
      {Codes({67}), "Rs"},           // rupee sign
      {Codes({87, 88, 89}), "~MMH"},
      {Codes({74, 83}), "09"},
      {Codes({171, 176, 177}), "@WV"},
      {Codes({9, 10, 13}), "\t\n\r"},
      // 54 (commercial at) and unassigned values have no form
      {Codes({54, 119, 143, 254}), ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Encoded(c.code), c.latin) << Describe(c.code);
  }
}

TEST(TransliterationEncode, Separators) {
  const EncodeCase cases[] = {
      // a + i, a + a, ai + o: adjacent vowels get "^^"
      {Codes({100, 102}), "a^^i"},
      {Codes({100, 100}), "a^^a"},
      {Codes({114, 116}), "ai^^o"},
      {Codes({122, 100, 104}), "ka^^u"},
      // a + non-joiner + i: no second separator
      {Codes({100, 95, 102}), "a^^i"},
      // a vowel before a consonant or a sign needs none
      {Codes({101, 161}), "Ah"},
      // ka, cha, sha before ha: "~" so that the ha is read as "~h"
      {Codes({122, 161}), "k~h"},
      {Codes({128, 161}), "C~h"},
      {Codes({158, 161}), "S~h"},
      // tsa and dza before ha: the rule looks at the pair's first byte and the byte after the pair
      {Codes({127, 170, 161}), "cx~h"},
      {Codes({129, 170, 161}), "z~h"},
      // kha, ssa, na, ha before ha: no merge, no tilde
      {Codes({123, 161}), "Kh"},
      {Codes({159, 161}), "Shh"},
      {Codes({141, 161}), "nh"},
      {Codes({161, 161}), "hh"},
      // the tilde before a form that would merge with it: number sign, tilde, avagraha,
      // non-joiner, ga, ha, accent 172, an escape
      {Codes({64, 35}), "~~~#"},
      {Codes({64, 64}), "~~~"},
      {Codes({64, 65}), "~~&"},
      {Codes({64, 95}), "~~^^"},
      {Codes({64, 124}), "~~g"},
      {Codes({64, 161}), "~~h"},
      {Codes({64, 172}), "~~#"},
      {Codes({64, 255, '0', 'C', '1', '5'}), "~~#0C15;"},
      // the tilde before anything else stays single
      {Codes({64, 100}), "~a"},
      {Codes({64, 122}), "~k"},
      {Codes({64, 32}), "~ "},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Encoded(c.code), c.latin) << Describe(c.code);
  }
}

TEST(TransliterationEncode, Escapes) {
  const EncodeCase cases[] = {
      {Codes({255, '0', 'C', '1', '5'}), "#0C15;"},
      {Codes({255, '0', '0', 'a', '1'}), "#00A1;"},  // lower-case digits are read
      {Codes({255, '0', '0', '0', '0'}), ""},        // zero: nothing
      {Codes({255, '0', '0', '0', '0', 100}), "a"},  // ... and five bytes consumed
      {Codes({255, 'G', '1', '2', '3', 100}), "a"},  // no digit read: zero
      {Codes({255, '1', 'G', '2', '3', 100}), "#0001;a"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Encoded(c.code), c.latin) << Describe(c.code);
  }
}

// Rules the normaliser in front of the encoder hides from the exports.
TEST(TransliterationEncode, DirectCodesWithoutForm) {
  const EncodeCase cases[] = {
      // om, vocalic l and ll, the vowel variants, n with macron below, l with line below,
      // a lone nukta, the e variant, y with dot, the accent-free range above 177
      {Codes({66, 108, 109, 110, 111, 115, 142, 155, 170, 190, 220, 178, 216, 254}), ""},
      // ka with a nukta other than tsa/dza: the nukta is dropped
      {Codes({122, 170, 100}), "ka"},
      // second ra and wa are consonants by class but have no Latin form
      {Codes({221, 225}), ""},
      // vocalic l is a vowel by class, so the a before it gets the separator
      {Codes({100, 108}), "a^^"},
      // an escape cut short by the end of the code is read as far as it goes
      {Codes({255, 'A'}), "#000A;"},
      {Codes({255}), ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DirectEncode(c.code), c.latin) << Describe(c.code);
  }
  // The cut-short escape consumes only up to the terminator.
  const Byte cut[] = {255, 'A', 0};
  Byte out[16];
  EXPECT_EQ(Converter().Encode(cut, -1, out, sizeof out), 2);
}

// A conversion writes whole steps only: a separator or escape is never split
// from the form it belongs to.
TEST(TransliterationEncode, CapacityTakesWholeSteps) {
  struct Row {
    std::string code;
    std::int32_t capacity;
    std::string latin;
  };
  const Row rows[] = {
      {Codes({122, 161}), 1, ""},
      {Codes({122, 161}), 2, ""},  // "k~" is one step
      {Codes({122, 161}), 3, "k~"},
      {Codes({122, 161}), 4, "k~h"},
      {Codes({100, 102}), 3, ""},  // "a^^" is one step
      {Codes({100, 102}), 4, "a^^"},
      {Codes({255, '0', 'C', '1', '5', 100}), 6, ""},
      {Codes({255, '0', 'C', '1', '5', 100}), 7, "#0C15;"},
      {Codes({255, '0', 'C', '1', '5', 100}), 8, "#0C15;a"},
  };
  for (const auto& r : rows) {
    const auto out = Convert(r.code, "LPXCODE", "TELTRANS", r.capacity);
    EXPECT_EQ(out.bytes, r.latin) << Describe(r.code) << " capacity " << r.capacity;
    EXPECT_EQ(out.result, static_cast<std::int32_t>(r.latin.size()));
  }
}

TEST(TransliterationDecode, ControlRunsAreCopiedInStepsOf31) {
  const std::string tabs(40, '\t');
  EXPECT_EQ(Decoded(tabs), tabs);
  EXPECT_EQ(Encoded(tabs), tabs);
  Byte out[64];
  const auto* in = reinterpret_cast<const Byte*>(tabs.c_str());
  // The first step is a run of 31: it needs 32 bytes with the terminator.
  EXPECT_EQ(Converter().Decode(in, -1, out, 31), 0);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(Converter().Decode(in, -1, out, 32), 31);
  EXPECT_EQ(Converter().Encode(in, -1, out, 32), 31);
  EXPECT_EQ(Converter().Decode(in, -1, out, 41), 40);
}

TEST(TransliterationRoundTrip, RespellingGivesTheEncodersForm) {
  const DecodeCase cases[] = {
      {"kh", "K"},
      {"jx", "z"},
      {"ee", "I"},
      {"khaaee", "KA^^I"},
      {"phebruvari", "Pebruvari"},
      {"#c15;", "#0C15;"},
      {"#0C15;", "#0C15;"},
      {"~~", "~"},
      {"~~#", "~~#"},
      {"k~h", "k~h"},
      {"S~h", "S~h"},
      {"#;", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Respelled(c.latin), c.code) << "\"" << c.latin << "\"";
  }
}

// Where neighbouring forms run together and no separator guards them, the
// code read back differs; except for the tilde before candrabindu and the
// accent 172 before a semicolon, the Latin text is then already stable.
TEST(TransliterationRoundTrip, KnownMerges) {
  struct Row {
    std::string code;
    std::string latin;
    std::string readBack;
    std::string respelled;
  };
  const Row rows[] = {
      // adjacent vowels a, i: the separator comes back as a non-joiner
      {Codes({100, 102}), "a^^i", Codes({100, 95, 102}), "a^^i"},
      // joiner before joiner: read as one non-joiner
      {Codes({94, 94}), "^^", Codes({95}), "^^"},
      // joiner before non-joiner: read as non-joiner, joiner
      {Codes({94, 95}), "^^^", Codes({95, 94}), "^^^"},
      // tilde before candrabindu: read as tilde, anusvara
      {Codes({64, 87}), "~~M", Codes({64, 88}), "~M"},
      // tilde before anusvara: read as candrabindu
      {Codes({64, 88}), "~M", Codes({87}), "~M"},
      // accent 172 then a semicolon: read as an escape of value zero, i.e. nothing
      {Codes({172, 49}), "#;", "", ""},
      // accent 172, a, semicolon: read as an escape of the value 0xA
      {Codes({172, 100, 49}), "#a;", "\xFF" "000A", "#000A;"},
      // accent 172, ka, u, semicolon: no digits, so nothing
      {Codes({172, 122, 104, 49}), "#ku;", "", ""},
      // accent 172 with the semicolon six characters on stays an accent
      {Codes({172, 122, 100, 122, 100, 122, 49}), "#kakak;", Codes({172, 122, 100, 122, 100, 122, 49}),
       "#kakak;"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(Encoded(r.code), r.latin) << Describe(r.code);
    EXPECT_EQ(Describe(Decoded(r.latin)), Describe(r.readBack)) << r.latin;
    EXPECT_EQ(Respelled(r.latin), r.respelled) << r.latin;
  }
}

// Every single-byte code that has a Latin form.
std::vector<Byte> CodesWithForm() {
  std::vector<Byte> codes;
  for (int b = 1; b < 255; ++b) {
    if (!DirectEncode(std::string(1, static_cast<char>(b))).empty()) codes.push_back(static_cast<Byte>(b));
  }
  return codes;
}

// Codes whose Latin forms run together: a joiner before a joiner or
// non-joiner, the tilde before candrabindu or anusvara, and (conservatively)
// the accent 172 anywhere before a semicolon. Escapes count as one unit.
bool HasMergingNeighbours(const std::string& code) {
  bool accent172 = false;
  Byte previous = 0;
  for (std::size_t i = 0; i < code.size(); ++i) {
    const auto b = static_cast<Byte>(code[i]);
    if (previous == code::kJoiner && (b == code::kJoiner || b == code::kSeparator)) return true;
    if (previous == code::kTilde && (b == code::kCandrabindu || b == code::kAnusvara)) return true;
    if (accent172 && b == code::kSemicolon) return true;
    accent172 = accent172 || b == 172;
    if (b == code::kEscapeLead) i += kEscapeLength - 1;
    previous = b;
  }
  return false;
}

std::string WithVowelSeparators(const std::string& code) {
  std::string out;
  for (std::size_t i = 0; i < code.size(); ++i) {
    out.push_back(code[i]);
    if (i + 1 < code.size() && IsVowel(static_cast<Byte>(code[i])) && IsVowel(static_cast<Byte>(code[i + 1]))) {
      out.push_back(static_cast<char>(code::kSeparator));
    }
  }
  return out;
}

// Random code over everything that has a form (with tsa, dza and escapes):
// encoding and decoding again gives the code back, with a non-joiner between
// adjacent vowels, unless it holds one of the known merges.
TEST(TransliterationRoundTrip, RandomCodeReadsBack) {
  const std::vector<Byte> alphabet = CodesWithForm();
  ASSERT_GT(alphabet.size(), 130u);
  std::mt19937 random(15919);
  int checked = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string code;
    const int length = static_cast<int>(random() % 12) + 1;
    for (int i = 0; i < length; ++i) {
      const unsigned pick = random() % 40;
      if (pick == 0) {
        code += Codes({127, 170});
      } else if (pick == 1) {
        code += Codes({129, 170});
      } else if (pick == 2) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%4.4X", static_cast<unsigned>(random() % 0xFFFF + 1));
        code += static_cast<char>(code::kEscapeLead);
        code += digits;
      } else {
        code += static_cast<char>(alphabet[random() % alphabet.size()]);
      }
    }
    if (HasMergingNeighbours(code)) continue;
    ++checked;
    const std::string latin = Encoded(code);
    EXPECT_EQ(Describe(Decoded(latin)), Describe(WithVowelSeparators(code))) << latin;
  }
  EXPECT_GT(checked, 2000);
}

// Every pair of codes that have a form reads back as it was written, with a
// non-joiner between two vowels, except the pairs that are known to merge.
TEST(TransliterationRoundTrip, EveryPairReadsBack) {
  std::vector<std::string> units;
  for (Byte b : CodesWithForm()) units.emplace_back(1, static_cast<char>(b));
  units.push_back(Codes({127, 170}));
  units.push_back(Codes({129, 170}));
  units.push_back("\xFF" "0C15");
  int merged = 0;
  for (const std::string& first : units) {
    for (const std::string& second : units) {
      const std::string code = first + second;
      if (HasMergingNeighbours(code)) {
        ++merged;
        continue;
      }
      const std::string latin = DirectEncode(code);
      EXPECT_EQ(Describe(DirectDecode(latin)), Describe(WithVowelSeparators(code))) << latin;
    }
  }
  // 94 before 94 and 95, 64 before 87 and 88, 172 before 49.
  EXPECT_EQ(merged, 5);
}

// Random Latin text built from every form, escapes and stray letters: after
// one pass through the internal code the text no longer changes, except
// after the two merges that lose a code.
TEST(TransliterationRoundTrip, RandomTextIsStableAfterOnePass) {
  std::vector<std::string> forms = {"#0C15;", "#c1;", "#;", "f", "X", "R", "x", "\t", "#"};
  for (const auto rows : {LatinWordRows(), LatinVowelRows(), LatinConsonantRows(), LatinSignRows()}) {
    for (const LatinRow& row : rows) {
      for (const char* latin : row.latin) {
        if (latin != nullptr) forms.emplace_back(latin);
      }
    }
  }
  std::mt19937 random(2010);
  int stable = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const int length = static_cast<int>(random() % 10) + 1;
    for (int i = 0; i < length; ++i) text += forms[random() % forms.size()];
    const std::string once = Respelled(text);
    const std::string twice = Respelled(once);
    if (twice == once) {
      ++stable;
      continue;
    }
    // The merge happened when the first reading of the text was written out.
    const std::string code = Decoded(text);
    const bool knownMerge = code.find(Codes({64, 87})) != std::string::npos ||
                            (code.find('\xAC') != std::string::npos &&
                             code.find(static_cast<char>(code::kSemicolon)) != std::string::npos);
    EXPECT_TRUE(knownMerge) << "\"" << text << "\" -> \"" << once << "\" -> \"" << twice << "\"";
    EXPECT_EQ(Respelled(twice), twice) << "\"" << text << "\"";
  }
  EXPECT_GT(stable, 2500);
}

// Random bytes through the exports at random capacities: nothing is written
// past the capacity (the helper checks guard bytes), and a short output is
// the start of the full one.
TEST(TransliterationRandom, CapacityIsNeverExceeded) {
  std::mt19937 random(7);
  for (int round = 0; round < 1500; ++round) {
    std::string input;
    const int length = static_cast<int>(random() % 24);
    for (int i = 0; i < length; ++i) {
      // Mostly the bytes that matter to these rules, sometimes anything.
      static constexpr char kInteresting[] = "#;~^aAiIkhSgMH0F\t\xFF\x40\x57\x58\x64\x66\xA1\xAC";
      const char c = random() % 3 == 0 ? static_cast<char>(random() % 255 + 1)
                                       : kInteresting[random() % (sizeof kInteresting - 1)];
      input += c;
    }
    for (const char* from : {"TELTRANS", "LPXCODE"}) {
      const char* to = from[0] == 'T' ? "LPXCODE" : "TELTRANS";
      const std::string full = Convert(input, from, to).bytes;
      const auto capacity = static_cast<std::int32_t>(random() % (full.size() + 3));
      const auto cut = Convert(input, from, to, capacity);
      EXPECT_LT(cut.bytes.size(), static_cast<std::size_t>(std::max(capacity, 1)));
      EXPECT_EQ(full.compare(0, cut.bytes.size(), cut.bytes), 0) << Describe(input) << " " << from;
    }
  }
}

// The same straight on the converter: the count consumed is exactly the
// input that produced the short output, and the guard bytes stay untouched.
TEST(TransliterationRandom, ConsumedCountMatchesOutput) {
  std::mt19937 random(11);
  constexpr Byte kGuard = 0xA5;
  for (int round = 0; round < 3000; ++round) {
    std::string input;
    const int length = static_cast<int>(random() % 20);
    for (int i = 0; i < length; ++i) input += static_cast<char>(random() % 255 + 1);
    const auto* in = reinterpret_cast<const Byte*>(input.c_str());
    for (const bool decode : {true, false}) {
      auto run = [&](std::int32_t inLength, Byte* out, std::int32_t capacity) {
        return decode ? Converter().Decode(in, inLength, out, capacity)
                      : Converter().Encode(in, inLength, out, capacity);
      };
      const auto capacity = static_cast<std::int32_t>(random() % 40);
      std::vector<Byte> out(static_cast<std::size_t>(capacity) + 8, kGuard);
      const std::int32_t consumed = run(-1, out.data(), capacity);
      for (std::size_t i = static_cast<std::size_t>(capacity); i < out.size(); ++i) {
        ASSERT_EQ(out[i], kGuard) << "write past capacity " << capacity << ": " << Describe(input);
      }
      ASSERT_LE(consumed, length);
      if (capacity == 0) continue;
      std::vector<Byte> whole(static_cast<std::size_t>(length) * 8 + 8);
      run(consumed, whole.data(), static_cast<std::int32_t>(whole.size()));
      EXPECT_STREQ(reinterpret_cast<const char*>(whole.data()), reinterpret_cast<const char*>(out.data()))
          << Describe(input) << (decode ? " decode" : " encode");
    }
  }
}

TEST(TransliterationRandom, NullAndEmptyBuffers) {
  const Byte input[] = {'k', 'a', 0};
  Byte out[4] = {9, 9, 9, 9};
  EXPECT_EQ(Converter().Decode(input, -1, nullptr, 10), 0);
  EXPECT_EQ(Converter().Encode(nullptr, -1, out, 4), 0);
  EXPECT_EQ(out[0], 0);
  out[0] = 9;
  EXPECT_EQ(Converter().Decode(input, -1, out, 0), 0);
  EXPECT_EQ(out[0], 9);
  EXPECT_EQ(Converter().Decode(input, -1, out, 1), 0);
  EXPECT_EQ(out[0], 0);
}

// Real words: Unicode -> Latin -> Unicode gives every word back, except where
// the word's code has two vowels side by side: the separator written between
// them reads back as a zero width non-joiner.
TEST(TransliterationWords, UnicodeRoundTrip) {
  const auto& words = test::WordSample();
  ASSERT_GT(words.size(), 2000u);
  std::vector<std::string> adjacentVowels;
  for (const std::string& word : words) {
    const std::u16string unicode = Utf8ToUtf16(word);
    const std::string code = Convert(unicode, "UNICODE", "LPXCODE").bytes;
    ASSERT_FALSE(code.empty()) << word << ": the Unicode decoder gave nothing";
    const std::string latin = ToBytes(unicode, "UNICODE", "TELTRANS");
    const std::u16string back = test::ToWide(latin, "TELTRANS", "UNICODE");
    if (WithVowelSeparators(code) != code) {
      adjacentVowels.push_back(word);
      std::u16string withoutNonJoiner = back;
      std::erase(withoutNonJoiner, u'\u200C');
      EXPECT_EQ(Describe(withoutNonJoiner), Describe(unicode)) << word << " via " << latin;
      EXPECT_NE(back.find(u'\u200C'), std::u16string::npos) << word << " via " << latin;
      continue;
    }
    EXPECT_EQ(Describe(back), Describe(unicode)) << word << " via " << latin;
  }
  std::string names;
  for (const auto& w : adjacentVowels) names += " " + w;
  std::printf("%zu of %zu words have adjacent vowels:%s\n", adjacentVowels.size(), words.size(), names.c_str());
  EXPECT_LT(adjacentVowels.size(), words.size() / 20);
}

// Real words: the Latin text the encoder writes reads back to the same code
// (no word holds one of the known merges) and is stable under another pass.
TEST(TransliterationWords, LatinIsStable) {
  for (const std::string& word : test::WordSample()) {
    const std::u16string unicode = Utf8ToUtf16(word);
    const std::string code = Convert(unicode, "UNICODE", "LPXCODE").bytes;
    ASSERT_FALSE(code.empty()) << word << ": the Unicode decoder gave nothing";
    const std::string latin = Encoded(code);
    EXPECT_EQ(Respelled(latin), latin) << word;
    EXPECT_EQ(Describe(Decoded(latin)), Describe(WithVowelSeparators(code))) << word << " via " << latin;
  }
}

}  // namespace
}  // namespace tirmok
