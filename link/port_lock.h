#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "link/machine_lock.h"

namespace kell {

// Serialises single port operations: recursive within this process (an operation may call
// another locking one), and across every copy of the program on the machine through an
// advisory lock on a file in the user's runtime directory. Each device has a file of its own,
// named after its stable identity, so that copies working on different devices never wait for
// each other while two on one device still take turns.
class PortLock {
  public:
    // An empty path locks per device in the runtime directory; a path given is the one file
    // for every device (a test keeping its lock apart). A path that cannot be opened leaves the
    // lock working within this process only.
    explicit PortLock(std::string path = {});
    ~PortLock();
    PortLock(const PortLock&) = delete;
    PortLock& operator=(const PortLock&) = delete;

    // The device the following operations go to, by the identity that stays with it (its
    // stable link, else its USB identity, else its node). Takes effect at the next outermost
    // Lock; an empty identity means the machine's one shared file.
    void UseDevice(const std::string& identity);

    void Lock();
    void Unlock();

    // The shared file, and the file of one device beside it.
    static std::string DefaultPath();
    static std::string PathFor(const std::string& identity);

  private:
    std::string WantedPath() const;

    std::recursive_mutex mutex_;
    std::string fixedPath_;
    std::string device_;
    std::string openPath_;
    std::unique_ptr<MachineLock> machine_;
    int depth_ = 0;
};

// Holds a PortLock for a scope, also when an exception leaves it.
class PortLockGuard {
  public:
    explicit PortLockGuard(PortLock& lock) : lock_(lock) { lock_.Lock(); }
    ~PortLockGuard() { lock_.Unlock(); }
    PortLockGuard(const PortLockGuard&) = delete;
    PortLockGuard& operator=(const PortLockGuard&) = delete;

  private:
    PortLock& lock_;
};

}  // namespace kell
