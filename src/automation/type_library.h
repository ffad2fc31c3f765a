// The type library: a static description of the class tirmok50 and its interface Itirmok50.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "tirmok/automation.h"

namespace tirmok::automation {

enum class ParamType : std::uint8_t { kString, kLong };

struct ParamDescription {
  std::string_view name;
  ParamType type;
  bool retval;  // [out, retval]: the method's result, never passed by the caller
};

struct MethodDescription {
  std::string_view name;
  DISPID dispid;
  std::string_view help;
  std::span<const ParamDescription> params;  // the [out, retval] one, if any, last
};

struct InterfaceDescription {
  std::string_view name;
  IID iid;
  std::string_view help;
  bool dual;
  std::span<const MethodDescription> methods;
};

struct CoclassDescription {
  std::string_view name;
  CLSID clsid;
  std::string_view help;
  const InterfaceDescription& defaultInterface;
};

struct TypeLibraryDescription {
  std::string_view name;
  GUID libid;
  WORD majorVersion;
  WORD minorVersion;
  const CoclassDescription& coclass;
  std::span<const InterfaceDescription* const> interfaces;
};

const TypeLibraryDescription& TypeLibrary();

}  // namespace tirmok::automation
