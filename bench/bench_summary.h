// The console report plus a closing summary: the headline figures, each against its ICU peer and its target.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

namespace tirmok::bench {

// What one benchmark measured, in the units the summary uses.
struct Figure {
  double megabytesPerSecond = 0;  // of the benchmark's input (10^6 bytes)
  double utf8MegabytesPerSecond = 0;  // of the UTF-8 text, where the benchmark reports it
  double nanosecondsPerCall = 0;  // per item (a word pair, a word, a sort)
  double keyBytesPerUnit = 0;     // sort keys: average bytes per UTF-16 unit
  double keyBytesPerUnitMax = 0;  // and the largest of any word
};

class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override;

  // Prints the headline figures, the ratios to ICU and whether each target is met.
  void PrintSummary(const std::string& cpu, const std::string& source, double sourceMegabytes) const;

 private:
  const Figure* Find(const std::string& name) const;
  const Figure* FindPath(const std::string& from, const std::string& to) const;
  void PrintFormatTargets() const;
  void PrintPeerTargets() const;
  std::map<std::string, Figure> figures_;
};

}  // namespace tirmok::bench
