// The registry store and the functions that let hosts read it.
#include "automation/registry.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "core/text.h"
#include "tirmok/automation.h"

namespace tirmok::automation {
namespace {

constexpr char kSeparator = '\\';

}  // namespace

bool NoCaseLess::operator()(std::string_view a, std::string_view b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(AsciiUpper(x)) < static_cast<unsigned char>(AsciiUpper(y));
  });
}

RegistryKey* RegistryKey::Find(std::string_view path) {
  RegistryKey* key = this;
  while (!path.empty()) {
    const std::size_t end = path.find(kSeparator);
    const std::string_view name = path.substr(0, end);
    path = end == std::string_view::npos ? std::string_view() : path.substr(end + 1);
    if (name.empty()) continue;  // doubled or trailing separators name no key
    const auto it = key->subkeys_.find(name);
    if (it == key->subkeys_.end()) return nullptr;
    key = it->second.get();
  }
  return key;
}

RegistryKey& RegistryKey::Create(std::string_view name) {
  auto it = subkeys_.find(name);
  if (it == subkeys_.end()) it = subkeys_.emplace(std::string(name), std::make_unique<RegistryKey>()).first;
  return *it->second;
}

void RegistryKey::DeleteSubtree(std::string_view name) {
  const auto it = subkeys_.find(name);
  if (it != subkeys_.end()) subkeys_.erase(it);
}

void RegistryKey::SetValue(std::string_view name, std::string_view data) {
  const auto it = values_.find(name);
  if (it == values_.end()) {
    values_.emplace(std::string(name), std::string(data));
  } else {
    it->second.assign(data);
  }
}

void RegistryKey::DeleteValue(std::string_view name) {
  const auto it = values_.find(name);
  if (it != values_.end()) values_.erase(it);
}

const std::string* RegistryKey::Value(std::string_view name) const {
  const auto it = values_.find(name);
  return it == values_.end() ? nullptr : &it->second;
}

RegistryStore& RegistryStore::Instance() {
  static RegistryStore store;
  return store;
}

RegistryStore::RegistryStore() {
  root_.Create("CLSID");
  root_.Create("Interface");
  root_.Create("TypeLib");
}

std::optional<std::string> RegistryStore::Read(std::string_view keyPath, std::string_view valueName) {
  return With([&](RegistryKey& root) -> std::optional<std::string> {
    const RegistryKey* key = root.Find(keyPath);
    const std::string* value = key == nullptr ? nullptr : key->Value(valueName);
    if (value == nullptr) return std::nullopt;
    return *value;
  });
}

namespace {

// Copies `text` and its terminator out by the size protocol of the lookups.
LONG CopyOut(std::string_view text, char* buffer, DWORD* size) {
  const std::size_t needed = text.size() + 1;
  if (needed > 0xFFFFFFFFu) return ERROR_OUTOFMEMORY;
  const DWORD available = *size;
  *size = static_cast<DWORD>(needed);
  if (buffer == nullptr) return ERROR_SUCCESS;
  if (available < needed) return ERROR_MORE_DATA;
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  return ERROR_SUCCESS;
}

std::string_view OrEmpty(const char* text) { return text == nullptr ? std::string_view() : text; }

// The name of the index-th entry of `entries` (a map), by the lookup protocol.
template <class Entries>
LONG EnumerateNames(const Entries& entries, DWORD index, char* name, DWORD* size) {
  if (index >= entries.size()) return ERROR_NO_MORE_ITEMS;
  return CopyOut(std::next(entries.begin(), index)->first, name, size);
}

}  // namespace
}  // namespace tirmok::automation

using namespace tirmok::automation;

extern "C" LONG TirmokRegQueryValue(const char* keyPath, const char* valueName, char* data, DWORD* size) {
  if (size == nullptr) return ERROR_INVALID_PARAMETER;
  try {
    return RegistryStore::Instance().With([&](RegistryKey& root) {
      const RegistryKey* key = root.Find(tirmok::automation::OrEmpty(keyPath));
      const std::string* value = key == nullptr ? nullptr : key->Value(tirmok::automation::OrEmpty(valueName));
      if (value == nullptr) return ERROR_FILE_NOT_FOUND;
      return tirmok::automation::CopyOut(*value, data, size);
    });
  } catch (...) {
    return ERROR_OUTOFMEMORY;
  }
}

extern "C" LONG TirmokRegEnumKey(const char* keyPath, DWORD index, char* name, DWORD* size) {
  if (size == nullptr) return ERROR_INVALID_PARAMETER;
  try {
    return RegistryStore::Instance().With([&](RegistryKey& root) {
      const RegistryKey* key = root.Find(tirmok::automation::OrEmpty(keyPath));
      if (key == nullptr) return ERROR_FILE_NOT_FOUND;
      return tirmok::automation::EnumerateNames(key->subkeys(), index, name, size);
    });
  } catch (...) {
    return ERROR_OUTOFMEMORY;
  }
}

extern "C" LONG TirmokRegEnumValue(const char* keyPath, DWORD index, char* name, DWORD* size) {
  if (size == nullptr) return ERROR_INVALID_PARAMETER;
  try {
    return RegistryStore::Instance().With([&](RegistryKey& root) {
      const RegistryKey* key = root.Find(tirmok::automation::OrEmpty(keyPath));
      if (key == nullptr) return ERROR_FILE_NOT_FOUND;
      return tirmok::automation::EnumerateNames(key->values(), index, name, size);
    });
  } catch (...) {
    return ERROR_OUTOFMEMORY;
  }
}
