// Tests of the automation layer, called through its interfaces as a host calls them.
#include "tirmok/com_names.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "automation/code_page.h"
#include "automation/registry.h"
#include "core/utf.h"
#include "module/converter_module.h"
#include "support/test_support.h"
#include "tirmok/tirmok.h"

namespace tirmok {
namespace {

using automation::FromWindows1252;
using automation::ToWindows1252;

// --- Host-side helpers ---

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::u16string_view text) : text_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(text_); }
  BSTR get() const { return text_; }
  BSTR* out() { return &text_; }
  std::u16string str() const { return text_ == nullptr ? u"" : std::u16string(text_, SysStringLen(text_)); }

 private:
  BSTR text_ = nullptr;
};

// Holds one reference to an interface.
template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(Ref&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  Ref& operator=(const Ref&) = delete;
  ~Ref() { Reset(); }
  void Reset() {
    if (p_ != nullptr) p_->Release();
    p_ = nullptr;
  }
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  void** out() { return reinterpret_cast<void**>(&p_); }

 private:
  T* p_ = nullptr;
};

Ref<Itirmok50> NewObject() {
  Ref<IClassFactory> factory;
  EXPECT_EQ(DllGetClassObject(CLSID_tirmok50, IID_IClassFactory, factory.out()), S_OK);
  Ref<Itirmok50> object;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_Itirmok50, object.out()), S_OK);
  return object;
}

struct ThreadError {
  bool present = false;
  std::u16string description;
  std::u16string source;
  GUID guid = IID_NULL;
};

// Takes the calling thread's error information.
ThreadError TakeError() {
  ThreadError error;
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK) return error;
  error.present = true;
  Bstr description, source;
  info->GetDescription(description.out());
  info->GetSource(source.out());
  info->GetGUID(&error.guid);
  info->Release();
  error.description = description.str();
  error.source = source.str();
  return error;
}

bool EndsWith(std::u16string_view text, std::u16string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

std::u16string Ascii(std::string_view text) { return FromWindows1252(text); }

struct Converted {
  HRESULT hr;
  std::u16string text;
};

Converted Convert(Itirmok50* object, std::u16string_view input, std::u16string_view from, std::u16string_view to) {
  Bstr in(input), f(from), t(to), out;
  const HRESULT hr = object->Convert(in.get(), f.get(), t.get(), out.out());
  return {hr, out.str()};
}

// What the automation layer must give: the C export's result for the same
// input, with 8-bit strings carried through Windows-1252.
std::u16string ThroughExports(std::u16string_view input, const char* from, const char* to) {
  const bool wideIn = IsWide(*ParseFormat(from));
  const bool wideOut = IsWide(*ParseFormat(to));
  const test::Converted c =
      wideIn ? test::Convert(input, from, to) : test::Convert(std::string_view(ToWindows1252(input)), from, to);
  return wideOut ? c.wide : FromWindows1252(c.bytes);
}

std::u16string TeluguText(std::size_t minimumUnits) {
  std::u16string text;
  for (std::size_t i = 0; text.size() < minimumUnits; ++i) {
    text += Utf8ToUtf16(test::WordSample()[i % test::WordSample().size()]);
    text += u' ';
  }
  return text;
}

// The whole registry store: "path" -> value, "path\" for a key.
std::map<std::string, std::string> Snapshot(const std::string& path = "") {
  std::map<std::string, std::string> out;
  out[path + "\\"] = "";
  char name[512];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (TirmokRegEnumValue(path.c_str(), i, name, &size) != ERROR_SUCCESS) break;
    char data[4096];
    DWORD dataSize = sizeof data;
    EXPECT_EQ(TirmokRegQueryValue(path.c_str(), name, data, &dataSize), ERROR_SUCCESS);
    out[path + "|" + name] = data;
  }
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (TirmokRegEnumKey(path.c_str(), i, name, &size) != ERROR_SUCCESS) break;
    out.merge(Snapshot(path.empty() ? name : path + "\\" + name));
  }
  return out;
}

std::string Query(const std::string& key, const char* value = "") {
  char data[4096];
  DWORD size = sizeof data;
  if (TirmokRegQueryValue(key.c_str(), value, data, &size) != ERROR_SUCCESS) return "<absent>";
  return data;
}

std::string Text(const GUID& guid) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2],
                guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return text;
}

const std::string kClassKey = "CLSID\\" + Text(CLSID_tirmok50);

// Registers the class for one test and unregisters it afterwards.
struct Registered {
  Registered() { EXPECT_EQ(DllRegisterServer(), S_OK); }
  ~Registered() { EXPECT_EQ(DllUnregisterServer(), S_OK); }
};

// --- The platform shapes ---

TEST(ComShapes, BstrCarriesItsByteLengthBeforeTheCharactersAndATerminatorAfter) {
  Bstr text(std::u16string_view(u"a\0b", 3));  // an embedded zero is part of the string
  std::uint32_t prefix = 0;
  std::memcpy(&prefix, reinterpret_cast<const char*>(text.get()) - 4, sizeof prefix);
  EXPECT_EQ(prefix, 6u);
  EXPECT_EQ(SysStringLen(text.get()), 3u);
  EXPECT_EQ(text.get()[3], u'\0');
  EXPECT_EQ(text.str(), std::u16string(u"a\0b", 3));

  Bstr zeroed;
  *zeroed.out() = SysAllocStringLen(nullptr, 4);
  EXPECT_EQ(zeroed.str(), std::u16string(4, u'\0'));
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  SysFreeString(nullptr);
}

