// tirmok50: the automation object's methods, dispatch, error reporting and aggregation.
#include "automation/tirmok50.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <optional>
#include <string>

#include "automation/code_page.h"
#include "automation/com_strings.h"
#include "automation/component_module.h"
#include "automation/dispatch.h"
#include "automation/error_info.h"
#include "automation/registry.h"
#include "automation/type_library.h"
#include "core/text.h"
#include "core/utf.h"
#include "module/converter_module.h"
#include "module/hub.h"

namespace tirmok::automation {
namespace {

constexpr std::string_view kInvalidInputFormat = " - Invalid input format.";
constexpr std::string_view kInvalidOutputFormat = " - Invalid output format.";
constexpr std::string_view kInvalidDataFormat = " - Invalid data format.";
constexpr std::string_view kOutOfMemory = "Out of memory.";
constexpr std::u16string_view kUnknownClass = u"Unknown class";
// Longest text of an exception that a failure carries.
constexpr std::size_t kMaxExceptionText = 128;

// A host string as the module's C strings read it: 8-bit, up to its first zero.
std::string HostText(BSTR text) {
  std::string bytes = ToWindows1252(Chars(text));
  bytes.resize(UpToZero(std::string_view(bytes)).size());
  return bytes;
}

// A format name as the module checks it: 8-bit, upper-case.
std::string FormatName(BSTR name) { return AsciiUpper(HostText(name)); }

// A host string as the hub takes it in a given format: the UTF-16 characters
// for the 16-bit formats, the 8-bit text otherwise; terminated either way.
class HubString {
 public:
  HubString(BSTR text, Format format) : wide_(IsWide(format)) {
    if (wide_) {
      units_.assign(Chars(text));
    } else {
      bytes_ = ToWindows1252(Chars(text));
    }
  }
  HubString(const HubString&) = delete;
  HubString& operator=(const HubString&) = delete;

  const void* Data() const { return wide_ ? static_cast<const void*>(units_.c_str()) : bytes_.c_str(); }
  std::int64_t Length() const { return static_cast<std::int64_t>(wide_ ? units_.size() : bytes_.size()); }

 private:
  bool wide_;
  std::u16string units_;
  std::string bytes_;
};

// The ProgID the registry store names for the class, if it is registered.
std::optional<std::string> RegisteredProgId() {
  return RegistryStore::Instance().Read("CLSID\\" + GuidText(CLSID_tirmok50) + "\\ProgID", "");
}

const InterfaceDescription& Described() { return TypeLibrary().coclass.defaultInterface; }

}  // namespace

// --- Creation, lifetime and aggregation ---

Tirmok50::Tirmok50(IUnknown* outer)
    : inner_(*this),
      controlling_(outer != nullptr ? outer : &inner_),
      buffer_(std::calloc(kInitialCapacity, 1)),
      capacity_(kInitialCapacity) {
  AddObject();
}

Tirmok50::~Tirmok50() {
  std::free(buffer_);
  RemoveObject();
}

HRESULT Tirmok50::Create(IUnknown* outer, REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  auto* object = new (std::nothrow) Tirmok50(outer);
  if (object == nullptr) return E_OUTOFMEMORY;
  if (object->buffer_ == nullptr) {
    delete object;
    return E_OUTOFMEMORY;
  }
  // Hold the object while asking for the interface, so that a refused
  // interface releases it.
  object->inner_.AddRef();
  const HRESULT result = object->inner_.QueryInterface(riid, ppv);
  object->inner_.Release();
  return result;
}

HRESULT Tirmok50::Inner::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  IUnknown* found = nullptr;
  if (riid == IID_IUnknown) {
    found = this;
  } else if (riid == IID_IDispatch || riid == IID_Itirmok50) {
    found = static_cast<Itirmok50*>(&owner_);
  } else if (riid == IID_ISupportErrorInfo) {
    found = static_cast<ISupportErrorInfo*>(&owner_);
  }
  *ppv = found;
  if (found == nullptr) return E_NOINTERFACE;
  found->AddRef();
  return S_OK;
}

ULONG Tirmok50::Inner::AddRef() { return ++owner_.refs_; }

ULONG Tirmok50::Inner::Release() {
  const ULONG left = --owner_.refs_;
  if (left == 0) delete &owner_;
  return left;
}

HRESULT Tirmok50::QueryInterface(REFIID riid, void** ppv) { return controlling_->QueryInterface(riid, ppv); }
ULONG Tirmok50::AddRef() { return controlling_->AddRef(); }
ULONG Tirmok50::Release() { return controlling_->Release(); }

