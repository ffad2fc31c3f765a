// Sort keys of collation strings.
#include "collation/sort_key.h"

#include <array>
#include <cstdint>

#include "collation/unit_order.h"
#include "core/utf.h"

namespace tirmok {
namespace {

// Sort keys spend one byte on each unit of the collation table and three on
// any other unit. Units compare by their OrderRank: its lead byte (the unit's
// low byte), then its trail byte (the high byte); every table unit has the
// trail byte 0xE6. Table units become the odd bytes 1, 3, 5 ... in their
// order; another unit becomes an even "group" byte, the one between the table
// units it sorts between, followed by the two bytes of its rank. Equal first
// bytes then mean the same table unit, or the same group, whose units the two
// bytes after it order correctly.
constexpr unsigned kTableTrail = 0xE6;

struct KeyAlphabet {
  std::array<std::int16_t, 256> tableRank{};   // rank of the table unit with this lead byte, or -1
  std::array<std::uint8_t, 256> ranksBelow{};  // table units with a lower lead byte

  explicit KeyAlphabet(const CollationConverter& collation) {
    tableRank.fill(-1);
    for (int b = 1; b < 255; ++b) {
      const Byte one[2] = {static_cast<Byte>(b), 0};
      char16_t unit[4] = {};
      collation.Encode(one, -1, unit, 4);
      const std::uint32_t order = OrderRank(unit[0]);
      if (unit[0] != 0 && unit[1] == 0 && (order & 0xFF) == kTableTrail) tableRank[order >> 8] = 0;
    }
    std::int16_t rank = 0;
    for (int lead = 0; lead < 256; ++lead) {
      ranksBelow[static_cast<std::size_t>(lead)] = static_cast<std::uint8_t>(rank);
      if (tableRank[static_cast<std::size_t>(lead)] >= 0) tableRank[static_cast<std::size_t>(lead)] = rank++;
    }
  }
};

}  // namespace

void AppendSortKey(const CollationConverter& collation, const char16_t* units, std::string& key) {
  // Every collation converter holds the same table.
  static const KeyAlphabet alphabet(collation);
  key.reserve(key.size() + UnitLength(units));  // one byte for most units
  for (; *units != 0; ++units) {
    const std::uint32_t order = OrderRank(*units);
    const unsigned lead = order >> 8;
    const unsigned trail = order & 0xFF;
    const std::int16_t rank = alphabet.tableRank[lead];
    if (trail == kTableTrail && rank >= 0) {
      key.push_back(static_cast<char>(2 * rank + 1));
      continue;
    }
    unsigned group = alphabet.ranksBelow[lead];
    if (rank >= 0 && trail > kTableTrail) ++group;  // after the table unit of the same lead byte
    key.push_back(static_cast<char>(2 * group));
    key.push_back(static_cast<char>(lead));
    key.push_back(static_cast<char>(trail));
  }
}

}  // namespace tirmok
