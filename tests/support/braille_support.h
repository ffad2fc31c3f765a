// The Braille options of a test case as a property store.
#pragma once

#include <string_view>

#include "core/properties.h"
#include "tirmok/tirmok.h"

namespace tirmok::test {

// `options` holds N for Nemeth, S for subscript, P for superscript.
inline PropertyStore BrailleOptions(std::string_view options) {
  PropertyStore store;
  if (options.find('N') != std::string_view::npos) store[LPX_KEY_NEMETH] = "TRUE";
  if (options.find('S') != std::string_view::npos) store[LPX_KEY_SUBSCRIPT] = "TRUE";
  if (options.find('P') != std::string_view::npos) store[LPX_KEY_SUPERSCRIPT] = "TRUE";
  return store;
}

}  // namespace tirmok::test
