// ModuleLock: the waiting side of the module's lock.
#include "module/module_lock.h"

namespace tirmok {

void ModuleLock::WaitAndTake() {
  // Whoever takes the lock from here marks it contended, so that its release
  // wakes the next sleeper; a release with nobody asleep costs one needless
  // notification, never a lost one.
  while (state_.exchange(kContended, std::memory_order_acquire) != kFree) {
    state_.wait(kContended, std::memory_order_relaxed);
  }
}

void ModuleLock::Wake() { state_.notify_one(); }

}  // namespace tirmok
