// Tests of the exports under concurrent use: threads converting every format pair, comparing, converting dates
// and setting properties at once get the results a single thread gets for the same property values.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"
#include "tirmok/tirmok.h"
#include "tirmok/tirmok.hpp"

namespace tirmok {
namespace {

constexpr int kFormatCount = 12;
constexpr const char* kFormats[kFormatCount] = {"TELTRANS",      "LPXCODE",  "LPXKBD",         "INSCRIPT",
                                                "ANSI",          "UNICODE",  "UTF-8",          "COLLCODE",
                                                "ISO15919_ANSI", "ISO15919", "ISO15919_UTF_8", "BRAILLE"};
constexpr int kInscript = 3;
constexpr int kUnicode = 5;
constexpr int kUtf8 = 6;
constexpr int kBraille = 11;

bool IsWideFormat(int f) { return f == 5 || f == 7 || f == 9; }
bool CanCompare(int f) { return f != 2 && f != 3 && f != 10 && f != 11; }

// A text in a format, as the exports read it: bytes, or UTF-16 units for the
// 16-bit formats.
struct Sample {
  int format;
  std::u16string wide;
  std::string bytes;
  const void* data() const { return IsWideFormat(format) ? static_cast<const void*>(wide.c_str()) : bytes.c_str(); }
};

// The whole output of one conversion, as bytes (two per unit for 16-bit formats).
std::string ConvertWhole(const Sample& sample, int to) {
  const std::int32_t size = LpxConvert(sample.data(), kFormats[sample.format], nullptr, kFormats[to], 0);
  if (size <= 0) return "size query failed";
  std::vector<char16_t> buffer(static_cast<std::size_t>(size));
  const std::int32_t length = LpxConvert(sample.data(), kFormats[sample.format], buffer.data(), kFormats[to], size);
  const std::size_t width = IsWideFormat(to) ? 2 : 1;
  return std::string(reinterpret_cast<const char*>(buffer.data()), static_cast<std::size_t>(length) * width);
}

// Texts in every input format: real words carried into each format, keys of
// the keyboard schemes, digits and quotation marks (which the Braille
// switches change), and a run of arbitrary bytes.
std::vector<Sample> MakeSamples() {
  const auto& words = test::WordSample();
  std::vector<std::string> seeds = {words[0], words[1], words[2] + " \xE0\xB1\xA7\xE0\xB1\xA8 \"" + words[3] + "\"",
                                    "\xE0\xB0\x95\xE0\xB1\x8D\xE0\xB0\x85 12.5 -- x"};
  std::vector<Sample> samples;
  std::mt19937 random(5);
  for (int f = 0; f < kFormatCount; ++f) {
    if (f == kBraille) {
      samples.push_back({f, {}, "abc"});
      continue;
    }
    std::vector<Sample> made;
    if (f == 2 || f == kInscript) {
      for (const char* keys : {"kf", "kdj", "k^i", "#0C15;", "12 bd jd"}) made.push_back({f, {}, keys});
    } else {
      for (const std::string& seed : seeds) {
        if (IsWideFormat(f)) {
          made.push_back({f, test::ToWide(seed, "UTF-8", kFormats[f]), {}});
        } else {
          made.push_back({f, {}, test::ToBytes(seed, "UTF-8", kFormats[f])});
        }
      }
    }
    // Arbitrary units or bytes, none of them zero.
    Sample noise{f, {}, {}};
    for (int i = 0; i < 24; ++i) {
      if (IsWideFormat(f)) {
        noise.wide += static_cast<char16_t>(1 + random() % 0xFFFF);
      } else {
        noise.bytes += static_cast<char>(1 + random() % 255);
      }
    }
    made.push_back(noise);
    samples.insert(samples.end(), made.begin(), made.end());
  }
  return samples;
}

// Property values, one combination per number: bit 0 Nemeth, bit 1
// subscript, bit 2 superscript, bit 3 the Bengali INSCRIPT layout.
constexpr int kCombinations = 16;
void SetCombination(int c) {
  LpxSetProperty(LPX_KEY_NEMETH, (c & 1) ? "TRUE" : "FALSE");
  LpxSetProperty(LPX_KEY_SUBSCRIPT, (c & 2) ? "true" : "no");
  LpxSetProperty(LPX_KEY_SUPERSCRIPT, (c & 4) ? "True" : "");
  LpxSetProperty(LPX_KEY_LANGUAGE, (c & 8) ? "BENGALI" : "TELUGU");
}
bool DependsOnProperties(const Sample& s, int to) { return to == kBraille || s.format == kInscript; }

// Results of a single thread: for each sample and output format, the output
// under every property combination.
struct Expected {
  std::vector<Sample> samples;
  std::vector<std::array<std::array<std::string, kCombinations>, kFormatCount>> outputs;
  std::vector<std::array<std::string, 2>> dates;  // to Telugu, to English
  std::vector<std::int32_t> comparisons;          // sample i against sample i + 1
};

const char* const kPhrases[] = {"Sunday, 5 March 2010", "10:30 am", "janavari 26", "AdivaaraM", "mE aparAhna"};

std::string DateOf(const char* phrase, bool fromEnglish) {
  char out[256];
  LpxDateConvert(phrase, fromEnglish ? 1 : 0, out, sizeof out);
  return out;
}

const Expected& SingleThreaded() {
  static const Expected expected = [] {
    Expected e;
    e.samples = MakeSamples();
    e.outputs.resize(e.samples.size());
    for (int c = 0; c < kCombinations; ++c) {
      SetCombination(c);
      for (std::size_t i = 0; i < e.samples.size(); ++i) {
        for (int to = 0; to < kFormatCount; ++to) {
          if (c == 0 || DependsOnProperties(e.samples[i], to)) e.outputs[i][to][c] = ConvertWhole(e.samples[i], to);
        }
      }
    }
    SetCombination(0);
    for (const char* phrase : kPhrases) e.dates.push_back({DateOf(phrase, true), DateOf(phrase, false)});
    for (std::size_t i = 0; i + 1 < e.samples.size(); ++i) {
      const Sample& a = e.samples[i];
      const Sample& b = e.samples[i + 1];
      e.comparisons.push_back(LpxCompare(a.data(), kFormats[a.format], b.data(), kFormats[b.format]));
    }
    return e;
  }();
  return expected;
}

// Collects the first few mismatches that worker threads see; the test
// thread reports them.
class Mismatches {
 public:
  void Add(std::string what) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++count_;
    if (first_.size() < 5) first_.push_back(std::move(what));
  }
  int Count() const { return count_; }
  std::string Report() const {
    std::string out;
    for (const std::string& s : first_) out += s + "\n";
    return out;
  }

