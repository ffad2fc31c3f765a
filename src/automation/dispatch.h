// Dispatch by the type library's description: names to identifiers, arguments out of DISPPARAMS.
#pragma once

#include <span>

#include "automation/type_library.h"
#include "tirmok/automation.h"

namespace tirmok::automation {

// Most parameters any method of the library takes, the result included.
inline constexpr std::size_t kMaxParams = 8;

// One [in] argument, read by its parameter's type. The BSTR belongs to the caller.
struct Argument {
  BSTR text = nullptr;
  LONG number = 0;
};

const MethodDescription* FindMethod(const InterfaceDescription& interface, DISPID dispid);
const ParamDescription* ResultParam(const MethodDescription& method);

// IDispatch::GetIDsOfNames: the first name is a method (any case), the others
// its parameters, whose identifiers are their positions.
HRESULT IdsOfNames(const InterfaceDescription& interface, LPOLESTR* names, UINT count, DISPID* ids);

// Reads the [in] arguments of `method` into `arguments`, in parameter order:
// positional ones from the end of rgvarg, named ones by their identifiers.
// Checks their count and types; on a failure *argumentError (if given) is the
// index in rgvarg of the offending argument.
HRESULT ReadArguments(const MethodDescription& method, const DISPPARAMS* params, std::span<Argument> arguments,
                      UINT* argumentError);

// Fills `exception` for a method that failed with `failure`, taking over the
// calling thread's error information when there is some.
void FillException(HRESULT failure, EXCEPINFO* exception);

}  // namespace tirmok::automation
