// Nothing lost at the library's edges: out of memory is an error, the C++ API is in the shared library, memory
// follows the text, and invalid Format values are refused. Memory limits are tried in a child process.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>

#include "support/test_support.h"
#include "tirmok/com_names.h"
#include "tirmok/tirmok.hpp"
#include "tirmok/tirmok_ext.h"

namespace tirmok {
namespace {

// The process's address space in bytes (first field of /proc/self/statm).
long AddressSpaceBytes() {
  std::ifstream statm("/proc/self/statm");
  long size = 0;
  statm >> size;
  return size * sysconf(_SC_PAGESIZE);
}

// Runs `body` in a child process, its address space limited to what it uses
// now plus `headroom` bytes (none when `headroom` is 0), and returns what the
// child says: "" when `body` returned it, or its complaint.
std::string InChild(long headroom, const std::function<std::string()>& body) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return "no pipe";
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child < 0) return "no fork";
  if (child == 0) {
    close(pipeFds[0]);
    if (headroom > 0) {
      const rlim_t limit = static_cast<rlim_t>(AddressSpaceBytes() + headroom);
      const rlimit space{limit, limit};
      if (setrlimit(RLIMIT_AS, &space) != 0) _exit(2);
    }
    std::string complaint;
    try {
      complaint = body();
    } catch (const std::exception& e) {
      complaint = std::string("exception: ") + e.what();
    }
    if (write(pipeFds[1], complaint.data(), complaint.size()) < 0) _exit(3);
    _exit(complaint.empty() ? 0 : 1);
  }
  close(pipeFds[1]);
  std::string said;
  char buffer[256];
  for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) said.append(buffer, static_cast<std::size_t>(n));
  close(pipeFds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status)) return "the child died: " + said;
  if (WEXITSTATUS(status) != 0 && said.empty()) return "the child exited with " + std::to_string(WEXITSTATUS(status));
  return said;
}

#define SKIP_UNDER_SANITIZERS()                                                                     \
  if (test::Sanitized()) GTEST_SKIP() << "address-space limits and memory figures mean nothing under " \
                                         "AddressSanitizer and ThreadSanitizer (shadow memory)"

// A text whose conversion needs far more than `headroom` of scratch memory:
// 20 million bytes of TELTRANS ask for three buffers of 400 MB.
const std::string& LongText() {
  static const std::string text(20'000'000, 'k');
  return text;
}
constexpr long kHeadroom = 300L << 20;

// "What was seen" 3: out of memory reported as success. Every way into the
// library now says it: a status, an exception, an HRESULT, or the designed
// message of LpxConvert.
TEST(EdgeCpp, OutOfMemoryIsAnErrorEverywhere) {
  SKIP_UNDER_SANITIZERS();
  const std::string& text = LongText();
  EXPECT_EQ(InChild(kHeadroom, [&]() -> std::string {
              char out[64] = "untouched";
              std::int32_t status = -1, required = -1;
              const std::int32_t n =
                  TirmokConvertStatus(text.c_str(), "TELTRANS", out, "UTF-8", sizeof out, nullptr, &status, &required);
              if (n != 0 || status != TIRMOK_OUT_OF_MEMORY || required != 0) {
                return "TirmokConvertStatus: " + std::to_string(n) + " status " + std::to_string(status);
              }
              if (out[0] != '\0') return "TirmokConvertStatus wrote \"" + std::string(out) + "\"";
              // Measuring needs the same memory.
              TirmokConvertStatus(text.c_str(), "TELTRANS", nullptr, "UTF-8", 0, nullptr, &status, &required);
              if (status != TIRMOK_OUT_OF_MEMORY) return "a measure did not report out of memory";
              if (LpxConvert(text.c_str(), "TELTRANS", out, "UTF-8", sizeof out) != 0 ||
                  std::string(out) != "Out of memory.") {
                return "LpxConvert: \"" + std::string(out) + "\"";
              }
              try {
                const std::string result = convert(text, Format::kTeltrans, Format::kUtf8);
                return "tirmok::convert returned " + std::to_string(result.size()) + " bytes";
              } catch (const std::bad_alloc&) {
              }
              return "";
            }),
            "");
}

