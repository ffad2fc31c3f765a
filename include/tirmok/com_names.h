/*
 * tirmok: the familiar names of the automation layer, for a host that wants
 * to write them. tirmok/automation.h keeps its shapes in the namespace
 * tirmok::automation and gives its functions the library's prefix, so that
 * they cannot collide with a host's own; a host that has no names of that
 * kind may include this header instead and write BSTR, VARIANT, S_OK,
 * SysAllocString, VariantClear, GetErrorInfo and the rest as on Windows.
 *
 * The functions here are inline and call the library's prefixed ones: the
 * library itself exports none of these names.
 */
#ifndef TIRMOK_COM_NAMES_H
#define TIRMOK_COM_NAMES_H

#include "tirmok/automation.h"

using namespace tirmok::automation;

inline BSTR SysAllocStringLen(const OLECHAR* source, UINT length) { return TirmokSysAllocStringLen(source, length); }
inline BSTR SysAllocString(const OLECHAR* source) { return TirmokSysAllocString(source); }
inline void SysFreeString(BSTR text) { TirmokSysFreeString(text); }
inline UINT SysStringLen(BSTR text) { return TirmokSysStringLen(text); }
inline void VariantInit(VARIANT* variant) { TirmokVariantInit(variant); }
inline HRESULT VariantClear(VARIANT* variant) { return TirmokVariantClear(variant); }
inline HRESULT SetErrorInfo(ULONG reserved, IErrorInfo* errorInfo) { return TirmokSetErrorInfo(reserved, errorInfo); }
inline HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** errorInfo) { return TirmokGetErrorInfo(reserved, errorInfo); }

#endif /* TIRMOK_COM_NAMES_H */
