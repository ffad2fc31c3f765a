/*
 * tirmok: the automation layer. A small component object model with the
 * binary shapes of the Windows one (HRESULT, GUID, IUnknown, IDispatch, BSTR,
 * VARIANT, error information, class factory), the class tirmok50 with its
 * dual interface Itirmok50, self-registration into an in-process registry
 * store, and the functions to read that store.
 *
 * Interfaces are abstract classes whose pure virtual functions are declared
 * in the Windows order, so their vtables have the Windows layout. Methods use
 * the platform's default calling convention. Strings (BSTR, OLECHAR) are
 * UTF-16 in char16_t units.
 */
#ifndef TIRMOK_AUTOMATION_H
#define TIRMOK_AUTOMATION_H

#include <cstdint>

#include "tirmok/tirmok.h"

/* The shapes live in the namespace tirmok::automation and the functions carry
 * the library's prefix (TirmokSysAllocString, TirmokVariantClear,
 * TirmokGetErrorInfo ...), so that nothing of them can collide with a host's
 * own Windows-shaped names; only the four component exports (Dll*) keep their
 * names, which hosts look up by name. tirmok/com_names.h lets a host write the
 * familiar names (BSTR, SysAllocString, GetErrorInfo ...) if it wants them. */
namespace tirmok::automation {

/* ---- Scalar types ---- */

using HRESULT = std::int32_t;
using SCODE = std::int32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using LONGLONG = std::int64_t;
using SHORT = std::int16_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using BOOL = std::int32_t;
using LCID = std::uint32_t;
using DISPID = std::int32_t;
using VARTYPE = std::uint16_t;
using VARIANT_BOOL = std::int16_t;
using OLECHAR = char16_t;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
/* A BSTR points at its first character; the 32-bit byte length of the
 * characters sits in the four bytes before it, and a zero unit follows them. */
using BSTR = OLECHAR*;

/* ---- Result codes (the Windows values) ---- */

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
inline constexpr HRESULT DISP_E_UNKNOWNINTERFACE = static_cast<HRESULT>(0x80020001u);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = static_cast<HRESULT>(0x80020004u);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006u);
inline constexpr HRESULT DISP_E_EXCEPTION = static_cast<HRESULT>(0x80020009u);
inline constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000Bu);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000Eu);

inline constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
inline constexpr bool FAILED(HRESULT hr) { return hr < 0; }

/* ---- GUIDs ---- */

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

inline constexpr bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i) {
    if (a.Data4[i] != b.Data4[i]) return false;
  }
  return true;
}
inline constexpr bool IsEqualGUID(const GUID& a, const GUID& b) { return a == b; }

inline constexpr IID IID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IErrorInfo = {0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
inline constexpr IID IID_ICreateErrorInfo = {
    0x22F03340, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
inline constexpr IID IID_ISupportErrorInfo = {
    0xDF0B3D60, 0x548F, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};

/* The class tirmok50 {2C67EEF5-1EBA-4FA8-9CEB-AA30587FEE52}. */
inline constexpr CLSID CLSID_tirmok50 = {0x2C67EEF5, 0x1EBA, 0x4FA8, {0x9C, 0xEB, 0xAA, 0x30, 0x58, 0x7F, 0xEE, 0x52}};
/* Its interface Itirmok50 {D06E8926-844A-4EF0-9EBA-13F7B86A1715}. */
inline constexpr IID IID_Itirmok50 = {0xD06E8926, 0x844A, 0x4EF0, {0x9E, 0xBA, 0x13, 0xF7, 0xB8, 0x6A, 0x17, 0x15}};
/* The type library "Orv_Tirmok 7.0 Type Library" {262B5CDA-5AE0-4B01-B77A-390B3D3F2EDD}, version 1.0. */
inline constexpr GUID LIBID_Orv_Tirmok = {0x262B5CDA, 0x5AE0, 0x4B01, {0xB7, 0x7A, 0x39, 0x0B, 0x3D, 0x3F, 0x2E, 0xDD}};

/* ---- VARIANT and dispatch parameters ---- */

inline constexpr VARTYPE VT_EMPTY = 0;
inline constexpr VARTYPE VT_I2 = 2;
inline constexpr VARTYPE VT_I4 = 3;
inline constexpr VARTYPE VT_BSTR = 8;
inline constexpr VARTYPE VT_BOOL = 11;
inline constexpr VARTYPE VT_VARIANT = 12;
inline constexpr VARTYPE VT_BYREF = 0x4000;

inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

struct VARIANT;

/* The record form, which gives the union its Windows size (two pointers). */
struct VARIANT_RECORD {
  void* pvRecord;
  void* pRecInfo;
};

/* The Windows layout: the type and three reserved words, then a union of
 * 16 bytes on 64-bit systems (8 on 32-bit). Only the members this library
 * reads or writes are named. */
struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONGLONG llVal;
    LONG lVal;
    SHORT iVal;
    VARIANT_BOOL boolVal;
    BSTR bstrVal;
    LONG* plVal;
    SHORT* piVal;
    VARIANT_BOOL* pboolVal;
    BSTR* pbstrVal;
    VARIANT* pvarVal;
    void* byref;
    VARIANT_RECORD brecord;
  };
};
using VARIANTARG = VARIANT;