TEST(ComShapes, VariantHasTheWindowsLayout) {
  EXPECT_EQ(offsetof(VARIANT, vt), 0u);
  EXPECT_EQ(offsetof(VARIANT, lVal), 8u);
  EXPECT_EQ(offsetof(VARIANT, bstrVal), 8u);
  EXPECT_EQ(sizeof(VARIANT), 8 + 2 * sizeof(void*));
  EXPECT_EQ(static_cast<std::uint32_t>(E_FAIL), 0x80004005u);
  VARIANT v;
  VariantInit(&v);
  EXPECT_EQ(v.vt, VT_EMPTY);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(u"owned");
  EXPECT_EQ(VariantClear(&v), S_OK);  // frees the BSTR (LeakSanitizer would notice otherwise)
  EXPECT_EQ(v.vt, VT_EMPTY);
}

// The vtable as a C host declares it: the object pointer first, then the
// arguments, in the Windows order of IUnknown, IDispatch and Itirmok50.
struct Itirmok50Vtbl {
  HRESULT (*QueryInterface)(void*, const IID*, void**);
  ULONG (*AddRef)(void*);
  ULONG (*Release)(void*);
  void* GetTypeInfoCount;
  void* GetTypeInfo;
  HRESULT (*GetIDsOfNames)(void*, const IID*, LPOLESTR*, UINT, LCID, DISPID*);
  void* Invoke;
  HRESULT (*Convert)(void*, BSTR, BSTR, BSTR, BSTR*);
  HRESULT (*Compare)(void*, BSTR, BSTR, BSTR, BSTR, LONG*);
  HRESULT (*ConvertDate)(void*, BSTR, LONG, BSTR*);
  HRESULT (*SetProperty)(void*, BSTR, BSTR);
};

TEST(ComShapes, ACHostCallsTheMethodsThroughTheVtableInTheWindowsOrder) {
  Ref<Itirmok50> object = NewObject();
  void* self = object.get();
  const auto* vtbl = *static_cast<Itirmok50Vtbl* const*>(self);

  void* dispatch = nullptr;
  ASSERT_EQ(vtbl->QueryInterface(self, &IID_IDispatch, &dispatch), S_OK);
  EXPECT_EQ(vtbl->Release(dispatch), 1u);
  EXPECT_EQ(vtbl->AddRef(self), 2u);
  EXPECT_EQ(vtbl->Release(self), 1u);

  OLECHAR name[] = u"ConvertDate";
  LPOLESTR names[] = {name};
  DISPID id = 0;
  EXPECT_EQ(vtbl->GetIDsOfNames(self, &IID_NULL, names, 1, 0, &id), S_OK);
  EXPECT_EQ(id, DISPID_Itirmok50_ConvertDate);

  Bstr input(u"\u0C15\u0C3F"), from(u"UNICODE"), to(u"TELTRANS"), out;
  EXPECT_EQ(vtbl->Convert(self, input.get(), from.get(), to.get(), out.out()), S_OK);
  EXPECT_EQ(out.str(), ThroughExports(u"\u0C15\u0C3F", "UNICODE", "TELTRANS"));
  LONG order = 5;
  Bstr a(u"ab"), lpx(u"LPXKBD");
  EXPECT_EQ(vtbl->Compare(self, a.get(), lpx.get(), a.get(), lpx.get(), &order), S_OK);
  EXPECT_EQ(order, -1);
  Bstr date;
  EXPECT_EQ(vtbl->ConvertDate(self, a.get(), 1, date.out()), S_OK);
  Bstr key(u"AUTOMATION_VTABLE_KEY"), value(u"v");
  EXPECT_EQ(vtbl->SetProperty(self, key.get(), value.get()), S_OK);
  std::lock_guard<ModuleLock> lock(ConverterModule::Instance().moduleLock);
  EXPECT_NE(FindProperty(ConverterModule::Instance().properties, "AUTOMATION_VTABLE_KEY"), nullptr);
}

TEST(ErrorInfo, TheSlotIsPerThreadAndGetErrorInfoEmptiesIt) {
  SetErrorInfo(0, nullptr);
  IErrorInfo* none = reinterpret_cast<IErrorInfo*>(this);
  EXPECT_EQ(GetErrorInfo(0, &none), S_FALSE);
  EXPECT_EQ(none, nullptr);

  Ref<Itirmok50> object = NewObject();
  EXPECT_EQ(Convert(object.get(), u"", u"XYZ", u"UNICODE").hr, E_FAIL);
  std::thread([] {
    // Another thread sees nothing of this thread's failure, and its own
    // failure stays with it; the slot is released when the thread ends.
    EXPECT_FALSE(TakeError().present);
    Ref<Itirmok50> other = NewObject();
    EXPECT_EQ(Convert(other.get(), u"", u"UNICODE", u"QQQ").hr, E_FAIL);
  }).join();
  const ThreadError error = TakeError();
  EXPECT_TRUE(error.present);
  EXPECT_TRUE(EndsWith(error.description, u"XYZ - Invalid input format."));
  EXPECT_FALSE(TakeError().present);  // taken once
}

// --- Convert ---

