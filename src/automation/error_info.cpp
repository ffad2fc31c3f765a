// Error-information objects and the calling thread's slot for the current one.
#include "automation/error_info.h"

#include <atomic>
#include <new>
#include <string>

#include "automation/com_strings.h"

namespace tirmok::automation {
namespace {

// One object answers both the writing interface (used while a failure is
// being described) and the reading one (handed to the host).
class ErrorInfo final : public IErrorInfo, public ICreateErrorInfo {
 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    IUnknown* found = nullptr;
    if (riid == IID_IUnknown || riid == IID_IErrorInfo) {
      found = static_cast<IErrorInfo*>(this);
    } else if (riid == IID_ICreateErrorInfo) {
      found = static_cast<ICreateErrorInfo*>(this);
    }
    *ppv = found;
    if (found == nullptr) return E_NOINTERFACE;
    found->AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT GetGUID(GUID* guid) override {
    if (guid == nullptr) return E_INVALIDARG;
    *guid = guid_;
    return S_OK;
  }
  HRESULT GetSource(BSTR* text) override { return Copy(source_, text); }
  HRESULT GetDescription(BSTR* text) override { return Copy(description_, text); }
  HRESULT GetHelpFile(BSTR* text) override { return Copy(helpFile_, text); }
  HRESULT GetHelpContext(DWORD* context) override {
    if (context == nullptr) return E_INVALIDARG;
    *context = helpContext_;
    return S_OK;
  }

  HRESULT SetGUID(REFGUID guid) override {
    guid_ = guid;
    return S_OK;
  }
  HRESULT SetSource(LPOLESTR text) override { return Assign(source_, text); }
  HRESULT SetDescription(LPOLESTR text) override { return Assign(description_, text); }
  HRESULT SetHelpFile(LPOLESTR text) override { return Assign(helpFile_, text); }
  HRESULT SetHelpContext(DWORD context) override {
    helpContext_ = context;
    return S_OK;
  }

 private:
  static HRESULT Copy(const std::u16string& from, BSTR* to) {
    if (to == nullptr) return E_INVALIDARG;
    *to = MakeBstr(from);
    return *to == nullptr ? E_OUTOFMEMORY : S_OK;
  }
  static HRESULT Assign(std::u16string& to, LPCOLESTR from) noexcept {
    try {
      to = from == nullptr ? std::u16string() : std::u16string(from);
      return S_OK;
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }

  std::atomic<ULONG> refs_{1};
  GUID guid_ = IID_NULL;
  std::u16string source_;
  std::u16string description_;
  std::u16string helpFile_;
  DWORD helpContext_ = 0;
};

// The calling thread's current error information; released when the thread ends.
struct ErrorSlot {
  IErrorInfo* info = nullptr;
  ~ErrorSlot() {
    if (info != nullptr) info->Release();
  }
};

thread_local ErrorSlot currentError;

}  // namespace

bool SetThreadError(std::u16string_view description, std::u16string_view source, const GUID& guid) noexcept {
  TirmokSetErrorInfo(0, nullptr);
  auto* info = new (std::nothrow) ErrorInfo;
  if (info == nullptr) return false;
  bool complete = false;
  try {
    const std::u16string descriptionText(description);
    const std::u16string sourceText(source);
    complete = info->SetDescription(const_cast<LPOLESTR>(descriptionText.c_str())) == S_OK &&
               info->SetSource(const_cast<LPOLESTR>(sourceText.c_str())) == S_OK;
  } catch (...) {
    complete = false;
  }
  info->SetGUID(guid);
  if (complete) TirmokSetErrorInfo(0, static_cast<IErrorInfo*>(info));
  static_cast<IErrorInfo*>(info)->Release();
  return complete;
}

}  // namespace tirmok::automation

using namespace tirmok::automation;

extern "C" HRESULT TirmokSetErrorInfo(ULONG reserved, IErrorInfo* errorInfo) {
  if (reserved != 0) return E_INVALIDARG;
  auto& slot = tirmok::automation::currentError;
  if (errorInfo != nullptr) errorInfo->AddRef();
  IErrorInfo* previous = slot.info;
  slot.info = errorInfo;
  if (previous != nullptr) previous->Release();
  return S_OK;
}

extern "C" HRESULT TirmokGetErrorInfo(ULONG reserved, IErrorInfo** errorInfo) {
  if (reserved != 0 || errorInfo == nullptr) return E_INVALIDARG;
  auto& slot = tirmok::automation::currentError;
  *errorInfo = slot.info;
  slot.info = nullptr;
  return *errorInfo == nullptr ? S_FALSE : S_OK;
}
