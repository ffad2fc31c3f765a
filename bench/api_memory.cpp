// Time and memory of one whole conversion of a file through the C++ API or LpxConvert, for
// scripts/bench-api-memory.sh (which reads the peak resident set from /usr/bin/time -v).
//
//   api_memory cpp|lpx FROM TO FILE    converts FILE and prints the conversion's time and output size
//   api_memory misaligned               LpxConvert and TirmokConvert of "ka" into an odd address, capacity INT32_MAX
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "tirmok/tirmok.hpp"
#include "tirmok/tirmok_ext.h"

namespace {

std::string ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int Usage() {
  std::cerr << "usage: api_memory cpp|lpx FROM TO FILE, or api_memory misaligned\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "misaligned") == 0) {
    alignas(8) unsigned char buffer[64] = {};
    const std::int32_t lpx = LpxConvert("ka", "TELTRANS", buffer + 1, "UNICODE", INT32_MAX);
    const std::int32_t ext = TirmokConvert("ka", "TELTRANS", buffer + 1, "UNICODE", INT32_MAX, nullptr);
    std::cout << "misaligned output: LpxConvert " << lpx << ", TirmokConvert " << ext << " units\n";
    return lpx == 2 && ext == 2 ? 0 : 1;
  }
  if (argc != 5) return Usage();
  const std::string mode = argv[1];
  const auto from = tirmok::parse_format(argv[2]);
  const auto to = tirmok::parse_format(argv[3]);
  if (!from || !to || tirmok::is_wide(*from) || tirmok::is_wide(*to)) {
    std::cerr << "api_memory: two byte formats, please\n";
    return 2;
  }
  const std::string input = ReadFile(argv[4]);
  std::size_t outputBytes = 0;
  const auto start = std::chrono::steady_clock::now();
  if (mode == "cpp") {
    outputBytes = tirmok::convert(input, *from, *to).size();
  } else if (mode == "lpx") {
    // As a C caller does: the size query, an allocation of that size, the conversion.
    const std::int32_t size = LpxConvert(input.c_str(), argv[2], nullptr, argv[3], 0);
    char* output = static_cast<char*>(std::malloc(static_cast<std::size_t>(size)));
    if (output == nullptr) return 1;
    outputBytes = static_cast<std::size_t>(LpxConvert(input.c_str(), argv[2], output, argv[3], size));
    std::free(output);
  } else {
    return Usage();
  }
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  std::printf("%s %s -> %s: input %.1f MB, output %.1f MB, conversion %.2f s\n", mode.c_str(), argv[2], argv[3],
              static_cast<double>(input.size()) / 1e6, static_cast<double>(outputBytes) / 1e6, seconds.count());
  return 0;
}