TEST(Convert, GivesWhatTheExportGivesWithFormatNamesInAnyCase) {
  Ref<Itirmok50> object = NewObject();
  struct Row {
    std::u16string input;
    const char* from;
    const char* to;
    std::u16string fromName;  // as the host writes it
    std::u16string toName;
  };
  const Row rows[] = {
      // U+0C15 TELUGU LETTER KA, U+0C3F VOWEL SIGN I: 16-bit in, 8-bit out
      {u"\u0C15\u0C3F", "UNICODE", "TELTRANS", u"unicode", u"TelTrans"},
      // ki in transliteration: 8-bit in, 16-bit out
      {u"ki", "TELTRANS", "UNICODE", u"teltrans", u"UNICODE"},
      // ka + a, ka: internal code passed through the normaliser
      {u"zdz", "LPXCODE", "LPXCODE", u"lpxcode", u"lpxcode"},
      // 16-bit to 16-bit
      {u"\u0C15\u0C3E", "UNICODE", "ISO15919", u"Unicode", u"iso15919"},
      // UTF-8 bytes come back as Windows-1252 characters
      {u"\u0C15", "UNICODE", "UTF-8", u"unicode", u"utf-8"},
      // the module reads strings up to their first zero: "ki", then an embedded U+0000
      {std::u16string(u"ki\0k", 4), "TELTRANS", "UNICODE", u"TELTRANS", u"unicode"},
      {std::u16string(u"\u0C15\0\u0C3F", 3), "UNICODE", "TELTRANS", u"UNICODE", u"TELTRANS"},
      // input-only formats give an empty result with S_OK
      {u"ka", "LPXKBD", "INSCRIPT", u"lpxkbd", u"inscript"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.from) + " -> " + row.to);
    const Converted c = Convert(object.get(), row.input, row.fromName, row.toName);
    EXPECT_EQ(c.hr, S_OK);
    EXPECT_EQ(c.text, ThroughExports(row.input, row.from, row.to));
    EXPECT_EQ(c.text, Convert(object.get(), row.input, Ascii(row.from), Ascii(row.to)).text);
  }
}

TEST(Convert, InvalidFormatNamesFailWithTheirMessage) {
  Ref<Itirmok50> object = NewObject();
  struct Row {
    std::u16string from;
    std::u16string to;
    std::u16string message;  // the end of the description
  };
  const Row rows[] = {
      {u"XYZ", u"UNICODE", u"XYZ - Invalid input format."},
      {u"xyz", u"abc", u"XYZ - Invalid input format."},  // the input is checked first, upper-cased
      {u"unicode", u"abc", u"ABC - Invalid output format."},
      {u"", u"UNICODE", u" - Invalid input format."},
      // Upper-casing follows ASCII rules; U+20AC EURO SIGN and U+00E9 e-acute pass through Windows-1252
      {u"x\u20AC\u00E9", u"UNICODE", u"X\u20AC\u00E9 - Invalid input format."},
      // characters outside Windows-1252 become '?': U+0C15 TELUGU LETTER KA
      {u"UNICODE", u"\u0C15", u"? - Invalid output format."},
  };
  for (const Row& row : rows) {
    Bstr input(u"ki"), from(row.from), to(row.to);
    BSTR out = reinterpret_cast<BSTR>(this);
    EXPECT_EQ(object->Convert(input.get(), from.get(), to.get(), &out), E_FAIL);
    EXPECT_EQ(out, nullptr);
    const ThreadError error = TakeError();
    ASSERT_TRUE(error.present);
    EXPECT_EQ(error.description, u"Unknown class:" + row.message);
    EXPECT_EQ(error.source, u"Unknown class");
    EXPECT_TRUE(error.guid == IID_Itirmok50);
  }
  EXPECT_EQ(object->Convert(nullptr, nullptr, nullptr, nullptr), E_POINTER);
}

TEST(Convert, ErrorsNameTheRegisteredProgId) {
  Ref<Itirmok50> object = NewObject();
  {
    Registered registered;
    EXPECT_EQ(Convert(object.get(), u"", u"XYZ", u"UNICODE").hr, E_FAIL);
    const ThreadError error = TakeError();
    EXPECT_EQ(error.description, u"Orv_Tirmok.tirmok50.1:XYZ - Invalid input format.");
    EXPECT_EQ(error.source, u"Orv_Tirmok.tirmok50.1");
  }
  EXPECT_EQ(Convert(object.get(), u"", u"XYZ", u"UNICODE").hr, E_FAIL);
  EXPECT_EQ(TakeError().description, u"Unknown class:XYZ - Invalid input format.");
}

TEST(Convert, ALongInputGrowsTheBufferAndComesBackWhole) {
  Ref<Itirmok50> object = NewObject();
  // 6000 bytes of internal code (ka + a), far beyond the first 1024-byte buffer.
  std::u16string internal;
  for (int i = 0; i < 3000; ++i) internal += u"zd";
  const Converted copied = Convert(object.get(), internal, u"LPXCODE", u"LPXCODE");
  EXPECT_EQ(copied.hr, S_OK);
  EXPECT_EQ(copied.text, ThroughExports(internal, "LPXCODE", "LPXCODE"));
  EXPECT_GT(copied.text.size(), 1024u);

  const std::u16string telugu = TeluguText(5000);
  const char* outputs[] = {"TELTRANS", "UNICODE", "ANSI", "UTF-8", "ISO15919"};
  for (const char* to : outputs) {
    SCOPED_TRACE(to);
    const Converted c = Convert(object.get(), telugu, u"UNICODE", Ascii(to));
    EXPECT_EQ(c.hr, S_OK);
    EXPECT_EQ(c.text, ThroughExports(telugu, "UNICODE", to));
  }
}

// --- Compare ---

