// ICU on the same text and words: the "Telugu-Latin" transliterator (line by line, as ICU's own `uconv -x`
// runs it, and on whole blocks), its UTF-8 <-> UTF-16 conversions (the memory-speed yardstick for UTF-8 <->
// UNICODE and LPXCODE) and the collator of locale "te".
#include <algorithm>
#include <cstdint>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench_corpus.h"

#if TIRMOK_BENCH_ICU
#include <unicode/translit.h>
#include <unicode/ucol.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>
#endif

namespace tirmok::bench {

#if TIRMOK_BENCH_ICU
namespace {

using benchmark::Counter;

void SetTimePerCall(benchmark::State& state, std::size_t calls) {
  state.counters["time_per_call"] =
      Counter(static_cast<double>(calls), Counter::kIsIterationInvariantRate | Counter::kInvert);
}

std::unique_ptr<icu::Transliterator> TeluguLatin(benchmark::State& state) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Transliterator> latin(
      icu::Transliterator::createInstance("Telugu-Latin", UTRANS_FORWARD, status));
  if (U_FAILURE(status) || !latin) {
    state.SkipWithError("ICU has no Telugu-Latin transliterator");
    return nullptr;
  }
  return latin;
}

void SetUtf8Throughput(benchmark::State& state, std::size_t utf8Bytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(utf8Bytes));
  state.counters["utf8_bytes_per_second"] =
      Counter(static_cast<double>(utf8Bytes), Counter::kIsIterationInvariantRate);
}

// UTF-8 in, Latin UTF-8 out, one transliterate call per line (its line break
// included), as `uconv -x Telugu-Latin` does: how ICU's users run it.
void TransliterateByLine(benchmark::State& state) {
  const auto latin = TeluguLatin(state);
  if (!latin) return;
  const std::vector<std::string>& lines = LinesUtf8();
  std::string out;
  for (auto _ : state) {
    out.clear();
    for (const std::string& line : lines) {
      icu::UnicodeString s = icu::UnicodeString::fromUTF8(line);
      latin->transliterate(s);
      s.toUTF8String(out);
    }
    benchmark::DoNotOptimize(out.data());
  }
  SetUtf8Throughput(state, TheCorpus().utf8.totalBytes);
}

// The same on each whole block of up to 1 MiB in one UnicodeString: ICU's slowest
// use, kept as a second row for comparison with earlier figures.
void TransliterateBlock(benchmark::State& state) {
  const auto latin = TeluguLatin(state);
  if (!latin) return;
  const FormText& text = TheCorpus().utf8;
  std::string out;
  for (auto _ : state) {
    for (const std::string& block : text.bytes) {
      icu::UnicodeString s = icu::UnicodeString::fromUTF8(block);
      latin->transliterate(s);
      out.clear();
      s.toUTF8String(out);
      benchmark::DoNotOptimize(out.data());
    }
  }
  SetUtf8Throughput(state, text.totalBytes);
}

// UTF-8 to UTF-16 and back with ICU's plain string conversions, block by block
// into buffers made before the clock starts, as tirmok's conversions are timed.
void FromUtf8(benchmark::State& state) {
  const FormText& text = TheCorpus().utf8;
  std::vector<UChar> out(text.largestUnits + 1);
  for (auto _ : state) {
    for (const std::string& block : text.bytes) {
      UErrorCode status = U_ZERO_ERROR;
      std::int32_t n = 0;
      u_strFromUTF8(out.data(), static_cast<std::int32_t>(out.size()), &n, block.data(),
                    static_cast<std::int32_t>(block.size()), &status);
      benchmark::DoNotOptimize(n);
      benchmark::DoNotOptimize(out.data());
    }
  }
  SetUtf8Throughput(state, text.totalBytes);
}

