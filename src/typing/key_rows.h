// KeyRow: one row of a keyboard scheme's tables, a keystroke sequence and the internal code it types.
#pragma once

#include <array>
#include <cstddef>
#include <span>

#include "core/internal_code.h"
#include "core/mapping_table.h"

namespace tirmok {

// The code has one to three bytes; unused trailing bytes are 0 (no code holds a 0).
struct KeyRow {
  const char* keys;
  std::array<Byte, 3> code;
};

// Fills a keyboard table from its rows, in row order: keystrokes on the left,
// internal code on the right.
inline void AddKeyRows(MappingTable& table, std::span<const KeyRow> rows) {
  for (const KeyRow& row : rows) {
    std::size_t size = 0;
    while (size < row.code.size() && row.code[size] != 0) ++size;
    table.AddEntry(Units<Byte>(row.keys), Units<Byte>(std::span<const Byte>(row.code.data(), size)));
  }
}

// A keyboard table of the rows, for converters that build their shortcuts from their tables as they are made.
inline MappingTable KeyTable(std::span<const KeyRow> rows) {
  MappingTable table;
  AddKeyRows(table, rows);
  return table;
}

}  // namespace tirmok
