// Tests of the C++ API: whole results, agreement with the C exports, sort keys and many threads at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <stdexcept>
#include <thread>

#include "core/utf.h"
#include "support/test_support.h"
#include "tirmok/tirmok.hpp"
#include "tirmok/tirmok_ext.h"

namespace tirmok {
namespace {

using test::WordSample;

TEST(CppApi, FormatNamesParseAndPrint) {
  EXPECT_EQ(parse_format("utf-8"), Format::kUtf8);
  EXPECT_EQ(parse_format("Iso15919_Utf_8"), Format::kIso15919Utf8);
  EXPECT_FALSE(parse_format("UTF8").has_value());
  EXPECT_EQ(format_name(Format::kIso15919Ansi), "ISO15919_ANSI");
  EXPECT_TRUE(is_wide(Format::kCollcode));
  EXPECT_TRUE(can_read(Format::kBraille));
  EXPECT_FALSE(can_compare(Format::kBraille));
  EXPECT_FALSE(can_write(Format::kLpxkbd));
  EXPECT_FALSE(can_compare(Format::kIso15919Utf8));
}

TEST(CppApi, DirectionsAFormatLacksAreErrors) {
  EXPECT_EQ(convert("K", Format::kBraille, Format::kUtf8), "\u0C15");  // Braille is read too
  EXPECT_THROW(convert("k", Format::kTeltrans, Format::kInscript), std::invalid_argument);
  EXPECT_THROW(convert(u"k", Format::kTeltrans, Format::kUtf8), std::invalid_argument);
  EXPECT_THROW(convert_u16("k", Format::kTeltrans, Format::kAnsi), std::invalid_argument);
  EXPECT_THROW(compare("k", Format::kLpxkbd, "k", Format::kTeltrans), std::invalid_argument);
  EXPECT_THROW(sort_key("k", Format::kBraille), std::invalid_argument);
}

// Every pair of formats on the real word sample gives what the C exports give
// with a capacity from the size query. Keystroke formats type the word's
// transliteration.
TEST(CppApi, EqualsTheCExportsForEveryFormatPair) {
  for (const auto& word : WordSample()) {
    const std::string lpx = test::ToBytes(word, "UTF-8", "LPXCODE");
    const std::string keys = test::ToBytes(lpx, "LPXCODE", "TELTRANS");
    for (int f = 0; f < 12; ++f) {
      const auto from = static_cast<Format>(f);
      if (!can_read(from)) continue;
      const std::string fromName(format_name(from));
      for (int t = 0; t < 12; ++t) {
        const auto to = static_cast<Format>(t);
        if (!can_write(to)) continue;
        const std::string toName(format_name(to));
        if (is_wide(from)) {
          const std::u16string input = test::ToWide(lpx, "LPXCODE", fromName.c_str());
          if (is_wide(to)) {
            ASSERT_EQ(convert_u16(std::u16string_view(input), from, to),
                      test::ToWide(input, fromName.c_str(), toName.c_str()))
                << word << " " << fromName << " -> " << toName;
          } else {
            ASSERT_EQ(convert(std::u16string_view(input), from, to),
                      test::ToBytes(input, fromName.c_str(), toName.c_str()))
                << word << " " << fromName << " -> " << toName;
          }
        } else {
          const bool typed = from == Format::kLpxkbd || from == Format::kInscript;
          const std::string input = typed ? keys : test::ToBytes(lpx, "LPXCODE", fromName.c_str());
          if (is_wide(to)) {
            ASSERT_EQ(convert_u16(std::string_view(input), from, to),
                      test::ToWide(input, fromName.c_str(), toName.c_str()))
                << word << " " << fromName << " -> " << toName;
          } else {
            ASSERT_EQ(convert(std::string_view(input), from, to),
                      test::ToBytes(input, fromName.c_str(), toName.c_str()))
                << word << " " << fromName << " -> " << toName;
          }
        }
      }
    }
  }
}

TEST(CppApi, ResultsAreNeverCutShort) {
  // Escapes grow five-fold into TELTRANS: the result still comes back whole.
  const std::string latin(50000, 'Z');
  const std::string teltrans = convert(latin, Format::kUtf8, Format::kTeltrans);
  EXPECT_EQ(teltrans.size(), latin.size() * 6);
}

TEST(CppApi, SortKeysOrderLikeCompare) {
  const auto& words = WordSample();
  std::mt19937 random(7);
  for (int i = 0; i < 3000; ++i) {
    const auto& a = words[random() % words.size()];
    const auto& b = words[random() % words.size()];
    const int expected = compare(a, Format::kUtf8, b, Format::kUtf8);
    const std::string ka = sort_key(a), kb = sort_key(b);
    const int byKey = ka < kb ? -1 : (ka == kb ? 0 : 1);
    ASSERT_EQ(byKey, expected) << a << " / " << b;
    ASSERT_EQ(expected, test::Compare(a, "UTF-8", b, "UTF-8"));
  }
}

TEST(CppApi, Utf8ViewsCompareOnlyWhatTheyShow) {
  // Views into longer text: the bytes after a view, which may complete a
  // character the view cuts, take no part; a zero byte ends a view's text.
  const std::string text = "\xE0\xB0\x95\xE0\xB0\xBF\xE0\xB0\xB2\xE0\xB1\x81 \xE0\xB0\x95\xE0\xB0";
  const auto& words = WordSample();
  std::vector<std::string> terminated;
  std::vector<std::string_view> views;
  for (std::size_t cut = 0; cut <= text.size(); ++cut) {
    views.push_back(std::string_view(text).substr(0, cut));
    terminated.push_back(text.substr(0, cut));
  }
  for (int i = 0; i < 40; ++i) {
    views.push_back(std::string_view(words[static_cast<std::size_t>(i) * 37]).substr(0, 4 + i % 9));
    terminated.emplace_back(views.back());
  }
  const std::string withZero("\xE0\xB0\x95\0\xE0\xB0\xB2", 7);
  views.push_back(withZero);
  terminated.push_back("\xE0\xB0\x95");
  // The same texts again in buffers of exactly their size, with nothing after
  // them to read (the sanitizer build reports any read past them).
  std::vector<std::unique_ptr<char[]>> exact;
  for (std::size_t i = 0, n = views.size(); i < n; ++i) {
    exact.push_back(std::make_unique<char[]>(views[i].size()));
    std::copy(views[i].begin(), views[i].end(), exact.back().get());
    views.emplace_back(exact.back().get(), views[i].size());
    terminated.push_back(terminated[i]);
  }
  for (std::size_t x = 0; x < views.size(); ++x) {
    for (std::size_t y = 0; y < views.size(); ++y) {
      ASSERT_EQ(compare(views[x], Format::kUtf8, views[y], Format::kUtf8),
                test::Compare(terminated[x], "UTF-8", terminated[y], "UTF-8"))
          << test::Describe(terminated[x]) << " / " << test::Describe(terminated[y]);
    }
  }
}

TEST(CppApi, SortKeysOrderEscapesAndControlsLikeCompare) {
  // Units outside the collation table: controls, escapes of every kind, mixed with Telugu.
  const std::vector<std::u16string> texts = {
      u"", u"\t", u"\t\t", u"a", u"A", u"\u0100", u"\u00FF", u"\u0C15", u"\u0C15\u0C4D", u"\u0C15a",
      u"\uE67A", u"\uE77A", u"\uE57A", u"\uE6FF", u"\uE600", u"\u0C05", u"\u0C05\u0100", u"\u0C05\u00FF",
      u"\uFFFF", std::u16string(1, char16_t(0xD800)), u"\u0C3F", u" ", u"1", u"\u0C66",
  };
  for (const auto& a : texts) {
    for (const auto& b : texts) {
      const int expected = compare(a, Format::kUnicode, b, Format::kUnicode);
      const std::string ka = sort_key(a, Format::kUnicode), kb = sort_key(b, Format::kUnicode);
      EXPECT_EQ(ka < kb ? -1 : (ka == kb ? 0 : 1), expected) << test::Describe(a) << " / " << test::Describe(b);
    }
  }
}

TEST(CppApi, ManyThreadsGiveTheResultsOfOne) {
  const auto& words = WordSample();
  std::vector<std::string> expected;
  for (const auto& w : words) expected.push_back(convert(w, Format::kUtf8, Format::kTeltrans));
  std::vector<std::thread> threads;
  std::atomic<int> mismatches{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (std::size_t i = static_cast<std::size_t>(t); i < words.size(); i += 2) {
        if (convert(words[i], Format::kUtf8, Format::kTeltrans) != expected[i]) ++mismatches;
        if (sort_key(words[i]).empty() != words[i].empty()) ++mismatches;
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(mismatches.load(), 0);
}

TEST(CppApi, PropertiesArePerCall) {
  const std::string digits = test::Codes({75, 76});
  const std::string plain = convert(digits, Format::kLpxcode, Format::kBraille);
  const std::string nemeth = convert(digits, Format::kLpxcode, Format::kBraille, {{LPX_KEY_NEMETH, "TRUE"}});
  EXPECT_EQ(plain, "#AB");
  EXPECT_EQ(nemeth, "#12");
  EXPECT_EQ(convert(digits, Format::kLpxcode, Format::kBraille), plain);
}

TEST(CExtensions, ConvertTakesPropertiesForOneCall) {
  const std::string digits = test::Codes({75, 76});
  const char* nemeth[] = {LPX_KEY_NEMETH, "true", nullptr};
  char out[16];
  EXPECT_EQ(TirmokConvert(digits.c_str(), "LPXCODE", nullptr, "BRAILLE", 0, nemeth), 20 * 2 + 4096);
  EXPECT_EQ(TirmokConvert(digits.c_str(), "lpxcode", out, "BRAILLE", sizeof out, nemeth), 3);
  EXPECT_STREQ(out, "#12");
  EXPECT_EQ(TirmokConvert(digits.c_str(), "LPXCODE", out, "BRAILLE", sizeof out, nullptr), 3);
  EXPECT_STREQ(out, "#AB");
  EXPECT_EQ(TirmokConvert(digits.c_str(), "XYZ", out, "BRAILLE", sizeof out, nullptr), 0);
  EXPECT_EQ(TirmokConvert(digits.c_str(), "LPXCODE", out, "BRAILLE", -1, nullptr), 0);
  EXPECT_EQ(TirmokConvert(nullptr, "LPXCODE", out, "BRAILLE", 4, nullptr), 0);
  EXPECT_EQ(TirmokConvert(digits.c_str(), "LPXCODE", out, "BRAILLE", 3, nullptr), 0);  // "#AB" needs 4
}

TEST(CExtensions, SortKeyReportsItsLengthAndWritesOnlyWhenItFits) {
  const std::string word = "\xE0\xB0\x95";  // U+0C15 TELUGU LETTER KA
  const std::string expected = sort_key(word);
  unsigned char key[8] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
  EXPECT_EQ(TirmokSortKey(word.c_str(), "UTF-8", nullptr, 0), static_cast<int32_t>(expected.size()));
  EXPECT_EQ(TirmokSortKey(word.c_str(), "UTF-8", key, 1), static_cast<int32_t>(expected.size()));
  EXPECT_EQ(key[0], 0xEE);
  EXPECT_EQ(TirmokSortKey(word.c_str(), "utf-8", key, sizeof key), static_cast<int32_t>(expected.size()));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(key), expected.size()), expected);
  EXPECT_EQ(TirmokSortKey(word.c_str(), "LPXKBD", key, sizeof key), -1);
  EXPECT_EQ(TirmokSortKey(nullptr, "UTF-8", key, sizeof key), -1);
}

TEST(CppApi, DateWords) {
  EXPECT_EQ(date_to_telugu("Sunday, 5 March 2010"), "AdivAraM, 5 mArci 2010");
  EXPECT_EQ(date_to_english("janavari 26"), "JANUARY 26");
}

}  // namespace
}  // namespace tirmok
