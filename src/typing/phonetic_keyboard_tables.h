// The phonetic keyboard scheme's three key tables (data in phonetic_keyboard_tables.cpp).
#pragma once

#include <span>

#include "typing/key_rows.h"

namespace tirmok::phonetic_keyboard {

std::span<const KeyRow> VowelRows();
std::span<const KeyRow> ConsonantRows();
std::span<const KeyRow> SignRows();

}  // namespace tirmok::phonetic_keyboard
