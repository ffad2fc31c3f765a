// tirmok's benchmarks: conversions in MB/s of input, comparison and sort keys in ns per call, sorting, threads.
//
// Usage: tirmok_bench [--file=PATH] [Google Benchmark flags]. The text is
// bench/data/te_text_300k.txt unless --file or the TIRMOK_BENCH_FILE variable
// names another UTF-8 file; it is converted in blocks of whole lines of at
// most 1 MiB, the way the command-line tool streams files. ICU's transliterator
// and collator run on the same text and words when ICU was found at build time.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <numeric>
#include <string>
#include <string_view>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench_corpus.h"
#include "bench_summary.h"
#include "tirmok/tirmok.h"
#include "tirmok/tirmok.hpp"

namespace tirmok::bench {

// Defined in icu_peers.cpp; they register nothing when ICU is absent.
void RegisterIcuTransliteration();
void RegisterIcuCollation();
// Defined in louis_peer.cpp; registers nothing when liblouis is absent.
void RegisterLouis();

namespace {

using benchmark::Counter;

std::string NameOf(Format format) { return std::string(format_name(format)); }
int UnitBytes(Format format) { return is_wide(format) ? 2 : 1; }

// Output room for any block: the size the library asks for (20 bytes per
// input unit and 4096), in units of the output format.
std::vector<char16_t> OutputBuffer(const FormText& text, Format to, std::int32_t& capacity) {
  capacity = static_cast<std::int32_t>(20 * text.largestUnits + 4096);
  return std::vector<char16_t>(static_cast<std::size_t>(capacity) * static_cast<std::size_t>(UnitBytes(to)) / 2 + 1);
}

void SetThroughput(benchmark::State& state, std::size_t inputBytes, std::size_t utf8Bytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(inputBytes));
  if (utf8Bytes > 0) {
    state.counters["utf8_bytes_per_second"] = Counter(static_cast<double>(utf8Bytes), Counter::kIsIterationInvariantRate);
  }
}

void SetTimePerCall(benchmark::State& state, std::size_t calls) {
  state.counters["time_per_call"] =
      Counter(static_cast<double>(calls), Counter::kIsIterationInvariantRate | Counter::kInvert);
}

// Every block of the text in `from` through LpxConvert into `to`.
void ConvertText(benchmark::State& state, Format from, Format to) {
  const FormText& text = TextIn(from);
  const std::string fromName = NameOf(from);
  const std::string toName = NameOf(to);
  std::int32_t capacity = 0;
  std::vector<char16_t> out = OutputBuffer(text, to, capacity);
  std::size_t outputBytes = 0;
  for (auto _ : state) {
    outputBytes = 0;
    for (std::size_t i = 0; i < text.Blocks(); ++i) {
      const std::int32_t n = LpxConvert(text.Block(i), fromName.c_str(), out.data(), toName.c_str(), capacity);
      outputBytes += static_cast<std::size_t>(n) * static_cast<std::size_t>(UnitBytes(to));
      benchmark::DoNotOptimize(out.data());
    }
  }
  const std::size_t utf8 = from == Format::kUtf8 ? text.totalBytes : to == Format::kUtf8 ? outputBytes : 0;
  SetThroughput(state, text.totalBytes, utf8);
}

// UTF-8 to TELTRANS and back, block by block.
void RoundTrip(benchmark::State& state) {
  const FormText& text = TextIn(Format::kUtf8);
  std::int32_t capacity = 0;
  std::vector<char16_t> latin = OutputBuffer(text, Format::kTeltrans, capacity);
  std::vector<char16_t> back(latin.size());
  for (auto _ : state) {
    for (std::size_t i = 0; i < text.Blocks(); ++i) {
      LpxConvert(text.Block(i), "UTF-8", latin.data(), "TELTRANS", capacity);
      LpxConvert(latin.data(), "TELTRANS", back.data(), "UTF-8", capacity);
      benchmark::DoNotOptimize(back.data());
    }
  }
  SetThroughput(state, text.totalBytes, text.totalBytes);
}

template <class Word>
void CompareWords(benchmark::State& state, const std::vector<Word>& words, const char* format) {
  const std::size_t pairs = words.size() - 1;
  for (auto _ : state) {
    std::int32_t sum = 0;
    for (std::size_t i = 0; i < pairs; ++i) sum += LpxCompare(words[i].c_str(), format, words[i + 1].c_str(), format);
    benchmark::DoNotOptimize(sum);
  }
  SetTimePerCall(state, pairs);
}

void CompareCppApi(benchmark::State& state) {
  const auto& words = WordsUtf8(kPairs + 1);
  const std::size_t pairs = words.size() - 1;
  for (auto _ : state) {
    int sum = 0;
    for (std::size_t i = 0; i < pairs; ++i) sum += compare(words[i], Format::kUtf8, words[i + 1], Format::kUtf8);
    benchmark::DoNotOptimize(sum);
  }
  SetTimePerCall(state, pairs);
}

template <class Word>
void SortKeys(benchmark::State& state, const std::vector<Word>& words, Format format) {
  for (auto _ : state) {
    std::size_t total = 0;
    for (const Word& word : words) total += sort_key(word, format).size();
    benchmark::DoNotOptimize(total);
  }
  SetTimePerCall(state, words.size());
  // Key length per UTF-16 unit of the word, on average and at worst.
  double keyBytes = 0, units = 0, worst = 0;
  for (const std::u16string& word : WordsUtf16(kPairs + 1)) {
    const double n = static_cast<double>(sort_key(word, Format::kUnicode).size());
    keyBytes += n;
    units += static_cast<double>(word.size());
    if (!word.empty()) worst = std::max(worst, n / static_cast<double>(word.size()));
  }
  state.counters["key_bytes_per_unit"] = keyBytes / units;
  state.counters["key_bytes_per_unit_max"] = worst;
}

void SortByCompare(benchmark::State& state) {
  const auto& words = WordsUtf8(kSortWords);
  std::vector<std::uint32_t> order(words.size());
  for (auto _ : state) {
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
      return LpxCompare(words[a].c_str(), "UTF-8", words[b].c_str(), "UTF-8") < 0;
    });
    benchmark::DoNotOptimize(order.data());
  }
  SetTimePerCall(state, 1);
}

