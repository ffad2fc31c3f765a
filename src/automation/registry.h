// The registry store: an in-process tree of keys and string values under the classes root.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace tirmok::automation {

// Orders names without regard to ASCII case, as registry keys and values are named.
struct NoCaseLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

class RegistryKey {
 public:
  using Subkeys = std::map<std::string, std::unique_ptr<RegistryKey>, NoCaseLess>;
  using Values = std::map<std::string, std::string, NoCaseLess>;

  // The subkey at a backslash-separated path below this key, or null.
  RegistryKey* Find(std::string_view path);
  // The named subkey, created if absent (the name keeps its first spelling).
  RegistryKey& Create(std::string_view name);
  // Removes the named subkey with everything below it.
  void DeleteSubtree(std::string_view name);

  // Values; the name "" is the key's default value.
  void SetValue(std::string_view name, std::string_view data);
  void DeleteValue(std::string_view name);
  const std::string* Value(std::string_view name) const;

  const Subkeys& subkeys() const { return subkeys_; }
  const Values& values() const { return values_; }

 private:
  Subkeys subkeys_;
  Values values_;
};

// The process's one store. It starts with the keys the system always has
// ("CLSID", "Interface", "TypeLib"), which registration never removes. Every
// access runs under the store's lock.
class RegistryStore {
 public:
  static RegistryStore& Instance();

  // Runs `edit(root)` under the lock, so a whole registration is seen at once.
  template <class Edit>
  decltype(auto) With(Edit&& edit) {
    std::lock_guard<std::mutex> lock(mutex_);
    return edit(root_);
  }

  // A copy of one value, or nothing when the key or the value is absent.
  std::optional<std::string> Read(std::string_view keyPath, std::string_view valueName);

 private:
  RegistryStore();

  std::mutex mutex_;
  RegistryKey root_;
};

}  // namespace tirmok::automation
