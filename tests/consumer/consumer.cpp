// A C++ program of a library user: the C++ API through the installed shared library.
#include <iostream>
#include <stdexcept>

#include <tirmok/tirmok.hpp>

int main() {
  const std::string utf8 = tirmok::convert("telugu", tirmok::Format::kTeltrans, tirmok::Format::kUtf8);
  if (tirmok::convert(utf8, tirmok::Format::kUtf8, tirmok::Format::kTeltrans) != "telugu") return 1;
  try {
    tirmok::convert("k", static_cast<tirmok::Format>(12), tirmok::Format::kUtf8);
    return 1;
  } catch (const std::invalid_argument&) {
    // an invalid Format value is refused, across the library boundary
  }
  std::cout << "c++ consumer: " << utf8 << " " << tirmok::format_name(tirmok::Format::kIso15919Utf8) << "\n";
  return 0;
}
