// Helpers for tests that call the library through its C exports.
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "module/formats.h"
#include "tirmok/tirmok.h"

namespace tirmok::test {
namespace {

constexpr std::int32_t kGuardUnits = 8;
constexpr char16_t kGuard = 0xA5A5;

Converted ConvertRaw(const void* input, const char* from, const char* to, std::int32_t capacity) {
  const auto format = ParseFormat(to);
  const bool wide = format && IsWide(*format);
  if (capacity == -1) capacity = LpxConvert(input, from, nullptr, to, 0);
  if (capacity < 0) capacity = 0;
  // Size query: the output buffer exists but must not be touched. Guard
  // bytes follow the capacity; none of them may change.
  const std::size_t unitBytes = wide ? 2 : 1;
  const std::size_t capacityBytes = static_cast<std::size_t>(capacity) * unitBytes;
  std::vector<char16_t> buffer((capacityBytes + 2 * kGuardUnits + 1) / 2, kGuard);
  Converted out;
  out.result = LpxConvert(input, from, buffer.data(), to, capacity);
  const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
  for (std::size_t i = capacityBytes; i < buffer.size() * 2; ++i) {
    EXPECT_EQ(bytes[i], 0xA5) << "write past capacity " << capacity << " at byte " << i;
  }
  if (capacity == 0) return out;
  if (wide) {
    out.wide.assign(buffer.data(), static_cast<std::size_t>(std::max(out.result, 0)));
    EXPECT_EQ(buffer[static_cast<std::size_t>(out.result)], 0) << "output not terminated at its length";
  } else {
    out.bytes.assign(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(std::max(out.result, 0)));
    EXPECT_EQ(bytes[out.result], 0) << "output not terminated at its length";
  }
  return out;
}

}  // namespace

std::string Codes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

std::string Escape(const char* hex) { return Codes({255}) + hex; }

std::u16string Wide(std::initializer_list<char16_t> units) { return std::u16string(units); }

std::string Describe(std::string_view bytes) {
  std::string s;
  for (unsigned char c : bytes) {
    if (!s.empty()) s += ' ';
    s += std::to_string(c);
  }
  return s;
}

std::string Describe(std::u16string_view units) {
  std::string s;
  char buffer[8];
  for (char16_t u : units) {
    std::snprintf(buffer, sizeof buffer, "%s%04X", s.empty() ? "" : " ", static_cast<unsigned>(u));
    s += buffer;
  }
  return s;
}

Converted Convert(std::string_view input, const char* from, const char* to, std::int32_t capacity) {
  const std::string terminated(input);
  return ConvertRaw(terminated.c_str(), from, to, capacity);
}

Converted Convert(std::u16string_view input, const char* from, const char* to, std::int32_t capacity) {
  const std::u16string terminated(input);
  return ConvertRaw(terminated.c_str(), from, to, capacity);
}

std::string ToBytes(std::string_view input, const char* from, const char* to) {
  return Convert(input, from, to).bytes;
}
std::string ToBytes(std::u16string_view input, const char* from, const char* to) {
  return Convert(input, from, to).bytes;
}
std::u16string ToWide(std::string_view input, const char* from, const char* to) {
  return Convert(input, from, to).wide;
}
std::u16string ToWide(std::u16string_view input, const char* from, const char* to) {
  return Convert(input, from, to).wide;
}

std::int32_t Compare(std::string_view a, const char* formatA, std::string_view b, const char* formatB) {
  const std::string x(a), y(b);
  return LpxCompare(x.c_str(), formatA, y.c_str(), formatB);
}

std::int32_t Compare(std::u16string_view a, const char* formatA, std::u16string_view b, const char* formatB) {
  const std::u16string x(a), y(b);
  return LpxCompare(x.c_str(), formatA, y.c_str(), formatB);
}

const std::vector<std::string>& WordSample() {
  static const std::vector<std::string> words = [] {
    std::vector<std::string> result;
    std::ifstream in(std::string(TIRMOK_TEST_DATA) + "/te_words_sample.txt");
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line[0] != '#') result.push_back(line);
    }
    return result;
  }();
  return words;
}

bool Sanitized() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
  return true;
#else
  return false;
#endif
#else
  return false;
#endif
}

std::string SharedLibraryPath() {
  std::error_code error;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  const auto library = exe.parent_path().parent_path() / "libtirmok.so";
  return std::filesystem::exists(library) ? library.string() : std::string();
}

}  // namespace tirmok::test
