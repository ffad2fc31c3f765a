// The Braille converter's five cell tables, as rows of internal-code keys and ASCII Braille cells.
#pragma once

#include <span>
#include <string_view>

#include "core/internal_code.h"
#include "core/mapping_table.h"

namespace tirmok {

// One row: an internal-code key and the cells written for it (one character
// per cell; an empty string writes nothing).
struct CellRow {
  Units<Byte> key;
  Units<Byte> cells;
};

// Each list is in its order of addition.
std::span<const CellRow> ConsonantCellRows();  // consonants, clusters, consonants with nukta
std::span<const CellRow> VowelCellRows();      // vowels, as signs or independent letters
std::span<const CellRow> SignCellRows();       // literary signs, digits as letters, number signs
std::span<const CellRow> NumberCellRows();     // full stop and solidus between digits
std::span<const CellRow> NemethCellRows();     // mathematical digits and signs

// The North American ASCII Braille character of each six-dot pattern, by the
// pattern's bits (bit 0 is dot 1 ... bit 5 dot 6), which are also its offset
// from U+2800 in Unicode's Braille block: " A1B'K2L@CIF/MSP" and so on.
std::string_view AsciiBrailleByDots();

}  // namespace tirmok