static_assert(sizeof(VARIANT) == 8 + 2 * sizeof(void*), "VARIANT must have the Windows size");

/* Arguments are stored in reverse order: the last argument first. Named
 * arguments come first in rgvarg, with their parameter indexes in
 * rgdispidNamedArgs. */
struct DISPPARAMS {
  VARIANTARG* rgvarg;
  DISPID* rgdispidNamedArgs;
  UINT cArgs;
  UINT cNamedArgs;
};

struct EXCEPINFO {
  WORD wCode;
  WORD wReserved;
  BSTR bstrSource;
  BSTR bstrDescription;
  BSTR bstrHelpFile;
  DWORD dwHelpContext;
  void* pvReserved;
  HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
  SCODE scode;
};

inline constexpr WORD DISPATCH_METHOD = 0x1;
inline constexpr WORD DISPATCH_PROPERTYGET = 0x2;
inline constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
inline constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;
inline constexpr DISPID DISPID_UNKNOWN = -1;

/* Dispatch identifiers of the methods of Itirmok50, in the interface's order. */
inline constexpr DISPID DISPID_Itirmok50_Convert = 1;
inline constexpr DISPID DISPID_Itirmok50_Compare = 2;
inline constexpr DISPID DISPID_Itirmok50_ConvertDate = 3;
inline constexpr DISPID DISPID_Itirmok50_SetProperty = 4;

/* ---- Interfaces ---- */

class ITypeInfo;

class IUnknown {
 public:
  virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
};

class IDispatch : public IUnknown {
 public:
  virtual HRESULT GetTypeInfoCount(UINT* pctinfo) = 0;
  virtual HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
  virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) = 0;
  virtual HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                         VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) = 0;
};

class IClassFactory : public IUnknown {
 public:
  virtual HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) = 0;
  virtual HRESULT LockServer(BOOL fLock) = 0;
};

class IErrorInfo : public IUnknown {
 public:
  virtual HRESULT GetGUID(GUID* pGUID) = 0;
  virtual HRESULT GetSource(BSTR* pBstrSource) = 0;
  virtual HRESULT GetDescription(BSTR* pBstrDescription) = 0;
  virtual HRESULT GetHelpFile(BSTR* pBstrHelpFile) = 0;
  virtual HRESULT GetHelpContext(DWORD* pdwHelpContext) = 0;
};

class ICreateErrorInfo : public IUnknown {
 public:
  virtual HRESULT SetGUID(REFGUID rguid) = 0;
  virtual HRESULT SetSource(LPOLESTR szSource) = 0;
  virtual HRESULT SetDescription(LPOLESTR szDescription) = 0;
  virtual HRESULT SetHelpFile(LPOLESTR szHelpFile) = 0;
  virtual HRESULT SetHelpContext(DWORD dwHelpContext) = 0;
};

class ISupportErrorInfo : public IUnknown {
 public:
  virtual HRESULT InterfaceSupportsErrorInfo(REFIID riid) = 0;
};

/* The dual interface of tirmok50. A failing method returns E_FAIL and leaves
 * error information on the calling thread (GetErrorInfo). */
class Itirmok50 : public IDispatch {
 public:
  /* Converts bstrInput from bstrInputFormat to bstrOutputFormat (format names
   * in any case). */
  virtual HRESULT Convert(BSTR bstrInput, BSTR bstrInputFormat, BSTR bstrOutputFormat, BSTR* bstrOutput) = 0;
  /* Compares two strings in Telugu dictionary order: -1, 0 or 1 in lOutput. */
  virtual HRESULT Compare(BSTR bstrString1, BSTR bstrString1Format, BSTR bstrString2, BSTR bstrString2Format,
                          LONG* lOutput) = 0;
  /* Replaces date words: English to Telugu when bFromEnglish is non-zero. */
  virtual HRESULT ConvertDate(BSTR bstrInput, LONG bFromEnglish, BSTR* bstrOutput) = 0;
  /* Stores a property that some converters read. */
  virtual HRESULT SetProperty(BSTR bstrKey, BSTR bstrValue) = 0;
};

