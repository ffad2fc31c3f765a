// PropertyStore: the named settings (keys are case-sensitive) some converters read.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "core/text.h"

namespace tirmok {

using PropertyStore = std::map<std::string, std::string, std::less<>>;

// The value stored for `key`, or null when the key was never set.
inline const std::string* FindProperty(const PropertyStore& store, std::string_view key) {
  const auto it = store.find(key);
  return it == store.end() ? nullptr : &it->second;
}

// True when the property is present and equals `expected` without regard to ASCII case.
inline bool PropertyEquals(const PropertyStore& store, std::string_view key, std::string_view expected) {
  const std::string* value = FindProperty(store, key);
  if (value == nullptr || value->size() != expected.size()) return false;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (AsciiUpper((*value)[i]) != AsciiUpper(expected[i])) return false;
  }
  return true;
}

}  // namespace tirmok
