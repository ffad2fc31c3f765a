// Dispatch by the type library's description: names to identifiers, arguments out of DISPPARAMS.
#include "automation/dispatch.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "core/text.h"

namespace tirmok::automation {
namespace {

// Member and parameter names are ASCII; a host may write them in any case.
bool SameName(LPCOLESTR name, std::string_view ascii) {
  if (name == nullptr) return false;
  std::size_t i = 0;
  for (; i < ascii.size(); ++i) {
    if (name[i] == 0 || AsciiUpper(name[i]) != AsciiUpper(static_cast<char16_t>(ascii[i]))) return false;
  }
  return name[i] == 0;
}

// The value of one argument for a parameter of `type`, looking through one
// level of by-reference variant (how scripting hosts pass their variables).
bool ReadArgument(const VARIANT& argument, ParamType type, Argument& out) {
  const VARIANT* value = &argument;
  if (value->vt == (VT_BYREF | VT_VARIANT)) {
    value = value->pvarVal;
    if (value == nullptr || value->vt == (VT_BYREF | VT_VARIANT)) return false;
  }
  const VARTYPE vt = value->vt;
  const bool byRef = (vt & VT_BYREF) != 0;
  if (byRef && value->byref == nullptr) return false;
  switch (type) {
    case ParamType::kString:
      if (vt == VT_BSTR) {
        out.text = value->bstrVal;
        return true;
      }
      if (vt == (VT_BYREF | VT_BSTR)) {
        out.text = *value->pbstrVal;
        return true;
      }
      return false;
    case ParamType::kLong:
      switch (vt) {
        case VT_I4:
          out.number = value->lVal;
          return true;
        case VT_BYREF | VT_I4:
          out.number = *value->plVal;
          return true;
        case VT_I2:
          out.number = value->iVal;
          return true;
        case VT_BYREF | VT_I2:
          out.number = *value->piVal;
          return true;
        case VT_BOOL:
          out.number = value->boolVal;
          return true;
        case VT_BYREF | VT_BOOL:
          out.number = *value->pboolVal;
          return true;
        default:
          return false;
      }
  }
  return false;
}

}  // namespace

const MethodDescription* FindMethod(const InterfaceDescription& interface, DISPID dispid) {
  const auto it = std::find_if(interface.methods.begin(), interface.methods.end(),
                               [dispid](const MethodDescription& m) { return m.dispid == dispid; });
  return it == interface.methods.end() ? nullptr : &*it;
}

const ParamDescription* ResultParam(const MethodDescription& method) {
  if (method.params.empty() || !method.params.back().retval) return nullptr;
  return &method.params.back();
}

HRESULT IdsOfNames(const InterfaceDescription& interface, LPOLESTR* names, UINT count, DISPID* ids) {
  if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
  std::fill(ids, ids + count, DISPID_UNKNOWN);
  const auto method = std::find_if(interface.methods.begin(), interface.methods.end(),
                                   [&](const MethodDescription& m) { return SameName(names[0], m.name); });
  if (method == interface.methods.end()) return DISP_E_UNKNOWNNAME;
  ids[0] = method->dispid;
  HRESULT result = S_OK;
  for (UINT i = 1; i < count; ++i) {
    const auto param = std::find_if(method->params.begin(), method->params.end(),
                                    [&](const ParamDescription& p) { return SameName(names[i], p.name); });
    if (param == method->params.end()) {
      result = DISP_E_UNKNOWNNAME;
    } else {
      ids[i] = static_cast<DISPID>(param - method->params.begin());
    }
  }
  return result;
}

HRESULT ReadArguments(const MethodDescription& method, const DISPPARAMS* params, std::span<Argument> arguments,
                      UINT* argumentError) {
  const std::size_t inCount = method.params.size() - (ResultParam(method) != nullptr ? 1 : 0);
  if (inCount > arguments.size() || inCount > kMaxParams) return E_UNEXPECTED;
  if (params == nullptr) return E_INVALIDARG;
  if (params->cArgs != inCount) return DISP_E_BADPARAMCOUNT;
  if (params->cNamedArgs > params->cArgs || (params->cArgs != 0 && params->rgvarg == nullptr) ||
      (params->cNamedArgs != 0 && params->rgdispidNamedArgs == nullptr)) {
    return E_INVALIDARG;
  }
  auto blame = [argumentError](UINT index) {
    if (argumentError != nullptr) *argumentError = index;
  };
  // Where each parameter's argument sits in rgvarg. Positional arguments are
  // the first parameters, stored last-first after the named ones.
  constexpr UINT kNone = ~0u;
  std::array<UINT, kMaxParams> slot;
  slot.fill(kNone);
  const UINT positional = params->cArgs - params->cNamedArgs;
  for (UINT k = 0; k < positional; ++k) slot[k] = params->cArgs - 1 - k;
  for (UINT i = 0; i < params->cNamedArgs; ++i) {
    const DISPID id = params->rgdispidNamedArgs[i];
    if (id < 0 || static_cast<std::size_t>(id) >= inCount || slot[static_cast<std::size_t>(id)] != kNone) {
      blame(i);
      return DISP_E_PARAMNOTFOUND;
    }
    slot[static_cast<std::size_t>(id)] = i;
  }
  for (std::size_t k = 0; k < inCount; ++k) {
    if (!ReadArgument(params->rgvarg[slot[k]], method.params[k].type, arguments[k])) {
      blame(slot[k]);
      return DISP_E_TYPEMISMATCH;
    }
  }
  return S_OK;
}

void FillException(HRESULT failure, EXCEPINFO* exception) {
  if (exception == nullptr) return;
  *exception = EXCEPINFO{};
  exception->scode = failure;
  IErrorInfo* error = nullptr;
  if (TirmokGetErrorInfo(0, &error) != S_OK || error == nullptr) return;
  error->GetSource(&exception->bstrSource);
  error->GetDescription(&exception->bstrDescription);
  error->GetHelpContext(&exception->dwHelpContext);
  error->Release();
}

}  // namespace tirmok::automation
