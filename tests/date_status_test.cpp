// Tests of TirmokDateConvertStatus: LpxDateConvert's results, with a status that tells an empty result from a failure.
#include <gtest/gtest.h>

#include <string>

#include "tirmok/tirmok.h"
#include "tirmok/tirmok_ext.h"

namespace {

TEST(TirmokDateConvertStatus, GivesLpxDateConvertsResultOrSaysWhyNot) {
  for (const auto& [phrase, fromEnglish] : {std::pair{"Monday, 5 March 2010 10:30 AM", 1}, std::pair{"sOmavAraM", 0},
                                            std::pair{"", 1}, std::pair{"\x80", 0}}) {
    char expected[256] = {};
    const std::int32_t expectedLength = LpxDateConvert(phrase, fromEnglish, expected, sizeof expected);
    char output[256];
    std::int32_t status = -1, required = -1;
    EXPECT_EQ(TirmokDateConvertStatus(phrase, fromEnglish, output, sizeof output, &status, &required), expectedLength);
    EXPECT_EQ(status, TIRMOK_DONE);
    EXPECT_EQ(required, expectedLength + 1);
    EXPECT_STREQ(output, expected) << phrase;

    // Too small: nothing but an empty string, and the size that holds it all.
    if (expectedLength > 0) {
      output[0] = 'x';
      EXPECT_EQ(TirmokDateConvertStatus(phrase, fromEnglish, output, expectedLength, &status, &required), 0);
      EXPECT_EQ(status, TIRMOK_CUT);
      EXPECT_EQ(required, expectedLength + 1);
      EXPECT_EQ(output[0], '\0');
    }
    EXPECT_EQ(TirmokDateConvertStatus(phrase, fromEnglish, nullptr, 0, &status, &required), 0);
    EXPECT_EQ(status, TIRMOK_CUT);
    EXPECT_EQ(required, expectedLength + 1);
  }
  std::int32_t status = -1, required = -1;
  char output[8];
  EXPECT_EQ(TirmokDateConvertStatus(nullptr, 1, output, 8, &status, &required), 0);
  EXPECT_EQ(status, TIRMOK_INVALID_ARGUMENT);
  EXPECT_EQ(TirmokDateConvertStatus("Monday", 1, nullptr, 8, &status, &required), 0);
  EXPECT_EQ(status, TIRMOK_INVALID_ARGUMENT);
  EXPECT_EQ(TirmokDateConvertStatus("Monday", 1, output, -1, &status, &required), 0);
  EXPECT_EQ(status, TIRMOK_INVALID_ARGUMENT);
}

}  // namespace
