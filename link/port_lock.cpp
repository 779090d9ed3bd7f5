#include "link/port_lock.h"

namespace kell {

PortLock::PortLock(std::string path) : machine_(path.empty() ? DefaultPath() : path) {}

PortLock::~PortLock() = default;

std::string PortLock::DefaultPath() {
    return MachineLock::DefaultPath();
}

void PortLock::Lock() {
    mutex_.lock();
    if (depth_++ == 0)
        machine_.Lock();
}

void PortLock::Unlock() {
    if (--depth_ == 0)
        machine_.Unlock();
    mutex_.unlock();
}

}  // namespace kell
