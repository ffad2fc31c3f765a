// Tests of the shared machinery: mapping tables, the run loop, escapes and UTF-8.
#include <gtest/gtest.h>

#include "core/escape.h"
#include "core/mapping_table.h"
#include "core/run_loop.h"
#include "core/utf.h"
#include "support/test_support.h"

namespace tirmok {
namespace {

using test::Describe;

TEST(MappingTable, Compiles) {
  WideMappingTable table;
  table.AddEntry({122}, u"\u0C15");
  const Byte input[] = {122, 100, 0};
  EXPECT_EQ(table.MatchLeft(input).length, 1);
}

}  // namespace
}  // namespace tirmok
