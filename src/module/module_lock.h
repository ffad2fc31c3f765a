// ModuleLock: the recursive lock that serialises the module's operations, one atomic word when free.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

namespace tirmok {

// A recursive mutex. Every export takes it for a few dozen nanoseconds, so the
// free case is what counts: taking it is one compare-and-swap and releasing it
// one exchange, where a standard recursive mutex goes through the thread
// library's general code. A thread that finds it held by another sleeps on
// the word (after the short spin of std::atomic::wait) until it is released.
// The owning thread may take it again; it is free once every lock() and
// successful try_lock() has had its unlock(). Lockable, so std::lock_guard,
// std::unique_lock and std::scoped_lock work with it.
class ModuleLock {
 public:
  ModuleLock() = default;
  ModuleLock(const ModuleLock&) = delete;
  ModuleLock& operator=(const ModuleLock&) = delete;

  void lock() {
    const std::thread::id self = std::this_thread::get_id();
    if (owner_.load(std::memory_order_relaxed) == self) {
      ++depth_;
      return;
    }
    int expected = kFree;
    if (!state_.compare_exchange_strong(expected, kHeld, std::memory_order_acquire, std::memory_order_relaxed)) {
      WaitAndTake();
    }
    Own(self);
  }

  bool try_lock() {
    const std::thread::id self = std::this_thread::get_id();
    if (owner_.load(std::memory_order_relaxed) == self) {
      ++depth_;
      return true;
    }
    int expected = kFree;
    if (!state_.compare_exchange_strong(expected, kHeld, std::memory_order_acquire, std::memory_order_relaxed)) {
      return false;
    }
    Own(self);
    return true;
  }

  void unlock() {
    if (--depth_ != 0) return;
    owner_.store(std::thread::id(), std::memory_order_relaxed);
    // Sequentially consistent, so that the wake-up below cannot miss a thread
    // that has just gone to sleep; on x86 it costs the same as a release.
    if (state_.exchange(kFree, std::memory_order_seq_cst) == kContended) Wake();
  }

 private:
  // kContended: held, and some thread may be asleep waiting for it.
  enum : int { kFree = 0, kHeld = 1, kContended = 2 };

  void Own(std::thread::id self) {
    // A thread finds its own id here only while it holds the lock: no other
    // thread stores that id, and it clears the id before it lets go.
    owner_.store(self, std::memory_order_relaxed);
    depth_ = 1;
  }
  // The slow paths, out of line.
  void WaitAndTake();
  void Wake();

  std::atomic<int> state_{kFree};
  std::atomic<std::thread::id> owner_{};
  std::uint32_t depth_ = 0;  // touched only by the owner

  static_assert(std::atomic<std::thread::id>::is_always_lock_free);
};

}  // namespace tirmok
