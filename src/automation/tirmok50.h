// tirmok50: the automation object that offers conversion, comparison, date conversion and properties to hosts.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string_view>

#include "module/formats.h"
#include "tirmok/automation.h"

namespace tirmok::automation {

// One object per host request. It converts between the host's UTF-16
// strings and the hub's strings, calls the module's operations as the C
// exports do, and reports failures as E_FAIL with error information. It can
// be aggregated: the controlling unknown is then the outer object's.
class Tirmok50 final : public Itirmok50, public ISupportErrorInfo {
 public:
  static constexpr std::int32_t kInitialCapacity = 1024;

  // The class object's CreateInstance, after its aggregation check.
  static HRESULT Create(IUnknown* outer, REFIID riid, void** ppv);

  // IUnknown, through the controlling unknown.
  HRESULT QueryInterface(REFIID riid, void** ppv) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // IDispatch, by the type library's description.
  HRESULT GetTypeInfoCount(UINT* pctinfo) override;
  HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
  HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override;
  HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams, VARIANT* pVarResult,
                 EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

  // Itirmok50.
  HRESULT Convert(BSTR bstrInput, BSTR bstrInputFormat, BSTR bstrOutputFormat, BSTR* bstrOutput) override;
  HRESULT Compare(BSTR bstrString1, BSTR bstrString1Format, BSTR bstrString2, BSTR bstrString2Format,
                  LONG* lOutput) override;
  HRESULT ConvertDate(BSTR bstrInput, LONG bFromEnglish, BSTR* bstrOutput) override;
  HRESULT SetProperty(BSTR bstrKey, BSTR bstrValue) override;

  // ISupportErrorInfo.
  HRESULT InterfaceSupportsErrorInfo(REFIID riid) override;

 private:
  // The object's own IUnknown, which alone counts its references; an
  // aggregating outer object holds this one.
  class Inner final : public IUnknown {
   public:
    explicit Inner(Tirmok50& owner) : owner_(owner) {}
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;

   private:
    Tirmok50& owner_;
  };

  explicit Tirmok50(IUnknown* outer);
  ~Tirmok50();

  // Runs a method's body, turning exceptions into failures.
  template <class Body>
  HRESULT Guarded(Body&& body) noexcept;
  // Makes the thread's error information "<ProgID>:<message>" and returns
  // `result`: E_FAIL, or E_OUTOFMEMORY when memory ran out.
  HRESULT Fail(std::string_view message, HRESULT result = E_FAIL) noexcept;
  // Grows the output buffer to `required` bytes; false when that cannot be done.
  bool Reserve(std::int64_t required);
  // The output buffer's text as a BSTR: UTF-16 units when `wide`, else
  // Windows-1252 text. Throws std::bad_alloc when it cannot be allocated.
  BSTR Result(bool wide) const;

  Inner inner_;
  IUnknown* controlling_;
  std::atomic<ULONG> refs_{0};
  // The output buffer belongs to this object; the lock keeps a host that
  // breaks the apartment rule from using it from two threads at once.
  std::mutex bufferLock_;
  void* buffer_;
  std::int32_t capacity_;
};

}  // namespace tirmok::automation
