#include "link/port_lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "link/machine_lock.h"
#include "link/serial_channel.h"
#include "tests/support/virtual_world.h"

namespace kell::testing {
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

// The lock files of this test go to a runtime directory of its own.
void UseATestRuntimeDirectory() {
    const std::string folder = ::testing::TempDir() + "/kell-port-lock-runtime";
    std::filesystem::create_directories(folder);
#ifdef _WIN32
    _putenv_s("TMP", (folder + "\\").c_str());
#else
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
#endif
}

// Channels as two copies of the program have them, each on its own device and port catalog.
struct CopyOnPort : VirtualWorld {
    explicit CopyOnPort(const std::string& path) { AddPort(1, path); }
    bool Connect() { return channel.Configure(1, PortSettings{}); }

    TMonitorPSerie channel{serial, ports, clock};
};

// Copies on two devices hold their locks at once (their operations overlap); a copy on the
// same device as another waits for it, and the lock follows the device the channel was last
// configured for.
TEST(PortLock, IsTakenPerDevice) {
    UseATestRuntimeDirectory();
    CopyOnPort first("/dev/ttyACM0");
    CopyOnPort second("/dev/ttyACM1");
    ASSERT_TRUE(first.Connect());
    ASSERT_TRUE(second.Connect());
    const std::string firstFile = PortLock::PathFor("/dev/ttyACM0");
    const std::string secondFile = PortLock::PathFor("/dev/ttyACM1");
    ASSERT_NE(firstFile, secondFile);

    first.channel.Lock();
    EXPECT_FALSE(OtherProcessCanLock(firstFile)) << "a copy on the same device waits";
    ASSERT_TRUE(OtherProcessCanLock(secondFile)) << "a copy on another device does not";
    second.channel.Lock();  // both held: the two copies' operations overlap
    EXPECT_FALSE(OtherProcessCanLock(secondFile));
    second.channel.Unlock();
    first.channel.Unlock();
    EXPECT_TRUE(OtherProcessCanLock(firstFile));

    // Identities that differ only in characters a file name cannot hold keep files apart.
    EXPECT_NE(PortLock::PathFor("usb:1234:5678:A/B"), PortLock::PathFor("usb:1234:5678:A_B"));
    EXPECT_EQ(PortLock::PathFor("usb:1234:5678:A/B"), PortLock::PathFor("usb:1234:5678:A/B"));
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
}  // namespace kell::testing