HRESULT Tirmok50::InterfaceSupportsErrorInfo(REFIID riid) { return riid == IID_Itirmok50 ? S_OK : S_FALSE; }

// --- Failures ---

template <class Body>
HRESULT Tirmok50::Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return Fail(kOutOfMemory, E_OUTOFMEMORY);
  } catch (const std::exception& e) {
    return Fail(std::string_view(e.what()).substr(0, kMaxExceptionText));
  } catch (...) {
    TirmokSetErrorInfo(0, nullptr);
    return E_UNEXPECTED;
  }
}

HRESULT Tirmok50::Fail(std::string_view message, HRESULT result) noexcept {
  try {
    const std::optional<std::string> progId = RegisteredProgId();
    const std::u16string source = progId ? Utf8ToUtf16(*progId) : std::u16string(kUnknownClass);
    const std::u16string description = source + u":" + FromWindows1252(message);
    SetThreadError(description, source, IID_Itirmok50);
  } catch (...) {
    TirmokSetErrorInfo(0, nullptr);  // no memory left to describe the failure
  }
  return result;
}

// --- The output buffer ---

bool Tirmok50::Reserve(std::int64_t required) {
  if (required <= capacity_) return true;
  if (required > std::numeric_limits<std::int32_t>::max()) return false;
  void* grown = std::realloc(buffer_, static_cast<std::size_t>(required));
  if (grown == nullptr) return false;
  buffer_ = grown;
  capacity_ = static_cast<std::int32_t>(required);
  return true;
}

BSTR Tirmok50::Result(bool wide) const {
  std::u16string text;
  if (wide) {
    const auto* units = static_cast<const char16_t*>(buffer_);
    const std::size_t room = static_cast<std::size_t>(capacity_) / 2;
    text.assign(units, static_cast<std::size_t>(std::find(units, units + room, u'\0') - units));
  } else {
    const auto* bytes = static_cast<const char*>(buffer_);
    text = FromWindows1252(std::string_view(bytes, strnlen(bytes, static_cast<std::size_t>(capacity_))));
  }
  BSTR result = MakeBstr(text);
  if (result == nullptr) throw std::bad_alloc();
  return result;
}

// --- Itirmok50 ---

HRESULT Tirmok50::Convert(BSTR bstrInput, BSTR bstrInputFormat, BSTR bstrOutputFormat, BSTR* bstrOutput) {
  if (bstrOutput == nullptr) return E_POINTER;
  *bstrOutput = nullptr;
  return Guarded([&]() -> HRESULT {
    const std::string fromName = FormatName(bstrInputFormat);
    const std::string toName = FormatName(bstrOutputFormat);
    const std::optional<Format> from = ParseFormat(std::string_view(fromName));
    if (!from) return Fail(fromName + std::string(kInvalidInputFormat));
    const std::optional<Format> to = ParseFormat(std::string_view(toName));
    if (!to) return Fail(toName + std::string(kInvalidOutputFormat));

    const HubString input(bstrInput, *from);
    std::lock_guard<std::mutex> lock(bufferLock_);
    if (!Reserve(RequiredCapacity(input.Length()))) return Fail(kOutOfMemory, E_OUTOFMEMORY);
    ConverterModule& module = ConverterModule::Instance();
    const std::int64_t unitBytes = Info(*to).unitBytes;
    // At most twice: the second run has the room the first one measured.
    for (int run = 0; run < 2; ++run) {
      const std::int32_t capacity = static_cast<std::int32_t>(capacity_ / unitBytes);
      const ConvertResult result =
          ConvertInModule(module, input.Data(), *from, buffer_, *to, capacity, CallKind::kMeasured);
      if (result.status == ConvertStatus::kOutOfMemory) return Fail(kOutOfMemory, E_OUTOFMEMORY);
      // A result longer than the size rule allows for: the buffer grows to
      // the exact size the hub measured, and the conversion runs once more.
      if (result.status == ConvertStatus::kCut) {
        if (run > 0) return Fail("The result did not fit its measured size.");  // never a cut result as success
        if (!Reserve(std::int64_t{result.required} * unitBytes)) return Fail(kOutOfMemory, E_OUTOFMEMORY);
        continue;
      }
      break;  // done, or a direction the format lacks (the output stays empty)
    }
    *bstrOutput = Result(IsWide(*to));
    return S_OK;
  });
}