TEST(EdgeCpp, OutOfMemoryInTheAutomationObjectIsE_OUTOFMEMORY) {
  SKIP_UNDER_SANITIZERS();
  const std::string& text = LongText();
  EXPECT_EQ(InChild(kHeadroom, [&]() -> std::string {
              IClassFactory* factory = nullptr;
              Itirmok50* object = nullptr;
              if (DllGetClassObject(CLSID_tirmok50, IID_IClassFactory, reinterpret_cast<void**>(&factory)) != S_OK ||
                  factory->CreateInstance(nullptr, IID_Itirmok50, reinterpret_cast<void**>(&object)) != S_OK) {
                return "no object";
              }
              const std::u16string wide(text.begin(), text.end());
              BSTR input = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
              BSTR from = SysAllocString(u"TELTRANS");
              BSTR to = SysAllocString(u"UTF-8");
              BSTR output = nullptr;
              const HRESULT hr = object->Convert(input, from, to, &output);
              IErrorInfo* info = nullptr;
              BSTR description = nullptr;
              if (GetErrorInfo(0, &info) == S_OK) {
                info->GetDescription(&description);
                info->Release();
              }
              const std::u16string said = description ? std::u16string(description, SysStringLen(description)) : u"";
              for (BSTR s : {input, from, to, output, description}) SysFreeString(s);
              object->Release();
              factory->Release();
              if (hr != E_OUTOFMEMORY) return "HRESULT " + std::to_string(static_cast<unsigned long>(hr));
              if (said.size() < 14 || said.substr(said.size() - 14) != u"Out of memory.") return "no message";
              return "";
            }),
            "");
}

// "What was seen" 5: the C++ API was not in libtirmok.so. The shared library
// of this build gives its functions to a program that loads it.
TEST(EdgeCpp, CppApiIsExportedFromTheSharedLibrary) {
  const std::string path = test::SharedLibraryPath();
  ASSERT_FALSE(path.empty());
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  using ParseFormat = std::optional<Format> (*)(std::string_view);
  using FormatName = std::string_view (*)(Format);
  const auto parse = reinterpret_cast<ParseFormat>(dlsym(library, "_ZN6tirmok12parse_formatESt17basic_string_viewIcSt11char_traitsIcEE"));
  const auto name = reinterpret_cast<FormatName>(dlsym(library, "_ZN6tirmok11format_nameENS_6FormatE"));
  ASSERT_NE(parse, nullptr);
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(parse("utf-8"), Format::kUtf8);
  EXPECT_EQ(name(Format::kIso15919Ansi), "ISO15919_ANSI");
  // Mangled names of the other functions, as a program compiled against tirmok.hpp asks for them.
  for (const char* symbol : {"_ZN6tirmok7is_wideENS_6FormatE", "_ZN6tirmok8can_readENS_6FormatE",
                             "_ZN6tirmok9can_writeENS_6FormatE", "_ZN6tirmok11can_compareENS_6FormatE"}) {
    EXPECT_NE(dlsym(library, symbol), nullptr) << symbol;
  }
  dlclose(library);
}

// "What was seen" 6: memory grew with the worst case. A misaligned UTF-16
// output with capacity INT32_MAX once meant a zero-filled 4 GiB copy; within
// 64 MB of address space the conversion now simply works.
TEST(EdgeCpp, MisalignedOutputAllocatesOnlyWhatIsWritten) {
  SKIP_UNDER_SANITIZERS();
  EXPECT_EQ(InChild(64L << 20, []() -> std::string {
              alignas(8) unsigned char buffer[16] = {};
              const std::u16string ka = u"\u0C15";
              if (LpxConvert("ka", "TELTRANS", buffer + 1, "UNICODE", INT32_MAX) != 1 ||
                  std::memcmp(buffer + 1, ka.c_str(), 4) != 0) {
                return "LpxConvert into a misaligned buffer";
              }
              std::memset(buffer, 0xFF, sizeof buffer);
              if (TirmokConvert("ka", "TELTRANS", buffer + 1, "UNICODE", INT32_MAX, nullptr) != 1 ||
                  std::memcmp(buffer + 1, ka.c_str(), 4) != 0) {
                return "TirmokConvert into a misaligned buffer";
              }
              return "";
            }),
            "");
}