// LpxCompare's result for the same strings, 8-bit ones carried through Windows-1252.
std::int32_t CompareThroughExport(std::u16string_view a, const char* formatA, std::u16string_view b,
                                  const char* formatB) {
  const auto compare = [&](auto x, auto y) { return test::Compare(x, formatA, y, formatB); };
  const bool wideA = IsWide(*ParseFormat(formatA)), wideB = IsWide(*ParseFormat(formatB));
  const std::string na = ToWindows1252(a), nb = ToWindows1252(b);
  if (wideA != wideB) {
    // test::Compare takes operands of one width; mixed widths go to the export directly.
    const std::u16string wa(a), wb(b);
    return LpxCompare(wideA ? static_cast<const void*>(wa.c_str()) : na.c_str(), formatA,
                      wideB ? static_cast<const void*>(wb.c_str()) : nb.c_str(), formatB);
  }
  return wideA ? compare(a, b) : compare(std::string_view(na), std::string_view(nb));
}

TEST(Compare, GivesWhatTheExportGivesWithSOk) {
  Ref<Itirmok50> object = NewObject();
  struct Row {
    std::u16string a;
    const char* formatA;
    std::u16string b;
    const char* formatB;
  };
  const Row rows[] = {
      {u"z", "LPXCODE", u"zd", "LPXCODE"},                 // ka (bare) against ka + a
      {u"zd", "LPXCODE", u"z", "LPXCODE"},                 // the other way round
      {u"zd", "LPXCODE", u"zd", "lpxcode"},                // equal
      {u"\u0C15\u0C4D", "UNICODE", u"\u0C15", "UNICODE"},  // KA + VIRAMA against KA
      {u"\u0C15", "unicode", u"\u0C15\u0C3E", "UNICODE"},  // KA against KA + AA sign
      {u"\u0C15", "UNICODE", u"ka", "TELTRANS"},           // the same letter in two formats
      {u"ka", "LPXKBD", u"ka", "LPXKBD"},                  // not comparable: -1
      {u"ka", "TELTRANS", u"\u0C15", "BRAILLE"},           // not comparable: -1
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.formatA) + " / " + row.formatB);
    Bstr a(row.a), fa(Ascii(row.formatA)), b(row.b), fb(Ascii(row.formatB));
    LONG order = 7;
    EXPECT_EQ(object->Compare(a.get(), fa.get(), b.get(), fb.get(), &order), S_OK);
    EXPECT_TRUE(order >= -1 && order <= 1);
    const std::int32_t expected = CompareThroughExport(row.a, row.formatA, row.b, row.formatB);
    EXPECT_EQ(order, expected);
  }
  Bstr ka(u"ka"), kbd(u"lpxkbd");
  LONG order = 0;
  EXPECT_EQ(object->Compare(ka.get(), kbd.get(), ka.get(), kbd.get(), &order), S_OK);
  EXPECT_EQ(order, -1);
}

TEST(Compare, InvalidFormatNamesFailWithTheDataFormatMessage) {
  Ref<Itirmok50> object = NewObject();
  Bstr ka(u"ka"), good(u"TELTRANS"), bad1(u"xyz"), bad2(u"QQ");
  LONG order = 0;
  EXPECT_EQ(object->Compare(ka.get(), bad1.get(), ka.get(), bad2.get(), &order), E_FAIL);
  EXPECT_EQ(TakeError().description, u"Unknown class:XYZ - Invalid data format.");
  EXPECT_EQ(object->Compare(ka.get(), good.get(), ka.get(), bad2.get(), &order), E_FAIL);
  EXPECT_EQ(TakeError().description, u"Unknown class:QQ - Invalid data format.");
  EXPECT_EQ(object->Compare(ka.get(), good.get(), ka.get(), good.get(), nullptr), E_POINTER);
}

// --- ConvertDate ---

std::u16string DateThroughExport(std::u16string_view phrase, bool fromEnglish, std::int32_t capacity) {
  std::vector<char> out(static_cast<std::size_t>(capacity), '\x55');
  const std::string text = ToWindows1252(phrase);
  LpxDateConvert(text.c_str(), fromEnglish ? 1 : 0, out.data(), capacity);
  return FromWindows1252(std::string_view(out.data(), strnlen(out.data(), out.size())));
}

TEST(ConvertDate, UsesTheObjectsBufferAtItsPresentCapacity) {
  Ref<Itirmok50> object = NewObject();
  std::u16string longPhrase;
  while (longPhrase.size() < 1500) longPhrase += u"Sunday, 5 March 2010 10:30 am; ";
  struct Row {
    std::u16string phrase;
    LONG fromEnglish;
  };
  const Row rows[] = {
      {u"Sunday, 5 March 2010", 1}, {u"10:30 am", -1}, {u"janavari 26", 0}, {u"", 1}, {longPhrase, 1},
  };
  // A new object's buffer holds 1024 bytes: a longer result is cut there.
  for (const Row& row : rows) {
    Bstr in(row.phrase), out;
    EXPECT_EQ(object->ConvertDate(in.get(), row.fromEnglish, out.out()), S_OK);
    EXPECT_EQ(out.str(), DateThroughExport(row.phrase, row.fromEnglish != 0, 1024));
    EXPECT_LT(out.str().size(), 1024u);
  }
  // A conversion of n units grows the buffer to 20 n + 4096 bytes, and the
  // date conversion then has all of it.
  const std::u16string input(100, u'z');
  EXPECT_EQ(Convert(object.get(), input, u"LPXCODE", u"TELTRANS").hr, S_OK);
  Bstr in(longPhrase), out;
  EXPECT_EQ(object->ConvertDate(in.get(), 1, out.out()), S_OK);
  EXPECT_EQ(out.str(), DateThroughExport(longPhrase, true, 20 * 100 + 4096));
  EXPECT_EQ(object->ConvertDate(in.get(), 1, nullptr), E_POINTER);
}