void ToUtf8(benchmark::State& state) {
  const FormText& wide = TextIn(Format::kUnicode);
  std::vector<char> out(3 * wide.largestUnits + 1);
  for (auto _ : state) {
    for (const std::u16string& block : wide.wide) {
      UErrorCode status = U_ZERO_ERROR;
      std::int32_t n = 0;
      u_strToUTF8(out.data(), static_cast<std::int32_t>(out.size()), &n, block.data(),
                  static_cast<std::int32_t>(block.size()), &status);
      benchmark::DoNotOptimize(n);
      benchmark::DoNotOptimize(out.data());
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(wide.totalBytes));
  state.counters["utf8_bytes_per_second"] =
      Counter(static_cast<double>(TheCorpus().utf8.totalBytes), Counter::kIsIterationInvariantRate);
}

struct Collator {
  UCollator* collator = nullptr;
  Collator() {
    UErrorCode status = U_ZERO_ERROR;
    collator = ucol_open("te", &status);
    if (U_FAILURE(status)) collator = nullptr;
  }
  ~Collator() {
    if (collator) ucol_close(collator);
  }
};

UCollator* Telugu(benchmark::State& state) {
  static Collator telugu;
  if (!telugu.collator) state.SkipWithError("ICU has no collator for te");
  return telugu.collator;
}

void StrcollUtf8(benchmark::State& state) {
  UCollator* collator = Telugu(state);
  if (!collator) return;
  const auto& words = WordsUtf8(kPairs + 1);
  const std::size_t pairs = words.size() - 1;
  for (auto _ : state) {
    int sum = 0;
    UErrorCode status = U_ZERO_ERROR;
    for (std::size_t i = 0; i < pairs; ++i) {
      sum += ucol_strcollUTF8(collator, words[i].data(), static_cast<std::int32_t>(words[i].size()),
                              words[i + 1].data(), static_cast<std::int32_t>(words[i + 1].size()), &status);
    }
    benchmark::DoNotOptimize(sum);
  }
  SetTimePerCall(state, pairs);
}

void Strcoll(benchmark::State& state) {
  UCollator* collator = Telugu(state);
  if (!collator) return;
  const auto& words = WordsUtf16(kPairs + 1);
  const std::size_t pairs = words.size() - 1;
  for (auto _ : state) {
    int sum = 0;
    for (std::size_t i = 0; i < pairs; ++i) {
      sum += ucol_strcoll(collator, words[i].data(), static_cast<std::int32_t>(words[i].size()),
                          words[i + 1].data(), static_cast<std::int32_t>(words[i + 1].size()));
    }
    benchmark::DoNotOptimize(sum);
  }
  SetTimePerCall(state, pairs);
}

std::string SortKeyOf(UCollator* collator, const std::u16string& word) {
  std::uint8_t buffer[512];
  const std::int32_t n = ucol_getSortKey(collator, word.data(), static_cast<std::int32_t>(word.size()), buffer,
                                         static_cast<std::int32_t>(sizeof buffer));
  // The key ends with a zero byte, which ICU counts.
  return std::string(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(std::max(n - 1, 0)));
}

void SortKeys(benchmark::State& state) {
  UCollator* collator = Telugu(state);
  if (!collator) return;
  const auto& words = WordsUtf16(kPairs + 1);
  std::uint8_t buffer[512];
  for (auto _ : state) {
    std::int32_t total = 0;
    for (const std::u16string& word : words) {
      total += ucol_getSortKey(collator, word.data(), static_cast<std::int32_t>(word.size()), buffer,
                               static_cast<std::int32_t>(sizeof buffer));
    }
    benchmark::DoNotOptimize(total);
  }
  SetTimePerCall(state, words.size());
  double keyBytes = 0, units = 0, worst = 0;
  for (const std::u16string& word : words) {
    const double n = static_cast<double>(SortKeyOf(collator, word).size());
    keyBytes += n;
    units += static_cast<double>(word.size());
    if (!word.empty()) worst = std::max(worst, n / static_cast<double>(word.size()));
  }
  state.counters["key_bytes_per_unit"] = keyBytes / units;
  state.counters["key_bytes_per_unit_max"] = worst;
}

void SortByStrcoll(benchmark::State& state) {
  UCollator* collator = Telugu(state);
  if (!collator) return;
  const auto& words = WordsUtf8(kSortWords);
  std::vector<std::uint32_t> order(words.size());
  for (auto _ : state) {
    UErrorCode status = U_ZERO_ERROR;
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
      return ucol_strcollUTF8(collator, words[a].data(), static_cast<std::int32_t>(words[a].size()),
                              words[b].data(), static_cast<std::int32_t>(words[b].size()), &status) < 0;
    });
    benchmark::DoNotOptimize(order.data());
  }
  SetTimePerCall(state, 1);
}

void SortBySortKey(benchmark::State& state) {
  UCollator* collator = Telugu(state);
  if (!collator) return;
  const auto& words = WordsUtf16(kSortWords);
  std::vector<std::pair<std::string, std::uint32_t>> keyed(words.size());
  for (auto _ : state) {
    for (std::uint32_t i = 0; i < words.size(); ++i) keyed[i] = {SortKeyOf(collator, words[i]), i};
    std::sort(keyed.begin(), keyed.end());
    benchmark::DoNotOptimize(keyed.data());
  }
  SetTimePerCall(state, 1);
}

}  // namespace

void RegisterIcuTransliteration() {
  benchmark::RegisterBenchmark("peer/ICU Telugu-Latin by line", TransliterateByLine);
  benchmark::RegisterBenchmark("peer/ICU Telugu-Latin whole block", TransliterateBlock);
  benchmark::RegisterBenchmark("peer/ICU u_strFromUTF8", FromUtf8);
  benchmark::RegisterBenchmark("peer/ICU u_strToUTF8", ToUtf8);
}

void RegisterIcuCollation() {
  benchmark::RegisterBenchmark("compare/ICU ucol_strcollUTF8", StrcollUtf8);
  benchmark::RegisterBenchmark("compare/ICU ucol_strcoll", Strcoll);
  benchmark::RegisterBenchmark("sortkey/ICU ucol_getSortKey", SortKeys);
  benchmark::RegisterBenchmark("sort/words by ICU ucol_strcollUTF8", SortByStrcoll)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("sort/words by ICU sort keys", SortBySortKey)->Unit(benchmark::kMillisecond);
}

#else

void RegisterIcuTransliteration() {}
void RegisterIcuCollation() {}

#endif

}  // namespace tirmok::bench
