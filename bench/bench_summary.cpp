// The closing summary: headline figures side by side with ICU, as ratios, against the project's targets.
#include "bench_summary.h"

#include <algorithm>
#include <cstdio>

#include "bench_corpus.h"

namespace tirmok::bench {
namespace {

double CounterOr(const benchmark::BenchmarkReporter::Run& run, const char* name, double fallback = 0) {
  const auto it = run.counters.find(name);
  return it == run.counters.end() ? fallback : static_cast<double>(it->second);
}

const char* Verdict(bool met) { return met ? "met" : "NOT met"; }

}  // namespace

void SummaryReporter::ReportRuns(const std::vector<Run>& runs) {
  // Each repetition is shown; the summary keeps the best of them, since on a
  // shared machine other work only ever slows a run down.
  std::vector<Run> shown;
  for (const Run& run : runs) {
    if (run.run_type == Run::RT_Iteration) shown.push_back(run);
  }
  if (!shown.empty()) ConsoleReporter::ReportRuns(shown);
  for (const Run& run : shown) {
    if (run.error_occurred) continue;
    Figure figure;
    figure.megabytesPerSecond = CounterOr(run, "bytes_per_second") / 1e6;
    figure.utf8MegabytesPerSecond = CounterOr(run, "utf8_bytes_per_second") / 1e6;
    figure.nanosecondsPerCall = CounterOr(run, "time_per_call") * 1e9;
    figure.keyBytesPerUnit = CounterOr(run, "key_bytes_per_unit");
    figure.keyBytesPerUnitMax = CounterOr(run, "key_bytes_per_unit_max");
    // The name keeps the thread and timing suffixes.
    const auto [it, added] = figures_.emplace(run.benchmark_name(), figure);
    if (added) continue;
    Figure& best = it->second;
    best.megabytesPerSecond = std::max(best.megabytesPerSecond, figure.megabytesPerSecond);
    best.utf8MegabytesPerSecond = std::max(best.utf8MegabytesPerSecond, figure.utf8MegabytesPerSecond);
    if (figure.nanosecondsPerCall > 0) {
      best.nanosecondsPerCall = std::min(best.nanosecondsPerCall, figure.nanosecondsPerCall);
    }
  }
}

const Figure* SummaryReporter::Find(const std::string& name) const {
  const auto it = figures_.find(name);
  return it == figures_.end() ? nullptr : &it->second;
}

void SummaryReporter::PrintSummary(const std::string& cpu, const std::string& source, double sourceMegabytes) const {
  std::printf("\n==== Summary: %s, %.2f MB of UTF-8 text from %s ====\n", cpu.c_str(), sourceMegabytes,
              source.c_str());
  std::printf("(MB = 10^6 bytes; the best of the repetitions; conversions through LpxConvert, one call per\n"
              " block of whole lines; ratios of figures measured in this same run)\n\n");

  std::printf("%-44s %12s %12s\n", "conversion", "MB/s input", "MB/s UTF-8");
  for (const auto& [name, figure] : figures_) {
    if (figure.megabytesPerSecond <= 0 || name.rfind("convert/", 0) != 0) continue;
    if (figure.utf8MegabytesPerSecond > 0) {
      std::printf("%-44s %12.1f %12.1f\n", name.c_str(), figure.megabytesPerSecond, figure.utf8MegabytesPerSecond);
    } else {
      std::printf("%-44s %12.1f %12s\n", name.c_str(), figure.megabytesPerSecond, "");
    }
  }

  std::printf("\n%-44s %12s\n", "per call (a word pair, a word; a whole sort)", "ns");
  for (const auto& [name, figure] : figures_) {
    if (figure.nanosecondsPerCall <= 0) continue;
    std::printf("%-44s %12.1f", name.c_str(), figure.nanosecondsPerCall);
    if (name.rfind("sort/", 0) == 0) std::printf("   (%.2f ms for %zu words)", figure.nanosecondsPerCall / 1e6, WordsUtf8(kSortWords).size());
    if (figure.keyBytesPerUnit > 0) {
      std::printf("   key bytes per UTF-16 unit: %.2f average, %.2f largest", figure.keyBytesPerUnit,
                  figure.keyBytesPerUnitMax);
    }
    std::printf("\n");
  }

  std::printf("\nTargets (each measured side by side in this run):\n");
  const Figure* iso = Find("convert/path UTF-8->ISO15919_UTF_8");
  const Figure* icuLatin = Find("peer/ICU Telugu-Latin UTF-8->Latin UTF-8");
  if (iso && icuLatin && icuLatin->megabytesPerSecond > 0) {
    const double ratio = iso->megabytesPerSecond / icuLatin->megabytesPerSecond;
    std::printf("  UTF-8 -> ISO15919_UTF_8 %.1f MB/s vs ICU Telugu-Latin %.2f MB/s: %.1fx (target 20x) %s\n",
                iso->megabytesPerSecond, icuLatin->megabytesPerSecond, ratio, Verdict(ratio >= 20));
  } else if (iso) {
    std::printf("  UTF-8 -> ISO15919_UTF_8 %.1f MB/s (ICU not available for the ratio)\n", iso->megabytesPerSecond);
  }
  const struct {
    const char* name;
    const char* label;
    double target;
  } speeds[] = {
      {"convert/decode UTF-8->LPXCODE", "UTF-8 -> LPXCODE", 300},
      {"convert/encode LPXCODE->UTF-8", "LPXCODE -> UTF-8", 300},
      {"convert/path UTF-8->TELTRANS->UTF-8", "UTF-8 -> TELTRANS -> UTF-8", 150},
  };
  for (const auto& speed : speeds) {
    if (const Figure* f = Find(speed.name)) {
      std::printf("  %-28s %8.1f MB/s of UTF-8 (target %.0f) %s\n", speed.label, f->utf8MegabytesPerSecond,
                  speed.target, Verdict(f->utf8MegabytesPerSecond >= speed.target));
    }
  }
  // Sorting the word list is reported beside ICU, not a target of its own.
  const struct {
    const char* ours;
    const char* peer;
    const char* label;
    bool target;
  } calls[] = {
      {"compare/LpxCompare UTF-8", "compare/ICU ucol_strcollUTF8", "LpxCompare UTF-8 vs ucol_strcollUTF8", true},
      {"compare/LpxCompare UNICODE", "compare/ICU ucol_strcoll", "LpxCompare UNICODE vs ucol_strcoll", true},
      {"sortkey/tirmok::sort_key UTF-16", "sortkey/ICU ucol_getSortKey", "sort_key UTF-16 vs ucol_getSortKey", true},
      {"sortkey/tirmok::sort_key UTF-8", "sortkey/ICU ucol_getSortKey", "sort_key UTF-8 vs ucol_getSortKey", true},
      {"sort/words by LpxCompare", "sort/words by ICU ucol_strcollUTF8", "sort by LpxCompare vs by ucol_strcollUTF8",
       false},
      {"sort/words by tirmok::sort_key", "sort/words by ICU sort keys", "sort by sort_key vs by ICU sort keys", false},
  };
  for (const auto& call : calls) {
    const Figure* ours = Find(call.ours);
    const Figure* peer = Find(call.peer);
    if (!ours) continue;
    if (peer && ours->nanosecondsPerCall > 0) {
      const double ratio = peer->nanosecondsPerCall / ours->nanosecondsPerCall;
      std::printf("  %-40s %10.1f ns vs %10.1f ns: %.2fx as fast %s\n", call.label, ours->nanosecondsPerCall,
                  peer->nanosecondsPerCall, ratio, call.target ? Verdict(ratio > 1) : "(reported)");
    } else {
      std::printf("  %-40s %10.1f ns (no ICU peer)\n", call.label, ours->nanosecondsPerCall);
    }
  }
  if (const Figure* keys = Find("sortkey/tirmok::sort_key UTF-16")) {
    std::printf("  sort key length: %.2f bytes per UTF-16 unit on average, %.2f at most (target 2) %s\n",
                keys->keyBytesPerUnit, keys->keyBytesPerUnitMax, Verdict(keys->keyBytesPerUnitMax <= 2));
  }
  const Figure* one = Find("cpp_api/convert UTF-8->TELTRANS by line/real_time/threads:1");
  const Figure* two = Find("cpp_api/convert UTF-8->TELTRANS by line/real_time/threads:2");
  if (one && two && one->megabytesPerSecond > 0) {
    const double ratio = two->megabytesPerSecond / one->megabytesPerSecond;
    std::printf("  C++ API, 2 threads %.1f MB/s vs 1 thread %.1f MB/s: %.2fx (target 1.8x) %s\n",
                two->megabytesPerSecond, one->megabytesPerSecond, ratio, Verdict(ratio >= 1.8));
  }
  std::fflush(stdout);
}

}  // namespace tirmok::bench