// --- SetProperty ---

TEST(SetProperty, StoresTheKeyAndValueAsWindows1252TextThatBrailleReads) {
  Ref<Itirmok50> object = NewObject();
  ConverterModule& module = ConverterModule::Instance();
  Bstr key(u"LPX_KEY_NEMETH"), on(u"true"), off(u"FALSE"), euroKey(u"KEY_\u20AC"), euroValue(u"\u00E9\u0C15");
  const std::u16string digits = u"\u0C15 12 + 3";  // KA, digits and a sign
  EXPECT_EQ(object->SetProperty(key.get(), on.get()), S_OK);
  const Converted nemeth = Convert(object.get(), digits, u"UNICODE", u"braille");
  EXPECT_EQ(nemeth.text, ThroughExports(digits, "UNICODE", "BRAILLE"));
  EXPECT_EQ(object->SetProperty(key.get(), off.get()), S_OK);
  const Converted plain = Convert(object.get(), digits, u"UNICODE", u"BRAILLE");
  EXPECT_EQ(plain.text, ThroughExports(digits, "UNICODE", "BRAILLE"));

  EXPECT_EQ(object->SetProperty(euroKey.get(), euroValue.get()), S_OK);
  std::lock_guard<ModuleLock> lock(module.moduleLock);
  EXPECT_EQ(*FindProperty(module.properties, "LPX_KEY_NEMETH"), "FALSE");
  const std::string* stored = FindProperty(module.properties, "KEY_\x80");
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(*stored, "\xE9?");
  module.properties.erase("KEY_\x80");
  module.properties.erase("LPX_KEY_NEMETH");
}

// --- Dispatch ---

VARIANT StringArg(const Bstr& text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = text.get();
  return v;
}

TEST(Dispatch, NamesAreFoundInAnyCaseWithTheirParameters) {
  Ref<Itirmok50> object = NewObject();
  struct Row {
    std::u16string name;
    DISPID id;
  };
  const Row rows[] = {{u"convert", 1}, {u"COMPARE", 2}, {u"ConvertDate", 3}, {u"setPROPERTY", 4}};
  for (const Row& row : rows) {
    std::u16string name = row.name;
    LPOLESTR names[] = {name.data()};
    DISPID id = 0;
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, row.id);
  }
  std::u16string method = u"Compare", param = u"BSTRSTRING2", unknown = u"bstrNothing";
  LPOLESTR names[] = {method.data(), param.data(), unknown.data()};
  DISPID ids[3] = {};
  EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 3, 0, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], 2);
  EXPECT_EQ(ids[1], 2);  // the third parameter
  EXPECT_EQ(ids[2], DISPID_UNKNOWN);
  std::u16string missing = u"Converts";
  LPOLESTR one[] = {missing.data()};
  EXPECT_EQ(object->GetIDsOfNames(IID_NULL, one, 1, 0, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], DISPID_UNKNOWN);
}

DISPID IdOf(Itirmok50* object, std::u16string name) {
  LPOLESTR names[] = {name.data()};
  DISPID id = DISPID_UNKNOWN;
  EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
  return id;
}

TEST(Dispatch, InvokeByNameReturnsTheResultInTheVariant) {
  Ref<Itirmok50> object = NewObject();
  Bstr input(u"\u0C15\u0C3F"), from(u"unicode"), to(u"TELTRANS");
  // Arguments in reverse order: the output format first.
  VARIANT convertArgs[] = {StringArg(to), StringArg(from), StringArg(input)};
  DISPPARAMS params = {convertArgs, nullptr, 3, 0};
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(object->Invoke(IdOf(object.get(), u"Convert"), IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params,
                           &result, nullptr, nullptr),
            S_OK);
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(std::u16string(result.bstrVal, SysStringLen(result.bstrVal)),
            ThroughExports(u"\u0C15\u0C3F", "UNICODE", "TELTRANS"));
  VariantClear(&result);

  // By-reference arguments, as scripting hosts pass variables.
  Bstr a(u"ka"), lpxkbd(u"LPXKBD");
  BSTR aRef = a.get();
  VARIANT inner = StringArg(lpxkbd);
  VARIANT compareArgs[4];
  for (VARIANT& v : compareArgs) VariantInit(&v);
  compareArgs[0].vt = VT_BYREF | VT_VARIANT;
  compareArgs[0].pvarVal = &inner;
  compareArgs[1] = StringArg(a);
  compareArgs[2] = StringArg(lpxkbd);
  compareArgs[3].vt = VT_BYREF | VT_BSTR;
  compareArgs[3].pbstrVal = &aRef;
  params = {compareArgs, nullptr, 4, 0};
  EXPECT_EQ(object->Invoke(2, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr), S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, -1);

  // A named argument: bFromEnglish by its identifier 1, the phrase positional.
  Bstr phrase(u"Sunday");
  LONG fromEnglish = 1;
  VARIANT dateArgs[2];
  VariantInit(&dateArgs[0]);
  dateArgs[0].vt = VT_BYREF | VT_I4;
  dateArgs[0].plVal = &fromEnglish;
  dateArgs[1] = StringArg(phrase);
  DISPID named[] = {1};
  params = {dateArgs, named, 2, 1};
  EXPECT_EQ(object->Invoke(3, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr), S_OK);
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(std::u16string(result.bstrVal, SysStringLen(result.bstrVal)), DateThroughExport(u"Sunday", true, 1024));
  VariantClear(&result);

  // No result variant: the result is freed, not leaked.
  params = {convertArgs, nullptr, 3, 0};
  EXPECT_EQ(object->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK);
}

