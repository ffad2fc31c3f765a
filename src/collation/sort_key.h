// Sort keys: byte strings that compare (as unsigned bytes) the way their texts compare in Telugu dictionary order.
#pragma once

#include <string>

#include "collation/collation_converter.h"

namespace tirmok {

// Appends the sort key of a terminated collation string to `key`: one byte
// for each unit of the collation table, three for any other unit.
void AppendSortKey(const CollationConverter& collation, const char16_t* units, std::string& key);

}  // namespace tirmok
