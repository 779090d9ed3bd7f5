#include "sim/standalone/pty_port.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace kell::sim {

PtyPort::~PtyPort() {
    if (slave_ >= 0)
        close(slave_);
    if (master_ >= 0)
        close(master_);
}

bool PtyPort::Open(std::string& error) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    const char* name = ptsname(master_);
    if (!name) {
        error = std::string("pseudo-terminal has no name: ") + std::strerror(errno);
        return false;
    }
    slavePath_ = name;
    slave_ = open(name, O_RDWR | O_NOCTTY);
    if (slave_ < 0) {
        error = "cannot open " + slavePath_ + ": " + std::strerror(errno);
        return false;
    }
    // Raw bytes both ways until the PC sets its own line settings.
    termios tio{};
    if (tcgetattr(slave_, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(slave_, TCSANOW, &tio);
    }
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    return true;
}

void PtyPort::SendToHost(const std::uint8_t* data, std::size_t count) {
    if (gone_)
        return;
    pending_.insert(pending_.end(), data, data + count);
    Flush();
}

void PtyPort::Flush() {
    while (!pending_.empty() && !gone_) {
        const ssize_t n = write(master_, pending_.data(), pending_.size());
        if (n <= 0)
            return;  // full for now (or failing): the poll loop tries again
        pending_.erase(pending_.begin(), pending_.begin() + n);
    }
}

void PtyPort::Unplug() {
    if (gone_)
        return;
    gone_ = true;
    pending_.clear();
    if (slave_ >= 0)
        close(slave_);
    if (master_ >= 0)
        close(master_);
    slave_ = master_ = -1;
}

}  // namespace kell::sim
