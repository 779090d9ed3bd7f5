#include "link/port_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace kell {

PortLock::PortLock(std::string path) {
    if (path.empty())
        path = DefaultPath();
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
}

PortLock::~PortLock() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::string PortLock::DefaultPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime)
        return std::string(runtime) + "/kell-updater-port.lock";
    return "/tmp/kell-updater-port-" + std::to_string(::getuid()) + ".lock";
}

void PortLock::Lock() {
    mutex_.lock();
    if (depth_++ == 0 && fd_ >= 0) {
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
}

void PortLock::Unlock() {
    if (--depth_ == 0 && fd_ >= 0)
        ::flock(fd_, LOCK_UN);
    mutex_.unlock();
}

}  // namespace kell
