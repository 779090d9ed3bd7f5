#pragma once

#include <cstdint>
#include <string>

namespace kell {

// An exclusive lock on a file that every process of the machine sees: flock on POSIX systems,
// LockFileEx on Windows. Not recursive; PortLock adds the counting.
class MachineLock {
  public:
    // A path that cannot be opened gives a lock that does nothing.
    explicit MachineLock(const std::string& path);
    ~MachineLock();
    MachineLock(const MachineLock&) = delete;
    MachineLock& operator=(const MachineLock&) = delete;

    bool Usable() const;
    void Lock();     // waits until no other process holds it
    bool TryLock();  // takes it only if no other holder has it
    void Unlock();

    // The user's own lock file: in the runtime directory, else the temporary one.
    static std::string DefaultPath();

  private:
    std::intptr_t handle_;  // a file descriptor, or a Windows HANDLE
};

}  // namespace kell
