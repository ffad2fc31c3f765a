// The four C exports: argument checks, format names and messages, then the hub, date conversion or property store.
#include <cstdio>
#include <cstring>
#include <limits>
#include <mutex>

#include "module/converter_module.h"
#include "module/hub.h"
#include "tirmok/tirmok.h"

namespace tirmok {
namespace {

void PrintMessage(const char* message) {
  std::fputs(message, stdout);
  std::fflush(stdout);
}

}  // namespace
}  // namespace tirmok

using tirmok::ConverterModule;
using tirmok::Format;
using tirmok::ModuleLock;

extern "C" int32_t LpxConvert(const void* input, const char* inputFormat, void* output,
                              const char* outputFormat, int32_t capacity) {
  try {
    if (inputFormat == nullptr || outputFormat == nullptr) return 0;
    const auto from = tirmok::ParseFormat(inputFormat);
    if (!from) {
      tirmok::PrintMessage("Invalid input format.\r\n");
      return 0;
    }
    const auto to = tirmok::ParseFormat(outputFormat);
    if (!to) {
      tirmok::PrintMessage("Invalid output format.\r\n");
      return 0;
    }
    // A size query (capacity 0) never touches the output, so it needs none.
    if (input == nullptr || capacity < 0 || (output == nullptr && capacity != 0)) return 0;
    return tirmok::ConvertInModule(ConverterModule::Instance(), input, *from, output, *to, capacity).length;
  } catch (...) {
    return 0;
  }
}

extern "C" int32_t LpxCompare(const void* string1, const char* format1, const void* string2,
                              const char* format2) {
  try {
    if (format1 == nullptr || format2 == nullptr) return -1;
    const auto first = tirmok::ParseFormat(format1);
    // Callers mostly pass one name for both strings.
    const auto second = format2 == format1 ? first : tirmok::ParseFormat(format2);
    if (!first || !second) {
      tirmok::PrintMessage("Invalid data format.\r\n");
      return -1;
    }
    if (string1 == nullptr || string2 == nullptr) return -1;
    return tirmok::CompareInModule(ConverterModule::Instance(), string1, *first, string2, *second);
  } catch (...) {
    return -1;
  }
}

extern "C" int32_t LpxDateConvert(const char* input, int32_t fromEnglish, char* output, int32_t capacity) {
  try {
    if (input == nullptr || output == nullptr || capacity < 1) return 0;
    ConverterModule& module = ConverterModule::Instance();
    return tirmok::ConvertDatePhrase(module.converters, module.scratch, &module.moduleLock, input,
                               static_cast<std::int64_t>(std::strlen(input)), fromEnglish != 0, output, capacity)
        .length;
  } catch (...) {
    return 0;
  }
}

extern "C" int32_t LpxSetProperty(const char* key, const char* value) {
  try {
    if (key == nullptr || value == nullptr) return 0;
    ConverterModule& module = ConverterModule::Instance();
    std::lock_guard<ModuleLock> lock(module.moduleLock);
    module.properties.insert_or_assign(std::string(key), std::string(value));
    return 1;
  } catch (...) {
    return 0;
  }
}
