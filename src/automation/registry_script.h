// The registry script: the keys and values that registration writes for the class tirmok50.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace tirmok::automation {

// What unregistration does with a key, and whether registration clears it first.
enum class Removal : std::uint8_t {
  kNormal,       // removed on unregistration once no subkeys are left under it
  kNoRemove,     // never removed (a key the system owns)
  kForceRemove,  // removed whole before registering, removed whole on unregistration
};

struct ScriptValue {
  std::string_view name;
  std::string_view data;
};

// Names and data may hold the placeholders %MODULE% (the library's full
// path), %CLSID% (the class's CLSID) and %LIBID% (the type library's GUID).
struct ScriptKey {
  std::string_view name;
  Removal removal;
  const char* defaultValue;  // null: the key has no default value
  std::span<const ScriptValue> values;
  std::span<const ScriptKey> subkeys;
};

// The keys directly under the classes root.
std::span<const ScriptKey> RegistryScript();

}  // namespace tirmok::automation
