// Tests of TirmokConvertStatus: what happened beside the length, and the exact size of the whole result.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "module/converter_module.h"
#include "module/hub.h"
#include "support/test_support.h"
#include "tirmok/tirmok_ext.h"

namespace tirmok {
namespace {

struct Outcome {
  std::int32_t result = -1;
  std::int32_t status = -1;
  std::int32_t required = -1;
  std::vector<unsigned char> output;  // the capacity's units, as bytes
};

constexpr unsigned char kGuard = 0xA5;

// Calls TirmokConvertStatus with `capacity` units of output, placed `offset`
// bytes into a buffer with guard bytes after them (offset 1 misaligns a
// 16-bit output); every byte past the capacity must stay untouched.
Outcome Call(const void* input, const char* from, const char* to, std::int32_t capacity, std::size_t offset = 0,
             const char* const* properties = nullptr) {
  const std::size_t unit = IsWide(*ParseFormat(to)) ? 2 : 1;
  const std::size_t bytes = static_cast<std::size_t>(capacity) * unit;
  std::vector<unsigned char> buffer(offset + bytes + 16, kGuard);
  Outcome outcome;
  outcome.result = TirmokConvertStatus(input, from, capacity == 0 ? nullptr : buffer.data() + offset, to, capacity,
                                       properties, &outcome.status, &outcome.required);
  for (std::size_t i = 0; i < buffer.size(); ++i) {
    if (i < offset || i >= offset + bytes) EXPECT_EQ(buffer[i], kGuard) << "byte " << i << " outside the capacity";
  }
  outcome.output.assign(buffer.begin() + static_cast<std::ptrdiff_t>(offset),
                        buffer.begin() + static_cast<std::ptrdiff_t>(offset + bytes));
  return outcome;
}

struct Case {
  std::string input;  // bytes, or the UTF-16 units' bytes for a 16-bit input format
  const char* from;
  const char* to;
};

std::string Bytes(std::u16string_view units) {
  std::string bytes(units.size() * 2 + 2, '\0');
  std::memcpy(bytes.data(), units.data(), units.size() * 2);
  return bytes;
}

// At every capacity the output equals TirmokConvert's (whole steps), the
// status says whether that was all of it, and `required` is always the exact
// size of the whole result; capacity 0 only measures.
// The setup the entry points share says what happened: the automation object
// and the C++ API read out-of-memory from the status, not from the buffers.
TEST(EntrySetup, DateAndComparisonSayWhenTheirBuffersCannotBeHad) {
  ConverterModule& module = ConverterModule::Instance();
  ScratchBuffers scratch;
  char output[64];
  const ConvertResult done =
      ConvertDatePhrase(module.converters, scratch, &module.moduleLock, "Monday", 6, true, output, sizeof output);
  EXPECT_EQ(done.status, ConvertStatus::kDone);
  EXPECT_EQ(done.length, static_cast<std::int32_t>(std::strlen(output)));
  EXPECT_GT(done.length, 0);
  // A length beyond the library's sizes: the scratch buffers cannot grow to it.
  const ConvertResult refused =
      ConvertDatePhrase(module.converters, scratch, nullptr, "Monday", std::int64_t{1} << 31, true, output, 64);
  EXPECT_EQ(refused.status, ConvertStatus::kOutOfMemory);
  EXPECT_EQ(refused.length, 0);
  EXPECT_STREQ(output, "");
  std::int32_t order = 7;
  EXPECT_FALSE(CompareReserved(module.converters, scratch, "a", INT32_MAX, Format::kTeltrans, "b", 1,
                               Format::kTeltrans, order));
  EXPECT_EQ(order, 7);
  EXPECT_TRUE(
      CompareReserved(module.converters, scratch, "a", 1, Format::kTeltrans, "b", 1, Format::kTeltrans, order));
  EXPECT_EQ(order, -1);
  SpillBuffer spill;
  EXPECT_EQ(ConvertWhole(module.converters, scratch, PropertyStore{}, "ka", INT32_MAX, Format::kTeltrans,
                         Format::kUnicode, spill)
                .status,
            ConvertStatus::kOutOfMemory);
}

TEST(ConvertStatus, EveryCapacityTellsWhatHappenedAndTheExactSize) {
  const std::string telugu = "\xE0\xB0\xA4\xE0\xB1\x86\xE0\xB0\xB2\xE0\xB1\x81\xE0\xB0\x97\xE0\xB1\x81 "
                             "\xE0\xB0\x95\xE0\xB0\xBF\x01\xF0\x9F\x98\x80";  // telugu ki, a control, an emoji
  const Case cases[] = {
      {telugu, "UTF-8", "TELTRANS"},
      {telugu, "UTF-8", "UTF-8"},
      {telugu, "UTF-8", "UNICODE"},
      {telugu, "UTF-8", "ISO15919"},
      {telugu, "UTF-8", "COLLCODE"},
      {telugu, "UTF-8", "ANSI"},
      {telugu, "UTF-8", "BRAILLE"},
      {"kShatriya rAma 12.5", "TELTRANS", "ISO15919_UTF_8"},
      {"kShatriya rAma 12.5", "TELTRANS", "LPXCODE"},
      {Bytes(u"\u0C15\u0C3F \u0C30\u0C3E\u0C2E"), "UNICODE", "ISO15919_ANSI"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.from) + " -> " + c.to);
    const Outcome measured = Call(c.input.data(), c.from, c.to, 0);
    EXPECT_EQ(measured.result, 0);
    EXPECT_EQ(measured.status, TIRMOK_CUT);
    const std::int32_t required = measured.required;
    ASSERT_GT(required, 1);
    const std::size_t unit = IsWide(*ParseFormat(c.to)) ? 2 : 1;
    for (std::int32_t capacity = 1; capacity <= required + 2; ++capacity) {
      for (const std::size_t offset : {std::size_t{0}, std::size_t{1}}) {
        SCOPED_TRACE("capacity " + std::to_string(capacity) + " offset " + std::to_string(offset));
        const Outcome got = Call(c.input.data(), c.from, c.to, capacity, offset);
        std::vector<unsigned char> expected(static_cast<std::size_t>(capacity) * unit, kGuard);
        alignas(char16_t) unsigned char aligned[4096];
        ASSERT_LE(expected.size(), sizeof aligned);
        std::memset(aligned, kGuard, sizeof aligned);
        const std::int32_t length = TirmokConvert(c.input.data(), c.from, aligned, c.to, capacity, nullptr);
        EXPECT_EQ(got.result, length);
        EXPECT_EQ(std::memcmp(got.output.data(), aligned, (static_cast<std::size_t>(length) + 1) * unit), 0);
        EXPECT_EQ(got.required, required);
        EXPECT_EQ(got.status, capacity >= required ? TIRMOK_DONE : TIRMOK_CUT);
        if (capacity >= required) EXPECT_EQ(got.result, required - 1);
      }
    }
  }
}

TEST(ConvertStatus, InvalidArgumentsSayItAndWriteNothingButAnEmptyString) {
  char out[16];
  std::int32_t status = -1, required = -1;
  const auto call = [&](const void* input, const char* from, void* output, const char* to, std::int32_t capacity) {
    std::memset(out, 'x', sizeof out);
    status = required = -1;
    return TirmokConvertStatus(input, from, output, to, capacity, nullptr, &status, &required);
  };
  struct Row {
    const void* input;
    const char* from;
    void* output;
    const char* to;
    std::int32_t capacity;
  };
  const Row rows[] = {
      {"ka", "XYZ", out, "UTF-8", 16},       {"ka", "TELTRANS", out, "XYZ", 16},
      {"ka", "UTF-8", out, "LPXKBD", 16},    {"ka", "TELTRANS", out, "LPXKBD", 16},
      {"ka", "TELTRANS", out, "INSCRIPT", 0}, {nullptr, "TELTRANS", out, "UTF-8", 16},
      {"ka", nullptr, out, "UTF-8", 16},     {"ka", "TELTRANS", out, nullptr, 16},
      {"ka", "TELTRANS", out, "UTF-8", -1},  {"ka", "TELTRANS", nullptr, "UTF-8", 16},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(call(row.input, row.from, row.output, row.to, row.capacity), 0);
    EXPECT_EQ(status, TIRMOK_INVALID_ARGUMENT);
    EXPECT_EQ(required, 0);
  }
  // An output of a known format is left terminated and empty; of an unknown one, untouched.
  for (const auto& [from, to] : {std::pair{"XYZ", "UTF-8"}, std::pair{"TELTRANS", "LPXKBD"}}) {
    call("ka", from, out, to, 16);
    EXPECT_EQ(out[0], '\0') << from << " to " << to;
  }
  call("ka", "TELTRANS", out, "XYZ", 16);
  EXPECT_EQ(out[0], 'x');
  // Both reports are optional.
  EXPECT_EQ(TirmokConvertStatus("ka", "TELTRANS", out, "UTF-8", 16, nullptr, nullptr, nullptr), 3);
  EXPECT_STREQ(out, "\xE0\xB0\x95");
}

TEST(ConvertStatus, PropertiesApplyToTheCallAndItsMeasure) {
  const std::string digits = test::Codes({75, 76, 77});
  const char* nemeth[] = {LPX_KEY_NEMETH, "TRUE", nullptr};
  std::int32_t status = -1, required = -1;
  char out[16];
  EXPECT_EQ(TirmokConvertStatus(digits.c_str(), "LPXCODE", out, "BRAILLE", sizeof out, nemeth, &status, &required),
            4);
  EXPECT_STREQ(out, "#123");
  EXPECT_EQ(status, TIRMOK_DONE);
  EXPECT_EQ(required, 5);
  // Braille writes whole words: nothing of the number fits into 4 bytes.
  EXPECT_EQ(TirmokConvertStatus(digits.c_str(), "LPXCODE", out, "BRAILLE", 4, nemeth, &status, &required), 0);
  EXPECT_EQ(status, TIRMOK_CUT);
  EXPECT_EQ(required, 5);
}

// A result longer than scratch buffer B is encoded whole in a spill buffer.
TEST(ConvertStatus, WholeResultsLargerThanTheScratchBuffersAreMeasured) {
  ConverterModule& module = ConverterModule::Instance();
  ScratchBuffers scratch;  // the initial 1024 bytes
  std::string internal;
  while (internal.size() + 2 < static_cast<std::size_t>(scratch.Capacity())) internal += test::Codes({122, 100});
  std::memcpy(scratch.A(), internal.c_str(), internal.size() + 1);
  SpillBuffer spill;
  const WholeOutput whole = EncodeWhole(module.converters, scratch, PropertyStore{}, Format::kUtf8, Format::kUtf8, spill);
  ASSERT_EQ(whole.status, ConvertStatus::kDone);
  const std::string ka = "\xE0\xB0\x95";
  std::string expected;
  for (std::size_t i = 0; i < internal.size() / 2; ++i) expected += ka;
  EXPECT_EQ(std::string(static_cast<const char*>(whole.data), static_cast<std::size_t>(whole.length)), expected);
  EXPECT_EQ(whole.data, static_cast<const void*>(spill.units.get()));
}

}  // namespace
}  // namespace tirmok
