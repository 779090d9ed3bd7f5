// The POSIX side of MachineLock: flock on a file the lock keeps open.
#ifndef _WIN32

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "link/machine_lock.h"

namespace kell {

MachineLock::MachineLock(const std::string& path)
    : handle_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {}

MachineLock::~MachineLock() {
    if (Usable())
        ::close(static_cast<int>(handle_));
}

bool MachineLock::Usable() const {
    return handle_ >= 0;
}

void MachineLock::Lock() {
    if (!Usable())
        return;
    while (::flock(static_cast<int>(handle_), LOCK_EX) != 0 && errno == EINTR) {
    }
}

bool MachineLock::TryLock() {
    return Usable() && ::flock(static_cast<int>(handle_), LOCK_EX | LOCK_NB) == 0;
}

void MachineLock::Unlock() {
    if (Usable())
        ::flock(static_cast<int>(handle_), LOCK_UN);
}

std::string MachineLock::DefaultPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime)
        return std::string(runtime) + "/kell-updater-port.lock";
    return "/tmp/kell-updater-port-" + std::to_string(::getuid()) + ".lock";
}

}  // namespace kell

#endif
