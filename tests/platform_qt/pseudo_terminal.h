#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace kell::testing {

// A pseudo-terminal whose far end (the master) the test holds, playing the instrument; the
// device under test opens the near end by its path.
class PseudoTerminal {
  public:
    PseudoTerminal() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            return;
        char name[128] = {};
        if (::ptsname_r(master_, name, sizeof name) == 0)
            path_ = name;
    }
    ~PseudoTerminal() { CloseMaster(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool Ready() const { return master_ >= 0 && !path_.empty(); }
    const std::string& Path() const { return path_; }

    // As a USB unplug does: the near end is hung up.
    void CloseMaster() {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

    bool Send(const std::vector<std::uint8_t>& bytes) {
        return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    // What the near end sent: waits up to timeoutMs for `count` bytes, returns what came.
    std::vector<std::uint8_t> Receive(std::size_t count, int timeoutMs = 2000) {
        std::vector<std::uint8_t> got;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0 || !(p.revents & POLLIN))
                continue;
            std::uint8_t buffer[4096];
            const ssize_t n = ::read(master_, buffer, std::min(sizeof buffer, count - got.size()));
            if (n > 0)
                got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }

  private:
    int master_ = -1;
    std::string path_;
};

}  // namespace kell::testing
