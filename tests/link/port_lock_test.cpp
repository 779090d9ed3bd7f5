#include "link/port_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "link/machine_lock.h"

namespace kell {
namespace {

// Whether another holder of the file, as another process is, can take the lock right now.
bool OtherProcessCanLock(const std::string& path) {
    MachineLock other(path);
    const bool got = other.TryLock();
    if (got)
        other.Unlock();
    return got;
}

TEST(PortLock, IsRecursiveAndExcludesAnotherProcessUntilTheLastUnlock) {
    const std::string path = ::testing::TempDir() + "/kell-port-lock-test.lock";
    PortLock lock(path);
    EXPECT_TRUE(OtherProcessCanLock(path));
    lock.Lock();
    lock.Lock();  // an operation calling another locking operation
    EXPECT_FALSE(OtherProcessCanLock(path));
    lock.Unlock();
    EXPECT_FALSE(OtherProcessCanLock(path));
    lock.Unlock();
    EXPECT_TRUE(OtherProcessCanLock(path));
}

TEST(PortLock, TwoLocksOnOneFileTakeTurns) {
    const std::string path = ::testing::TempDir() + "/kell-port-lock-turns.lock";
    PortLock first(path);
    PortLock second(path);
    std::atomic<bool> secondHeld{false};
    first.Lock();
    std::thread other([&] {
        PortLockGuard guard(second);
        secondHeld = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(secondHeld.load());
    first.Unlock();
    other.join();
    EXPECT_TRUE(secondHeld.load());
}

TEST(PortLock, WorksWithinTheProcessWhenTheFileCannotBeOpened) {
    PortLock lock("/nonexistent-dir/kell.lock");
    lock.Lock();
    lock.Lock();
    lock.Unlock();
    lock.Unlock();
    SUCCEED();
}

}  // namespace
}  // namespace kell
