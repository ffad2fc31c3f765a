// The class object of tirmok50 and the exports that hand it out and report whether the library is in use.
#include <atomic>
#include <cstdint>

#include "automation/component_module.h"
#include "automation/tirmok50.h"
#include "tirmok/automation.h"

namespace tirmok::automation {
namespace {

constinit std::atomic<std::int64_t> liveObjects{0};
constinit std::atomic<std::int64_t> serverLocks{0};

void DecrementIfPositive(std::atomic<std::int64_t>& count) {
  std::int64_t value = count.load();
  while (value > 0 && !count.compare_exchange_weak(value, value - 1)) {
  }
}

// The one class object of the library. It lives as long as the library; a
// host's reference to it counts as a server lock, so that the library is not
// unloaded under a factory that a host still holds.
class ClassFactory final : public IClassFactory {
 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    if (!(riid == IID_IUnknown || riid == IID_IClassFactory)) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override {
    const ULONG refs = ++refs_;
    if (refs == 1) AddLock();
    return refs;
  }
  ULONG Release() override {
    ULONG refs = refs_.load();
    while (refs > 0 && !refs_.compare_exchange_weak(refs, refs - 1)) {
    }
    if (refs == 0) return 0;  // released more often than referenced: nothing to undo
    if (refs == 1) RemoveLock();
    return refs - 1;
  }

  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    // An aggregating outer object must take the inner object's own IUnknown,
    // the only pointer through which it can control the inner object.
    if (outer != nullptr && !(riid == IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    return Tirmok50::Create(outer, riid, ppv);
  }
  HRESULT LockServer(BOOL lock) override {
    if (lock) {
      AddLock();
    } else {
      RemoveLock();
    }
    return S_OK;
  }

 private:
  std::atomic<ULONG> refs_{0};
};

ClassFactory& Factory() {
  static ClassFactory factory;
  return factory;
}

}  // namespace

void AddObject() { ++liveObjects; }
void RemoveObject() { DecrementIfPositive(liveObjects); }
void AddLock() { ++serverLocks; }
void RemoveLock() { DecrementIfPositive(serverLocks); }
bool CanUnload() { return liveObjects.load() == 0 && serverLocks.load() == 0; }

}  // namespace tirmok::automation

using namespace tirmok::automation;

extern "C" HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (!(rclsid == CLSID_tirmok50)) return CLASS_E_CLASSNOTAVAILABLE;
  return tirmok::automation::Factory().QueryInterface(riid, ppv);
}

extern "C" HRESULT DllCanUnloadNow(void) { return tirmok::automation::CanUnload() ? S_OK : S_FALSE; }