void SortBySortKey(benchmark::State& state) {
  const auto& words = WordsUtf16(kSortWords);
  std::vector<std::pair<std::string, std::uint32_t>> keyed(words.size());
  for (auto _ : state) {
    for (std::uint32_t i = 0; i < words.size(); ++i) keyed[i] = {sort_key(words[i], Format::kUnicode), i};
    std::sort(keyed.begin(), keyed.end());
    benchmark::DoNotOptimize(keyed.data());
  }
  SetTimePerCall(state, 1);
}

// The C++ API on each line of the text; every thread converts the whole text.
void CppApiByLine(benchmark::State& state) {
  // Each line without its line break.
  static const std::vector<std::string_view> lines = [] {
    std::vector<std::string_view> result;
    for (const std::string& line : LinesUtf8()) {
      result.push_back(std::string_view(line).substr(0, line.size() - (line.back() == '\n')));
    }
    return result;
  }();
  std::size_t bytes = 0;
  for (std::string_view line : lines) bytes += line.size();
  for (auto _ : state) {
    for (std::string_view line : lines) {
      const std::string latin = convert(line, Format::kUtf8, Format::kTeltrans);
      benchmark::DoNotOptimize(latin.data());
    }
  }
  // Per thread; the report adds the threads up.
  SetThroughput(state, bytes, 0);
}

void RegisterConversions() {
  // Every input format to the internal code, and the internal code to every output format.
  for (Format from : {Format::kTeltrans, Format::kLpxcode, Format::kLpxkbd, Format::kInscript, Format::kAnsi,
                      Format::kUnicode, Format::kUtf8, Format::kCollcode, Format::kIso15919Ansi, Format::kIso15919,
                      Format::kIso15919Utf8}) {
    benchmark::RegisterBenchmark(("convert/decode " + NameOf(from) + "->LPXCODE").c_str(),
                                 [from](benchmark::State& s) { ConvertText(s, from, Format::kLpxcode); });
  }
  for (Format to : {Format::kTeltrans, Format::kLpxcode, Format::kAnsi, Format::kUnicode, Format::kUtf8,
                    Format::kCollcode, Format::kIso15919Ansi, Format::kIso15919, Format::kIso15919Utf8,
                    Format::kBraille}) {
    benchmark::RegisterBenchmark(("convert/encode LPXCODE->" + NameOf(to)).c_str(),
                                 [to](benchmark::State& s) { ConvertText(s, Format::kLpxcode, to); });
  }
  // Every format read from UTF-8 and written to UTF-8: the whole road through the internal code.
  // (UTF-8 <-> LPXCODE is the decode and encode above.)
  for (Format to : {Format::kTeltrans, Format::kAnsi, Format::kUnicode, Format::kUtf8, Format::kCollcode,
                    Format::kIso15919Ansi, Format::kIso15919, Format::kIso15919Utf8, Format::kBraille,
                    Format::kBrailleUnicode}) {
    benchmark::RegisterBenchmark(("convert/path UTF-8->" + NameOf(to)).c_str(),
                                 [to](benchmark::State& s) { ConvertText(s, Format::kUtf8, to); });
  }
  for (Format from : {Format::kTeltrans, Format::kLpxkbd, Format::kInscript, Format::kAnsi, Format::kUnicode,
                      Format::kCollcode, Format::kIso15919Ansi, Format::kIso15919, Format::kIso15919Utf8,
                      Format::kBraille, Format::kBrailleUnicode}) {
    benchmark::RegisterBenchmark(("convert/path " + NameOf(from) + "->UTF-8").c_str(),
                                 [from](benchmark::State& s) { ConvertText(s, from, Format::kUtf8); });
  }
  benchmark::RegisterBenchmark("convert/path UTF-8->TELTRANS->UTF-8", RoundTrip);
}

