// BSTR and VARIANT basics: length-prefixed UTF-16 strings and the variants that carry them.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "automation/com_strings.h"

namespace tirmok::automation {
namespace {

// The length prefix is a 32-bit byte count just before the first character.
constexpr std::size_t kPrefixBytes = sizeof(std::uint32_t);
// Longest BSTR in characters: its byte count must fit the prefix with room
// for the terminator, and stay a positive 32-bit value as on Windows.
constexpr UINT kMaxLength = 0x3FFFFFF0u;

unsigned char* Base(BSTR text) { return reinterpret_cast<unsigned char*>(text) - kPrefixBytes; }

std::uint32_t ByteLength(BSTR text) {
  std::uint32_t bytes = 0;
  std::memcpy(&bytes, Base(text), sizeof bytes);
  return bytes;
}

}  // namespace

std::u16string_view Chars(BSTR text) {
  if (text == nullptr) return {};
  return {text, TirmokSysStringLen(text)};
}

BSTR MakeBstr(std::u16string_view text) {
  if (text.size() > kMaxLength) return nullptr;
  return TirmokSysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

std::string GuidText(const GUID& guid) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(guid.Data1), static_cast<unsigned>(guid.Data2), static_cast<unsigned>(guid.Data3),
                guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6],
                guid.Data4[7]);
  return text;
}

}  // namespace tirmok::automation

using namespace tirmok::automation;

extern "C" BSTR TirmokSysAllocStringLen(const OLECHAR* source, UINT length) {
  if (length > kMaxLength) return nullptr;
  const std::uint32_t bytes = length * static_cast<std::uint32_t>(sizeof(OLECHAR));
  auto* base = static_cast<unsigned char*>(std::malloc(kPrefixBytes + bytes + sizeof(OLECHAR)));
  if (base == nullptr) return nullptr;
  std::memcpy(base, &bytes, sizeof bytes);
  auto* text = reinterpret_cast<OLECHAR*>(base + kPrefixBytes);
  if (source != nullptr) {
    std::memcpy(text, source, bytes);
  } else {
    std::memset(text, 0, bytes);
  }
  text[length] = 0;
  return text;
}

extern "C" BSTR TirmokSysAllocString(const OLECHAR* source) {
  if (source == nullptr) return nullptr;
  UINT length = 0;
  while (source[length] != 0) {
    if (++length > kMaxLength) return nullptr;
  }
  return TirmokSysAllocStringLen(source, length);
}

extern "C" void TirmokSysFreeString(BSTR text) {
  if (text != nullptr) std::free(Base(text));
}

extern "C" UINT TirmokSysStringLen(BSTR text) {
  return text == nullptr ? 0 : ByteLength(text) / sizeof(OLECHAR);
}

extern "C" void TirmokVariantInit(VARIANT* variant) {
  if (variant == nullptr) return;
  std::memset(variant, 0, sizeof *variant);
  variant->vt = VT_EMPTY;
}

extern "C" HRESULT TirmokVariantClear(VARIANT* variant) {
  if (variant == nullptr) return E_INVALIDARG;
  // Only a BSTR held by value is owned; by-reference forms point at the caller's storage.
  if (variant->vt == VT_BSTR) TirmokSysFreeString(variant->bstrVal);
  TirmokVariantInit(variant);
  return S_OK;
}
