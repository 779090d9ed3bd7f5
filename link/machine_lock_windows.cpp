// The Windows side of MachineLock: LockFileEx on the first byte of a file the lock keeps open.
// The system releases the lock when its process ends, as flock does.
#ifdef _WIN32

#include <windows.h>

#include "link/machine_lock.h"

namespace kell {
namespace {

HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

MachineLock::MachineLock(const std::string& path)
    : handle_(reinterpret_cast<std::intptr_t>(
          CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL, nullptr))) {}

MachineLock::~MachineLock() {
    if (Usable())
        CloseHandle(AsHandle(handle_));
}

bool MachineLock::Usable() const {
    return AsHandle(handle_) != INVALID_HANDLE_VALUE;
}

void MachineLock::Lock() {
    if (!Usable())
        return;
    OVERLAPPED start{};
    LockFileEx(AsHandle(handle_), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &start);
}

bool MachineLock::TryLock() {
    OVERLAPPED start{};
    return Usable() &&
           LockFileEx(AsHandle(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1,
                      0, &start) != 0;
}

void MachineLock::Unlock() {
    if (!Usable())
        return;
    OVERLAPPED start{};
    UnlockFileEx(AsHandle(handle_), 0, 1, 0, &start);
}

std::string MachineLock::DefaultPath() {
    char folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(sizeof folder, folder);
    const std::string temporary = length > 0 && length <= MAX_PATH ? folder : ".\\";
    return temporary + "kell-updater-port.lock";
}

}  // namespace kell

#endif