void RegisterComparisons() {
  benchmark::RegisterBenchmark("compare/LpxCompare UTF-8",
                               [](benchmark::State& s) { CompareWords(s, WordsUtf8(kPairs + 1), "UTF-8"); });
  benchmark::RegisterBenchmark("compare/LpxCompare UNICODE",
                               [](benchmark::State& s) { CompareWords(s, WordsUtf16(kPairs + 1), "UNICODE"); });
  benchmark::RegisterBenchmark("compare/tirmok::compare UTF-8", CompareCppApi);
  benchmark::RegisterBenchmark("sortkey/tirmok::sort_key UTF-16", [](benchmark::State& s) {
    SortKeys(s, WordsUtf16(kPairs + 1), Format::kUnicode);
  });
  benchmark::RegisterBenchmark("sortkey/tirmok::sort_key UTF-8",
                               [](benchmark::State& s) { SortKeys(s, WordsUtf8(kPairs + 1), Format::kUtf8); });
  benchmark::RegisterBenchmark("sort/words by LpxCompare", SortByCompare)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("sort/words by tirmok::sort_key", SortBySortKey)->Unit(benchmark::kMillisecond);
}

void RegisterThreads() {
  benchmark::RegisterBenchmark("cpp_api/convert UTF-8->TELTRANS by line", CppApiByLine)
      ->Threads(1)
      ->Threads(2)
      ->UseRealTime();
}

std::string CpuModel() {
  std::ifstream in("/proc/cpuinfo");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("model name", 0) == 0) {
      const auto colon = line.find(':');
      if (colon != std::string::npos) return line.substr(line.find_first_not_of(" \t", colon + 1));
    }
  }
  return "unknown CPU";
}

}  // namespace
}  // namespace tirmok::bench

int main(int argc, char** argv) {
  using namespace tirmok::bench;
  std::string path = TIRMOK_BENCH_TEXT;
  if (const char* file = std::getenv("TIRMOK_BENCH_FILE"); file != nullptr && *file != '\0') path = file;
  // Our own flag is taken out before Google Benchmark reads the rest.
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--file=", 7) == 0) {
      path = argv[i] + 7;
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  // Five repetitions unless asked otherwise, spread over the whole run in
  // random order: the summary takes the best of each, so a benchmark that met
  // a busy spell of the shared machine still has repetitions from quieter ones.
  std::vector<char*> arguments(argv, argv + argc);
  std::string repetitions = "--benchmark_repetitions=5";
  std::string interleaving = "--benchmark_enable_random_interleaving=true";
  const auto given = [&arguments](const char* flag) {
    return std::any_of(arguments.begin(), arguments.end(),
                       [flag](const char* a) { return std::strncmp(a, flag, std::strlen(flag)) == 0; });
  };
  if (!given("--benchmark_repetitions")) arguments.insert(arguments.begin() + 1, repetitions.data());
  if (!given("--benchmark_enable_random_interleaving")) arguments.insert(arguments.begin() + 1, interleaving.data());
  argc = static_cast<int>(arguments.size());
  arguments.push_back(nullptr);
  argv = arguments.data();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  std::string error;
  if (!LoadCorpus(path, error)) {
    std::fprintf(stderr, "tirmok_bench: %s\n", error.c_str());
    return 1;
  }
  RegisterConversions();
  RegisterIcuTransliteration();
  RegisterLouis();
  RegisterComparisons();
  RegisterIcuCollation();
  RegisterThreads();

  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintSummary(CpuModel(), TheCorpus().source, static_cast<double>(TheCorpus().utf8.totalBytes) / 1e6);
  benchmark::Shutdown();
  return 0;
}
