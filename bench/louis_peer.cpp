// liblouis on the same text: its Telugu grade 1 table, one lou_translateString call per line, as its
// lou_translate tool runs it (UTF-8 in, each line decoded to liblouis's characters and the braille written back
// as UTF-8).
#include <cstdint>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench_corpus.h"

#if TIRMOK_BENCH_LOUIS
#include <liblouis.h>
#endif

namespace tirmok::bench {

#if TIRMOK_BENCH_LOUIS
namespace {

constexpr const char* kTable = "te-in-g1.utb";

// Lines arrive well-formed (the benchmark text is UTF-8), so a plain decoder
// will do. The line break is left out and written after the braille, as
// lou_translate does.
void DecodeLine(const std::string& line, std::vector<widechar>& out) {
  out.clear();
  const auto* p = reinterpret_cast<const unsigned char*>(line.data());
  const auto* end = p + line.size();
  if (p < end && end[-1] == '\n') --end;
  while (p < end) {
    std::uint32_t c = *p++;
    if (c >= 0xF0 && end - p >= 3) {
      c = ((c & 0x07) << 18) | ((p[0] & 0x3Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
      p += 3;
    } else if (c >= 0xE0 && end - p >= 2) {
      c = ((c & 0x0F) << 12) | ((p[0] & 0x3Fu) << 6) | (p[1] & 0x3Fu);
      p += 2;
    } else if (c >= 0xC0 && end - p >= 1) {
      c = ((c & 0x1F) << 6) | (p[0] & 0x3Fu);
      p += 1;
    }
    out.push_back(static_cast<widechar>(c));
  }
}

void EncodeLine(const widechar* p, int n, std::string& out) {
  for (int i = 0; i < n; ++i) {
    const std::uint32_t c = p[i];
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
}

void TranslateByLine(benchmark::State& state) {
  if (lou_getTable(kTable) == nullptr) {
    state.SkipWithError("liblouis has no table te-in-g1.utb");
    return;
  }
  const std::vector<std::string>& lines = LinesUtf8();
  std::vector<widechar> in;
  std::vector<widechar> braille;
  std::string out;
  for (auto _ : state) {
    out.clear();
    for (const std::string& line : lines) {
      DecodeLine(line, in);
      // Braille takes a few cells per letter; the room grows and the line is
      // done again whenever the table could not place all of it.
      braille.resize(4 * in.size() + 16);
      for (;;) {
        int inlen = static_cast<int>(in.size());
        int outlen = static_cast<int>(braille.size());
        if (!lou_translateString(kTable, in.data(), &inlen, braille.data(), &outlen, nullptr, nullptr, 0)) {
          state.SkipWithError("lou_translateString failed");
          return;
        }
        if (inlen == static_cast<int>(in.size())) {
          EncodeLine(braille.data(), outlen, out);
          out.push_back('\n');
          break;
        }
        braille.resize(2 * braille.size());
      }
    }
    benchmark::DoNotOptimize(out.data());
  }
  const std::size_t utf8 = TheCorpus().utf8.totalBytes;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(utf8));
  state.counters["utf8_bytes_per_second"] =
      benchmark::Counter(static_cast<double>(utf8), benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

void RegisterLouis() { benchmark::RegisterBenchmark("peer/liblouis te-in-g1 by line", TranslateByLine); }

#else

void RegisterLouis() {}

#endif

}  // namespace tirmok::bench
