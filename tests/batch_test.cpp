// Tests of TirmokConvertBatch: many strings in one call, equal to one TirmokConvertStatus call each.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tirmok/tirmok_ext.h"

namespace {

struct Batch {
  std::int32_t done = -1, consumed = -1, written = -1, status = -1, required = -1;
  std::vector<char> output;
};

Batch ConvertAll(const std::string& inputs, std::int32_t units, const char* from, const char* to,
                 std::int32_t capacity) {
  Batch batch;
  // Guard bytes after the capacity must stay untouched.
  batch.output.assign(static_cast<std::size_t>(capacity) * 2 + 8, '#');
  batch.done = TirmokConvertBatch(inputs.data(), units, from, batch.output.data(), to, capacity,
                                  nullptr, &batch.consumed, &batch.written, &batch.status, &batch.required);
  return batch;
}

std::string One(const char* text, const char* from, const char* to) {
  std::int32_t status = -1, required = 0;
  TirmokConvertStatus(text, from, nullptr, to, 0, nullptr, &status, &required);
  std::string out(static_cast<std::size_t>(required), '\0');
  const std::int32_t n = TirmokConvertStatus(text, from, out.data(), to, required, nullptr, &status, &required);
  out.resize(static_cast<std::size_t>(n) + 1);  // with its terminator, as the batch writes it
  return out;
}

// "ka", "" and "kRXfNa" as TELTRANS, back to back with their terminators.
const std::string kInputs("ka\0\0kRXfNa\0", 11);

TEST(TirmokConvertBatch, EqualsOneCallPerStringAndGoesOnAfterACut) {
  const std::string expected = One("ka", "TELTRANS", "UTF-8") + One("", "TELTRANS", "UTF-8") +
                               One("kRXfNa", "TELTRANS", "UTF-8");
  Batch whole = ConvertAll(kInputs, 11, "TELTRANS", "UTF-8", 64);
  EXPECT_EQ(whole.status, TIRMOK_DONE);
  EXPECT_EQ(whole.done, 3);
  EXPECT_EQ(whole.consumed, 11);
  ASSERT_EQ(whole.written, static_cast<std::int32_t>(expected.size()));
  EXPECT_EQ(std::string(whole.output.data(), expected.size()), expected);

  // Room for the first two results only: the third is left out whole, with the size it needs.
  const auto firstTwo = static_cast<std::int32_t>(One("ka", "TELTRANS", "UTF-8").size() + 1);
  Batch cut = ConvertAll(kInputs, 11, "TELTRANS", "UTF-8", firstTwo + 2);
  EXPECT_EQ(cut.status, TIRMOK_CUT);
  EXPECT_EQ(cut.done, 2);
  EXPECT_EQ(cut.consumed, 4);
  EXPECT_EQ(cut.written, firstTwo);
  EXPECT_EQ(cut.required, static_cast<std::int32_t>(One("kRXfNa", "TELTRANS", "UTF-8").size()));
  EXPECT_EQ(cut.output[static_cast<std::size_t>(firstTwo + 2)], '#');
  Batch rest = ConvertAll(kInputs.substr(4), 7, "TELTRANS", "UTF-8", cut.required);
  EXPECT_EQ(rest.status, TIRMOK_DONE);
  EXPECT_EQ(std::string(cut.output.data(), static_cast<std::size_t>(cut.written)) +
                std::string(rest.output.data(), static_cast<std::size_t>(rest.written)),
            expected);

  Batch none = ConvertAll(kInputs, 11, "TELTRANS", "UTF-8", 0);
  EXPECT_EQ(none.status, TIRMOK_CUT);
  EXPECT_EQ(none.done, 0);
  EXPECT_EQ(none.required, static_cast<std::int32_t>(One("ka", "TELTRANS", "UTF-8").size()));
}

TEST(TirmokConvertBatch, RefusesWhatItCannotReadSafely) {
  // The last string's terminator lies beyond the units given: nothing of it is read.
  Batch open = ConvertAll(kInputs, 10, "TELTRANS", "UTF-8", 64);
  EXPECT_EQ(open.status, TIRMOK_INVALID_ARGUMENT);
  EXPECT_EQ(open.done, 2);
  EXPECT_EQ(open.consumed, 4);
  for (const auto& [from, to] : {std::pair{"XYZ", "UTF-8"}, std::pair{"TELTRANS", "INSCRIPT"},
                                  std::pair{"UTF-8", "LPXKBD"}}) {
    Batch refused = ConvertAll(kInputs, 11, from, to, 64);
    EXPECT_EQ(refused.status, TIRMOK_INVALID_ARGUMENT) << from << " to " << to;
    EXPECT_EQ(refused.done, 0);
    EXPECT_EQ(refused.written, 0);
  }
  std::int32_t consumed = 0, written = 0, status = 0, required = 0;
  EXPECT_EQ(TirmokConvertBatch(kInputs.data(), -1, "TELTRANS", nullptr, "UTF-8", 0, nullptr, &consumed, &written,
                               &status, &required), 0);
  EXPECT_EQ(status, TIRMOK_INVALID_ARGUMENT);
  EXPECT_EQ(TirmokConvertBatch(kInputs.data(), 11, "TELTRANS", nullptr, "UTF-8", 4, nullptr, &consumed, &written,
                               &status, &required), 0);
  EXPECT_EQ(status, TIRMOK_INVALID_ARGUMENT);
  EXPECT_EQ(TirmokConvertBatch(kInputs.data(), 11, "TELTRANS", nullptr, "UTF-8", 0, nullptr, nullptr, &written,
                               &status, &required), 0);
}

TEST(TirmokConvertBatch, SixteenBitStringsAtAnyAlignment) {
  // U+0C15 U+0C3F, then U+0C16, as UTF-16 units one byte into the buffer.
  const char16_t units[] = {0x0C15, 0x0C3F, 0, 0x0C16, 0};
  std::string bytes(1, 'x');
  bytes.append(reinterpret_cast<const char*>(units), sizeof units);
  std::vector<char> output(64, '#');
  std::int32_t consumed = 0, written = 0, status = 0, required = 0;
  EXPECT_EQ(TirmokConvertBatch(bytes.data() + 1, 5, "UNICODE", output.data(), "TELTRANS", 64, nullptr, &consumed,
                               &written, &status, &required), 2);
  EXPECT_EQ(status, TIRMOK_DONE);
  EXPECT_EQ(std::string(output.data(), static_cast<std::size_t>(written)), std::string("ki\0Ka\0", 6));
}

}  // namespace