 private:
  std::mutex mutex_;
  int count_ = 0;
  std::vector<std::string> first_;
};

// Runs the workers: converters over every (sample, output) pair in their own
// order, one comparer, one date converter, one C++ API caller, and a property
// setter that either keeps the values (changing only keys nobody reads) or
// cycles through every combination. A converted output must equal the
// single-threaded one under the combination in force (or under any
// combination, when they change during the run).
void RunWorkers(bool changeProperties, int rounds) {
  const Expected& e = SingleThreaded();
  SetCombination(0);
  Mismatches mismatches;
  std::atomic<int> running{0};
  std::vector<std::thread> threads;

  constexpr int kConverters = 3;
  for (int t = 0; t < kConverters; ++t) {
    ++running;
    threads.emplace_back([&, t] {
      std::vector<std::pair<std::size_t, int>> order;
      for (std::size_t i = 0; i < e.samples.size(); ++i) {
        for (int to = 0; to < kFormatCount; ++to) order.emplace_back(i, to);
      }
      std::mt19937 random(static_cast<unsigned>(t));
      for (int r = 0; r < rounds; ++r) {
        std::shuffle(order.begin(), order.end(), random);
        for (const auto& [i, to] : order) {
          const Sample& s = e.samples[i];
          const std::string out = ConvertWhole(s, to);
          const auto& possible = e.outputs[i][to];
          const bool ok = DependsOnProperties(s, to) && changeProperties
                              ? std::find(possible.begin(), possible.end(), out) != possible.end()
                              : out == possible[0];
          if (!ok) {
            mismatches.Add(std::string(kFormats[s.format]) + " -> " + kFormats[to] + ": " + test::Describe(out));
          }
        }
      }
      --running;
    });
  }
  // Comparisons and dates run while the converters do.
  threads.emplace_back([&] {
    while (running.load() > 0) {
      for (std::size_t i = 0; i + 1 < e.samples.size(); ++i) {
        const Sample& a = e.samples[i];
        const Sample& b = e.samples[i + 1];
        if (LpxCompare(a.data(), kFormats[a.format], b.data(), kFormats[b.format]) != e.comparisons[i]) {
          mismatches.Add(std::string("comparison ") + kFormats[a.format] + " / " + kFormats[b.format]);
        }
      }
    }
  });
  threads.emplace_back([&] {
    while (running.load() > 0) {
      for (std::size_t i = 0; i < std::size(kPhrases); ++i) {
        if (DateOf(kPhrases[i], true) != e.dates[i][0] || DateOf(kPhrases[i], false) != e.dates[i][1]) {
          mismatches.Add(std::string("date ") + kPhrases[i]);
        }
      }
    }
  });
  // The C++ API works in buffers of the calling thread and takes properties
  // per call, so it gives the same results whatever the property store holds.
  threads.emplace_back([&] {
    const Properties nemeth = {{LPX_KEY_NEMETH, "TRUE"}};
    const std::string digits = test::Codes({75, 76, 77, 32, 122, 100});
    while (running.load() > 0) {
      if (convert(digits, Format::kLpxcode, Format::kBraille, nemeth) != "#123 K") mismatches.Add("C++ API Braille");
      if (convert(e.samples[0].bytes, Format::kTeltrans, Format::kUtf8) != e.outputs[0][kUtf8][0]) {
        mismatches.Add("C++ API conversion");
      }
    }
  });
  threads.emplace_back([&] {
    int step = 0;
    while (running.load() > 0) {
      if (changeProperties) {
        SetCombination(step % kCombinations);
      } else {
        SetCombination(0);
        const std::string key = "LPX_KEY_UNUSED_" + std::to_string(step % 7);
        LpxSetProperty(key.c_str(), std::to_string(step).c_str());
      }
      ++step;
      std::this_thread::yield();
    }
  });
  for (std::thread& thread : threads) thread.join();
  SetCombination(0);
  EXPECT_EQ(mismatches.Count(), 0) << mismatches.Report();
}

TEST(Concurrency, SingleThreadedResultsDependOnTheProperties) {
  // Otherwise the test below could not tell property values apart.
  const Expected& e = SingleThreaded();
  int braille = 0;
  int inscript = 0;
  for (std::size_t i = 0; i < e.samples.size(); ++i) {
    const auto& outputs = e.outputs[i][kBraille];
    if (std::count(outputs.begin(), outputs.end(), outputs[0]) < kCombinations) ++braille;
    if (e.samples[i].format == kInscript) {
      const auto& unicode = e.outputs[i][kUnicode];
      if (std::count(unicode.begin(), unicode.end(), unicode[0]) < kCombinations) ++inscript;
    }
  }
  EXPECT_GT(braille, 5);
  EXPECT_GT(inscript, 0);
}

TEST(Concurrency, EveryPairFromManyThreadsGivesTheSingleThreadedResult) { RunWorkers(false, 3); }

TEST(Concurrency, PropertyChangesApplyToWholeConversions) { RunWorkers(true, 3); }

// A conversion started while another one holds the lock waits for it and
// then completes with its own result.
TEST(Concurrency, ConversionWaitsForALongOneAndCompletes) {
  std::string longText;
  for (const std::string& word : test::WordSample()) longText += word + " ";
  while (longText.size() < (2u << 20)) longText += longText;
  const std::string expectedShort = test::ToBytes("\xE0\xB0\x95\xE0\xB0\xBF", "UTF-8", "TELTRANS");
  ASSERT_EQ(expectedShort, "ki");

  std::atomic<bool> longDone{false};
  std::int32_t longResult = 0;
  std::thread slow([&] {
    const std::int32_t size = LpxConvert(longText.c_str(), "UTF-8", nullptr, "BRAILLE", 0);
    std::vector<char> out(static_cast<std::size_t>(size));
    longResult = LpxConvert(longText.c_str(), "UTF-8", out.data(), "BRAILLE", size);
    longDone = true;
  });
  // Give the long conversion time to take the lock, then start a short one.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const bool startedDuringLong = !longDone.load();
  std::string shortResult;
  std::thread quick([&] { shortResult = test::ToBytes("\xE0\xB0\x95\xE0\xB0\xBF", "UTF-8", "TELTRANS"); });
  quick.join();
  slow.join();
  EXPECT_EQ(shortResult, "ki");
  EXPECT_GT(longResult, static_cast<std::int32_t>(longText.size() / 10));
  if (!startedDuringLong) std::printf("note: the long conversion ended before the short one started\n");
}

}  // namespace
}  // namespace tirmok
