// Tests of the date conversion: English date words <-> Telugu words in the Latin transliteration.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "date/date_converter.h"
#include "date/date_tables.h"
#include "support/test_support.h"
#include "tirmok/tirmok.h"
#include "typing/transliteration_converter.h"

namespace tirmok {
namespace {

using test::Describe;

constexpr char kGuard = '\xA5';
constexpr int kGuardBytes = 8;

struct DateResult {
  std::string text;
  std::int32_t result = 0;
};

// LpxDateConvert into a buffer of `capacity` bytes followed by guard bytes
// that must stay untouched. A capacity of -1 uses one large enough for any result.
DateResult DateConvert(const std::string& phrase, bool fromEnglish, std::int32_t capacity = -1) {
  if (capacity == -1) capacity = static_cast<std::int32_t>(phrase.size()) * 20 + 64;
  std::vector<char> buffer(static_cast<std::size_t>(std::max(capacity, 0)) + kGuardBytes, kGuard);
  DateResult out;
  out.result = LpxDateConvert(phrase.c_str(), fromEnglish ? 1 : 0, buffer.data(), capacity);
  for (std::size_t i = static_cast<std::size_t>(std::max(capacity, 0)); i < buffer.size(); ++i) {
    EXPECT_EQ(buffer[i], kGuard) << "write past capacity " << capacity << " at " << i << " for " << phrase;
  }
  if (capacity < 1) {
    EXPECT_EQ(buffer[0], kGuard) << "output touched at capacity " << capacity;
    return out;
  }
  out.text.assign(buffer.data(), std::strlen(buffer.data()));
  EXPECT_EQ(out.result, static_cast<std::int32_t>(out.text.size())) << phrase;
  return out;
}

std::string ToTelugu(const std::string& phrase) { return DateConvert(phrase, true).text; }
std::string ToEnglish(const std::string& phrase) { return DateConvert(phrase, false).text; }

struct Case {
  std::string in;
  std::string out;
};

TEST(DateFromEnglish, Phrases) {
  const Case cases[] = {
      {"", ""},
      {"Sunday, 5 March 2010", "AdivAraM, 5 mArci 2010"},
      {"10:30 am", "10:30 pUrvAhna"},
      {"jan", "janavari"},
      {"Tuesday", "maMgaLavAraM"},
      // the phrase is upper-cased first, and a word inside a longer word is replaced
      {"sample", "SpUrvAhnaPLE"},
      {"maybe", "mEBE"},
      {"marching", "mArciING"},
      {"amazing", "pUrvAhnaAZING"},
      // full names come before their abbreviations, so the whole name is replaced
      {"june", "jUn"},
      {"SUNDAY", "AdivAraM"},
      {"Thursday THU thu", "guruvAraM guruvAraM guruvAraM"},
      {"sept", "sepTeMbar" "T"},
      {"Wed. 3 pm", "budhavAraM. 3 aparAhna"},
      // only ASCII letters change case; other bytes are copied as they are
      {"\xE9t\xE9 may", "\xE9T\xE9 mE"},
      {"\t1\n", "\t1\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(ToTelugu(c.in), c.out) << c.in;
}

TEST(DateToEnglish, Phrases) {
  const Case cases[] = {
      {"", ""},
      {"janavari", "JANUARY"},
      {"AdivAraM", "SUNDAY"},  // the full name, never SUN
      {"pUrvAhna", "AM"},
      {"aparAhna", "PM"},
      {"janavari 26", "JANUARY 26"},
      // other spellings are brought to the encoder's spelling first: aa for A,
      // w for v, ph for P, oo for U, the joiners dropped
      {"AdivaaraM", "SUNDAY"},
      {"janawari", "JANUARY"},
      {"phebruvari", "FEBRUARY"},
      {"joon", "JUNE"},
      {"mA^rci", "MARCH"},
      {"mA^^rci", "MARCH"},
      {"sOmavaaraM, 5 mArci", "MONDAY, 5 MARCH"},
      // a table word inside a longer word is replaced as well
      {"amEka", "aMAYka"},
      // text without a Latin form is lost in the normalisation
      {"Xjanavari!", "JANUARY!"},
      {"\xE9mE", "MAY"},
  };
  for (const auto& c : cases) EXPECT_EQ(ToEnglish(c.in), c.out) << c.in;
}

// Each Telugu word stands as the transliteration encoder writes it, so the
// normalisation leaves it alone and it is found; it reads back as the full name.
TEST(DateTable, EveryWordConvertsBothWays) {
  for (const auto rows : {WeekdayRows(), MonthRows(), DayPartRows()}) {
    for (const DateWordRow& row : rows) {
      EXPECT_EQ(test::ToBytes(row.telugu, "TELTRANS", "TELTRANS"), row.telugu);
      EXPECT_EQ(ToEnglish(row.telugu), row.english);
      EXPECT_EQ(ToTelugu(row.english), row.telugu);
      if (row.abbreviation != nullptr) {
        EXPECT_EQ(ToTelugu(row.abbreviation), row.telugu);
      }
    }
  }
}

TEST(DateCapacity, WholePiecesOnly) {
  struct Row {
    std::string phrase;
    bool fromEnglish;
    std::int32_t capacity;
    std::string out;
  };
  const Row rows[] = {
      {"Sunday, 5 March", true, 1, ""},
      {"Sunday, 5 March", true, 8, ""},  // "AdivAraM" needs 9 with the terminator
      {"Sunday, 5 March", true, 9, "AdivAraM"},
      {"Sunday, 5 March", true, 10, "AdivAraM,"},
      {"Sunday, 5 March", true, 17, "AdivAraM, 5 "},
      {"Sunday, 5 March", true, 18, "AdivAraM, 5 mArci"},
      {"janavari 26", false, 1, ""},
      {"janavari 26", false, 7, ""},
      {"janavari 26", false, 8, "JANUARY"},
      {"janavari 26", false, 10, "JANUARY 2"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(DateConvert(r.phrase, r.fromEnglish, r.capacity).text, r.out)
        << r.phrase << " capacity " << r.capacity;
  }
}

TEST(DateCapacity, NothingWrittenWithoutRoom) {
  char out[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(LpxDateConvert("jan", 1, out, 0), 0);
  EXPECT_EQ(LpxDateConvert("jan", 1, out, -5), 0);
  EXPECT_EQ(out[0], 'x');
  EXPECT_EQ(LpxDateConvert("jan", 1, nullptr, 10), 0);
  EXPECT_EQ(LpxDateConvert(nullptr, 1, out, 4), 0);
}

// Long Telugu phrases are normalised whole: the work buffers grow with the
// phrase, so only the caller's capacity limits the output.
TEST(DateCapacity, LongPhrasesAreNotCut) {
  std::string telugu, english;
  for (int i = 0; i < 3000; ++i) {
    telugu += "AdivaaraM ";
    english += "SUNDAY ";
  }
  EXPECT_EQ(ToEnglish(telugu), english);
  std::string back;
  for (int i = 0; i < 3000; ++i) back += "AdivAraM ";
  EXPECT_EQ(ToTelugu(english), back);
}

// Random phrases at random capacities: nothing past the capacity is touched
// (checked by the helper), and a short output is the start of the full one.
TEST(DateRandom, CapacityIsNeverExceeded) {
  static constexpr char kLetters[] = "ADEFIJLMNOPRSTUVYadimnrsuvAM pm ,:0123456789^~#;\xE9\x01";
  std::mt19937 random(26);
  for (int round = 0; round < 2000; ++round) {
    std::string phrase;
    const int length = static_cast<int>(random() % 30);
    for (int i = 0; i < length; ++i) phrase += kLetters[random() % (sizeof kLetters - 1)];
    const bool fromEnglish = random() % 2 == 0;
    const std::string full = DateConvert(phrase, fromEnglish).text;
    const auto capacity = static_cast<std::int32_t>(random() % (full.size() + 3));
    const std::string cut = DateConvert(phrase, fromEnglish, capacity).text;
    EXPECT_EQ(full.compare(0, cut.size(), cut), 0) << Describe(phrase);
  }
}

// Without work buffers a Telugu phrase cannot be normalised: nothing is written.
TEST(DateConverterDirect, MissingWorkBuffers) {
  const TransliterationConverter transliteration;
  const DateConverter date;
  const Byte phrase[] = "janavari";
  Byte out[16] = {'x'};
  EXPECT_EQ(date.Convert(phrase, false, out, sizeof out, transliteration, nullptr, nullptr, 0), 0);
  EXPECT_EQ(out[0], 0);
  Byte workA[64], workB[64];
  EXPECT_EQ(date.Convert(phrase, false, out, sizeof out, transliteration, workA, workB, sizeof workA), 7);
  EXPECT_STREQ(reinterpret_cast<const char*>(out), "JANUARY");
}

}  // namespace
}  // namespace tirmok