// The C++ API's result is sized by the conversion, not zero-filled to 20
// bytes per input byte: converting 20 MB of UTF-8 takes a few times the text
// in resident memory, not 400 MB. (A generous bound; the figures are
// measured by scripts/bench-api-memory.sh.)
TEST(EdgeCpp, CppApiMemoryFollowsTheText) {
  SKIP_UNDER_SANITIZERS();
  EXPECT_EQ(InChild(0, []() -> std::string {
              std::string text;
              const std::string word = "\xE0\xB0\xA4\xE0\xB1\x86\xE0\xB0\xB2\xE0\xB1\x81\xE0\xB0\x97\xE0\xB1\x81 ";
              while (text.size() < 20'000'000) text += word;
              rusage before{};
              getrusage(RUSAGE_SELF, &before);
              const std::string result = convert(text, Format::kUtf8, Format::kUtf8);
              if (result != text) return "the text changed";
              rusage after{};
              getrusage(RUSAGE_SELF, &after);
              const long grownMb = (after.ru_maxrss - before.ru_maxrss) / 1024;
              if (grownMb > 160) return "the peak grew by " + std::to_string(grownMb) + " MB for 20 MB of text";
              return "";
            }),
            "");
}

// "What was seen" 7: an invalid Format value read past the format table.
// Every function that takes a Format refuses one with std::invalid_argument.
TEST(EdgeCpp, InvalidFormatValuesThrowInvalidArgument) {
  const std::string_view text = "ka";
  const std::u16string_view wide = u"ka";
  for (const int value : {13, 14, 100, 255}) {
    SCOPED_TRACE(value);
    const auto bad = static_cast<Format>(value);
    EXPECT_THROW(format_name(bad), std::invalid_argument);
    EXPECT_THROW(is_wide(bad), std::invalid_argument);
    EXPECT_THROW(can_read(bad), std::invalid_argument);
    EXPECT_THROW(can_write(bad), std::invalid_argument);
    EXPECT_THROW(can_compare(bad), std::invalid_argument);
    EXPECT_THROW(convert(text, bad, Format::kUtf8), std::invalid_argument);
    EXPECT_THROW(convert(text, Format::kTeltrans, bad), std::invalid_argument);
    EXPECT_THROW(convert(wide, bad, Format::kUtf8), std::invalid_argument);
    EXPECT_THROW(convert(wide, Format::kUnicode, bad), std::invalid_argument);
    EXPECT_THROW(convert_u16(text, bad, Format::kUnicode), std::invalid_argument);
    EXPECT_THROW(convert_u16(text, Format::kTeltrans, bad), std::invalid_argument);
    EXPECT_THROW(convert_u16(wide, bad, Format::kUnicode), std::invalid_argument);
    EXPECT_THROW(compare(text, bad, text, Format::kTeltrans), std::invalid_argument);
    EXPECT_THROW(compare(text, Format::kTeltrans, text, bad), std::invalid_argument);
    EXPECT_THROW(compare(wide, bad, wide, Format::kUnicode), std::invalid_argument);
    EXPECT_THROW(sort_key(text, bad), std::invalid_argument);
    EXPECT_THROW(sort_key(wide, bad), std::invalid_argument);
  }
  // The valid values still work at both ends of the range.
  EXPECT_EQ(format_name(Format::kTeltrans), "TELTRANS");
  EXPECT_EQ(format_name(Format::kBraille), "BRAILLE");
}

}  // namespace
}  // namespace tirmok
