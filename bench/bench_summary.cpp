// The closing summary: headline figures side by side with ICU, as ratios, against the project's targets.
#include "bench_summary.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <tuple>

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

// UTF-8 <-> LPXCODE is timed as the decode and the encode; every other format as a path through the hub.
const Figure* SummaryReporter::FindPath(const std::string& from, const std::string& to) const {
  if (from == "UTF-8" && to == "LPXCODE") return Find("convert/decode UTF-8->LPXCODE");
  if (from == "LPXCODE" && to == "UTF-8") return Find("convert/encode LPXCODE->UTF-8");
  return Find("convert/path " + from + "->" + to);
}

void SummaryReporter::PrintFormatTargets() const {
  constexpr double kTarget = 200;
  std::printf("  Every format from and to UTF-8, MB/s of UTF-8 (target %.0f each):\n", kTarget);
  int missed = 0;
  for (const char* name : {"TELTRANS", "LPXCODE", "LPXKBD", "INSCRIPT", "ANSI", "UNICODE", "UTF-8", "COLLCODE",
                           "ISO15919_ANSI", "ISO15919", "ISO15919_UTF_8", "BRAILLE", "BRAILLE_UNICODE"}) {
    const Figure* from = FindPath("UTF-8", name);
    // UTF-8 to itself is one figure, shown once.
    const Figure* to = std::string_view(name) == "UTF-8" ? nullptr : FindPath(name, "UTF-8");
    if (!from && !to) continue;
    std::printf("    %-16s", name);
    for (const Figure* f : {from, to}) {
      if (f) {
        std::printf("  %-10s %7.1f %-8s", f == from ? "from UTF-8" : "to UTF-8", f->utf8MegabytesPerSecond,
                    Verdict(f->utf8MegabytesPerSecond >= kTarget));
        missed += f->utf8MegabytesPerSecond < kTarget;
      } else {
        std::printf("  %-10s %7s %-8s", "", "", "");
      }
    }
    std::printf("\n");
  }
  std::printf("  No slow format: %s (%d below %.0f)\n", Verdict(missed == 0), missed, kTarget);
}

void SummaryReporter::PrintPeerTargets() const {
  // A ratio to a peer that runs in this same run, or the figure alone when the peer is not installed.
  const auto times = [&](const char* label, const char* ours, const char* peer, const char* peerLabel,
                         double target) {
    const Figure* a = Find(ours);
    const Figure* b = Find(peer);
    if (!a) return;
    if (!b || b->utf8MegabytesPerSecond <= 0) {
      std::printf("  %-32s %8.1f MB/s of UTF-8 (%s not available for the ratio)\n", label,
                  a->utf8MegabytesPerSecond, peerLabel);
      return;
    }
    const double ratio = a->utf8MegabytesPerSecond / b->utf8MegabytesPerSecond;
    if (target > 0) {
      std::printf("  %-32s %8.1f MB/s vs %s %.2f MB/s: %.1fx (target %.0fx) %s\n", label, a->utf8MegabytesPerSecond,
                  peerLabel, b->utf8MegabytesPerSecond, ratio, target, Verdict(ratio >= target));
    } else {
      std::printf("  %-32s %8.1f MB/s vs %s %.2f MB/s: %.1fx (reported)\n", label, a->utf8MegabytesPerSecond,
                  peerLabel, b->utf8MegabytesPerSecond, ratio);
    }
  };
  times("UTF-8 -> ISO15919_UTF_8", "convert/path UTF-8->ISO15919_UTF_8", "peer/ICU Telugu-Latin by line",
        "ICU Telugu-Latin by line", 20);
  times("UTF-8 -> ISO15919_UTF_8", "convert/path UTF-8->ISO15919_UTF_8", "peer/ICU Telugu-Latin whole block",
        "ICU Telugu-Latin on 1 MiB blocks (its slowest use)", 0);
  times("UTF-8 -> BRAILLE", "convert/path UTF-8->BRAILLE", "peer/liblouis te-in-g1 by line",
        "liblouis te-in-g1 by line", 20);

  for (const auto& [label, from, to] : {std::tuple{"UTF-8 -> LPXCODE", "UTF-8", "LPXCODE"},
                                        std::tuple{"LPXCODE -> UTF-8", "LPXCODE", "UTF-8"}}) {
    if (const Figure* f = FindPath(from, to)) {
      std::printf("  %-32s %8.1f MB/s of UTF-8 (target 1000) %s\n", label, f->utf8MegabytesPerSecond,
                  Verdict(f->utf8MegabytesPerSecond >= 1000));
    }
  }
  // Within 1.5 times ICU's plain UTF-8 <-> UTF-16 conversion: ICU's figure over ours at most 1.5.
  for (const auto& [label, from, to, peer] :
       {std::tuple{"UTF-8 -> UNICODE", "UTF-8", "UNICODE", "peer/ICU u_strFromUTF8"},
        std::tuple{"UNICODE -> UTF-8", "UNICODE", "UTF-8", "peer/ICU u_strToUTF8"}}) {
    const Figure* ours = FindPath(from, to);
    const Figure* icu = Find(peer);
    if (!ours) continue;
    if (!icu || ours->utf8MegabytesPerSecond <= 0) {
      std::printf("  %-32s %8.1f MB/s of UTF-8 (ICU not available for the ratio)\n", label,
                  ours->utf8MegabytesPerSecond);
      continue;
    }
    const double ratio = icu->utf8MegabytesPerSecond / ours->utf8MegabytesPerSecond;
    std::printf("  %-32s %8.1f MB/s vs %s %.1f MB/s of UTF-8: ICU %.2fx as fast (target at most 1.5x) %s\n", label,
                ours->utf8MegabytesPerSecond, peer + 5, icu->utf8MegabytesPerSecond, ratio, Verdict(ratio <= 1.5));
  }
}

void SummaryReporter::PrintSummary(const std::string& cpu, const std::string& source, double sourceMegabytes) const {
  std::printf("\n==== Summary: %s, %.2f MB of UTF-8 text from %s ====\n", cpu.c_str(), sourceMegabytes,
              source.c_str());
  std::printf("(MB = 10^6 bytes; the best of the repetitions; conversions through LpxConvert, one call per\n"
              " block of whole lines; ratios of figures measured in this same run)\n\n");

  std::printf("%-44s %12s %12s\n", "conversion", "MB/s input", "MB/s UTF-8");
  for (const auto& [name, figure] : figures_) {
    if (figure.megabytesPerSecond <= 0 || (name.rfind("convert/", 0) != 0 && name.rfind("peer/", 0) != 0)) continue;
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
  PrintFormatTargets();
  PrintPeerTargets();
  if (const Figure* f = Find("convert/path UTF-8->TELTRANS->UTF-8")) {
    std::printf("  %-32s %8.1f MB/s of UTF-8 (target 150) %s\n", "UTF-8 -> TELTRANS -> UTF-8",
                f->utf8MegabytesPerSecond, Verdict(f->utf8MegabytesPerSecond >= 150));
  }
  // Sorting by sort keys is reported beside ICU's sort keys, not a target of its own.
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
       true},
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
