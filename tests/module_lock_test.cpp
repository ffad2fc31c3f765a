// Tests of the module's recursive lock: re-entry, try_lock, mutual exclusion, and the exports waiting for it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "module/converter_module.h"
#include "module/module_lock.h"
#include "tirmok/tirmok.h"

namespace tirmok {
namespace {

// Whether another thread can take the lock right now.
bool FreeForAnotherThread(ModuleLock& lock) {
  bool taken = false;
  std::thread other([&] {
    taken = lock.try_lock();
    if (taken) lock.unlock();
  });
  other.join();
  return taken;
}

TEST(ModuleLock, IsFreeOnlyAfterAsManyUnlocksAsLocks) {
  ModuleLock lock;
  lock.lock();
  {
    std::lock_guard<ModuleLock> again(lock);  // re-entry, as the automation object does
    ASSERT_TRUE(lock.try_lock());             // and once more through try_lock
    EXPECT_FALSE(FreeForAnotherThread(lock));
    lock.unlock();
    EXPECT_FALSE(FreeForAnotherThread(lock));
  }
  EXPECT_FALSE(FreeForAnotherThread(lock));
  lock.unlock();
  EXPECT_TRUE(FreeForAnotherThread(lock));
  // Free again: the owner can take it with try_lock and a unique_lock.
  std::unique_lock<ModuleLock> owned(lock, std::try_to_lock);
  EXPECT_TRUE(owned.owns_lock());
  EXPECT_FALSE(FreeForAnotherThread(lock));
}

TEST(ModuleLock, LetsOneThreadAtATimeIn) {
  ModuleLock lock;
  constexpr int kThreads = 4;
  constexpr int kRounds = 20000;
  std::int64_t counter = 0;  // plain: the lock alone keeps the increments apart
  std::atomic<int> inside{0};
  std::atomic<bool> overlapped{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRounds; ++i) {
        // Every other round re-enters, the rest take it once.
        std::lock_guard<ModuleLock> outer(lock);
        if (inside.fetch_add(1) != 0) overlapped = true;
        if ((i + t) % 2 == 0) {
          std::lock_guard<ModuleLock> inner(lock);
          ++counter;
        } else {
          ++counter;
        }
        inside.fetch_sub(1);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_FALSE(overlapped);
  EXPECT_EQ(counter, std::int64_t{kThreads} * kRounds);
}

// The exports take the module's lock: a comparison started while another
// thread holds it waits for it, then answers as usual.
TEST(ModuleLock, ComparisonWaitsWhileAnotherThreadHoldsTheModule) {
  ModuleLock& moduleLock = ConverterModule::Instance().moduleLock;
  std::atomic<bool> done{false};
  std::int32_t order = 5;
  std::unique_lock<ModuleLock> held(moduleLock);
  std::thread caller([&] {
    order = LpxCompare(u"\u0C15", "UNICODE", u"\u0C16", "UNICODE");  // KA before KHA
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(done.load());
  held.unlock();
  caller.join();
  EXPECT_TRUE(done.load());
  EXPECT_EQ(order, -1);
}

}  // namespace
}  // namespace tirmok