TEST(Dispatch, InvokeChecksMemberFlagsCountAndTypes) {
  Ref<Itirmok50> object = NewObject();
  Bstr text(u"x");
  VARIANT args[3] = {StringArg(text), StringArg(text), StringArg(text)};
  VARIANT number;
  VariantInit(&number);
  number.vt = VT_I4;
  number.lVal = 3;
  DISPPARAMS three = {args, nullptr, 3, 0};
  DISPPARAMS two = {args, nullptr, 2, 0};
  VARIANT result;
  VariantInit(&result);
  UINT argErr = 99;
  EXPECT_EQ(object->Invoke(9, IID_NULL, 0, DISPATCH_METHOD, &three, &result, nullptr, &argErr), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(object->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYPUT, &three, &result, nullptr, &argErr),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(object->Invoke(1, IID_IDispatch, 0, DISPATCH_METHOD, &three, &result, nullptr, &argErr),
            DISP_E_UNKNOWNINTERFACE);
  EXPECT_EQ(object->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &two, &result, nullptr, &argErr), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(object->Invoke(3, IID_NULL, 0, DISPATCH_METHOD, &three, &result, nullptr, &argErr), DISP_E_BADPARAMCOUNT);
  // ConvertDate(bstrInput, bFromEnglish): a string where the long belongs (rgvarg[0]).
  EXPECT_EQ(object->Invoke(3, IID_NULL, 0, DISPATCH_METHOD, &two, &result, nullptr, &argErr), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 0u);
  // Convert with a number as its second argument (rgvarg[1]).
  args[1] = number;
  EXPECT_EQ(object->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &three, &result, nullptr, &argErr), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 1u);
  EXPECT_EQ(result.vt, VT_EMPTY);
}

TEST(Dispatch, AFailingMethodRaisesAnExceptionWithTheErrorInformation) {
  Ref<Itirmok50> object = NewObject();
  Bstr input(u"ka"), from(u"XYZ"), to(u"UNICODE");
  VARIANT args[] = {StringArg(to), StringArg(from), StringArg(input)};
  DISPPARAMS params = {args, nullptr, 3, 0};
  VARIANT result;
  VariantInit(&result);
  EXCEPINFO exception{};
  EXPECT_EQ(object->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &params, &result, &exception, nullptr), DISP_E_EXCEPTION);
  EXPECT_EQ(exception.scode, E_FAIL);
  const std::u16string description(exception.bstrDescription, SysStringLen(exception.bstrDescription));
  EXPECT_TRUE(EndsWith(description, u"XYZ - Invalid input format."));
  EXPECT_EQ(std::u16string(exception.bstrSource, SysStringLen(exception.bstrSource)), u"Unknown class");
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrHelpFile);
  EXPECT_FALSE(TakeError().present);  // handed over in the exception

  // Without an exception record the error information stays on the thread.
  EXPECT_EQ(object->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr), DISP_E_EXCEPTION);
  EXPECT_TRUE(EndsWith(TakeError().description, u"XYZ - Invalid input format."));
}

// --- Interfaces, lifetime and the class object ---

TEST(Object, AnswersItsInterfacesAndSupportsErrorInfoForItirmok50Only) {
  Ref<Itirmok50> object = NewObject();
  Ref<IUnknown> unknown1, unknown2;
  Ref<IDispatch> dispatch;
  Ref<ISupportErrorInfo> support;
  ASSERT_EQ(object->QueryInterface(IID_IUnknown, unknown1.out()), S_OK);
  ASSERT_EQ(object->QueryInterface(IID_IDispatch, dispatch.out()), S_OK);
  ASSERT_EQ(dispatch->QueryInterface(IID_IUnknown, unknown2.out()), S_OK);
  EXPECT_EQ(unknown1.get(), unknown2.get());  // one identity
  ASSERT_EQ(object->QueryInterface(IID_ISupportErrorInfo, support.out()), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_Itirmok50), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
  void* none = this;
  EXPECT_EQ(object->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  UINT count = 9;
  EXPECT_EQ(object->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 0u);
}

TEST(ClassObject, DllCanUnloadNowCountsObjectsFactoryReferencesAndLocks) {
  ASSERT_EQ(DllCanUnloadNow(), S_OK);
  Ref<IClassFactory> factory;
  void* none = this;
  EXPECT_EQ(DllGetClassObject(IID_Itirmok50, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(DllGetClassObject(CLSID_tirmok50, IID_IDispatch, &none), E_NOINTERFACE);
  ASSERT_EQ(DllGetClassObject(CLSID_tirmok50, IID_IClassFactory, factory.out()), S_OK);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);

  Ref<Itirmok50> first, second;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_Itirmok50, first.out()), S_OK);
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, second.out()), S_OK);
  EXPECT_NE(first.get(), second.get());  // one object per request
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &none), E_NOINTERFACE);
  factory.Reset();
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  first.Reset();
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  second.Reset();
  EXPECT_EQ(DllCanUnloadNow(), S_OK);

  ASSERT_EQ(DllGetClassObject(CLSID_tirmok50, IID_IUnknown, factory.out()), S_OK);
  Ref<IClassFactory> asFactory;
  ASSERT_EQ(factory->QueryInterface(IID_IClassFactory, asFactory.out()), S_OK);
  EXPECT_EQ(asFactory->LockServer(1), S_OK);
  factory.Reset();
  asFactory.Reset();
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  ASSERT_EQ(DllGetClassObject(CLSID_tirmok50, IID_IClassFactory, asFactory.out()), S_OK);
  EXPECT_EQ(asFactory->LockServer(0), S_OK);
  EXPECT_EQ(asFactory->LockServer(0), S_OK);  // one unlock too many changes nothing
  asFactory.Reset();
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

