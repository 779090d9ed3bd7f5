#include "link/port_lock.h"

#include <cctype>
#include <cstdint>
#include <cstdio>

namespace kell {
namespace {

constexpr char kLockSuffix[] = ".lock";
// The readable part of a device's file name: the end of its identity, where by-id names and
// nodes differ from each other.
constexpr std::size_t kReadableChars = 64;

std::uint64_t Fnv1a(const std::string& text) {
    std::uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

// A file name part that any file system takes, with the identity's hash so that identities
// differing only in the characters replaced still get files of their own.
std::string FileNamePart(const std::string& identity) {
    const std::string tail = identity.size() > kReadableChars
                                 ? identity.substr(identity.size() - kReadableChars)
                                 : identity;
    std::string part;
    for (unsigned char c : tail)
        part += std::isalnum(c) || c == '-' || c == '.' || c == '_' ? static_cast<char>(c) : '_';
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(Fnv1a(identity)));
    return part + "-" + hash;
}

}  // namespace

PortLock::PortLock(std::string path) : fixedPath_(std::move(path)) {}

PortLock::~PortLock() = default;

std::string PortLock::DefaultPath() {
    return MachineLock::DefaultPath();
}

std::string PortLock::PathFor(const std::string& identity) {
    std::string base = DefaultPath();
    const std::size_t suffix = sizeof kLockSuffix - 1;
    if (base.size() >= suffix && base.compare(base.size() - suffix, suffix, kLockSuffix) == 0)
        base.resize(base.size() - suffix);
    return base + "-" + FileNamePart(identity) + kLockSuffix;
}

void PortLock::UseDevice(const std::string& identity) {
    std::lock_guard guard(mutex_);
    device_ = identity;
}

std::string PortLock::WantedPath() const {
    if (!fixedPath_.empty())
        return fixedPath_;
    return device_.empty() ? DefaultPath() : PathFor(device_);
}

void PortLock::Lock() {
    mutex_.lock();
    if (depth_++ == 0) {
        const std::string path = WantedPath();
        if (!machine_ || path != openPath_) {
            machine_ = std::make_unique<MachineLock>(path);
            openPath_ = path;
        }
        machine_->Lock();
    }
}

void PortLock::Unlock() {
    if (--depth_ == 0)
        machine_->Unlock();
    mutex_.unlock();
}

}  // namespace kell