/* ---- Registry store: return codes of the lookup functions ---- */

inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_OUTOFMEMORY = 14;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_NO_MORE_ITEMS = 259;

}  // namespace tirmok::automation

extern "C" {

/* ---- BSTR ---- */

/* Allocates a BSTR of `length` characters copied from `source` (zero-filled
 * when `source` is null). Returns null when memory runs out. */
TIRMOK_API tirmok::automation::BSTR TirmokSysAllocStringLen(const tirmok::automation::OLECHAR* source,
                                                            tirmok::automation::UINT length);
/* Allocates a BSTR of the zero-terminated `source`; null gives null. */
TIRMOK_API tirmok::automation::BSTR TirmokSysAllocString(const tirmok::automation::OLECHAR* source);
/* Frees a BSTR; null is allowed. */
TIRMOK_API void TirmokSysFreeString(tirmok::automation::BSTR text);
/* Length in characters (0 for null). */
TIRMOK_API tirmok::automation::UINT TirmokSysStringLen(tirmok::automation::BSTR text);

/* ---- VARIANT ---- */

TIRMOK_API void TirmokVariantInit(tirmok::automation::VARIANT* variant);
/* Frees what the variant owns (its BSTR) and leaves it VT_EMPTY. */
TIRMOK_API tirmok::automation::HRESULT TirmokVariantClear(tirmok::automation::VARIANT* variant);

/* ---- Error information (one slot per thread) ---- */

/* Makes `errorInfo` the calling thread's error information (null clears it);
 * the slot takes its own reference. `reserved` must be 0. */
TIRMOK_API tirmok::automation::HRESULT TirmokSetErrorInfo(tirmok::automation::ULONG reserved,
                                                          tirmok::automation::IErrorInfo* errorInfo);
/* Hands the thread's error information to the caller, who must release it,
 * and clears the slot. S_FALSE and null when there is none. */
TIRMOK_API tirmok::automation::HRESULT TirmokGetErrorInfo(tirmok::automation::ULONG reserved,
                                                          tirmok::automation::IErrorInfo** errorInfo);

/* ---- Component exports ---- */

/* The class object (IClassFactory) of CLSID_tirmok50. */
TIRMOK_API tirmok::automation::HRESULT DllGetClassObject(tirmok::automation::REFCLSID rclsid,
                                                         tirmok::automation::REFIID riid, void** ppv);
/* S_OK when no object is alive and no lock is held; S_FALSE otherwise. A
 * reference held on the class object counts as a lock. */
TIRMOK_API tirmok::automation::HRESULT DllCanUnloadNow(void);
/* Writes the class, its ProgIDs and the type library into the registry store. */
TIRMOK_API tirmok::automation::HRESULT DllRegisterServer(void);
/* Removes what DllRegisterServer wrote (the "CLSID" key itself stays). */
TIRMOK_API tirmok::automation::HRESULT DllUnregisterServer(void);

/* ---- Registry store (the keys under the classes root) ----
 *
 * Key paths are relative to the root, with components separated by
 * backslashes ("CLSID\\{...}\\InprocServer32"); null or "" is the root. Names
 * are compared without regard to ASCII case. Strings are UTF-8. A value name
 * of null or "" is the key's default value. `size` is the buffer's size in
 * bytes on entry and the bytes needed (with the terminator) on return; a null
 * buffer asks only for the size. */

/* Reads a value: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND (no such key or value)
 * or ERROR_MORE_DATA (the buffer is too small). */
TIRMOK_API tirmok::automation::LONG TirmokRegQueryValue(const char* keyPath, const char* valueName, char* data,
                                                        tirmok::automation::DWORD* size);
/* The name of the `index`-th subkey, in order of name: ERROR_SUCCESS,
 * ERROR_NO_MORE_ITEMS past the last, ERROR_FILE_NOT_FOUND when the key does
 * not exist, or ERROR_MORE_DATA. */
TIRMOK_API tirmok::automation::LONG TirmokRegEnumKey(const char* keyPath, tirmok::automation::DWORD index, char* name,
                                                     tirmok::automation::DWORD* size);
/* The name of the `index`-th value that is set ("" for the default value). */
TIRMOK_API tirmok::automation::LONG TirmokRegEnumValue(const char* keyPath, tirmok::automation::DWORD index,
                                                       char* name, tirmok::automation::DWORD* size);

}  // extern "C"

#endif /* TIRMOK_AUTOMATION_H */