// An outer object that aggregates tirmok50 and exposes its interfaces as its own.
class Outer final : public IUnknown {
 public:
  Outer() {
    Ref<IClassFactory> factory;
    EXPECT_EQ(DllGetClassObject(CLSID_tirmok50, IID_IClassFactory, factory.out()), S_OK);
    void* refused = this;
    EXPECT_EQ(factory->CreateInstance(this, IID_Itirmok50, &refused), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(factory->CreateInstance(this, IID_IUnknown, reinterpret_cast<void**>(&inner_)), S_OK);
  }
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (riid == IID_IUnknown) {
      *ppv = this;
      AddRef();
      return S_OK;
    }
    return inner_->QueryInterface(riid, ppv);
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override {
    const ULONG left = --refs;
    if (left == 0) {
      refs = 1;  // guard against re-entry while the inner object goes
      inner_->Release();
      delete this;
    }
    return left;
  }
  ULONG refs = 1;

 private:
  IUnknown* inner_ = nullptr;
};

TEST(Aggregation, TheOuterObjectControlsIdentityAndLifetime) {
  ASSERT_EQ(DllCanUnloadNow(), S_OK);
  auto* outer = new Outer;
  Itirmok50* object = nullptr;
  ASSERT_EQ(outer->QueryInterface(IID_Itirmok50, reinterpret_cast<void**>(&object)), S_OK);
  EXPECT_EQ(outer->refs, 2u);  // the inner interface counts on the outer object
  EXPECT_EQ(object->AddRef(), 3u);
  EXPECT_EQ(object->Release(), 2u);

  IUnknown* identity = nullptr;
  ASSERT_EQ(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  EXPECT_EQ(identity, outer);
  identity->Release();

  const Converted c = Convert(object, u"\u0C15\u0C3F", u"UNICODE", u"TELTRANS");
  EXPECT_EQ(c.hr, S_OK);
  EXPECT_EQ(c.text, ThroughExports(u"\u0C15\u0C3F", "UNICODE", "TELTRANS"));
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  object->Release();
  outer->Release();
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

// --- Registration ---

TEST(Registration, WritesTheScriptAndTheTypeLibraryAndRemovesThemAgain) {
  const auto before = Snapshot();
  ASSERT_EQ(DllRegisterServer(), S_OK);
  const std::string clsid = Text(CLSID_tirmok50);
  const std::string libid = Text(LIBID_Orv_Tirmok);
  struct Row {
    std::string key;
    const char* value;
    std::string expected;
  };
  const Row rows[] = {
      {"Orv_Tirmok.tirmok50.1", "", "tirmok50 Class"},
      {"Orv_Tirmok.tirmok50.1\\CLSID", "", clsid},
      {"Orv_Tirmok.tirmok50", "", "tirmok50 Class"},
      {"Orv_Tirmok.tirmok50\\CLSID", "", clsid},
      {"Orv_Tirmok.tirmok50\\CurVer", "", "Orv_Tirmok.tirmok50.1"},
      {kClassKey, "", "tirmok50 Class"},
      {kClassKey + "\\ProgID", "", "Orv_Tirmok.tirmok50.1"},
      {kClassKey + "\\VersionIndependentProgID", "", "Orv_Tirmok.tirmok50"},
      {kClassKey + "\\Programmable", "", "<absent>"},
      {kClassKey + "\\InprocServer32", "threadingmodel", "Apartment"},  // names in any case
      {kClassKey + "\\TypeLib", "", libid},
      {"TypeLib\\" + libid + "\\1.0", "", "Orv_Tirmok 7.0 Type Library"},
      {"Interface\\" + Text(IID_Itirmok50), "", "Itirmok50"},
      {"Interface\\" + Text(IID_Itirmok50) + "\\TypeLib", "Version", "1.0"},
  };
  for (const Row& row : rows) EXPECT_EQ(Query(row.key, row.value), row.expected) << row.key;
  char name[8];
  DWORD size = sizeof name;
  EXPECT_EQ(TirmokRegEnumKey((kClassKey + "\\Programmable").c_str(), 0, name, &size), ERROR_NO_MORE_ITEMS);

  // The server's path is the full path of the file that holds the code.
  const std::string module = Query(kClassKey + "\\InprocServer32");
  EXPECT_EQ(module.front(), '/');
  EXPECT_EQ(module, Query("TypeLib\\" + libid + "\\1.0\\0\\linux"));

  const auto once = Snapshot();
  ASSERT_EQ(DllRegisterServer(), S_OK);
  EXPECT_EQ(Snapshot(), once);  // registering again changes nothing

  ASSERT_EQ(DllUnregisterServer(), S_OK);
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(DllUnregisterServer(), S_OK);  // nothing left to remove
  EXPECT_EQ(Snapshot(), before);
  size = sizeof name;
  EXPECT_EQ(TirmokRegEnumKey("CLSID", 0, name, &size), ERROR_NO_MORE_ITEMS);  // the key itself stays
}

TEST(Registration, UnregisteringKeepsAProgIdKeyThatHoldsForeignSubkeysButNotTheClassKey) {
  auto& store = automation::RegistryStore::Instance();
  ASSERT_EQ(DllRegisterServer(), S_OK);
  store.With([](automation::RegistryKey& root) {
    root.Find("Orv_Tirmok.tirmok50")->Create("Other");
    root.Find(kClassKey)->Create("Other");
  });
  ASSERT_EQ(DllUnregisterServer(), S_OK);
  EXPECT_EQ(Query("Orv_Tirmok.tirmok50"), "<absent>");  // the script's value is gone...
  EXPECT_EQ(store.Read("Orv_Tirmok.tirmok50\\CurVer", ""), std::nullopt);
  EXPECT_TRUE(
      store.With([](automation::RegistryKey& root) { return root.Find("Orv_Tirmok.tirmok50\\Other") != nullptr; }));
  EXPECT_TRUE(store.With([](automation::RegistryKey& root) { return root.Find(kClassKey) == nullptr; }));
  store.With([](automation::RegistryKey& root) { root.DeleteSubtree("Orv_Tirmok.tirmok50"); });
}

TEST(Registration, LookupsFollowTheSizeProtocol) {
  Registered registered;
  DWORD size = 0;
  EXPECT_EQ(TirmokRegQueryValue("orv_tirmok.TIRMOK50.1", nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, sizeof "tirmok50 Class");
  char small[4] = {'x', 'x', 'x', 'x'};
  size = sizeof small;
  EXPECT_EQ(TirmokRegQueryValue("Orv_Tirmok.tirmok50.1", "", small, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, sizeof "tirmok50 Class");
  EXPECT_EQ(small[0], 'x');
  EXPECT_EQ(TirmokRegQueryValue("No\\Such\\Key", "", small, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(TirmokRegEnumKey("No\\Such\\Key", 0, small, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(TirmokRegQueryValue("", "", small, nullptr), ERROR_INVALID_PARAMETER);
}

// --- Windows-1252 ---

TEST(CodePage, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::u16string wide = FromWindows1252(all);
  ASSERT_EQ(wide.size(), 256u);
  EXPECT_EQ(ToWindows1252(wide), all);
}

TEST(CodePage, MapsTheHighBytesAndReplacesWhatItCannotWrite) {
  struct Row {
    std::u16string wide;
    std::string bytes;
  };
  const Row both[] = {
      {u"\u20AC", "\x80"},                                 // EURO SIGN
      {u"\u0081", "\x81"},                                 // undefined byte <-> the C1 control of its value
      {u"\u009D", "\x9D"},           {u"\u0178", "\x9F"},  // LATIN CAPITAL LETTER Y WITH DIAERESIS
      {u"\u00A0\u00FF", "\xA0\xFF"},
  };
  for (const Row& row : both) {
    EXPECT_EQ(ToWindows1252(row.wide), row.bytes);
    EXPECT_EQ(FromWindows1252(row.bytes), row.wide);
  }
  const Row replaced[] = {
      {u"\u0080", "?"},           // a C1 control the code page gives another character
      {u"\u0100\u0C15", "??"},    // LATIN A WITH MACRON, TELUGU KA
      {u"a\U0001F600b", "a?b"},   // a surrogate pair is one character
      {u"\xD800x\xDC00", "?x?"},  // lone surrogates
  };
  for (const Row& row : replaced) EXPECT_EQ(ToWindows1252(row.wide), row.bytes);
}

TEST(CodePage, StringsOfThe8BitFormatsCrossTheBoundaryByIt) {
  Ref<Itirmok50> object = NewObject();
  // Internal-code bytes 0x80 to 0xFF reach the hub as the same bytes.
  std::string bytes;
  for (int b = 122; b < 256; ++b) bytes.push_back(static_cast<char>(b));
  const std::u16string wide = FromWindows1252(bytes);
  const Converted c = Convert(object.get(), wide, u"LPXCODE", u"LPXCODE");
  EXPECT_EQ(c.hr, S_OK);
  EXPECT_EQ(c.text, FromWindows1252(test::ToBytes(bytes, "LPXCODE", "LPXCODE")));
}

// --- Threads ---

TEST(Threads, ObjectsOnSeveralThreadsKeepTheirOwnResultsAndErrors) {
  Registered registered;
  std::vector<std::thread> threads;
  const std::u16string expected = ThroughExports(u"\u0C15\u0C3F", "UNICODE", "TELTRANS");
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &expected] {
      const std::u16string bad = u"BAD" + Ascii(std::to_string(t));
      for (int i = 0; i < 40; ++i) {
        Ref<Itirmok50> object = NewObject();
        EXPECT_EQ(Convert(object.get(), u"\u0C15\u0C3F", u"unicode", u"teltrans").text, expected);
        EXPECT_EQ(Convert(object.get(), u"", bad, u"UNICODE").hr, E_FAIL);
        EXPECT_EQ(TakeError().description, u"Orv_Tirmok.tirmok50.1:" + bad + u" - Invalid input format.");
        char data[64];
        DWORD size = sizeof data;
        EXPECT_EQ(TirmokRegQueryValue("Orv_Tirmok.tirmok50\\CurVer", "", data, &size), ERROR_SUCCESS);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

}  // namespace
}  // namespace tirmok
