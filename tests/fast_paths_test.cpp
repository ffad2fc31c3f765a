// Tests that the fast paths give exactly what the rules give: per-unit shortcuts, short-step run loops,
// UTF-8 read two letters at a time, and comparisons decided by streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <numeric>
#include <span>
#include <random>
#include <string>
#include <vector>

#include "collation/collation_stream.h"
#include "core/mapping_table.h"
#include "core/run_loop.h"
#include "core/short_match.h"
#include "core/utf.h"
#include "module/converter_module.h"
#include "module/hub.h"
#include "support/test_support.h"
#include "typing/inscript_tables.h"
#include "typing/phonetic_keyboard_tables.h"
#include "unicode/latin_case.h"

namespace tirmok {
namespace {

using test::WordSample;

std::string Describe(std::string_view text) { return test::Describe(text); }
std::string Describe(std::u16string_view text) { return test::Describe(text); }
std::string Describe(std::basic_string_view<Byte> text) {
  return test::Describe(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
}

const ConverterSet& Converters() { return ConverterModule::Instance().converters; }

// Random text mixing real words with what the short steps decline: controls,
// ASCII, signs alone, other scripts, surrogates and ill-formed UTF-8.
std::string RandomUtf8(std::mt19937& random) {
  static const char* const kPieces[] = {
      "\xE0\xB0\x95",          // U+0C15 ka
      "\xE0\xB0\xBF",          // U+0C3F vowel sign i
      "\xE0\xB1\x95",          // U+0C55 length mark
      "\xE0\xB1\x8D",          // U+0C4D virama
      "\xE0\xB0\x85",          // U+0C05 letter a
      "\xE0\xB1\x98",          // U+0C58 tsa
      "\xE2\x80\x8C",          // U+200C zero width non-joiner
      "\xE0\xA4\x95",          // U+0915 Devanagari ka: escaped
      "\xF0\x9F\x98\x80",      // U+1F600: a surrogate pair
      "\xED\xA0\x80",          // an encoded surrogate: ill-formed
      "\xE0\xB0",              // a sequence cut short
      "\x80",                  // a stray continuation byte
      " ", "\n", "\t", "a", "#", "1", "\"",
  };
  std::string text;
  const auto& words = WordSample();
  const int pieces = static_cast<int>(random() % 12);
  for (int i = 0; i < pieces; ++i) {
    if (random() % 2 == 0) {
      text += words[random() % words.size()];
    } else {
      text += kPieces[random() % std::size(kPieces)];
    }
  }
  return text;
}

// --- ShortGroup against the table lookup ---

TEST(ShortGroup, FindsWhatTheTableFindsWhateverFollows) {
  struct Row {
    const char* what;
    std::vector<std::pair<Units<Byte>, Units<Byte>>> entries;  // added in this order
    std::vector<int> appended;                                 // indexes added with the append flag
  };
  const Row rows[] = {
      {"one-unit key decides", {{"k", {122}}}, {}},
      {"a pair before its one-unit key", {{"k", {122}}, {"kh", {123}}}, {}},
      {"two pairs and no one-unit key", {{"ai", {114}}, {"au", {118}}}, {}},
      {"equal keys: the shorter value first", {{"a", {100, 100}}, {"a", {101}}}, {}},
      {"appended pair after its one-unit key never wins", {{"c", {127}}, {"cx", {127, 170}}}, {1}},
      {"appended one-unit key after a pair", {{"cx", {127, 170}}, {"c", {127}}}, {1}},
      {"a key of three units leaves the group to the table", {{"Ru", {106}}, {"RUx", {107}}}, {}},
      {"a value too long to keep", {{"q", {1, 2, 3, 4, 5}}}, {}},
      {"an empty value", {{"f", {}}}, {}},
  };
  const char* const inputs[] = {"k", "kh", "kx", "a", "ai", "au", "aa", "c", "cx", "cy", "R", "Ru", "RUx", "q", "f", "z"};
  for (const Row& row : rows) {
    MappingTable table;
    for (std::size_t i = 0; i < row.entries.size(); ++i) {
      const bool append = std::find(row.appended.begin(), row.appended.end(), static_cast<int>(i)) != row.appended.end();
      table.AddEntry(row.entries[i].first, row.entries[i].second, MappingTable::kLeftKeyed, append ? 1 : 0);
    }
    for (const char* text : inputs) {
      const auto* p = reinterpret_cast<const Byte*>(text);
      const auto group = ShortGroup<Byte, Byte>::Of(table.LeftKeyed(), p[0]);
      if (!group.complete) continue;  // the converters fall back to the table here
      const auto expected = table.MatchLeft(p);
      const auto* entry = group.Find(p);
      ASSERT_EQ(entry != nullptr, static_cast<bool>(expected)) << row.what << " on " << text;
      if (entry == nullptr) continue;
      EXPECT_EQ(entry->keyLength, expected.length) << row.what << " on " << text;
      EXPECT_EQ(std::string(entry->View().begin(), entry->View().end()),
                std::string(expected.value.begin(), expected.value.end()))
          << row.what << " on " << text;
    }
  }
}

TEST(ShortGroup, GroupsThatDoNotFitAreLeftToTheTable) {
  MappingTable table;
  table.AddEntry("Ru", {106});
  table.AddEntry("RUx", {107});  // three units
  table.AddEntry("q", {1, 2, 3, 4, 5});  // five units of value
  EXPECT_FALSE((ShortGroup<Byte, Byte>::Of(table.LeftKeyed(), 'R').complete));
  EXPECT_FALSE((ShortGroup<Byte, Byte>::Of(table.LeftKeyed(), 'q').complete));
  EXPECT_TRUE((ShortGroup<Byte, Byte>::Of(table.LeftKeyed(), 'z').NoMatch()));
}

// --- Short-step runs against the plain run loop, at every capacity ---

template <class In, class Out, class Run, class Step>
void ExpectSameAtEveryCapacity(const std::basic_string<In>& input, Run&& run, Step&& step, const char* what) {
  // The full output first, then every capacity up to a little past it, with
  // guard units that must stay untouched.
  std::basic_string<Out> full(input.size() * 8 + 64, Out{0});
  const std::int32_t fullUsed = RunLoop(input.c_str(), -1, full.data(), static_cast<std::int32_t>(full.size()), step);
  const std::int32_t fullLength = UnitLength(full.c_str());
  // And with room to spare, where the short steps and runs take every step they can.
  std::vector<std::int32_t> capacities(static_cast<std::size_t>(fullLength) + 3);
  for (std::int32_t capacity = 0; capacity <= fullLength + 2; ++capacity) capacities[static_cast<std::size_t>(capacity)] = capacity;
  capacities.push_back(fullLength + 64);
  for (const std::int32_t capacity : capacities) {
    std::basic_string<Out> expected(static_cast<std::size_t>(capacity) + 4, Out{0x7E});
    std::basic_string<Out> actual = expected;
    const std::int32_t expectedUsed = RunLoop(input.c_str(), -1, expected.data(), capacity, step);
    const std::int32_t actualUsed = run(input.c_str(), actual.data(), capacity);
    ASSERT_EQ(actualUsed, expectedUsed) << what << " at capacity " << capacity << " on " << Describe(input);
    ASSERT_EQ(actual, expected) << what << " at capacity " << capacity << " on " << Describe(input);
  }
  EXPECT_GE(fullUsed, 0);
}

TEST(ShortSteps, UnicodeDecodingMatchesTheStepByStepRunAtEveryCapacity) {
  std::mt19937 random(7);
  const UnicodeConverter& unicode = Converters().unicode;
  for (int i = 0; i < 150; ++i) {
    const std::u16string text = Utf8ToUtf16(RandomUtf8(random));
    ExpectSameAtEveryCapacity<char16_t, Byte>(
        text, [&](const char16_t* in, Byte* out, std::int32_t cap) { return unicode.Decode(in, -1, out, cap); },
        [&](const char16_t* p, Piece<Byte>& piece) { return unicode.DecodeStep(p, piece); }, "UNICODE decoding");
  }
}

TEST(ShortSteps, UnicodeEncodingMatchesTheStepByStepRunAtEveryCapacity) {
  std::mt19937 random(8);
  const UnicodeConverter& unicode = Converters().unicode;
  for (int i = 0; i < 150; ++i) {
    const std::string internal = test::ToBytes(RandomUtf8(random), "UTF-8", "LPXCODE");
    // Internal code the decoders never write, too: bytes 1 to 255 at random.
    std::string noise;
    for (int k = 0; k < 6; ++k) noise += static_cast<char>(1 + random() % 255);
    for (const std::string& text : {internal, internal + noise}) {
      const std::basic_string<Byte> bytes(text.begin(), text.end());
      ExpectSameAtEveryCapacity<Byte, char16_t>(
          bytes, [&](const Byte* in, char16_t* out, std::int32_t cap) { return unicode.Encode(in, -1, out, cap); },
          [&](const Byte* p, Piece<char16_t>& piece) { return unicode.EncodeStep(p, piece); }, "UNICODE encoding");
    }
  }
}

TEST(ShortSteps, Utf8OutputMatchesTheUtf8SinkAtEveryCapacity) {
  std::mt19937 random(9);
  const UnicodeConverter& unicode = Converters().unicode;
  for (int i = 0; i < 150; ++i) {
    std::string text = test::ToBytes(RandomUtf8(random), "UTF-8", "LPXCODE");
    text += "\xFF" "D83D" "\xFF" "DE00";  // an escaped surrogate pair: written as one character
    const std::basic_string<Byte> internal(text.begin(), text.end());
    std::basic_string<Byte> full(internal.size() * 12 + 64, 0);
    unicode.EncodeUtf8(internal.c_str(), full.data(), static_cast<std::int32_t>(full.size()));
    const auto fullLength = static_cast<std::int32_t>(UnitLength(full.c_str()));
    for (std::int32_t capacity = 1; capacity <= fullLength + 2; ++capacity) {
      std::basic_string<Byte> expected(static_cast<std::size_t>(capacity) + 4, 0x7E);
      std::basic_string<Byte> actual = expected;
      Utf8Sink sink(expected.data(), capacity);
      RunLoop(internal.c_str(), -1, sink,
              [&](const Byte* p, Piece<char16_t>& piece) { return unicode.EncodeStep(p, piece); });
      sink.Finish();
      unicode.EncodeUtf8(internal.c_str(), actual.data(), capacity);
      ASSERT_EQ(actual, expected) << "capacity " << capacity << " on " << Describe(text);
    }
  }
}

TEST(ShortSteps, TransliterationMatchesTheStepByStepRunAtEveryCapacity) {
  std::mt19937 random(10);
  const TransliterationConverter& latin = Converters().transliteration;
  for (int i = 0; i < 150; ++i) {
    const std::string internal = test::ToBytes(RandomUtf8(random), "UTF-8", "LPXCODE");
    std::string keys = test::ToBytes(internal, "LPXCODE", "TELTRANS") + "kh~h#0C15;ai^^a~~RUx";
    // Bytes at random too: pairs cut by the terminator, codes no step writes, Latin-1 keys.
    std::string noise;
    for (int k = 0; k < 8; ++k) noise += static_cast<char>(1 + random() % 255);
    keys += noise;
    const std::string codeText = internal + noise + "\x7F";  // ending in the first byte of a pair
    const std::basic_string<Byte> code(codeText.begin(), codeText.end());
    const std::basic_string<Byte> typed(keys.begin(), keys.end());
    ExpectSameAtEveryCapacity<Byte, Byte>(
        code, [&](const Byte* in, Byte* out, std::int32_t cap) { return latin.Encode(in, -1, out, cap); },
        [&](const Byte* p, Piece<Byte>& piece) { return latin.EncodeStep(p, piece); }, "TELTRANS encoding");
    ExpectSameAtEveryCapacity<Byte, Byte>(
        typed, [&](const Byte* in, Byte* out, std::int32_t cap) { return latin.Decode(in, -1, out, cap); },
        [&](const Byte* p, Piece<Byte>& piece) { return latin.DecodeStep(p, piece); }, "TELTRANS decoding");
  }
}

TEST(ShortSteps, CollationEncodingMatchesTheStepByStepRunAtEveryCapacity) {
  std::mt19937 random(11);
  const CollationConverter& collation = Converters().collation;
  for (int i = 0; i < 100; ++i) {
    std::string internal = test::ToBytes(RandomUtf8(random), "UTF-8", "LPXCODE");
    internal += static_cast<char>(1 + random() % 255);
    const std::basic_string<Byte> code(internal.begin(), internal.end());
    ExpectSameAtEveryCapacity<Byte, char16_t>(
        code, [&](const Byte* in, char16_t* out, std::int32_t cap) { return collation.Encode(in, -1, out, cap); },
        [&](const Byte* p, Piece<char16_t>& piece) { return collation.EncodeStep(p, piece); }, "COLLCODE encoding");
  }
}

TEST(ShortSteps, CollationDecodingMatchesTheStepByStepRunAtEveryCapacityAndLength) {
  std::mt19937 random(17);
  const CollationConverter& collation = Converters().collation;
  // Units at and around the edges of the collation range and of its gaps,
  // controls, ASCII and Telugu (which the short step leaves to DecodeStep).
  static const char16_t kUnits[] = {0xE5FF, 0xE600, 0xE61F, 0xE620, 0xE640, 0xE642, 0xE644, 0xE6AA, 0xE6B1,
                                    0xE6B2, 0xE6FF, 0xE700, u'\t', u'\n', u'a', u'#', 0x0C15, 0xFFFF};
  std::u16string longText;
  const auto step = [&](const char16_t* p, Piece<Byte>& piece) { return collation.DecodeStep(p, piece); };
  for (int i = 0; i < 100; ++i) {
    std::u16string units = test::ToWide(RandomUtf8(random), "UTF-8", "COLLCODE");
    for (int k = 0; k < 6; ++k) units.insert(random() % (units.size() + 1), 1, kUnits[random() % std::size(kUnits)]);
    if (longText.size() < 1500) longText += units;
    ExpectSameAtEveryCapacity<char16_t, Byte>(
        units, [&](const char16_t* in, Byte* out, std::int32_t cap) { return collation.Decode(in, -1, out, cap); },
        step, "COLLCODE decoding");
  }
  ExpectSameAtEveryCapacity<char16_t, Byte>(
      longText, [&](const char16_t* in, Byte* out, std::int32_t cap) { return collation.Decode(in, -1, out, cap); },
      step, "COLLCODE decoding");
  // Every cut of the long text, with room for everything.
  for (std::int32_t length = 0; length <= static_cast<std::int32_t>(longText.size()); ++length) {
    std::basic_string<Byte> expected(longText.size() * 8 + 64, Byte{0x7E});
    std::basic_string<Byte> actual = expected;
    const auto capacity = static_cast<std::int32_t>(expected.size());
    const std::int32_t expectedUsed = RunLoop(longText.c_str(), length, expected.data(), capacity, step);
    ASSERT_EQ(collation.Decode(longText.c_str(), length, actual.data(), capacity), expectedUsed) << length;
    ASSERT_EQ(actual, expected) << "COLLCODE decoding of " << length << " units";
  }
}

// Keystrokes: keys of the scheme's rows, the keys that change a consonant,
// escapes, controls and any byte, so that consonants meet every kind of next key.
std::basic_string<Byte> RandomKeys(std::mt19937& random, std::initializer_list<std::span<const KeyRow>> tables) {
  static const char* const kOthers[] = {"f", "ff", "d", "dd", "^", "&", "#", "$", "#0C15;", "#;", " ", "\n", "\t", "]"};
  std::string keys;
  const int count = static_cast<int>(random() % 24);
  for (int i = 0; i < count; ++i) {
    const auto kind = random() % 8;
    if (kind < 5) {
      const std::span<const KeyRow> rows = tables.begin()[random() % tables.size()];
      keys += rows[random() % rows.size()].keys;
    } else if (kind < 7) {
      keys += kOthers[random() % std::size(kOthers)];
    } else {
      keys += static_cast<char>(1 + random() % 255);
    }
  }
  return std::basic_string<Byte>(keys.begin(), keys.end());
}

TEST(ShortSteps, KeyboardDecodingMatchesTheStepByStepRunAtEveryCapacityAndLength) {
  std::mt19937 random(18);
  const PhoneticKeyboardConverter& phonetic = Converters().phoneticKeyboard;
  const InscriptConverter& inscript = Converters().inscript;
  const PropertyStore standard;
  const auto phoneticStep = [&](const Byte* p, Piece<Byte>& piece) { return phonetic.DecodeStep(p, piece); };
  const auto inscriptStep = [&](const Byte* p, Piece<Byte>& piece) {
    return inscript.DecodeStep(p, piece, InscriptConverter::Language::kStandard);
  };
  const auto phoneticRun = [&](const Byte* in, std::int32_t n, Byte* out, std::int32_t cap) {
    return phonetic.Decode(in, n, out, cap);
  };
  const auto inscriptRun = [&](const Byte* in, std::int32_t n, Byte* out, std::int32_t cap) {
    return inscript.Decode(in, n, out, cap, standard);
  };
  std::basic_string<Byte> phoneticLong;
  std::basic_string<Byte> inscriptLong;
  for (int i = 0; i < 150; ++i) {
    const auto typed = RandomKeys(random, {phonetic_keyboard::ConsonantRows(), phonetic_keyboard::VowelRows(),
                                           phonetic_keyboard::SignRows()});
    const auto laid = RandomKeys(random, {inscript::ConsonantRows(), inscript::VowelSignRows(), inscript::VowelRows(),
                                          inscript::SignRows()});
    if (phoneticLong.size() < 1500) phoneticLong += typed;
    if (inscriptLong.size() < 1500) inscriptLong += laid;
    ExpectSameAtEveryCapacity<Byte, Byte>(
        typed, [&](const Byte* in, Byte* out, std::int32_t cap) { return phoneticRun(in, -1, out, cap); }, phoneticStep,
        "LPXKBD decoding");
    ExpectSameAtEveryCapacity<Byte, Byte>(
        laid, [&](const Byte* in, Byte* out, std::int32_t cap) { return inscriptRun(in, -1, out, cap); }, inscriptStep,
        "INSCRIPT decoding");
  }
  // Every cut of long text, with room for everything.
  const auto cuts = [](const std::basic_string<Byte>& input, auto&& run, auto&& step, const char* what) {
    for (std::int32_t length = 0; length <= static_cast<std::int32_t>(input.size()); ++length) {
      std::basic_string<Byte> expected(input.size() * 8 + 64, Byte{0x7E});
      std::basic_string<Byte> actual = expected;
      const auto capacity = static_cast<std::int32_t>(expected.size());
      const std::int32_t expectedUsed = RunLoop(input.c_str(), length, expected.data(), capacity, step);
      ASSERT_EQ(run(input.c_str(), length, actual.data(), capacity), expectedUsed) << what << " of " << length;
      ASSERT_EQ(actual, expected) << what << " of " << length << " bytes";
    }
  };
  cuts(phoneticLong, phoneticRun, phoneticStep, "LPXKBD decoding");
  cuts(inscriptLong, inscriptRun, inscriptStep, "INSCRIPT decoding");
}

std::basic_string<Byte> Keys(std::string_view keys) { return {keys.begin(), keys.end()}; }

// A text where a run stops or must leave a step whole, and why.
template <class Unit>
struct RunCase {
  std::basic_string<Unit> text;
  const char* what;
};

// Runs take ordinary text a unit at a time in stages of a few hundred units:
// each case is met at every place of `ordinary` text up to past the first
// stages' ends, whole, cut at every length around it, and with the output
// ending around it. `fast(input, length, out, capacity)` must give what
// `reference` gives.
template <class Unit, class Fast, class Reference>
void ExpectSameAtEveryPlace(const std::basic_string<Unit>& ordinary, std::span<const RunCase<Unit>> cases, Fast&& fast,
                            Reference&& reference) {
  std::basic_string<Unit> text;
  while (text.size() < 700) text += ordinary;
  for (const RunCase<Unit>& c : cases) {
    for (std::size_t at = 0; at < 320; ++at) {
      const std::basic_string<Unit> input = text.substr(0, at) + c.text + text.substr(0, 40);
      const auto size = static_cast<std::int32_t>(input.size());
      std::basic_string<Byte> full(input.size() * 4 + 16, Byte{0});
      reference(input.c_str(), size, full.data(), static_cast<std::int32_t>(full.size()));
      const std::int32_t fullLength = UnitLength(full.c_str());
      std::basic_string<Byte> head(at * 4 + 16, Byte{0});
      reference(input.c_str(), static_cast<std::int32_t>(at), head.data(), static_cast<std::int32_t>(head.size()));
      const std::int32_t before = UnitLength(head.c_str());
      std::vector<std::pair<std::int32_t, std::int32_t>> tries = {{size, fullLength + 2}};
      for (std::int32_t d = -3; d <= 6; ++d) {
        if (const std::int32_t length = static_cast<std::int32_t>(at) + d; length >= 0 && length <= size) {
          tries.emplace_back(length, fullLength + 2);
        }
        if (const std::int32_t capacity = before + 1 + d; capacity >= 0) tries.emplace_back(size, capacity);
      }
      for (const auto& [length, capacity] : tries) {
        std::basic_string<Byte> expected(static_cast<std::size_t>(capacity) + 4, Byte{0x7E});
        std::basic_string<Byte> actual = expected;
        const std::int32_t expectedUsed = reference(input.c_str(), length, expected.data(), capacity);
        ASSERT_EQ(fast(input.c_str(), length, actual.data(), capacity), expectedUsed)
            << c.what << " after " << at << " units, " << length << " read, capacity " << capacity;
        ASSERT_EQ(actual, expected) << c.what << " after " << at << " units, " << length << " read, capacity "
                                    << capacity;
      }
    }
  }
}

TEST(ShortSteps, InscriptRunsStopWhereTheStepsDecideAtEveryPlace) {
  const InscriptConverter& inscript = Converters().inscript;
  const PropertyStore standard;
  // Consonants with signs, with the halant before a consonant and before a
  // blank, with the inherent a; vowels and signs: all taken by the runs.
  const std::basic_string<Byte> ordinary = Keys("kjfmel vfxhe idjrlg cdlj yjd ;ehk D Ex, ugr.9 ");
  const RunCase<Byte> cases[] = {
      {Keys("kdd"), "the halant doubled"},
      {Keys("kdr"), "a vowel sign after the halant"},
      {Keys("kdE"), "an independent vowel after the halant"},
      {Keys("kdD"), "a key both vowel and vowel sign after the halant"},
      {Keys("kd"), "the halant at the end"},
      {Keys("k]e"), "a consonant of two keys"},
      {Keys("kr]"), "a vowel sign of two keys"},
      {Keys("+]"), "a vowel of two keys"},
      {Keys("$e"), "the dead ra with a sign"},
      {Keys("$k"), "the dead ra bare"},
      {Keys("k#k"), "ra as a cluster's second member"},
      {Keys("k^k"), "a non-joiner after a consonant"},
      {Keys("k&"), "a joiner after a consonant"},
      {Keys("k\n\n"), "controls after a consonant"},
      {Keys("]"), "a key that types nothing"},
      {Keys("d"), "the halant alone"},
      {Keys("\xC8k"), "a byte from 128 up"},
      {Keys("k"), "a consonant at the end"},
  };
  ExpectSameAtEveryPlace<Byte>(
      ordinary, cases,
      [&](const Byte* in, std::int32_t n, Byte* out, std::int32_t cap) { return inscript.Decode(in, n, out, cap, standard); },
      [&](const Byte* in, std::int32_t n, Byte* out, std::int32_t cap) {
        return RunLoop(in, n, out, cap, [&](const Byte* p, Piece<Byte>& piece) {
          return inscript.DecodeStep(p, piece, InscriptConverter::Language::kStandard);
        });
      });
}

TEST(ShortSteps, RomanisationRunsStopWhereTheStepsDecideAtEveryPlace) {
  const Iso15919Converter& iso = Converters().iso15919;
  // Letters with and without marks, aspirates and diphthongs, the separator
  // and punctuation, in small letters and capitals: all taken by the runs.
  const std::u16string ordinary = u"ājñādaṁḍamu siṁhō Kaṁsakāruḍu vēgavaṁtamavutuṁdi, ṬHAKKU phraṁḍu ḍril– Aitē ";
  const RunCase<char16_t> cases[] = {
      {u"dr\u0325ṣṭi", "a key whose longer key has three units"},
      {u"r\u0325\u0304", "a key of three units"},
      {u"R\u0325\u0304", "a key of three units in capitals"},
      {u"10", "a number sign's first digits"},
      {u"1000", "a number sign of four units"},
      {u"k\n\n\tk", "controls"},
      {std::u16string(40, u'\t') + u"k", "more controls than one step takes"},
      {u"\u0C15k", "a letter no key holds"},
      {u"\U0001F600", "a surrogate pair"},
      {u"ka:hi:u", "separators"},
      {u"ṭ\u0323h", "the nukta alone"},
      {u"Rs", "a key with a capital"},
      {u"\u014Dm\u0310", "om"},
      {u"\u2019\u201D", "quotation marks"},
      {u"k", "a letter at the end"},
      {u"K", "a capital at the end"},
  };
  ExpectSameAtEveryPlace<char16_t>(
      ordinary, cases,
      [&](const char16_t* in, std::int32_t n, Byte* out, std::int32_t cap) { return iso.Decode(in, n, out, cap); },
      // The plain steps on the lower-cased text, which ends after the units read.
      [&](const char16_t* in, std::int32_t n, Byte* out, std::int32_t cap) {
        std::u16string lowered(in, static_cast<std::size_t>(n));
        LowerLatin(lowered);
        return RunLoop(lowered.c_str(), -1, out, cap,
                       [&](const char16_t* p, Piece<Byte>& piece) { return iso.DecodeStep(p, piece); });
      });
}

// Internal code for the encoders: the decoders' output of random text, then
// bytes the decoders never write (1 to 255 at random) and the bytes around
// the romanisation's separators and nukta pairs, so that every cell, pair,
// separator and decline is met, also across the end of a run.
std::basic_string<Byte> RandomInternal(std::mt19937& random) {
  std::string internal = test::ToBytes(RandomUtf8(random), "UTF-8", "LPXCODE");
  static const Byte kAround[] = {code::kVowelA, code::kVowelI, code::kVowelU, code::kHa, code::kNukta, 122, 124,
                                 127, 134, 141, 149, 160};
  for (int k = 0; k < 8; ++k) {
    internal += static_cast<char>(random() % 2 ? 1 + random() % 255 : kAround[random() % std::size(kAround)]);
  }
  return std::basic_string<Byte>(internal.begin(), internal.end());
}

// A converter's UTF-8 output against its step run through a Utf8Sink, at every capacity.
template <class Fast, class Step>
void ExpectSameUtf8AtEveryCapacity(const std::basic_string<Byte>& internal, Fast&& fast, Step&& step, const char* what) {
  const auto plain = [&](std::int32_t capacity) {
    std::basic_string<Byte> out(static_cast<std::size_t>(capacity) + 4, 0x7E);
    Utf8Sink sink(out.data(), capacity);
    RunLoop(internal.c_str(), -1, sink, step);
    sink.Finish();
    return out;
  };
  const auto full = plain(static_cast<std::int32_t>(internal.size()) * 24 + 64);
  const auto fullLength = static_cast<std::int32_t>(UnitLength(full.c_str()));
  for (std::int32_t capacity = 0; capacity <= fullLength + 2 + 64; capacity += capacity <= fullLength + 2 ? 1 : 62) {
    std::basic_string<Byte> actual(static_cast<std::size_t>(capacity) + 4, 0x7E);
    fast(internal.c_str(), actual.data(), capacity);
    ASSERT_EQ(actual, plain(capacity)) << what << " at capacity " << capacity << " on " << Describe(internal);
  }
}

TEST(ShortSteps, RomanisationEncodingMatchesTheStepByStepRunAtEveryCapacity) {
  std::mt19937 random(13);
  const Iso15919Converter& iso = Converters().iso15919;
  const Iso15919AnsiConverter& ansi = Converters().iso15919Ansi;
  std::basic_string<Byte> longText;
  for (int i = 0; i < 150; ++i) {
    const std::basic_string<Byte> code = RandomInternal(random);
    if (longText.size() < 2000) longText += code;
    ExpectSameAtEveryCapacity<Byte, char16_t>(
        code, [&](const Byte* in, char16_t* out, std::int32_t cap) { return iso.Encode(in, -1, out, cap); },
        [&](const Byte* p, Piece<char16_t>& piece) { return iso.EncodeStep(p, piece); }, "ISO15919 encoding");
    ExpectSameAtEveryCapacity<Byte, Byte>(
        code, [&](const Byte* in, Byte* out, std::int32_t cap) { return ansi.Encode(in, -1, out, cap); },
        [&](const Byte* p, Piece<Byte>& piece) { return ansi.EncodeStep(p, piece); }, "ISO15919_ANSI encoding");
    ExpectSameUtf8AtEveryCapacity(
        code, [&](const Byte* in, Byte* out, std::int32_t cap) { return iso.EncodeUtf8(in, out, cap); },
        [&](const Byte* p, Piece<char16_t>& piece) { return iso.EncodeStep(p, piece); }, "ISO15919_UTF_8 encoding");
  }
  // Long text, across many stages of the runs.
  ExpectSameAtEveryCapacity<Byte, char16_t>(
      longText, [&](const Byte* in, char16_t* out, std::int32_t cap) { return iso.Encode(in, -1, out, cap); },
      [&](const Byte* p, Piece<char16_t>& piece) { return iso.EncodeStep(p, piece); }, "ISO15919 encoding");
  ExpectSameUtf8AtEveryCapacity(
      longText, [&](const Byte* in, Byte* out, std::int32_t cap) { return iso.EncodeUtf8(in, out, cap); },
      [&](const Byte* p, Piece<char16_t>& piece) { return iso.EncodeStep(p, piece); }, "ISO15919_UTF_8 encoding");
  // Lengths short of the text end the run inside a step.
  for (std::int32_t length = 0; length <= 200; ++length) {
    std::basic_string<Byte> expected(longText.size() * 8 + 64, Byte{0x7E});
    std::basic_string<Byte> actual = expected;
    const auto capacity = static_cast<std::int32_t>(expected.size());
    const std::int32_t expectedUsed = RunLoop(longText.c_str(), length, expected.data(), capacity,
                                              [&](const Byte* p, Piece<Byte>& piece) { return ansi.EncodeStep(p, piece); });
    ASSERT_EQ(ansi.Encode(longText.c_str(), length, actual.data(), capacity), expectedUsed) << length;
    ASSERT_EQ(actual, expected) << "ISO15919_ANSI encoding of " << length << " bytes";
  }
}

TEST(ShortSteps, RomanisationDecodingMatchesTheStepByStepRunAtEveryCapacity) {
  std::mt19937 random(15);
  const Iso15919Converter& iso = Converters().iso15919;
  const Iso15919AnsiConverter& ansi = Converters().iso15919Ansi;
  // Latin letters, capitals, the marks of long keys, separators and units no key holds.
  static const char16_t kUnits[] = {u'k', u'h', u'K', u'r', u'l', u'n', u'd', u't', u'a', u'i', u'u', u':', u'\'',
                                    0x0325, 0x0304, 0x0323, 0x0331, 0x0332, 0x0306, 0x0101, 0x1E6D, 0x1E6C,
                                    0x014D, 0x0310, u'1', u'0', u' ', u'\t', 0x0C15, 0x00E9, 0x1EFF};
  for (int i = 0; i < 150; ++i) {
    const std::basic_string<Byte> code = RandomInternal(random);
    std::u16string wide = test::ToWide(std::string(code.begin(), code.end()), "LPXCODE", "ISO15919");
    for (int k = 0; k < 8; ++k) wide.insert(random() % (wide.size() + 1), 1, kUnits[random() % std::size(kUnits)]);
    std::u16string lowered = wide;
    LowerLatin(lowered);
    // The run loop on the lower-cased text is Decode's reference.
    ExpectSameAtEveryCapacity<char16_t, Byte>(
        lowered, [&](const char16_t*, Byte* out, std::int32_t cap) { return iso.Decode(wide.c_str(), -1, out, cap); },
        [&](const char16_t* p, Piece<Byte>& piece) { return iso.DecodeStep(p, piece); }, "ISO15919 decoding");
    const std::string bytes = test::ToBytes(std::string(code.begin(), code.end()), "LPXCODE", "ISO15919_ANSI") +
                              static_cast<char>(1 + random() % 255) + "kh:r";
    const std::basic_string<Byte> text(bytes.begin(), bytes.end());
    ExpectSameAtEveryCapacity<Byte, Byte>(
        text, [&](const Byte* in, Byte* out, std::int32_t cap) { return ansi.Decode(in, -1, out, cap); },
        [&](const Byte* p, Piece<Byte>& piece) { return ansi.DecodeStep(p, piece); }, "ISO15919_ANSI decoding");
  }
}

TEST(ShortSteps, FontEncodingMatchesTheStepByStepEncodingAtEveryCapacityAndLength) {
  std::mt19937 random(16);
  const FontEncodingConverter& font = Converters().fontEncoding;
  std::vector<std::basic_string<Byte>> texts;
  for (int i = 0; i < 150; ++i) {
    // Accents after syllables, clusters, nukta and bytes at random among the pairs.
    std::basic_string<Byte> code = RandomInternal(random);
    for (int k = 0; k < 4; ++k) {
      code.insert(random() % (code.size() + 1), 1,
                  static_cast<Byte>(random() % 2 ? code::kAccentFirst + random() % 2 : 1 + random() % 255));
    }
    texts.push_back(code);
  }
  // Every byte after a consonant, as a further consonant of a cluster, before
  // the vowel of one, and before an accent: ka, pa with ra, ta with ai, ca with nukta.
  for (std::uint32_t b = 1; b < 256; ++b) {
    const auto x = static_cast<Byte>(b);
    for (const std::basic_string<Byte>& code : std::initializer_list<std::basic_string<Byte>>{
             {122, x, 100}, {144, 150, x, 104}, {137, x, 114, 171}, {127, x, 170, 150, 106}, {x, 171, 122, 137, 146, x}}) {
      texts.push_back(code);
    }
  }
  for (const std::basic_string<Byte>& code : texts) {
    const auto length = static_cast<std::int32_t>(code.size());
    std::basic_string<Byte> full(code.size() * 12 + 64, 0);
    font.EncodeStepByStep(code.c_str(), -1, full.data(), static_cast<std::int32_t>(full.size()));
    const auto fullLength = static_cast<std::int32_t>(UnitLength(full.c_str()));
    // Every cut of the short texts; of the long ones, a few.
    std::vector<std::int32_t> cuts = {-1, length - 1, length / 2};
    for (std::int32_t n = 0; length <= 8 && n <= length; ++n) cuts.push_back(n);
    for (std::int32_t capacity = 0; capacity <= fullLength + 2; ++capacity) {
      for (const std::int32_t n : cuts) {
        std::basic_string<Byte> expected(static_cast<std::size_t>(capacity) + 4, 0x7E);
        std::basic_string<Byte> actual = expected;
        ASSERT_EQ(font.Encode(code.c_str(), n, actual.data(), capacity),
                  font.EncodeStepByStep(code.c_str(), n, expected.data(), capacity));
        ASSERT_EQ(actual, expected) << "capacity " << capacity << ", length " << n << " on " << Describe(code);
      }
    }
  }
}

// The font decoder against its plain steps on `glyphs`: at every capacity with
// every cut of the input (guard bytes around the buffer), or, for long text,
// at every capacity whole and at every cut with room to spare.
void ExpectSameFontDecoding(const std::basic_string<Byte>& glyphs) {
  const FontEncodingConverter& font = Converters().fontEncoding;
  const auto length = static_cast<std::int32_t>(glyphs.size());
  const std::int32_t roomy = length * 8 + 16;
  const auto same = [&](std::int32_t n, std::int32_t capacity) {
    std::basic_string<Byte> expected(static_cast<std::size_t>(capacity) + 4, 0x7E);
    std::basic_string<Byte> actual = expected;
    ASSERT_EQ(font.Decode(glyphs.c_str(), n, actual.data(), capacity),
              font.DecodeStepByStep(glyphs.c_str(), n, expected.data(), capacity))
        << "capacity " << capacity << ", length " << n << " on " << Describe(glyphs);
    ASSERT_EQ(actual, expected) << "capacity " << capacity << ", length " << n << " on " << Describe(glyphs);
  };
  const bool everyPair = length <= 48;
  for (std::int32_t n = -1; n <= length; ++n) {
    std::basic_string<Byte> whole(static_cast<std::size_t>(roomy), 0);
    font.DecodeStepByStep(glyphs.c_str(), n, whole.data(), roomy);
    const auto wholeLength = static_cast<std::int32_t>(UnitLength(whole.c_str()));
    if (everyPair || n == -1) {
      for (std::int32_t capacity = 0; capacity <= wholeLength + 2; ++capacity) ASSERT_NO_FATAL_FAILURE(same(n, capacity));
    }
    ASSERT_NO_FATAL_FAILURE(same(n, roomy));
  }
}

TEST(ShortSteps, FontDecodingMatchesTheStepByStepDecodingAtEveryCapacityAndLength) {
  std::mt19937 random(17);
  const auto toGlyphs = [](const std::basic_string<Byte>& code) {
    const std::string bytes = test::ToBytes(std::string(code.begin(), code.end()), "LPXCODE", "ANSI");
    return std::basic_string<Byte>(bytes.begin(), bytes.end());
  };
  // Bytes the steps treat apart: spacers, the ai lead, the signs of vocalic
  // r and rr, below forms, accents, a control, ASCII without a glyph.
  static const Byte kApart[] = {253, 254, 204, 197, 198, 229, 240, 241, 242, 219, 133, 134, 10, 9, 38, 126, 200, 115, 192, 185};
  // Real words in glyphs, with bytes of every kind put in at random places.
  std::basic_string<Byte> longText;
  for (int i = 0; i < 120; ++i) {
    std::basic_string<Byte> glyphs = toGlyphs(RandomInternal(random));
    for (int k = 0; k < 4; ++k) {
      const Byte b = random() % 2 ? kApart[random() % std::size(kApart)] : static_cast<Byte>(1 + random() % 255);
      glyphs.insert(random() % (glyphs.size() + 1), 1, b);
    }
    if (longText.size() < 3000) longText += glyphs;
    ASSERT_NO_FATAL_FAILURE(ExpectSameFontDecoding(glyphs));
  }
  // Long text, across many stretches written in place.
  ASSERT_NO_FATAL_FAILURE(ExpectSameFontDecoding(longText));
  // Every glyph byte alone, after a consonant, before a vowel sign, after the
  // ai lead and among below forms, with an accent in front.
  for (std::uint32_t b = 1; b < 256; ++b) {
    const auto g = static_cast<Byte>(b);
    for (const std::basic_string<Byte>& glyphs : std::initializer_list<std::basic_string<Byte>>{
             {g}, {79, 179, g, 181}, {133, 79, g, 192, 241}, {204, g, 199, 253, 229}, {182, 84, 229, 254, g, 197},
             {115, 192, g}, {g, g, 67, 79, 181, 214, g}}) {
      ASSERT_NO_FATAL_FAILURE(ExpectSameFontDecoding(glyphs));
    }
  }
  // Random bytes, mostly from the glyph range.
  for (int i = 0; i < 150; ++i) {
    std::basic_string<Byte> glyphs;
    const int size = 1 + static_cast<int>(random() % 24);
    for (int k = 0; k < size; ++k) {
      glyphs += static_cast<Byte>(random() % 4 == 0 ? 1 + random() % 255 : 160 + random() % 96);
    }
    ASSERT_NO_FATAL_FAILURE(ExpectSameFontDecoding(glyphs));
  }
}

TEST(ShortSteps, BrailleEncodingMatchesTheStepByStepEncodingAtEveryCapacity) {
  std::mt19937 random(14);
  const BrailleConverter& braille = Converters().braille;
  PropertyStore none, nemeth, subscript;
  nemeth[LPX_KEY_NEMETH] = "TRUE";
  subscript[LPX_KEY_SUBSCRIPT] = "TRUE";
  for (int i = 0; i < 120; ++i) {
    // Words, digits and signs between them, and the bytes the syllables decline.
    std::basic_string<Byte> code = RandomInternal(random);
    const std::string more = test::ToBytes(" 12-3 \"", "UTF-8", "LPXCODE");
    code += std::basic_string<Byte>(more.begin(), more.end()) + RandomInternal(random);
    code.erase(std::find(code.begin(), code.end(), Byte{0}), code.end());
    for (const PropertyStore* properties : {&none, &nemeth, &subscript}) {
      std::basic_string<Byte> full(code.size() * 12 + 64, 0);
      const std::int32_t fullLength =
          braille.EncodeStepByStep(*properties, code.c_str(), full.data(), static_cast<std::int32_t>(full.size()));
      for (std::int32_t capacity = 0; capacity <= fullLength + 2; ++capacity) {
        std::basic_string<Byte> expected(static_cast<std::size_t>(capacity) + 4, 0x7E);
        std::basic_string<Byte> actual = expected;
        bool expectedWhole = false, actualWhole = false;
        const std::int32_t n = braille.EncodeStepByStep(*properties, code.c_str(), expected.data(), capacity, &expectedWhole);
        ASSERT_EQ(braille.Encode(*properties, code.c_str(), actual.data(), capacity, &actualWhole), n);
        ASSERT_EQ(actual, expected) << "capacity " << capacity << " on " << Describe(code);
        ASSERT_EQ(actualWhole, expectedWhole) << "capacity " << capacity;
      }
    }
  }
}

// --- Braille: the shortcuts both ways against the plain steps ---

// The option sets each Braille shortcut is checked with.
std::vector<PropertyStore> BrailleOptionSets() {
  std::vector<PropertyStore> sets(5);
  sets[1][LPX_KEY_NEMETH] = "TRUE";
  sets[2][LPX_KEY_SUBSCRIPT] = "TRUE";
  sets[3][LPX_KEY_SUPERSCRIPT] = "TRUE";
  sets[4][LPX_KEY_NEMETH] = "TRUE";
  sets[4][LPX_KEY_SUBSCRIPT] = "TRUE";
  return sets;
}

// Runs `fast` and `plain` (input, length, output, capacity -> input consumed)
// at every capacity up to a little past the whole output, and at every length
// of the input with room for everything, with guard units past the capacity.
template <class In, class Out, class Fast, class Plain>
void ExpectSameAtEveryCapacityAndCut(const std::basic_string<In>& input, Fast&& fast, Plain&& plain,
                                     const std::string& what) {
  const auto run = [&](auto&& convert, std::int32_t length, std::int32_t capacity) {
    std::basic_string<Out> out(static_cast<std::size_t>(capacity) + 4, Out{0x7E});
    const std::int32_t used = convert(input.c_str(), length, out.data(), capacity);
    return std::pair{used, out};
  };
  const auto room = static_cast<std::int32_t>(input.size() * 12 + 64);
  const auto full = run(plain, -1, room).second;
  const std::int32_t fullLength = UnitLength(full.c_str());
  for (std::int32_t capacity = 0; capacity <= fullLength + 2; ++capacity) {
    ASSERT_EQ(run(fast, -1, capacity), run(plain, -1, capacity)) << what << " at capacity " << capacity << " on "
                                                                 << Describe(input);
  }
  for (std::int32_t length = 0; length <= static_cast<std::int32_t>(input.size()); ++length) {
    ASSERT_EQ(run(fast, length, room), run(plain, length, room)) << what << " of " << length << " units on "
                                                                 << Describe(input);
  }
}

// Internal code to write as Braille: real words, every byte alone and in the
// places of a syllable (after a consonant, before and after a vowel, after
// the inherent vowel, between digits), and random text.
std::vector<std::basic_string<Byte>> BrailleWritingSamples(std::mt19937& random) {
  std::vector<std::basic_string<Byte>> samples;
  const auto internal = [](const std::string& utf8) {
    const std::string code = test::ToBytes(utf8, "UTF-8", "LPXCODE");
    return std::basic_string<Byte>(code.begin(), code.end());
  };
  std::basic_string<Byte> words;
  for (std::size_t i = 0; i < WordSample().size() && words.size() < 900; i += 7) {
    words += internal(WordSample()[i]) + static_cast<Byte>(i % 5 == 0 ? '\n' : ' ');
  }
  samples.push_back(words);
  std::basic_string<Byte> everyByte;
  for (std::uint32_t b = 1; b < 256; ++b) {
    const auto x = static_cast<Byte>(b);
    const Byte around[] = {x, ' ', 122, x, 100, ' ', x, 122, 100, x, 101, ' ', 122, 100, x, ' ', 76, x, 77, ' '};
    everyByte.append(around, std::size(around));
    if (everyByte.size() > 250) {
      samples.push_back(everyByte);
      everyByte.clear();
    }
  }
  samples.push_back(everyByte);
  for (int i = 0; i < 30; ++i) {
    std::basic_string<Byte> code = RandomInternal(random) + internal(" 12-3 \"") + RandomInternal(random);
    code.erase(std::find(code.begin(), code.end(), Byte{0}), code.end());
    samples.push_back(code);
  }
  return samples;
}

TEST(ShortSteps, BrailleBothFormsWriteAsTheStepsOnWordsEveryByteAndRandomText) {
  std::mt19937 random(17);
  const BrailleConverter& braille = Converters().braille;
  for (const std::basic_string<Byte>& code : BrailleWritingSamples(random)) {
    for (const PropertyStore& properties : BrailleOptionSets()) {
      // Every capacity, with `whole`, for both forms, and room for the most
      // cells every byte could take; the input is always read whole.
      const auto check = [&]<class Out>(auto&& fast, auto&& plain, const char* what) {
        const auto room = static_cast<std::int32_t>(code.size() * 13 + 64);
        std::basic_string<Out> full(static_cast<std::size_t>(room), Out{0});
        const std::int32_t fullLength = plain(properties, code.c_str(), full.data(), room, nullptr);
        std::vector<std::int32_t> capacities(static_cast<std::size_t>(fullLength) + 3);
        std::iota(capacities.begin(), capacities.end(), 0);
        capacities.push_back(room);
        for (const std::int32_t capacity : capacities) {
          std::basic_string<Out> expected(static_cast<std::size_t>(capacity) + 4, Out{0x7E});
          std::basic_string<Out> actual = expected;
          bool expectedWhole = false, actualWhole = false;
          const std::int32_t n = plain(properties, code.c_str(), expected.data(), capacity, &expectedWhole);
          ASSERT_EQ(fast(properties, code.c_str(), actual.data(), capacity, &actualWhole), n) << what;
          ASSERT_EQ(actual, expected) << what << " at capacity " << capacity << " on " << Describe(code);
          ASSERT_EQ(actualWhole, expectedWhole) << what << " at capacity " << capacity;
        }
      };
      check.operator()<Byte>(
          [&](auto&&... a) { return braille.Encode(a...); }, [&](auto&&... a) { return braille.EncodeStepByStep(a...); },
          "BRAILLE writing");
      check.operator()<char16_t>([&](auto&&... a) { return braille.EncodeUnicode(a...); },
                                 [&](auto&&... a) { return braille.EncodeUnicodeStepByStep(a...); },
                                 "BRAILLE_UNICODE writing");
    }
  }
}

// Braille to read: real words as the plain steps write them with each option
// set, every cell alone and after a letter, the no-vowel cell, the number
// sign, a digit and an opening quote, and random cells mixed with spaces,
// controls and bytes that are no cell.
std::vector<std::string> BrailleReadingSamples(std::mt19937& random, const PropertyStore& properties) {
  std::vector<std::string> samples;
  const BrailleConverter& braille = Converters().braille;
  std::string words;
  for (std::size_t i = 3; i < WordSample().size() && words.size() < 1200; i += 11) words += WordSample()[i] + " ";
  const std::string code = test::ToBytes(words, "UTF-8", "LPXCODE");
  std::string cells(code.size() * 12 + 64, '\0');
  braille.EncodeStepByStep(properties, reinterpret_cast<const Byte*>(code.c_str()),
                           reinterpret_cast<Byte*>(cells.data()), static_cast<std::int32_t>(cells.size()));
  samples.push_back(cells.c_str());
  std::string everyCell;
  for (char c = ' '; c <= '_'; ++c) {
    for (const char* before : {"", "K", "@", "#", "#A", "8", "KI", "^", ";"}) everyCell += std::string(before) + c + "A ";
    everyCell += std::string(1, c) + c + "K" + c + "\t";
    if (everyCell.size() > 250) {
      samples.push_back(everyCell);
      everyCell.clear();
    }
  }
  samples.push_back(everyCell);
  static const char kOthers[] = {' ', ' ', '\n', '\t', '\x01', '\x7F', 'a', '\xC0', '\xFF'};
  for (int i = 0; i < 40; ++i) {
    std::string text;
    const int length = 1 + static_cast<int>(random() % 40);
    for (int k = 0; k < length; ++k) {
      text += random() % 6 == 0 ? kOthers[random() % std::size(kOthers)] : static_cast<char>(' ' + random() % 64);
    }
    samples.push_back(text);
  }
  return samples;
}

TEST(ShortSteps, BrailleBothFormsReadAsTheStepsAtEveryCapacityAndCut) {
  std::mt19937 random(18);
  const BrailleConverter& braille = Converters().braille;
  for (const PropertyStore& properties : BrailleOptionSets()) {
    for (const std::string& text : BrailleReadingSamples(random, properties)) {
      const std::basic_string<Byte> cells(text.begin(), text.end());
      ExpectSameAtEveryCapacityAndCut<Byte, Byte>(
          cells,
          [&](const Byte* in, std::int32_t n, Byte* out, std::int32_t cap) {
            return braille.Decode(properties, in, n, out, cap);
          },
          [&](const Byte* in, std::int32_t n, Byte* out, std::int32_t cap) {
            return braille.DecodeStepByStep(properties, in, n, out, cap);
          },
          "BRAILLE reading");
      // The same cells as patterns (bytes that are no cell stay as units).
      std::u16string patterns(cells.size(), u'\0');
      braille.CellsToPatterns(cells.c_str(), -1, patterns.data(), static_cast<std::int32_t>(patterns.size()) + 1);
      const auto work = [](std::int32_t units) { return std::vector<Byte>(static_cast<std::size_t>(units) * 5 + 1); };
      ExpectSameAtEveryCapacityAndCut<char16_t, Byte>(
          patterns,
          [&](const char16_t* in, std::int32_t n, Byte* out, std::int32_t cap) {
            auto w = work(static_cast<std::int32_t>(patterns.size()));
            return braille.DecodeUnicode(properties, in, n, w.data(), static_cast<std::int32_t>(w.size()), out, cap);
          },
          [&](const char16_t* in, std::int32_t n, Byte* out, std::int32_t cap) {
            auto w = work(static_cast<std::int32_t>(patterns.size()));
            return braille.DecodeUnicodeStepByStep(properties, in, n, w.data(), static_cast<std::int32_t>(w.size()),
                                                   out, cap);
          },
          "BRAILLE_UNICODE reading");
      // And every capacity of the work buffer, which bounds the units read.
      const auto room = static_cast<std::int32_t>(cells.size() * 12 + 64);
      for (std::int32_t workCapacity = 0; workCapacity <= static_cast<std::int32_t>(patterns.size()) * 5 + 2;
           workCapacity += 1 + workCapacity / 16) {
        std::vector<Byte> expectedWork(static_cast<std::size_t>(workCapacity) + 1, 0x7E);
        std::vector<Byte> actualWork = expectedWork;
        std::basic_string<Byte> expected(static_cast<std::size_t>(room) + 4, 0x7E);
        std::basic_string<Byte> actual = expected;
        const std::int32_t n = braille.DecodeUnicodeStepByStep(properties, patterns.c_str(), -1, expectedWork.data(),
                                                               workCapacity, expected.data(), room);
        ASSERT_EQ(braille.DecodeUnicode(properties, patterns.c_str(), -1, actualWork.data(), workCapacity,
                                        actual.data(), room),
                  n)
            << "work capacity " << workCapacity;
        ASSERT_EQ(actual, expected) << "work capacity " << workCapacity << " on " << Describe(text);
      }
    }
  }
}

// Long text runs through many stretches and stages of the run loops, with
// steps across their ends; a length short of the text ends the run inside a
// step, which the step then finishes past that length.
TEST(ShortSteps, LongTextAndShortLengthsMatchTheStepByStepRun) {
  std::mt19937 random(12);
  std::string utf8;
  while (utf8.size() < 3000) utf8 += RandomUtf8(random) + " ";
  const std::u16string wide = Utf8ToUtf16(utf8);
  const std::string internal = test::ToBytes(utf8, "UTF-8", "LPXCODE");
  const std::string latin = test::ToBytes(internal, "LPXCODE", "TELTRANS");
  const std::basic_string<Byte> code(internal.begin(), internal.end());
  const std::basic_string<Byte> typed(latin.begin(), latin.end());
  const UnicodeConverter& unicode = Converters().unicode;
  const TransliterationConverter& transliteration = Converters().transliteration;

  // Every capacity, on the whole text.
  ExpectSameAtEveryCapacity<char16_t, Byte>(
      wide, [&](const char16_t* in, Byte* out, std::int32_t cap) { return unicode.Decode(in, -1, out, cap); },
      [&](const char16_t* p, Piece<Byte>& piece) { return unicode.DecodeStep(p, piece); }, "UNICODE decoding");
  ExpectSameAtEveryCapacity<Byte, char16_t>(
      code, [&](const Byte* in, char16_t* out, std::int32_t cap) { return unicode.Encode(in, -1, out, cap); },
      [&](const Byte* p, Piece<char16_t>& piece) { return unicode.EncodeStep(p, piece); }, "UNICODE encoding");
  ExpectSameAtEveryCapacity<Byte, Byte>(
      code, [&](const Byte* in, Byte* out, std::int32_t cap) { return transliteration.Encode(in, -1, out, cap); },
      [&](const Byte* p, Piece<Byte>& piece) { return transliteration.EncodeStep(p, piece); }, "TELTRANS encoding");
  ExpectSameAtEveryCapacity<Byte, Byte>(
      typed, [&](const Byte* in, Byte* out, std::int32_t cap) { return transliteration.Decode(in, -1, out, cap); },
      [&](const Byte* p, Piece<Byte>& piece) { return transliteration.DecodeStep(p, piece); }, "TELTRANS decoding");
  const auto utf8Output = [&](std::int32_t capacity, bool fast) {
    std::basic_string<Byte> out(static_cast<std::size_t>(capacity) + 4, 0x7E);
    if (fast) {
      unicode.EncodeUtf8(code.c_str(), out.data(), capacity);
    } else {
      Utf8Sink sink(out.data(), capacity);
      RunLoop(code.c_str(), -1, sink, [&](const Byte* p, Piece<char16_t>& piece) { return unicode.EncodeStep(p, piece); });
      sink.Finish();
    }
    return out;
  };
  const auto fullUtf8 = static_cast<std::int32_t>(utf8Output(static_cast<std::int32_t>(code.size()) * 12 + 64, false).find(Byte{0}));
  for (std::int32_t capacity = 1; capacity <= fullUtf8 + 2; ++capacity) {
    ASSERT_EQ(utf8Output(capacity, true), utf8Output(capacity, false)) << "UTF-8 output at capacity " << capacity;
  }

  // Lengths short of the text, with room for everything.
  const auto cut = [&]<class Out = Byte>(const auto& input, const char* what, auto&& run, auto&& step) {
    for (std::int32_t length = 0; length <= static_cast<std::int32_t>(input.size()); ++length) {
      std::basic_string<Out> expected(input.size() * 8 + 64, Out{0x7E});
      std::basic_string<Out> actual = expected;
      const auto capacity = static_cast<std::int32_t>(expected.size());
      const std::int32_t expectedUsed = RunLoop(input.c_str(), length, expected.data(), capacity, step);
      const std::int32_t actualUsed = run(input.c_str(), length, actual.data(), capacity);
      ASSERT_EQ(actualUsed, expectedUsed) << what << " of " << length << " units";
      ASSERT_EQ(actual, expected) << what << " of " << length << " units";
    }
  };
  cut(wide, "UNICODE decoding",
      [&](const char16_t* in, std::int32_t n, Byte* out, std::int32_t cap) { return unicode.Decode(in, n, out, cap); },
      [&](const char16_t* p, Piece<Byte>& piece) { return unicode.DecodeStep(p, piece); });
  cut.operator()<char16_t>(
      code, "UNICODE encoding",
      [&](const Byte* in, std::int32_t n, char16_t* out, std::int32_t cap) { return unicode.Encode(in, n, out, cap); },
      [&](const Byte* p, Piece<char16_t>& piece) { return unicode.EncodeStep(p, piece); });
  cut(code, "TELTRANS encoding",
      [&](const Byte* in, std::int32_t n, Byte* out, std::int32_t cap) { return transliteration.Encode(in, n, out, cap); },
      [&](const Byte* p, Piece<Byte>& piece) { return transliteration.EncodeStep(p, piece); });
  cut(typed, "TELTRANS decoding",
      [&](const Byte* in, std::int32_t n, Byte* out, std::int32_t cap) { return transliteration.Decode(in, n, out, cap); },
      [&](const Byte* p, Piece<Byte>& piece) { return transliteration.DecodeStep(p, piece); });
}

// --- The encoding run and the normaliser's runs, byte by byte ---

// Every string of three nonzero bytes once, overlapping (a de Bruijn
// sequence), cut into pieces that overlap by two bytes so that each triple
// lies whole in one piece: every byte with every byte before and after it.
std::vector<std::basic_string<Byte>> EveryTriple() {
  constexpr int kSymbols = 255;
  std::vector<int> a(4 * kSymbols, 0);
  std::basic_string<Byte> sequence;
  // The Lyndon words of length dividing 3, in order (Fredricksen, Kessler, Maiorana).
  const auto generate = [&](auto&& self, int t, int period) -> void {
    if (t > 3) {
      if (3 % period == 0) {
        for (int j = 1; j <= period; ++j) sequence += static_cast<Byte>(1 + a[j]);
      }
      return;
    }
    a[t] = a[t - period];
    self(self, t + 1, period);
    for (int j = a[t - period] + 1; j < kSymbols; ++j) {
      a[t] = j;
      self(self, t + 1, t);
    }
  };
  generate(generate, 1, 1);
  sequence += sequence.substr(0, 2);  // the sequence is cyclic
  // Sanitized builds, unoptimised and many times slower, look for memory
  // faults on every sixteenth piece; the plain build checks every triple.
  const std::size_t stride = test::Sanitized() ? 16 : 1;
  std::vector<std::basic_string<Byte>> pieces;
  for (std::size_t at = 0; at + 2 < sequence.size(); at += 4096 * stride) pieces.push_back(sequence.substr(at, 4096 + 2));
  return pieces;
}

// The run and short steps against the plain steps on text where the run's
// cells meet what they cannot say: each row is internal code, and the
// encoders must agree on it at every capacity, as UTF-16 and as UTF-8.
TEST(EncodingRun, MatchesThePlainStepsWhereTheCellsStop) {
  struct Row {
    const char* what;
    std::basic_string<Byte> code;
  };
  const Row rows[] = {
      {"ka a, ka i: the inherent vowel and a sign", {122, 100, 122, 102}},
      {"ka before a consonant: the virama", {122, 124, 100}},
      {"ca, ca + nukta (tsa) + i, ja + nukta at the end", {127, 100, 127, 170, 102, 129, 170}},
      {"ka + nukta: the nukta dropped after the virama", {122, 170, 100}},
      {"ka before a vowel without a sign (108), then that vowel alone", {122, 108, 102, 108}},
      {"a vowel at the start of a run, then a sign taken by ka", {102, 122, 103, 32, 104}},
      {"quotation marks alone and doubled", {60, 122, 60, 60, 39, 39, 39}},
      {"escapes: a digit, zero, a surrogate pair, one cut short", {255, '0', '0', '3', '1', 255, '0', '0', '0', '0', 255, 'D',
                                                                  '8', '3', 'D', 255, 'D', 'E', '0', '0', 122, 255, '4', '1'}},
      {"a control run of 40 between letters", std::basic_string<Byte>(1, 122) + std::basic_string<Byte>(40, '\n') +
                                                   std::basic_string<Byte>{122, 102}},
      {"bytes no step writes", {143, 122, 152, 200, 216, 170, 101}},
  };
  const UnicodeConverter& unicode = Converters().unicode;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ExpectSameAtEveryCapacity<Byte, char16_t>(
        row.code, [&](const Byte* in, char16_t* out, std::int32_t cap) { return unicode.Encode(in, -1, out, cap); },
        [&](const Byte* p, Piece<char16_t>& piece) { return unicode.EncodeStep(p, piece); }, "UNICODE encoding");
    ExpectSameUtf8AtEveryCapacity(
        row.code, [&](const Byte* in, Byte* out, std::int32_t cap) { return unicode.EncodeUtf8(in, out, cap); },
        [&](const Byte* p, Piece<char16_t>& piece) { return unicode.EncodeStep(p, piece); }, "UTF-8 encoding");
  }
}

// Runs of ordinary text longer than a stage and an eight-byte block, with a
// stop at every place in them and cut at every length.
TEST(EncodingRun, LongRunsWithAStopAtEveryPlaceAndEveryCut) {
  const UnicodeConverter& unicode = Converters().unicode;
  const std::string words = test::ToBytes("\xE0\xB0\xA4\xE0\xB1\x86\xE0\xB0\xB2\xE0\xB1\x81\xE0\xB0\x97\xE0\xB1\x81 "
                                          "\xE0\xB0\xAD\xE0\xB0\xBE\xE0\xB0\xB7 ",
                                          "UTF-8", "LPXCODE");  // telugu bhaasha
  std::basic_string<Byte> text;
  while (text.size() < 700) text += std::basic_string<Byte>(words.begin(), words.end());
  for (const Byte stop : {Byte{'\t'}, Byte{code::kNukta}, Byte{60}}) {
    for (std::size_t place = 0; place < 40; ++place) {
      std::basic_string<Byte> code = text;
      code.insert(place * 17 % code.size(), 1, stop);
      std::basic_string<char16_t> expected(code.size() * 4 + 8, u'#');
      std::basic_string<char16_t> actual = expected;
      const auto capacity = static_cast<std::int32_t>(expected.size());
      for (const std::int32_t length : {-1, static_cast<std::int32_t>(place * 13 % code.size())}) {
        const std::int32_t used = RunLoop(code.c_str(), length, expected.data(), capacity,
                                          [&](const Byte* p, Piece<char16_t>& piece) { return unicode.EncodeStep(p, piece); });
        ASSERT_EQ(unicode.Encode(code.c_str(), length, actual.data(), capacity), used) << place << " " << length;
        ASSERT_EQ(actual, expected) << "stop " << int{stop} << " at " << place << ", length " << length;
      }
    }
  }
  ExpectSameUtf8AtEveryCapacity(
      text, [&](const Byte* in, Byte* out, std::int32_t cap) { return unicode.EncodeUtf8(in, out, cap); },
      [&](const Byte* p, Piece<char16_t>& piece) { return unicode.EncodeStep(p, piece); }, "UTF-8 encoding");
}

TEST(EncodingRun, EveryByteTripleEncodesAsThePlainSteps) {
  const UnicodeConverter& unicode = Converters().unicode;
  const auto step = [&](const Byte* p, Piece<char16_t>& piece) { return unicode.EncodeStep(p, piece); };
  for (const std::basic_string<Byte>& piece : EveryTriple()) {
    const auto capacity = static_cast<std::int32_t>(piece.size() * 8 + 16);
    std::basic_string<char16_t> expected(static_cast<std::size_t>(capacity), u'#');
    std::basic_string<char16_t> actual = expected;
    ASSERT_EQ(unicode.Encode(piece.c_str(), -1, actual.data(), capacity),
              RunLoop(piece.c_str(), -1, expected.data(), capacity, step));
    ASSERT_EQ(actual, expected) << Describe(piece.substr(0, 64));
    std::basic_string<Byte> expected8(static_cast<std::size_t>(capacity) * 3, '#');
    std::basic_string<Byte> actual8 = expected8;
    Utf8Sink sink(expected8.data(), capacity * 3);
    RunLoop(piece.c_str(), -1, sink, step);
    sink.Finish();
    unicode.EncodeUtf8(piece.c_str(), actual8.data(), capacity * 3);
    ASSERT_EQ(actual8, expected8) << Describe(piece.substr(0, 64));
  }
}

// The normaliser's runs against its plain steps.
void ExpectNormalisedAsThePlainSteps(const std::basic_string<Byte>& code, std::int32_t length, std::int32_t capacity) {
  const CodeNormaliser& normaliser = Converters().normaliser;
  std::basic_string<Byte> expected(static_cast<std::size_t>(std::max(capacity, 0)) + 4, 0x7E);
  std::basic_string<Byte> actual = expected;
  const std::int32_t used = normaliser.NormaliseStepByStep(code.c_str(), length, expected.data(), capacity);
  ASSERT_EQ(normaliser.Normalise(code.c_str(), length, actual.data(), capacity), used)
      << Describe(code) << " length " << length << " capacity " << capacity;
  ASSERT_EQ(actual, expected) << Describe(code) << " length " << length << " capacity " << capacity;
}

TEST(NormaliserRuns, EveryBytePairAtEveryCapacity) {
  for (std::uint32_t a = 1; a < 256; ++a) {
    for (std::uint32_t b = 0; b < 256; ++b) {
      // The pair, and the pair after a run of eight ordinary bytes.
      const std::basic_string<Byte> pair{static_cast<Byte>(a), static_cast<Byte>(b)};
      const std::basic_string<Byte> code = pair.substr(0, b == 0 ? 1 : 2);
      for (std::int32_t capacity = 0; capacity <= 7; ++capacity) ExpectNormalisedAsThePlainSteps(code, -1, capacity);
      ExpectNormalisedAsThePlainSteps(std::basic_string<Byte>(8, 122) + code, -1, 16);
      ExpectNormalisedAsThePlainSteps(code + std::basic_string<Byte>(8, 122), 1, 16);
    }
  }
}

TEST(NormaliserRuns, EveryByteTripleAndRandomText) {
  for (const std::basic_string<Byte>& piece : EveryTriple()) {
    ExpectNormalisedAsThePlainSteps(piece, -1, static_cast<std::int32_t>(piece.size() * 5 + 8));
  }
  std::mt19937 random(19);
  for (int i = 0; i < 150; ++i) {
    // Internal code with the variants the normaliser folds and escapes among it.
    std::basic_string<Byte> code = RandomInternal(random);
    static const Byte kVariants[] = {110, 111, 115, 108, 66, 127, 129, 170, 200, 202, 216, 225, 255};
    for (int k = 0; k < 6; ++k) code.insert(random() % (code.size() + 1), 1, kVariants[random() % std::size(kVariants)]);
    code.erase(std::find(code.begin(), code.end(), Byte{0}), code.end());
    const auto size = static_cast<std::int32_t>(code.size());
    for (std::int32_t capacity = 0; capacity <= 4 * size + 2; ++capacity) ExpectNormalisedAsThePlainSteps(code, -1, capacity);
    for (std::int32_t length = 0; length <= size; ++length) ExpectNormalisedAsThePlainSteps(code, length, 4 * size + 8);
  }
}

// --- UTF-8 read two Telugu letters at a time ---

TEST(Utf8Pairs, ReadsLikeOneCharacterAtATime) {
  struct Row {
    const char* utf8;
    std::u16string expected;
  };
  const Row rows[] = {
      // U+0C15 ka, U+0C3F sign i, U+0C32 la, U+0C41 sign u: two pairs and a tail
      {"\xE0\xB0\x95\xE0\xB0\xBF\xE0\xB0\xB2\xE0\xB1\x81xy", u"\u0C15\u0C3F\u0C32\u0C41xy"},
      // U+0C7F last of the block next to U+0C00 first of it
      {"\xE0\xB1\xBF\xE0\xB0\x80..", u"\u0C7F\u0C00.."},
      // ka, then a sequence cut short in the second letter's place
      {"\xE0\xB0\x95\xE0\xB0zzzz", u"\u0C15\uFFFDzzzz"},
      // ka, then U+0915 (E0 A4 95), a three-byte letter outside the block
      {"\xE0\xB0\x95\xE0\xA4\x95zz", u"\u0C15\u0915zz"},
      // a continuation byte where the second lead should be
      {"\xE0\xB0\x95\xB0\xB0\x95zz", u"\u0C15\uFFFD\uFFFD\uFFFDzz"},
      // the pair ends exactly at the end of the text
      {"ab\xE0\xB0\x95\xE0\xB0\xBF", u"ab\u0C15\u0C3F"},
      // eight ASCII bytes at once, then fewer, and a letter inside the eight
      {"abcdefghijk\xE0\xB0\x95", u"abcdefghijk\u0C15"},
      {"abc\xE0\xB0\x95" "defghijklm", u"abc\u0C15defghijklm"},
      // two-byte letters (U+0101, U+00E9), an overlong lead, and a lead without its continuation
      {"k\xC4\x81t\xC3\xA9", u"k\u0101t\u00E9"},
      {"\xC0\x80\xC1\xBFzz", u"\uFFFD\uFFFD\uFFFD\uFFFDzz"},
      {"\xC4zzz\xDFzz", u"\uFFFDzzz\uFFFDzz"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Utf8ToUtf16(row.utf8), row.expected) << Describe(std::string_view(row.utf8));
  }
}

// --- UTF-8 read by the common cases, at every alignment and capacity ---

// Text built from characters whose UTF-8 forms are known one by one, so that
// the expected units are known: every character here gives one unit, and a
// cut sequence is always followed by a byte that cannot continue it. With room
// for every unit the reader takes its fast cases (eight ASCII bytes, two
// letters of the block at once); with less it reads a character at a time.
struct Utf8Character {
  const char* utf8;
  char16_t unit;
};
constexpr Utf8Character kKa{"\xE0\xB0\x95", u'\u0C15'};
constexpr Utf8Character kFirst{"\xE0\xB0\x80", u'\u0C00'};  // first of the block
constexpr Utf8Character kLast{"\xE0\xB1\xBF", u'\u0C7F'};   // last of the block
constexpr Utf8Character kLetterA{"a", u'a'};
constexpr Utf8Character kOutside[] = {
    {"\xE0\xA4\x95", u'\u0915'},  // a letter outside the block: E0 A4
    {"\xE0\xB2\x95", u'\u0C95'},  // the next block: E0 B2
    {"\xE1\xB0\x95", u'\u1C15'},  // another lead: E1 B0
    {"\xC4\x81", u'\u0101'},       // two bytes
    {"\x80", u'\uFFFD'},            // a stray continuation byte
    {"\xE0\xB0", u'\uFFFD'},       // cut short (before an ASCII byte or a lead)
    {"\xFF", u'\uFFFD'},            // never in UTF-8
    {"\x7F", u'\x7F'},              // the last ASCII byte
};

struct Utf8Text {
  std::string utf8;
  std::u16string units;
  void Add(const Utf8Character& c, int times = 1) {
    for (int i = 0; i < times; ++i) {
      utf8 += c.utf8;
      units += c.unit;
    }
  }
};

// Reads `text` at every capacity: whole characters only, always terminated.
void ExpectReadAtEveryCapacity(const Utf8Text& text) {
  const auto length = static_cast<std::int32_t>(text.utf8.size());
  const auto* bytes = reinterpret_cast<const Byte*>(text.utf8.data());
  for (std::int32_t capacity = 1; capacity <= length + 2; ++capacity) {
    std::u16string out(static_cast<std::size_t>(capacity) + 1, u'#');
    const std::int32_t n = Utf8ToUtf16(bytes, length, out.data(), capacity);
    const std::u16string expected = text.units.substr(0, static_cast<std::size_t>(capacity - 1));
    ASSERT_EQ(out.substr(0, static_cast<std::size_t>(n)), expected)
        << Describe(std::string_view(text.utf8)) << " capacity " << capacity;
    ASSERT_EQ(out[static_cast<std::size_t>(n)], 0);
    ASSERT_EQ(out[static_cast<std::size_t>(capacity)], u'#');  // nothing past the capacity
  }
}

TEST(Utf8Blocks, AsciiAndLetterRunsOfEveryLengthAtEveryAlignment) {
  for (int run = 0; run <= 40; ++run) {
    for (int shift = 0; shift < 3; ++shift) {
      Utf8Text ascii;
      ascii.Add(kKa, shift);  // moves the run across the sixteen-byte blocks
      ascii.Add(kLetterA, run);
      ascii.Add(kKa);
      ExpectReadAtEveryCapacity(ascii);
      Utf8Text letters;
      letters.Add(kLetterA, shift);
      letters.Add(kFirst);
      letters.Add(kKa, run);
      letters.Add(kLast);
      letters.Add(kLetterA, shift);
      ExpectReadAtEveryCapacity(letters);
    }
  }
}

TEST(Utf8Blocks, WhatIsNotAnOrdinaryCharacterAtEveryPlaceOfARun) {
  for (const Utf8Character& odd : kOutside) {
    for (int place = 0; place <= 17; ++place) {
      Utf8Text letters;  // a run of letters with the odd character inside it
      letters.Add(kKa, place);
      letters.Add(odd);
      letters.Add(kKa, 17 - place);
      letters.Add(kLetterA);
      ExpectReadAtEveryCapacity(letters);
      Utf8Text ascii;  // and a run of ASCII
      ascii.Add(kLetterA, place);
      ascii.Add(odd);
      ascii.Add(kLetterA, 17 - place);
      ascii.Add(kKa);
      ExpectReadAtEveryCapacity(ascii);
    }
  }
}

// --- Blocks of ordinary text read straight into the internal code ---

// Every block reader the converter may use, and none (the plain steps and
// windows alone): each must give what the plain steps give.
struct BlockReaders {
  const char* name;
  Utf8BlockReader utf8;
  Utf16BlockReader utf16;
};
std::vector<BlockReaders> AllBlockReaders() {
  return {{"no blocks", nullptr, nullptr},
          {"portable blocks", PortableUtf8BlockReader(), PortableUtf16BlockReader()},
          {"best blocks", BestUtf8BlockReader(), BestUtf16BlockReader()}};
}

// UTF-8 read straight into the internal code against Decode's plain steps
// on the UTF-16 form, cut at `length` bytes with `capacity` bytes of output
// (and guard bytes past it): the same bytes, and the bytes of the characters
// whose units the steps consumed.
void ExpectUtf8AsPlainSteps(const std::string& utf8, std::int32_t length, std::int32_t capacity) {
  const UnicodeConverter& unicode = Converters().unicode;
  const auto* bytes = reinterpret_cast<const Byte*>(utf8.data());
  std::u16string wide(static_cast<std::size_t>(length) + 1, u'\0');
  Utf8ToUtf16(bytes, length, wide.data(), length + 1);
  std::basic_string<Byte> expected(static_cast<std::size_t>(capacity) + 4, Byte{0x7E});
  const auto step = [&](const char16_t* p, Piece<Byte>& piece) { return unicode.DecodeStep(p, piece); };
  const std::int32_t units = RunLoop(wide.c_str(), -1, expected.data(), capacity, step);
  std::int32_t consumed = 0;
  for (std::int32_t taken = 0; consumed < length;) {
    const Utf8Read c = ReadUtf8Character(bytes + consumed, length - consumed);
    taken += c.codePoint >= 0x10000 ? 2 : 1;
    if (c.codePoint == 0 || taken > units) break;
    consumed += c.length;
  }
  for (const BlockReaders& readers : AllBlockReaders()) {
    std::basic_string<Byte> actual(static_cast<std::size_t>(capacity) + 4, Byte{0x7E});
    const std::int32_t used = unicode.DecodeUtf8With(readers.utf8, bytes, length, actual.data(), capacity);
    ASSERT_EQ(actual, expected) << readers.name << ", " << length << " bytes, capacity " << capacity << " on "
                                << Describe(std::string_view(utf8).substr(0, static_cast<std::size_t>(length)));
    ASSERT_EQ(used, consumed) << readers.name << ", " << length << " bytes, capacity " << capacity;
  }
  // And the hub's way in, which reads short text through its UTF-16 form.
  std::basic_string<Byte> actual(static_cast<std::size_t>(capacity) + 4, Byte{0x7E});
  ASSERT_EQ(unicode.DecodeUtf8(bytes, length, actual.data(), capacity), consumed) << length << " bytes, " << capacity;
  ASSERT_EQ(actual, expected) << "DecodeUtf8, " << length << " bytes, capacity " << capacity;
}

// UTF-16 through Decode against the plain steps, the same way.
void ExpectUtf16AsPlainSteps(const std::u16string& wide, std::int32_t length, std::int32_t capacity) {
  const UnicodeConverter& unicode = Converters().unicode;
  std::basic_string<Byte> expected(static_cast<std::size_t>(capacity) + 4, Byte{0x7E});
  const auto step = [&](const char16_t* p, Piece<Byte>& piece) { return unicode.DecodeStep(p, piece); };
  const std::int32_t units = RunLoop(wide.c_str(), length, expected.data(), capacity, step);
  for (const BlockReaders& readers : AllBlockReaders()) {
    std::basic_string<Byte> actual(static_cast<std::size_t>(capacity) + 4, Byte{0x7E});
    ASSERT_EQ(unicode.DecodeWith(readers.utf16, wide.c_str(), length, actual.data(), capacity), units)
        << readers.name << ", " << length << " units, capacity " << capacity;
    ASSERT_EQ(actual, expected) << readers.name << ", " << length << " units, capacity " << capacity << " on "
                                << Describe(std::u16string_view(wide).substr(0, static_cast<std::size_t>(length)));
  }
}

// The full output's length: the capacities to try end a little past it.
std::int32_t FullOutputLength(const std::string& utf8) {
  return static_cast<std::int32_t>(test::ToBytes(utf8, "UTF-8", "LPXCODE").size());
}

TEST(UnitBlocks, LongTextAtEveryCapacityAndEveryCut) {
  std::mt19937 random(21);
  std::string utf8;
  while (utf8.size() < 1500) utf8 += RandomUtf8(random) + " ";
  const auto length = static_cast<std::int32_t>(utf8.size());
  const std::int32_t full = FullOutputLength(utf8);
  for (std::int32_t capacity = 0; capacity <= full + 2; ++capacity) {
    ASSERT_NO_FATAL_FAILURE(ExpectUtf8AsPlainSteps(utf8, length, capacity));
  }
  for (std::int32_t cut = 0; cut <= length; ++cut) ASSERT_NO_FATAL_FAILURE(ExpectUtf8AsPlainSteps(utf8, cut, full + 1));
  const std::u16string wide = Utf8ToUtf16(utf8);
  const auto units = static_cast<std::int32_t>(wide.size());
  for (std::int32_t capacity = 0; capacity <= full + 2; ++capacity) {
    ASSERT_NO_FATAL_FAILURE(ExpectUtf16AsPlainSteps(wide, units, capacity));
  }
  for (std::int32_t cut = 0; cut <= units; ++cut) ASSERT_NO_FATAL_FAILURE(ExpectUtf16AsPlainSteps(wide, cut, full + 1));
}

// Characters blocks stop at, or that change the step before them, each put
// at every place of a run of ordinary text long enough for two blocks.
TEST(UnitBlocks, OddCharactersAtEveryPlaceOfARun) {
  struct Row {
    const char* what;
    const char* utf8;
  };
  const Row rows[] = {
      {"a line feed (a control run)", "\n"},
      {"two tabs", "\t\t"},
      {"an ASCII digit (escaped)", "7"},
      {"U+0C55 length mark (two-unit signs)", "\xE0\xB1\x95"},
      {"U+0C46 U+0C55 sign e with the length mark", "\xE0\xB1\x86\xE0\xB1\x95"},
      {"U+0C4D virama", "\xE0\xB1\x8D"},
      {"U+0C05 letter a (after a virama: the separator)", "\xE0\xB0\x85"},
      {"U+0C3F sign i", "\xE0\xB0\xBF"},
      {"U+0C58 tsa (a consonant of two bytes)", "\xE0\xB1\x98"},
      {"U+0C00 first of the block (escaped)", "\xE0\xB0\x80"},
      {"U+0C7F last of the block", "\xE0\xB1\xBF"},
      {"U+200C zero width non-joiner", "\xE2\x80\x8C"},
      {"U+201C left double quotation mark (two bytes)", "\xE2\x80\x9C"},
      {"U+2020 dagger (past the codes blocks read)", "\xE2\x80\xA0"},
      {"U+20A8 rupee sign", "\xE2\x82\xA8"},
      {"U+0915 Devanagari ka", "\xE0\xA4\x95"},
      {"U+1F600 (a surrogate pair)", "\xF0\x9F\x98\x80"},
      {"an encoded surrogate (ill-formed)", "\xED\xA0\x80"},
      {"a Telugu sequence cut short", "\xE0\xB0"},
      {"a punctuation sequence cut short", "\xE2\x80"},
      {"a stray continuation byte", "\x80"},
      {"an overlong form", "\xE0\x80\x80"},
      {"U+0101 (two bytes)", "\xC4\x81"},
      {"a byte never in UTF-8", "\xFF"},
  };
  // Syllables with signs, virama clusters, the separator, a joiner, spaces
  // and punctuation: U+0C15 U+0C3F ki, U+0C32 U+0C4D U+200C l + ZWNJ,
  // U+0C2A U+0C4D U+0C30 U+0C3E praa, U+0C02 anusvara, U+0C28 U+0C41 nu,
  // U+0C15 U+0C4D U+0C05 k + separator + a, U+0C2E ma.
  const std::string syllables[] = {"\xE0\xB0\x95\xE0\xB0\xBF", "\xE0\xB0\xB2\xE0\xB1\x8D\xE2\x80\x8C",
                                   "\xE0\xB0\xAA\xE0\xB1\x8D\xE0\xB0\xB0\xE0\xB0\xBE", "\xE0\xB0\x82", " ",
                                   "\xE0\xB0\xA8\xE0\xB1\x81", "\xE0\xB0\x95\xE0\xB1\x8D\xE0\xB0\x85", ",",
                                   "\xE0\xB0\xAE"};
  std::vector<std::string> run;
  while (run.size() < 40) run.push_back(syllables[run.size() % std::size(syllables)]);
  for (const Row& row : rows) {
    for (std::size_t place = 0; place <= run.size(); ++place) {
      std::string utf8;
      for (std::size_t i = 0; i < run.size(); ++i) utf8 += (i == place ? std::string(row.utf8) : "") + run[i];
      if (place == run.size()) utf8 += row.utf8;
      SCOPED_TRACE(std::string(row.what) + " at syllable " + std::to_string(place));
      const auto length = static_cast<std::int32_t>(utf8.size());
      const auto at = static_cast<std::int32_t>(utf8.find(row.utf8));
      // Blocks run while a block's output fits: with room for everything
      // they meet the odd character, at every cut around it; with the room
      // ending near its output, the steps there are the plain ones.
      const std::int32_t roomy = 8 * length + 256;
      ASSERT_NO_FATAL_FAILURE(ExpectUtf8AsPlainSteps(utf8, length, roomy));
      for (std::int32_t cut = at; cut <= std::min(length, at + 8); ++cut) {
        ASSERT_NO_FATAL_FAILURE(ExpectUtf8AsPlainSteps(utf8, cut, roomy));
      }
      const std::int32_t near = FullOutputLength(utf8.substr(0, static_cast<std::size_t>(at)));
      for (std::int32_t capacity = std::max(0, near - 4); capacity <= near + 12; ++capacity) {
        ASSERT_NO_FATAL_FAILURE(ExpectUtf8AsPlainSteps(utf8, length, capacity));
      }
      const std::u16string wide = Utf8ToUtf16(utf8);
      ASSERT_NO_FATAL_FAILURE(ExpectUtf16AsPlainSteps(wide, static_cast<std::int32_t>(wide.size()), roomy));
    }
  }
}

// Lone surrogates and units next to the ranges blocks read, in UTF-16.
TEST(UnitBlocks, OddUnitsAtEveryPlaceOfAUtf16Run) {
  const char16_t odd[] = {0xD800, 0xDC00, 0x0BFF, 0x0C80, 0x1FFF, 0x2020, 0x001F, 0x007F, 0xFFFD, 0x0C55, 0x0C4D};
  const std::u16string syllable = u"\u0C15\u0C3F\u0C32\u0C4D\u200C \u0C2A\u0C4D\u0C30\u0C3E";
  for (const char16_t unit : odd) {
    for (std::size_t place = 0; place <= 80; ++place) {
      std::u16string wide;
      while (wide.size() < 90) wide += syllable;
      wide.insert(place, 1, unit);
      const auto units = static_cast<std::int32_t>(wide.size());
      for (std::int32_t capacity = 0; capacity <= 2 * units + 8; capacity += 7) {
        ASSERT_NO_FATAL_FAILURE(ExpectUtf16AsPlainSteps(wide, units, capacity));
      }
      ASSERT_NO_FATAL_FAILURE(ExpectUtf16AsPlainSteps(wide, units, 8 * units));
      ASSERT_NO_FATAL_FAILURE(ExpectUtf16AsPlainSteps(wide, static_cast<std::int32_t>(place) + 1, 8 * units));
    }
  }
}

// A surrogate pair is two steps from one character: at every place of the
// plain steps' window of UTF-16, and with the room ending between its steps.
TEST(UnitBlocks, SurrogatePairsAtEveryPlaceOfAWindow) {
  for (int before = 0; before <= 200; ++before) {
    // Commas before and after U+1F600.
    const std::string utf8 =
        std::string(static_cast<std::size_t>(before), ',') + "\xF0\x9F\x98\x80" + std::string(70, ',');
    const auto length = static_cast<std::int32_t>(utf8.size());
    ASSERT_NO_FATAL_FAILURE(ExpectUtf8AsPlainSteps(utf8, length, 8 * length + 256));
    for (std::int32_t capacity = before; capacity <= before + 12; ++capacity) {
      ASSERT_NO_FATAL_FAILURE(ExpectUtf8AsPlainSteps(utf8, length, capacity));
    }
  }
}

TEST(UnitBlocks, ZeroByteEndsTheText) {
  const std::string utf8 = std::string(40, 'a') + "\xE0\xB0\x95" + std::string(1, '\0') + std::string(40, 'b');
  ASSERT_NO_FATAL_FAILURE(ExpectUtf8AsPlainSteps(utf8, static_cast<std::int32_t>(utf8.size()), 200));
  ASSERT_NO_FATAL_FAILURE(ExpectUtf8AsPlainSteps(utf8, static_cast<std::int32_t>(utf8.size()), 30));
}

// --- Comparison by streams against the comparison of full collation strings ---

std::int32_t CompareFull(const void* a, std::int32_t n1, Format f1, const void* b, std::int32_t n2, Format f2) {
  ScratchBuffers scratch;
  EXPECT_TRUE(scratch.Reserve(RequiredCapacity(std::max(n1, n2))));
  EXPECT_TRUE(CollationString(Converters(), scratch, a, n1, f1, scratch.WideA()));
  EXPECT_TRUE(CollationString(Converters(), scratch, b, n2, f2, scratch.WideB()));
  const char16_t* x = scratch.WideA();
  const char16_t* y = scratch.WideB();
  for (std::int32_t i = 0;; ++i) {
    if (x[i] != y[i]) {
      if ((x[i] & 0xFF) != (y[i] & 0xFF)) return (x[i] & 0xFF) < (y[i] & 0xFF) ? -1 : 1;
      return (x[i] >> 8) < (y[i] >> 8) ? -1 : 1;
    }
    if (x[i] == 0) return 0;
  }
}

TEST(CollationStreams, DecideAsTheFullCollationStringsDo) {
  std::mt19937 random(12);
  const auto& words = WordSample();
  int decided = 0;
  int byRuns = 0;
  for (int i = 0; i < 5000; ++i) {
    std::string a, b;
    switch (i % 5) {
      case 0:  // two words
        a = words[random() % words.size()];
        b = words[random() % words.size()];
        break;
      case 1:  // a word and the same word cut or extended
        a = words[random() % words.size()];
        b = a.substr(0, random() % (a.size() + 1)) + (random() % 2 ? RandomUtf8(random) : "");
        break;
      case 2: {  // two words that begin alike, cut anywhere (within a character too)
        a = words[random() % words.size()];
        const std::string& other = words[random() % words.size()];
        b = a.substr(0, random() % (a.size() + 1)) + other.substr(random() % (other.size() + 1));
        break;
      }
      default:  // anything
        a = RandomUtf8(random);
        b = RandomUtf8(random);
    }
    const std::u16string wa = Utf8ToUtf16(a), wb = Utf8ToUtf16(b);
    const std::u16string ca = test::ToWide(a, "UTF-8", "COLLCODE");
    const auto cut = [](std::u16string s) { return s.substr(0, s.find(u'\0')); };
    const std::u16string ua = cut(wa), ub = cut(wb);
    const std::string ba = a.substr(0, a.find('\0')), bb = b.substr(0, b.find('\0'));
    struct Operand {
      const void* text;
      std::int32_t length;
      Format format;
    };
    const Operand operands[] = {{ba.c_str(), static_cast<std::int32_t>(ba.size()), Format::kUtf8},
                                {ua.c_str(), static_cast<std::int32_t>(ua.size()), Format::kUnicode},
                                {ca.c_str(), static_cast<std::int32_t>(ca.size()), Format::kCollcode},
                                {bb.c_str(), static_cast<std::int32_t>(bb.size()), Format::kUtf8},
                                {ub.c_str(), static_cast<std::int32_t>(ub.size()), Format::kUnicode}};
    for (const Operand& x : operands) {
      for (const Operand& y : operands) {
        const std::int32_t full = CompareFull(x.text, x.length, x.format, y.text, y.length, y.format);
        if (x.format != Format::kCollcode && y.format != Format::kCollcode) {
          // The unit runs on their own, from the start of both operands.
          const auto runs = CompareUnitRuns(Converters(), x.text, x.length, x.format, y.text, y.length, y.format);
          if (runs) {
            ++byRuns;
            ASSERT_EQ(*runs, full) << "by unit runs: " << Describe(a) << " | " << Describe(b);
          }
        }
        const auto streamed = CompareStreams(Converters(), x.text, x.length, x.format, y.text, y.length, y.format);
        if (!streamed) continue;
        ++decided;
        ASSERT_EQ(*streamed, full) << Describe(a) << " | " << Describe(b);
      }
    }
  }
  // Real words are decided by the streams, not left to the full comparison,
  // and most of them by the unit runs.
  EXPECT_GT(decided, 5000 * 25 / 2);
  EXPECT_GT(byRuns, 5000 * 16 / 2);
}

TEST(CollationStreams, UnitRunsDecideWhereTheSharedStartChangesTheUnitBefore) {
  // The last shared unit writes by what follows it, so the difference can
  // lie in the output of a unit both operands hold.
  const std::string ka = "\xE0\xB0\x95", ga = "\xE0\xB0\x97", aa = "\xE0\xB0\xBE", i = "\xE0\xB0\xBF";
  const std::string virama = "\xE0\xB1\x8D";
  const std::pair<std::string, std::string> rows[] = {
      {ka + ka, ka + ka + aa},        {ka + virama, ka + virama + ka}, {ka + virama, ka + virama + aa},
      {ka + i, ka + aa},              {ka + aa, ka},                   {ka, ka + virama},
      {ka + virama + ka, ka + ga},    {ka + ga + ka, ka + ga},         {"", ka},
      {ka + ka + ka + ka + ka + ga, ka + ka + ka + ka + ka + ga + aa}};
  for (const auto& [a, b] : rows) {
    const std::u16string wa = Utf8ToUtf16(a), wb = Utf8ToUtf16(b);
    for (const bool wideA : {false, true}) {
      for (const bool wideB : {false, true}) {
        const void* x = wideA ? static_cast<const void*>(wa.c_str()) : a.c_str();
        const void* y = wideB ? static_cast<const void*>(wb.c_str()) : b.c_str();
        const auto n1 = static_cast<std::int32_t>(wideA ? wa.size() : a.size());
        const auto n2 = static_cast<std::int32_t>(wideB ? wb.size() : b.size());
        const Format f1 = wideA ? Format::kUnicode : Format::kUtf8, f2 = wideB ? Format::kUnicode : Format::kUtf8;
        for (const bool swap : {false, true}) {
          const auto runs = swap ? CompareUnitRuns(Converters(), y, n2, f2, x, n1, f1)
                                 : CompareUnitRuns(Converters(), x, n1, f1, y, n2, f2);
          ASSERT_TRUE(runs.has_value()) << Describe(a) << " | " << Describe(b);
          EXPECT_EQ(*runs, swap ? CompareFull(y, n2, f2, x, n1, f1) : CompareFull(x, n1, f1, y, n2, f2))
              << Describe(a) << " | " << Describe(b) << " wide " << wideA << wideB << " swapped " << swap;
        }
      }
    }
  }
}

TEST(CollationStreams, StopWhereTheyCannotFollowTheRules) {
  struct Row {
    const char* what;
    std::string text;
  };
  const Row rows[] = {
      {"a control character", "\xE0\xB0\x95\t"},
      {"a letter of another script (escaped)", "\xE0\xA4\x95"},
      {"ill-formed UTF-8", "\xE0\xB0"},
      {"a surrogate pair", "\xF0\x9F\x98\x80"},
  };
  for (const Row& row : rows) {
    // Compared with itself, so the streams cannot stop at a difference first.
    const auto streamed = CompareStreams(Converters(), row.text.c_str(), static_cast<std::int32_t>(row.text.size()),
                                         Format::kUtf8, row.text.c_str(),
                                         static_cast<std::int32_t>(row.text.size()), Format::kUtf8);
    EXPECT_FALSE(streamed.has_value()) << row.what;
    EXPECT_EQ(test::Compare(row.text, "UTF-8", row.text, "UTF-8"), 0) << row.what;
  }
}

}  // namespace
}  // namespace tirmok