HRESULT Tirmok50::Compare(BSTR bstrString1, BSTR bstrString1Format, BSTR bstrString2, BSTR bstrString2Format,
                          LONG* lOutput) {
  if (lOutput == nullptr) return E_POINTER;
  return Guarded([&]() -> HRESULT {
    const std::string firstName = FormatName(bstrString1Format);
    const std::string secondName = FormatName(bstrString2Format);
    const std::optional<Format> first = ParseFormat(std::string_view(firstName));
    if (!first) return Fail(firstName + std::string(kInvalidDataFormat));
    const std::optional<Format> second = ParseFormat(std::string_view(secondName));
    if (!second) return Fail(secondName + std::string(kInvalidDataFormat));

    const HubString string1(bstrString1, *first);
    const HubString string2(bstrString2, *second);
    *lOutput = CompareInModule(ConverterModule::Instance(), string1.Data(), *first, string2.Data(), *second);
    return S_OK;
  });
}

HRESULT Tirmok50::ConvertDate(BSTR bstrInput, LONG bFromEnglish, BSTR* bstrOutput) {
  if (bstrOutput == nullptr) return E_POINTER;
  *bstrOutput = nullptr;
  return Guarded([&]() -> HRESULT {
    const std::string phrase = HostText(bstrInput);
    std::lock_guard<std::mutex> lock(bufferLock_);
    ConverterModule& module = ConverterModule::Instance();
    // The output goes into this object's buffer at its present capacity.
    const ConvertResult result =
        ConvertDatePhrase(module.converters, module.scratch, &module.moduleLock, phrase.c_str(),
                          static_cast<std::int64_t>(phrase.size()), bFromEnglish != 0, static_cast<char*>(buffer_),
                          capacity_);
    if (result.status == ConvertStatus::kOutOfMemory) return Fail(kOutOfMemory, E_OUTOFMEMORY);
    *bstrOutput = Result(false);
    return S_OK;
  });
}

HRESULT Tirmok50::SetProperty(BSTR bstrKey, BSTR bstrValue) {
  return Guarded([&]() -> HRESULT {
    std::string key = HostText(bstrKey);
    std::string value = HostText(bstrValue);
    ConverterModule& module = ConverterModule::Instance();
    std::lock_guard<ModuleLock> lock(module.moduleLock);
    module.properties.insert_or_assign(std::move(key), std::move(value));
    return S_OK;
  });
}

// --- IDispatch ---

HRESULT Tirmok50::GetTypeInfoCount(UINT* pctinfo) {
  if (pctinfo == nullptr) return E_INVALIDARG;
  // The type library is a description used for dispatch and registration; it
  // is not offered as type information objects.
  *pctinfo = 0;
  return S_OK;
}

HRESULT Tirmok50::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) {
  if (ppTInfo == nullptr) return E_INVALIDARG;
  *ppTInfo = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT Tirmok50::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId) {
  if (!(riid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  return IdsOfNames(Described(), rgszNames, cNames, rgDispId);
}

HRESULT Tirmok50::Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags, DISPPARAMS* pDispParams,
                         VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) {
  if (!(riid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  const MethodDescription* method = FindMethod(Described(), dispIdMember);
  if (method == nullptr || (wFlags & DISPATCH_METHOD) == 0) return DISP_E_MEMBERNOTFOUND;
  std::array<Argument, kMaxParams> args{};
  const HRESULT read = ReadArguments(*method, pDispParams, args, puArgErr);
  if (FAILED(read)) return read;

  BSTR text = nullptr;
  LONG number = 0;
  HRESULT result = E_UNEXPECTED;
  switch (dispIdMember) {
    case DISPID_Itirmok50_Convert:
      result = Convert(args[0].text, args[1].text, args[2].text, &text);
      break;
    case DISPID_Itirmok50_Compare:
      result = Compare(args[0].text, args[1].text, args[2].text, args[3].text, &number);
      break;
    case DISPID_Itirmok50_ConvertDate:
      result = ConvertDate(args[0].text, args[1].number, &text);
      break;
    case DISPID_Itirmok50_SetProperty:
      result = SetProperty(args[0].text, args[1].text);
      break;
    default:
      break;
  }
  if (FAILED(result)) {
    FillException(result, pExcepInfo);
    return DISP_E_EXCEPTION;
  }
  const ParamDescription* retval = ResultParam(*method);
  if (retval == nullptr || pVarResult == nullptr) {
    TirmokSysFreeString(text);
    return S_OK;
  }
  TirmokVariantInit(pVarResult);
  if (retval->type == ParamType::kString) {
    pVarResult->vt = VT_BSTR;
    pVarResult->bstrVal = text;
  } else {
    pVarResult->vt = VT_I4;
    pVarResult->lVal = number;
  }
  return S_OK;
}

}  // namespace tirmok::automation
