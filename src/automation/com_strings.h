// Helpers of the automation layer for BSTRs and GUID text.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "tirmok/automation.h"

namespace tirmok::automation {

// The characters of a BSTR; a null BSTR is the empty string, as in every
// automation interface.
std::u16string_view Chars(BSTR text);

// A new BSTR holding `text`, or null when memory runs out.
BSTR MakeBstr(std::u16string_view text);

struct BstrDeleter {
  void operator()(BSTR text) const { TirmokSysFreeString(text); }
};
using UniqueBstr = std::unique_ptr<OLECHAR, BstrDeleter>;

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hexadecimal, as the
// registry names classes, interfaces and type libraries.
std::string GuidText(const GUID& guid);

}  // namespace tirmok::automation
