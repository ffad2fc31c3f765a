// The INSCRIPT layout's four key tables (data in inscript_tables.cpp).
#pragma once

#include <span>

#include "typing/key_rows.h"

namespace tirmok::inscript {

std::span<const KeyRow> VowelRows();
std::span<const KeyRow> VowelSignRows();
std::span<const KeyRow> ConsonantRows();
std::span<const KeyRow> SignRows();

}  // namespace tirmok::inscript
