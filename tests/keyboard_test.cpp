// Tests of the two keyboard input schemes: the phonetic keyboard ("LPXKBD") and INSCRIPT.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/properties.h"
#include "core/utf.h"
#include "support/test_support.h"
#include "tirmok/tirmok.h"
#include "typing/inscript_converter.h"
#include "typing/phonetic_keyboard_converter.h"

namespace tirmok {
namespace {

using test::Codes;
using test::Describe;
using test::Escape;

std::string Bytes(const std::vector<int>& values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

// The escape for a code value: byte 255 and four upper-case hexadecimal digits.
const Byte* In(const std::string& s) { return reinterpret_cast<const Byte*>(s.c_str()); }

// Decodes directly, before any normalisation, into a buffer large enough for anything.
std::string DecodePhonetic(const std::string& keys) {
  static const PhoneticKeyboardConverter converter;
  std::vector<Byte> out(keys.size() * 40 + 64);
  converter.Decode(In(keys), -1, out.data(), static_cast<std::int32_t>(out.size()));
  return reinterpret_cast<const char*>(out.data());
}

std::string DecodeInscript(const std::string& keys, const PropertyStore& properties = {}) {
  static const InscriptConverter converter;
  std::vector<Byte> out(keys.size() * 40 + 64);
  converter.Decode(In(keys), -1, out.data(), static_cast<std::int32_t>(out.size()), properties);
  return reinterpret_cast<const char*>(out.data());
}

// Sets LPX_KEY_LANGUAGE for one scope; the store is process-wide, so it is
// always cleared again.
class LanguageSetting {
 public:
  explicit LanguageSetting(const char* value) { LpxSetProperty(LPX_KEY_LANGUAGE, value); }
  ~LanguageSetting() { LpxSetProperty(LPX_KEY_LANGUAGE, ""); }
  LanguageSetting(const LanguageSetting&) = delete;
  LanguageSetting& operator=(const LanguageSetting&) = delete;
};

struct KeyCase {
  std::string keys;
  std::string code;
};

// ---------------------------------------------------------------------------
// Phonetic keyboard

TEST(PhoneticKeyboard, Steps) {
  const KeyCase cases[] = {
      {"", ""},
      // ka: a consonant key alone takes the inherent a; a vowel key replaces it
      {"k", Codes({122, 100})},
      {"ki", Codes({122, 102})},
      {"ka", Codes({122, 100})},
      {"kA", Codes({122, 101})},
      {"kY", Codes({122, 114})},  // kai
      {"kV", Codes({122, 118})},  // kau
      // the halant key: conjunct kka, visible virama, independent vowel after it, final k
      {"kfk", Codes({122, 122, 100})},
      {"kff", Codes({122, 95})},
      {"kfa", Codes({122, 95, 100})},
      {"kf", Codes({122})},
      {"kfff", Codes({122, 95})},        // a third halant key types nothing
      {"kffa", Codes({122, 95, 100})},   // after the visible virama the vowel is independent anyway
      {"kfRx", Codes({122, 95, 107})},   // two-key vowel after the halant
      {"kfM", Codes({122, 88})},         // a sign after the halant needs no separator
      {"kf1", Codes({122, 75})},
      {"kf^", Codes({122, 95})},         // halant, then the non-joiner
      // joiners after a consonant: the consonant stays dead, the next step types the joiner
      {"k^", Codes({122, 95})},
      {"k&", Codes({122, 94})},
      {"k^k", Codes({122, 95, 122, 100})},
      {"k&k", Codes({122, 94, 122, 100})},
      {"k^f", Codes({122, 95})},         // no consonant before the halant key: dropped
      // keys that type nothing on their own
      {"f", ""},
      {"af", Codes({100})},
      {"F", ""},
      {"x", ""},
      {"\x80\xff", ""},
      // vocalic r and rr, rra; longest key first
      {"R", Codes({106})},
      {"Rx", Codes({107})},
      {"rx", Codes({151, 100})},
      {"kRx", Codes({122, 107})},
      {"rxi", Codes({151, 102})},
      // tsa and dza, two keys each
      {"<", Codes({127, 170, 100})},
      {"cx", Codes({127, 170, 100})},
      {">", Codes({129, 170, 100})},
      {"jx", Codes({129, 170, 100})},
      {"cxi", Codes({127, 170, 102})},
      {"jxf", Codes({129, 170})},
      // case matters: da / dha
      {"d", Codes({139, 100})},
      {"D", Codes({140, 100})},
      // signs after a syllable: anusvara, visarga, candrabindu; the rupee sign
      {"kM", Codes({122, 100, 88})},
      {"kH", Codes({122, 100, 89})},
      {"k*", Codes({122, 100, 87})},
      {"@", Codes({67})},
      // punctuation and digits
      {"~", Codes({64})},
      {"~~", Codes({64})},
      {"~~~", Codes({64, 64})},
      {"a, b.", Codes({100, 44, 32, 146, 100, 46})},
      {"09", Codes({74, 83})},
      // control characters pass through
      {"\t\r\n", Codes({9, 13, 10})},
      {"k\nk", Codes({122, 100, 10, 122, 100})},
  };
  for (const KeyCase& c : cases) {
    EXPECT_EQ(Describe(test::ToBytes(c.keys, "LPXKBD", "LPXCODE")), Describe(c.code)) << "keys: " << c.keys;
  }
}

TEST(PhoneticKeyboard, HashEscape) {
  const KeyCase cases[] = {
      // U+0C15 as "#0C15;", upper or lower case digits
      {"#0C15;", Escape("0C15")},
      {"#0c15;", Escape("0C15")},
      {"#41;", Escape("0041")},
      {"#0x41;", Escape("0041")},  // read like strtol: "0x" prefix
      {"# 41;", Escape("0041")},   // leading blank
      {"#-1;", Escape("FFFF")},    // sign; low 16 bits kept
      {"#zz;", ""},                // nothing read: value 0 gives nothing
      {"#;", ""},
      {"#0;k", Codes({122, 100})},
      // the ";" more than five characters on: "#" is the number sign
      {"#12345;", Codes({35, 75, 76, 77, 78, 79, 49})},
      {"#41", Codes({35, 78, 75})},
      // after a consonant, "#" is neither vowel nor halant
      {"k#41;", Codes({122, 100}) + Escape("0041")},
  };
  for (const KeyCase& c : cases) {
    EXPECT_EQ(Describe(test::ToBytes(c.keys, "LPXKBD", "LPXCODE")), Describe(c.code)) << "keys: " << c.keys;
  }
}

TEST(PhoneticKeyboard, LongControlRunsAreCopiedWhole) {
  const std::string tabs(40, '\t');
  EXPECT_EQ(test::ToBytes(tabs, "LPXKBD", "LPXCODE"), tabs);
}

TEST(PhoneticKeyboard, LengthLimitsTheSteps) {
  const PhoneticKeyboardConverter converter;
  Byte out[16];
  EXPECT_EQ(converter.Decode(In("kk"), 1, out, sizeof out), 1);
  EXPECT_EQ(Describe(reinterpret_cast<const char*>(out)), "122 100");
}

// ---------------------------------------------------------------------------
// INSCRIPT

TEST(Inscript, StepsBeforeNormalisation) {
  const KeyCase cases[] = {
      {"", ""},
      // ka with its vowel signs; "D" is the sign of the inherent a
      {"k", Codes({122, 100})},
      {"kf", Codes({122, 102})},
      {"kD", Codes({122, 100})},
      {"ke", Codes({122, 101})},
      // the halant key: conjunct kka, visible virama, an independent vowel after it, final k
      {"kdk", Codes({122, 122, 100})},
      {"kdd", Codes({122, 95})},
      {"kdE", Codes({122, 95, 101})},
      {"kd", Codes({122})},
      {"kdddk", Codes({122, 95, 122, 100})},  // the third "d" types nothing
      // a vowel-sign key after the halant stands by itself as well
      {"kdf", Codes({122, 95, 102})},
      {"kde", Codes({122, 95, 101})},
      {"kdD", Codes({122, 95, 100})},
      {"kdf]", Codes({122, 95, 108})},  // vocalic l sign, two keys
      {"kdfk", Codes({122, 95, 102, 122, 100})},
      // ra in clusters: "#" as the second member, "$" as the first
      {"k#", Codes({122, 150, 100})},
      {"$k", Codes({150, 122, 100})},
      {"$e", Codes({150, 101})},
      {"$", Codes({150})},
      {"$dd", Codes({150, 95})},
      {"k#f", Codes({122, 150, 102})},
      // joiners keep the consonant before them dead
      {"k^", Codes({122, 95})},
      {"k&", Codes({122, 94})},
      {"k^k", Codes({122, 95, 122, 100})},
      {"k^f", Codes({122, 95})},  // a vowel sign with no consonant types nothing
      // ja with nya
      {"%", Codes({129, 131, 100})},
      {"%f", Codes({129, 131, 102})},
      // the nukta key "]"
      {"k]", Codes({122, 170, 100})},
      {";]", Codes({127, 170, 100})},
      {"k]f", Codes({122, 170, 102})},
      {"y]", Codes({146, 100})},  // ba has no nukta form: "]" types nothing
      {"j]", Codes({151, 100})},
      {"v]", Codes({142, 100})},
      {"N]", Codes({155, 100})},
      {"?", Codes({149, 170, 100})},
      // om sign, avagraha, vertical bar, candrabindu
      {"X]", Codes({66})},
      {">]", Codes({65})},
      {">", Codes({62})},
      {"X", Codes({87})},
      // vowels Telugu lacks and the two-key vowels
      {"!", Codes({111})},
      {"k@", Codes({122, 111})},
      {"|", Codes({115})},
      {"k\\", Codes({122, 115})},
      {"+]", Codes({107})},
      {"k=]", Codes({122, 107})},
      {"F]", Codes({108})},
      {"R]", Codes({109})},
      {"kr]", Codes({122, 109})},
      {"V", Codes({142, 100})},
      {"B", Codes({155, 100})},
      // keys that type nothing
      {"]", ""},
      {"d", ""},
      {"Ed", Codes({101})},
      {"f", ""},
      {"\x80\xff", ""},
      // signs, digits, controls
      {"kx", Codes({122, 100, 88})},
      {"k_", Codes({122, 100, 89})},
      {"1234567890", Codes({75, 76, 77, 78, 79, 80, 81, 82, 83, 74})},
      {"k, k.", Codes({122, 100, 44, 32, 122, 100, 46})},
      {"\t\n", Codes({9, 10})},
      // "#" is ra here, never an escape
      {"#0C15;", Codes({150, 100, 74, 136, 100, 75, 79, 127, 100})},
  };
  for (const KeyCase& c : cases) {
    EXPECT_EQ(Describe(DecodeInscript(c.keys)), Describe(c.code)) << "keys: " << c.keys;
  }
}

TEST(Inscript, OutputIsNormalised) {
  const KeyCase cases[] = {
      {"k]", Codes({122, 100})},             // nukta dropped from ka
      {";]", Codes({127, 170, 100})},        // tsa kept
      {"p]", Codes({129, 170, 100})},        // dza kept
      {"?", Codes({149, 100})},              // ya
      {"X]", Codes({117, 88})},              // om sign
      {"V", Codes({141, 100})},              // ṉ to na
      {"B", Codes({154, 100})},              // ḻ to lla
      {"!", Codes({112})},                   // ê to e
      {"k\\", Codes({122, 116})},            // ô to o
      {"F]", Codes({153, 106})},             // vocalic l
      {"kr]", Codes({122, 153, 107})},       // vocalic ll sign
      {"kdf", Codes({122, 95, 102})},
      {"#0C15;", Codes({150, 100, 74, 136, 100, 75, 79, 127, 100})},
  };
  for (const KeyCase& c : cases) {
    EXPECT_EQ(Describe(test::ToBytes(c.keys, "INSCRIPT", "LPXCODE")), Describe(c.code)) << "keys: " << c.keys;
  }
}

// A step is taken whole or not at all, so where a vowel after the halant is
// typed decides what a small buffer holds.
TEST(Inscript, HalantStepsAreWhole) {
  const InscriptConverter converter;
  struct Row {
    const char* keys;
    std::int32_t capacity;
    std::int32_t consumed;
    std::string code;
  } rows[] = {
      {"kdD", 3, 2, Codes({122, 95})},  // the independent vowel is the next step
      {"kdD", 4, 3, Codes({122, 95, 100})},
      {"kdf", 3, 0, ""},                // the vowel sign belongs to the consonant's step
      {"kdf", 4, 3, Codes({122, 95, 102})},
  };
  for (const Row& r : rows) {
    Byte out[8];
    EXPECT_EQ(converter.Decode(In(r.keys), -1, out, r.capacity, {}), r.consumed) << r.keys;
    EXPECT_EQ(Describe(reinterpret_cast<const char*>(out)), Describe(r.code)) << r.keys;
  }
}

// LPX_KEY_LANGUAGE retypes a few keys; the value's case does not matter, the key's does.
TEST(Inscript, LanguageProperty) {
  struct Row {
    const char* language;
    const char* keys;
    std::string raw;
    std::string normalised;
  } rows[] = {
      // BENGALI: "b" types ba
      {"BENGALI", "b", Codes({146, 100}), Codes({146, 100})},
      {"bengali", "b", Codes({146, 100}), Codes({146, 100})},
      {"BeNgAlI", "bf", Codes({146, 102}), Codes({146, 102})},
      {"Bengali", "kdb", Codes({122, 146, 100}), Codes({122, 146, 100})},
      {"Bengali", "B", Codes({155, 100}), Codes({154, 100})},
      // ASSAMESE: ra becomes the second ra, which normalises back to ra
      {"ASSAMESE", "j", Codes({221, 100}), Codes({150, 100})},
      {"assamese", "$k", Codes({221, 122, 100}), Codes({150, 122, 100})},
      {"AsSaMeSe", "k#", Codes({122, 221, 100}), Codes({122, 150, 100})},
      {"ASSAMESE", "J", Codes({151, 100}), Codes({151, 100})},
      {"ASSAMESE", "j]", Codes({151, 100}), Codes({151, 100})},
      // MARATHI: ê becomes a, as vowel, as sign, and as the sign after the halant
      {"MARATHI", "!", Codes({110}), Codes({100})},
      {"marathi", "k@", Codes({122, 110}), Codes({122, 100})},
      {"Marathi", "kd@", Codes({122, 95, 110}), Codes({122, 95, 100})},
      {"Marathi", "kdE", Codes({122, 95, 101}), Codes({122, 95, 101})},
      {"MARATHI", "b", Codes({157, 100}), Codes({157, 100})},
      // other values change nothing
      {"", "b!", Codes({157, 100, 111}), Codes({157, 100, 112})},
      {"HINDI", "j", Codes({150, 100}), Codes({150, 100})},
      {"BENGALI ", "b", Codes({157, 100}), Codes({157, 100})},
      {"BENGAL", "b", Codes({157, 100}), Codes({157, 100})},
  };
  for (const Row& r : rows) {
    const PropertyStore store{{LPX_KEY_LANGUAGE, r.language}};
    EXPECT_EQ(Describe(DecodeInscript(r.keys, store)), Describe(r.raw)) << r.language << " " << r.keys;
    const LanguageSetting setting(r.language);
    EXPECT_EQ(Describe(test::ToBytes(r.keys, "INSCRIPT", "LPXCODE")), Describe(r.normalised))
        << r.language << " " << r.keys;
  }
  // Cleared again: the standard layout.
  EXPECT_EQ(Describe(test::ToBytes("b", "INSCRIPT", "LPXCODE")), "157 100");
}

TEST(Inscript, LanguagePropertyKeyIsCaseSensitive) {
  LpxSetProperty("lpx_key_language", "BENGALI");
  EXPECT_EQ(Describe(test::ToBytes("b", "INSCRIPT", "LPXCODE")), "157 100");
  LpxSetProperty("lpx_key_language", "");
}

TEST(Inscript, LanguageDoesNotReachThePhoneticKeyboard) {
  const LanguageSetting setting("ASSAMESE");
  EXPECT_EQ(Describe(test::ToBytes("r", "LPXKBD", "LPXCODE")), "150 100");
}

// ---------------------------------------------------------------------------
// The Telugu alphabet typed in both schemes, checked as internal code and as Unicode.

struct Consonant {
  const char* phonetic;
  const char* inscript;
  std::vector<int> code;
  char16_t letter;
};

// U+0C15 KA ... U+0C39 HA, U+0C58 TSA, U+0C59 DZA
const std::vector<Consonant>& Consonants() {
  static const std::vector<Consonant> list = {
      {"k", "k", {122}, u'\u0C15'},   {"K", "K", {123}, u'\u0C16'},   {"g", "i", {124}, u'\u0C17'},
      {"G", "I", {125}, u'\u0C18'},   {"Z", "U", {126}, u'\u0C19'},   {"c", ";", {127}, u'\u0C1A'},
      {"C", ":", {128}, u'\u0C1B'},   {"j", "p", {129}, u'\u0C1C'},   {"J", "P", {130}, u'\u0C1D'},
      {"z", "}", {131}, u'\u0C1E'},   {"q", "'", {132}, u'\u0C1F'},   {"Q", "\"", {133}, u'\u0C20'},
      {"w", "[", {134}, u'\u0C21'},   {"W", "{", {135}, u'\u0C22'},   {"N", "C", {136}, u'\u0C23'},
      {"t", "l", {137}, u'\u0C24'},   {"T", "L", {138}, u'\u0C25'},   {"d", "o", {139}, u'\u0C26'},
      {"D", "O", {140}, u'\u0C27'},   {"n", "v", {141}, u'\u0C28'},   {"p", "h", {144}, u'\u0C2A'},
      {"P", "H", {145}, u'\u0C2B'},   {"b", "y", {146}, u'\u0C2C'},   {"B", "Y", {147}, u'\u0C2D'},
      {"m", "c", {148}, u'\u0C2E'},   {"y", "/", {149}, u'\u0C2F'},   {"r", "j", {150}, u'\u0C30'},
      {"rx", "J", {151}, u'\u0C31'},  {"l", "n", {153}, u'\u0C32'},   {"L", "N", {154}, u'\u0C33'},
      {"v", "b", {157}, u'\u0C35'},   {"S", "M", {158}, u'\u0C36'},   {"X", "<", {159}, u'\u0C37'},
      {"s", "m", {160}, u'\u0C38'},   {"h", "u", {161}, u'\u0C39'},   {"<", ";]", {127, 170}, u'\u0C58'},
      {">", "p]", {129, 170}, u'\u0C59'},
  };
  return list;
}

struct Vowel {
  const char* phonetic;
  const char* inscriptVowel;
  const char* inscriptSign;
  int code;
  char16_t letter;
  char16_t sign;  // 0: the inherent a has no sign
};

// U+0C05 A ... U+0C14 AU and U+0C60 RR, with their signs U+0C3E ... U+0C4C, U+0C44
const std::vector<Vowel>& Vowels() {
  static const std::vector<Vowel> list = {
      {"a", "D", "D", 100, u'\u0C05', 0},          {"A", "E", "e", 101, u'\u0C06', u'\u0C3E'},
      {"i", "F", "f", 102, u'\u0C07', u'\u0C3F'},  {"I", "R", "r", 103, u'\u0C08', u'\u0C40'},
      {"u", "G", "g", 104, u'\u0C09', u'\u0C41'},  {"U", "T", "t", 105, u'\u0C0A', u'\u0C42'},
      {"R", "+", "=", 106, u'\u0C0B', u'\u0C43'},  {"Rx", "+]", "=]", 107, u'\u0C60', u'\u0C44'},
      {"e", "Z", "z", 112, u'\u0C0E', u'\u0C46'},  {"E", "S", "s", 113, u'\u0C0F', u'\u0C47'},
      {"Y", "W", "w", 114, u'\u0C10', u'\u0C48'},  {"o", "~", "`", 116, u'\u0C12', u'\u0C4A'},
      {"O", "A", "a", 117, u'\u0C13', u'\u0C4B'},  {"V", "Q", "q", 118, u'\u0C14', u'\u0C4C'},
  };
  return list;
}

constexpr char16_t kVirama = u'\u0C4D';
constexpr char16_t kZwnj = u'\u200C';
constexpr char16_t kZwj = u'\u200D';

struct Typed {
  std::string phonetic;
  std::string inscript;
  std::vector<int> code;
  std::u16string text;
};

std::vector<int> Join(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Every syllable, vowel, conjunct and joiner form, with what both schemes must type.
std::vector<Typed> Alphabet() {
  std::vector<Typed> all;
  for (const Vowel& v : Vowels()) {
    all.push_back({v.phonetic, v.inscriptVowel, {v.code}, std::u16string(1, v.letter)});
  }
  for (const Consonant& c : Consonants()) {
    const std::string p = c.phonetic, i = c.inscript;
    const std::u16string letter(1, c.letter);
    // consonant alone, and with every vowel sign
    all.push_back({p, i, Join(c.code, {100}), letter});
    for (const Vowel& v : Vowels()) {
      std::u16string text = letter;
      if (v.sign != 0) text += v.sign;
      all.push_back({p + v.phonetic, i + v.inscriptSign, Join(c.code, {v.code}), text});
      // after a visible virama, the vowel is independent
      all.push_back({p + "f" + v.phonetic, i + "d" + v.inscriptVowel, Join(c.code, {95, v.code}),
                     letter + kVirama + kZwnj + v.letter});
    }
    // dead consonant at the end, and with a visible virama
    all.push_back({p + "f", i + "d", c.code, letter + kVirama});
    all.push_back({p + "ff", i + "dd", Join(c.code, {95}), letter + kVirama + kZwnj});
    // conjuncts with every consonant as the second member
    for (const Consonant& d : Consonants()) {
      all.push_back({p + "f" + d.phonetic, i + "d" + d.inscript, Join(Join(c.code, d.code), {100}),
                     letter + kVirama + d.letter});
    }
    // joiners after a dead consonant
    all.push_back({p + "&k", i + "&k", Join(c.code, {94, 122, 100}), letter + kVirama + kZwj + u'\u0C15'});
    all.push_back({p + "^k", i + "^k", Join(c.code, {95, 122, 100}), letter + kVirama + kZwnj + u'\u0C15'});
    // anusvara, visarga, candrabindu after the syllable
    all.push_back({p + "M", i + "x", Join(c.code, {100, 88}), letter + u'\u0C02'});
    all.push_back({p + "H", i + "_", Join(c.code, {100, 89}), letter + u'\u0C03'});
    all.push_back({p + "*", i + "X", Join(c.code, {100, 87}), letter + u'\u0C01'});
  }
  // digits
  all.push_back({"0123456789", "0123456789", {74, 75, 76, 77, 78, 79, 80, 81, 82, 83},
                 u"\u0C66\u0C67\u0C68\u0C69\u0C6A\u0C6B\u0C6C\u0C6D\u0C6E\u0C6F"});
  return all;
}

TEST(KeyboardAlphabet, AsInternalCode) {
  for (const Typed& t : Alphabet()) {
    const std::string code = Bytes(t.code);
    EXPECT_EQ(Describe(test::ToBytes(t.phonetic, "LPXKBD", "LPXCODE")), Describe(code)) << "LPXKBD " << t.phonetic;
    EXPECT_EQ(Describe(test::ToBytes(t.inscript, "INSCRIPT", "LPXCODE")), Describe(code))
        << "INSCRIPT " << t.inscript;
  }
}

TEST(KeyboardAlphabet, AsUnicode) {
  for (const Typed& t : Alphabet()) {
    EXPECT_EQ(Describe(test::ToWide(t.phonetic, "LPXKBD", "UNICODE")), Describe(t.text)) << "LPXKBD " << t.phonetic;
    EXPECT_EQ(Describe(test::ToWide(t.inscript, "INSCRIPT", "UNICODE")), Describe(t.text))
        << "INSCRIPT " << t.inscript;
  }
}

// Keys only INSCRIPT has, and the ra clusters, as Unicode.
TEST(KeyboardAlphabet, InscriptExtrasAsUnicode) {
  struct Row {
    const char* keys;
    std::u16string text;
  } rows[] = {
      {">]", u"\u0C3D"},                // avagraha
      {"k#", u"\u0C15\u0C4D\u0C30"},    // kra
      {"$k", u"\u0C30\u0C4D\u0C15"},    // rka
      {"X]", u"\u0C13\u0C02"},          // om sign: oo + anusvara
      {"kdf", u"\u0C15\u0C4D\u200C\u0C07"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Describe(test::ToWide(r.keys, "INSCRIPT", "UNICODE")), Describe(r.text)) << r.keys;
  }
}

// Real words: each word of the sample is typed key by key in both schemes
// (consonant key, then its vowel-sign key, the explicit a key or the halant
// key) and must come back as the same Unicode text.
struct WordKeys {
  std::string phonetic;
  std::string inscript;
};

bool TypeWord(std::u16string_view word, WordKeys& keys) {
  auto consonantAt = [](char16_t u) -> const Consonant* {
    for (const Consonant& c : Consonants())
      if (c.letter == u) return &c;
    return nullptr;
  };
  auto vowelAt = [](char16_t u, bool sign) -> const Vowel* {
    for (const Vowel& v : Vowels())
      if ((sign ? v.sign : v.letter) == u && u != 0) return &v;
    return nullptr;
  };
  for (std::size_t i = 0; i < word.size(); ++i) {
    const char16_t u = word[i];
    const char16_t next = i + 1 < word.size() ? word[i + 1] : 0;
    if (const Consonant* c = consonantAt(u)) {
      keys.phonetic += c->phonetic;
      keys.inscript += c->inscript;
      if (const Vowel* v = vowelAt(next, true)) {
        keys.phonetic += v->phonetic;
        keys.inscript += v->inscriptSign;
        ++i;
      } else if (next == kVirama) {
        // Virama before an independent vowel would need a separator; such words are not typed here.
        if (i + 2 < word.size() && vowelAt(word[i + 2], false)) return false;
        keys.phonetic += 'f';
        keys.inscript += 'd';
        ++i;
      } else {
        keys.phonetic += 'a';
        keys.inscript += 'D';
      }
    } else if (const Vowel* v = vowelAt(u, false)) {
      keys.phonetic += v->phonetic;
      keys.inscript += v->inscriptVowel;
    } else if (u == u'\u0C02') {
      keys.phonetic += 'M';
      keys.inscript += 'x';
    } else if (u == u'\u0C03') {
      keys.phonetic += 'H';
      keys.inscript += '_';
    } else if (u == u'\u0C01') {
      keys.phonetic += '*';
      keys.inscript += 'X';
    } else {
      return false;
    }
  }
  return true;
}

TEST(KeyboardAlphabet, SampleWordsTypedInBothSchemes) {
  std::size_t typed = 0;
  for (const std::string& word : test::WordSample()) {
    const std::u16string text = Utf8ToUtf16(word);
    WordKeys keys;
    if (!TypeWord(text, keys)) continue;
    ++typed;
    EXPECT_EQ(Describe(test::ToWide(keys.phonetic, "LPXKBD", "UNICODE")), Describe(text)) << keys.phonetic;
    EXPECT_EQ(Describe(test::ToWide(keys.inscript, "INSCRIPT", "UNICODE")), Describe(text)) << keys.inscript;
  }
  EXPECT_GT(typed, test::WordSample().size() * 9 / 10);
}

// ---------------------------------------------------------------------------
// Whatever the keys and the capacity, nothing is written past the capacity,
// the output is terminated, and a smaller buffer holds a prefix of what a
// larger one holds.

std::string RandomKeys(std::mt19937& rng) {
  // Mostly printable keys, with the halant keys, "]" and "#...;" often, some controls and high bytes.
  static const std::string kPool =
      "kKgGcjJzqQwWNtTdDnpPbBmyrlvSXshL<>aAiIuUReEYoOVxfF^&*@#$%;]]ddff0123456789 \t\n\x01\x1f\x80\xff"
      "!+=`~|\\[{}'\":,./?-_()CMHZ";
  std::uniform_int_distribution<int> size(0, 40);
  std::uniform_int_distribution<std::size_t> pick(0, kPool.size() - 1);
  std::string keys;
  for (int n = size(rng); n > 0; --n) keys.push_back(kPool[pick(rng)]);
  return keys;
}

template <class DecodeFn>
void CheckCapacities(DecodeFn decode, const std::string& keys, std::mt19937& rng) {
  constexpr Byte kGuard = 0xA5;
  std::vector<Byte> full(keys.size() * 40 + 64);
  const std::int32_t consumed = decode(In(keys), full.data(), static_cast<std::int32_t>(full.size()));
  ASSERT_EQ(consumed, static_cast<std::int32_t>(keys.size())) << keys;
  const std::string whole = reinterpret_cast<const char*>(full.data());
  std::uniform_int_distribution<std::int32_t> capacityOf(0, static_cast<std::int32_t>(whole.size()) + 2);
  for (int round = 0; round < 4; ++round) {
    const std::int32_t capacity = capacityOf(rng);
    std::vector<Byte> out(static_cast<std::size_t>(capacity) + 8, kGuard);
    const std::int32_t used = decode(In(keys), out.data(), capacity);
    for (std::size_t i = static_cast<std::size_t>(capacity); i < out.size(); ++i) {
      ASSERT_EQ(out[i], kGuard) << "write past capacity " << capacity << " for " << keys;
    }
    if (capacity == 0) {
      EXPECT_EQ(used, 0);
      continue;
    }
    const auto end = std::find(out.begin(), out.begin() + capacity, Byte{0});
    ASSERT_NE(end, out.begin() + capacity) << "not terminated within capacity " << capacity;
    const std::string part(out.begin(), end);
    EXPECT_EQ(whole.compare(0, part.size(), part), 0) << "not a prefix, capacity " << capacity;
    EXPECT_LE(used, consumed);
  }
}

TEST(KeyboardRandom, NeverWritesPastTheCapacity) {
  const PhoneticKeyboardConverter phonetic;
  const InscriptConverter inscript;
  const char* languages[] = {"", "bengali", "ASSAMESE", "Marathi", "other"};
  std::mt19937 rng(20240611);
  for (int i = 0; i < 400; ++i) {
    const std::string keys = RandomKeys(rng);
    CheckCapacities([&](const Byte* in, Byte* out, std::int32_t capacity) {
      return phonetic.Decode(in, -1, out, capacity);
    }, keys, rng);
    const PropertyStore store{{LPX_KEY_LANGUAGE, languages[i % 5]}};
    CheckCapacities([&](const Byte* in, Byte* out, std::int32_t capacity) {
      return inscript.Decode(in, -1, out, capacity, store);
    }, keys, rng);
    // Through the exports: the helper checks the guard units after the capacity.
    std::uniform_int_distribution<std::int32_t> capacity(1, 24);
    const char* to = (i % 2) ? "LPXCODE" : "UNICODE";
    test::Convert(keys, "LPXKBD", to, capacity(rng));
    test::Convert(keys, "INSCRIPT", to, capacity(rng));
  }
}

TEST(KeyboardRandom, NullOrEmptyBuffers) {
  const PhoneticKeyboardConverter phonetic;
  const InscriptConverter inscript;
  Byte out[4] = {7, 7, 7, 7};
  EXPECT_EQ(phonetic.Decode(In("kak"), -1, nullptr, 8), 0);
  EXPECT_EQ(inscript.Decode(In("kak"), -1, nullptr, 8, {}), 0);
  EXPECT_EQ(phonetic.Decode(In("kak"), -1, out, 0), 0);
  EXPECT_EQ(inscript.Decode(In("kak"), -1, out, 0, {}), 0);
  EXPECT_EQ(out[0], 7);
  EXPECT_EQ(phonetic.Decode(In("kak"), -1, out, 1), 0);
  EXPECT_EQ(out[0], 0);
}

}  // namespace
}  // namespace tirmok
