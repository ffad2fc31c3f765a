// Native side of `make bench-js`: the same conversions as the Node benchmark, through the same C function
// (TirmokConvert, output sized by its size query), on the same text, best of several rounds.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tirmok/tirmok_ext.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: native_bench FILE OUTPUT_FORMAT...\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) return 1;
  for (int f = 2; f < argc; ++f) {
    const char* to = argv[f];
    double best = 1e30;
    std::size_t length = 0;
    for (int round = 0; round < 40; ++round) {
      const auto start = std::chrono::steady_clock::now();
      const std::int32_t size = TirmokConvert(text.c_str(), "UTF-8", nullptr, to, 0, nullptr);
      std::vector<char> out(static_cast<std::size_t>(size));
      length = static_cast<std::size_t>(TirmokConvert(text.c_str(), "UTF-8", out.data(), to, size, nullptr));
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      if (seconds < best) best = seconds;
    }
    // One JSON line per format for the Node side to read.
    std::printf("{\"to\":\"%s\",\"bytes\":%zu,\"seconds\":%.9f,\"outputLength\":%zu}\n", to, text.size(), best, length);
  }
  return 0;
}
