// Self-registration: runs the registry script and records the type library in the registry store.
#include <dlfcn.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>

#include "automation/com_strings.h"
#include "automation/registry.h"
#include "automation/registry_script.h"
#include "automation/type_library.h"
#include "tirmok/automation.h"

namespace tirmok::automation {
namespace {

// The proxy/stub class of automation-compatible interfaces, marshalled by
// their type library.
constexpr char kAutomationProxyStub[] = "{00020424-0000-0000-C000-000000000046}";
// The subkey of a type library's locale that names its file on this platform.
constexpr char kPlatform[] = "linux";

// An object of the library, so that the loader can say which file holds it.
const char kModuleAnchor = 0;

// The full path of the file this code was loaded from.
std::optional<std::string> ModulePath() {
  Dl_info info{};
  if (dladdr(&kModuleAnchor, &info) == 0 || info.dli_fname == nullptr || info.dli_fname[0] == '\0') {
    return std::nullopt;
  }
  char resolved[PATH_MAX];
  if (realpath(info.dli_fname, resolved) != nullptr) return std::string(resolved);
  return std::string(info.dli_fname);
}

struct Substitutions {
  std::string module;
  std::string clsid;
  std::string libid;
};

std::string Substitute(std::string_view text, const Substitutions& with) {
  std::string out(text);
  const std::pair<std::string_view, const std::string*> placeholders[] = {
      {"%MODULE%", &with.module}, {"%CLSID%", &with.clsid}, {"%LIBID%", &with.libid}};
  for (const auto& [name, value] : placeholders) {
    for (std::size_t at = out.find(name); at != std::string::npos; at = out.find(name, at + value->size())) {
      out.replace(at, name.size(), *value);
    }
  }
  return out;
}

void Register(const ScriptKey& node, RegistryKey& parent, const Substitutions& with) {
  const std::string name = Substitute(node.name, with);
  if (node.removal == Removal::kForceRemove) parent.DeleteSubtree(name);
  RegistryKey& key = parent.Create(name);
  if (node.defaultValue != nullptr) key.SetValue("", Substitute(node.defaultValue, with));
  for (const ScriptValue& value : node.values) key.SetValue(value.name, Substitute(value.data, with));
  for (const ScriptKey& subkey : node.subkeys) Register(subkey, key, with);
}

void Unregister(const ScriptKey& node, RegistryKey& parent, const Substitutions& with) {
  const std::string name = Substitute(node.name, with);
  RegistryKey* key = parent.Find(name);
  if (key == nullptr) return;
  if (node.removal == Removal::kForceRemove) {
    parent.DeleteSubtree(name);
    return;
  }
  for (const ScriptKey& subkey : node.subkeys) Unregister(subkey, *key, with);
  if (node.removal == Removal::kNoRemove) return;
  if (key->subkeys().empty()) {
    parent.DeleteSubtree(name);
    return;
  }
  // Something else still lives below the key: keep it, without the script's values.
  if (node.defaultValue != nullptr) key->DeleteValue("");
  for (const ScriptValue& value : node.values) key->DeleteValue(value.name);
}

std::string VersionText(const TypeLibraryDescription& library) {
  char text[16];
  std::snprintf(text, sizeof text, "%x.%x", static_cast<unsigned>(library.majorVersion),
                static_cast<unsigned>(library.minorVersion));
  return text;
}

// Records the library under "TypeLib" (name, flags, file, help folder) and
// each of its interfaces under "Interface", as the type-library registration
// of the platform does.
void RegisterTypeLibrary(RegistryKey& root, const TypeLibraryDescription& library, const std::string& module) {
  const std::string libid = GuidText(library.libid);
  const std::string version = VersionText(library);
  RegistryKey& libraryKey = root.Create("TypeLib").Create(libid);
  libraryKey.DeleteSubtree(version);
  RegistryKey& versionKey = libraryKey.Create(version);
  versionKey.SetValue("", library.name);
  versionKey.Create("FLAGS").SetValue("", "0");
  versionKey.Create("0").Create(kPlatform).SetValue("", module);
  const std::size_t slash = module.rfind('/');
  versionKey.Create("HELPDIR").SetValue("", slash == std::string::npos ? std::string() : module.substr(0, slash));
  for (const InterfaceDescription* description : library.interfaces) {
    RegistryKey& interfaces = root.Create("Interface");
    const std::string iid = GuidText(description->iid);
    interfaces.DeleteSubtree(iid);
    RegistryKey& key = interfaces.Create(iid);
    key.SetValue("", description->name);
    key.Create("ProxyStubClsid").SetValue("", kAutomationProxyStub);
    key.Create("ProxyStubClsid32").SetValue("", kAutomationProxyStub);
    RegistryKey& typeLib = key.Create("TypeLib");
    typeLib.SetValue("", libid);
    typeLib.SetValue("Version", version);
  }
}

// Removes this version of the library (and the library's key once no version
// is left) and the interface keys that name this library.
void UnregisterTypeLibrary(RegistryKey& root, const TypeLibraryDescription& library) {
  const std::string libid = GuidText(library.libid);
  if (RegistryKey* libraries = root.Find("TypeLib")) {
    if (RegistryKey* libraryKey = libraries->Find(libid)) {
      libraryKey->DeleteSubtree(VersionText(library));
      if (libraryKey->subkeys().empty()) libraries->DeleteSubtree(libid);
    }
  }
  RegistryKey* interfaces = root.Find("Interface");
  if (interfaces == nullptr) return;
  for (const InterfaceDescription* description : library.interfaces) {
    const std::string iid = GuidText(description->iid);
    const RegistryKey* owner = interfaces->Find(iid + "\\TypeLib");
    const std::string* ownerId = owner == nullptr ? nullptr : owner->Value("");
    if (ownerId != nullptr && *ownerId == libid) interfaces->DeleteSubtree(iid);
  }
}

Substitutions ForThisClass(std::string module) {
  return {std::move(module), GuidText(CLSID_tirmok50), GuidText(TypeLibrary().libid)};
}

}  // namespace
}  // namespace tirmok::automation

using namespace tirmok::automation;

extern "C" HRESULT DllRegisterServer(void) {
  try {
    const std::optional<std::string> module = ModulePath();
    if (!module) return E_FAIL;
    const Substitutions with = ForThisClass(*module);
    return RegistryStore::Instance().With([&](RegistryKey& root) {
      for (const ScriptKey& node : RegistryScript()) Register(node, root, with);
      // The class declares no component categories, so there are none to record.
      RegisterTypeLibrary(root, TypeLibrary(), *module);
      return S_OK;
    });
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

extern "C" HRESULT DllUnregisterServer(void) {
  try {
    const Substitutions with = ForThisClass(ModulePath().value_or(std::string()));
    return RegistryStore::Instance().With([&](RegistryKey& root) {
      for (const ScriptKey& node : RegistryScript()) Unregister(node, root, with);
      UnregisterTypeLibrary(root, TypeLibrary());
      return S_OK;
    });
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}
