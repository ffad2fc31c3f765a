// Tests of loading and unloading the shared library: repeated load, convert and unload without growth of memory,
// a fresh module on every load, and a conversion that waits for another thread's.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"

namespace tirmok {
namespace {

const bool kSanitized = test::Sanitized();

using ConvertFunction = std::int32_t (*)(const void*, const char*, void*, const char*, std::int32_t);
using CompareFunction = std::int32_t (*)(const void*, const char*, const void*, const char*);
using SetPropertyFunction = std::int32_t (*)(const char*, const char*);

std::string LibraryPath() { return test::SharedLibraryPath(); }

// Resident memory in bytes (second field of /proc/self/statm, in pages).
long ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  long size = 0;
  long resident = 0;
  statm >> size >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

// Load cycles to run: a thousand in an optimised build; fifty where the
// tables take a hundred times longer to build (unoptimised or sanitized builds).
// TIRMOK_LOAD_CYCLES overrides the count.
int LoadCycles() {
  if (const char* count = std::getenv("TIRMOK_LOAD_CYCLES")) return std::max(1, std::atoi(count));
#if defined(NDEBUG)
  return kSanitized ? 50 : 1000;
#else
  return 50;
#endif
}

// One loaded copy of the library with the exports this test calls.
class Loaded {
 public:
  explicit Loaded(const std::string& path) : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (handle_ == nullptr) return;
    convert = reinterpret_cast<ConvertFunction>(dlsym(handle_, "LpxConvert"));
    compare = reinterpret_cast<CompareFunction>(dlsym(handle_, "LpxCompare"));
    setProperty = reinterpret_cast<SetPropertyFunction>(dlsym(handle_, "LpxSetProperty"));
  }
  Loaded(const Loaded&) = delete;
  Loaded& operator=(const Loaded&) = delete;
  ~Loaded() { Close(); }
  bool ok() const { return handle_ != nullptr && convert && compare && setProperty; }
  int Close() {
    const int result = handle_ != nullptr ? dlclose(handle_) : 0;
    handle_ = nullptr;
    return result;
  }

  // The whole output of an 8-bit conversion.
  std::string Convert(const std::string& input, const char* from, const char* to) const {
    const std::int32_t size = convert(input.c_str(), from, nullptr, to, 0);
    std::vector<char> out(static_cast<std::size_t>(size));
    convert(input.c_str(), from, out.data(), to, size);
    return out.data();
  }

  ConvertFunction convert = nullptr;
  CompareFunction compare = nullptr;
  SetPropertyFunction setProperty = nullptr;

 private:
  void* handle_;
};

bool StillLoaded(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) return false;
  dlclose(handle);
  return true;
}

// U+0C15 U+0C3F (ki) in UTF-8.
const std::string kKi = "\xE0\xB0\x95\xE0\xB0\xBF";

TEST(LoadUnload, RepeatedCyclesWithAConversionEachKeepMemoryFlat) {
  const std::string path = LibraryPath();
  if (path.empty()) GTEST_SKIP() << "libtirmok.so is not next to the tests";
  auto cycle = [&](int i) {
    Loaded library(path);
    ASSERT_TRUE(library.ok()) << dlerror();
    ASSERT_EQ(library.Convert(kKi, "UTF-8", "TELTRANS"), "ki") << "cycle " << i;
    ASSERT_EQ(library.compare(kKi.c_str(), "UTF-8", "ki", "TELTRANS"), 0) << "cycle " << i;
    // A property and a grown scratch buffer belong to this load only.
    library.setProperty("LPX_KEY_UNUSED", std::to_string(i).c_str());
    ASSERT_EQ(library.Close(), 0) << dlerror();
    ASSERT_FALSE(StillLoaded(path)) << "the library stayed in memory after dlclose";
  };
  // The first loads bring in the loader's and the C++ runtime's own state.
  for (int i = 0; i < 10; ++i) cycle(i);
  const long before = ResidentBytes();
  const int cycles = LoadCycles();
  for (int i = 0; i < cycles; ++i) {
    cycle(i);
    if (HasFatalFailure()) return;
  }
  const long growth = ResidentBytes() - before;
  std::printf("resident memory after %d load cycles: %+ld KiB\n", cycles, growth / 1024);
  // Sanitizers keep freed memory in quarantine; their leak check covers that case.
  if (!kSanitized) {
    EXPECT_LT(growth, 2L << 20) << "memory grew by " << growth << " bytes";
  }
}

TEST(LoadUnload, EveryLoadStartsWithAnEmptyPropertyStore) {
  const std::string path = LibraryPath();
  if (path.empty()) GTEST_SKIP() << "libtirmok.so is not next to the tests";
  const std::string digits = test::Codes({75, 76, 77});
  {
    Loaded library(path);
    ASSERT_TRUE(library.ok());
    library.setProperty("LPX_KEY_NEMETH", "TRUE");
    EXPECT_EQ(library.Convert(digits, "LPXCODE", "BRAILLE"), "#123");
  }
  ASSERT_FALSE(StillLoaded(path));
  Loaded again(path);
  ASSERT_TRUE(again.ok());
  EXPECT_EQ(again.Convert(digits, "LPXCODE", "BRAILLE"), "#ABC");
}

// A conversion from a thread that starts while another thread's long
// conversion holds the module's lock waits for it and completes.
TEST(LoadUnload, ConversionStartedDuringALongOneCompletes) {
  const std::string path = LibraryPath();
  if (path.empty()) GTEST_SKIP() << "libtirmok.so is not next to the tests";
  Loaded library(path);
  ASSERT_TRUE(library.ok());
  std::string text;
  for (const std::string& word : test::WordSample()) text += word + "\n";
  while (text.size() < (2u << 20)) text += text;

  std::atomic<bool> longDone{false};
  std::string longOutput;
  std::thread slow([&] {
    longOutput = library.Convert(text, "UTF-8", "TELTRANS");
    longDone = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const bool overlapped = !longDone.load();
  std::string shortOutput;
  std::thread quick([&] { shortOutput = library.Convert(kKi, "UTF-8", "TELTRANS"); });
  quick.join();
  slow.join();
  EXPECT_EQ(shortOutput, "ki");
  EXPECT_GT(longOutput.size(), text.size() / 4);
  if (!overlapped) std::printf("note: the long conversion ended before the short one started\n");
}

}  // namespace
}  // namespace tirmok
