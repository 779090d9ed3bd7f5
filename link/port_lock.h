#pragma once

#include <mutex>
#include <string>

#include "link/machine_lock.h"

namespace kell {

// Serialises single port operations: recursive within this process (an operation may call
// another locking one), and across every copy of the program on the machine through an
// advisory lock on a file in the user's runtime directory.
class PortLock {
  public:
    // An empty path picks the default lock file; a path that cannot be opened leaves the lock
    // working within this process only.
    explicit PortLock(std::string path = {});
    ~PortLock();
    PortLock(const PortLock&) = delete;
    PortLock& operator=(const PortLock&) = delete;

    void Lock();
    void Unlock();

    static std::string DefaultPath();

  private:
    std::recursive_mutex mutex_;
    MachineLock machine_;
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
