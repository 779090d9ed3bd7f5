#include "sim/standalone/pty_port.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kell::sim {

PtyPort::~PtyPort() {
    RemoveLink();
    ClosePty();
}

void PtyPort::UseStableLink(const std::string& folder, const std::string& name) {
    linkPath_ = folder + "/" + name;
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
    PointLink();
    return true;
}

void PtyPort::SendToHost(const std::uint8_t* data, std::size_t count) {
    if (gone_ || master_ < 0)
        return;
    pending_.insert(pending_.end(), data, data + count);
    Flush();
}

void PtyPort::Flush() {
    while (!pending_.empty() && !gone_ && master_ >= 0) {
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
    RemoveLink();
    ClosePty();
}

void PtyPort::LeaveBus() {
    if (linkPath_.empty() || gone_ || master_ < 0)
        return;
    // As udev does when the device goes: the link first, then the node.
    RemoveLink();
    ClosePty();
    std::fprintf(stderr, "kell-sim: off the bus (restarting)\n");
}

void PtyPort::JoinBus() {
    if (linkPath_.empty() || gone_ || master_ >= 0)
        return;
    std::string error;
    if (!Open(error)) {
        std::fprintf(stderr, "kell-sim: cannot come back on the bus: %s\n", error.c_str());
        ClosePty();
        return;
    }
    std::fprintf(stderr, "kell-sim: back on the bus as %s\n", slavePath_.c_str());
}

void PtyPort::ClosePty() {
    pending_.clear();
    if (slave_ >= 0)
        close(slave_);
    if (master_ >= 0)
        close(master_);
    slave_ = master_ = -1;
}

// The link is made beside its final name (hidden, as a dot file) and renamed over it, so a
// reader never finds it half-made.
void PtyPort::PointLink() {
    if (linkPath_.empty())
        return;
    const std::size_t slash = linkPath_.rfind('/');
    const std::string fresh =
        linkPath_.substr(0, slash + 1) + "." + linkPath_.substr(slash + 1) + ".new";
    unlink(fresh.c_str());
    if (symlink(slavePath_.c_str(), fresh.c_str()) != 0 ||
        rename(fresh.c_str(), linkPath_.c_str()) != 0) {
        std::fprintf(stderr, "kell-sim: cannot link %s: %s\n", linkPath_.c_str(),
                     std::strerror(errno));
        unlink(fresh.c_str());
    }
}

void PtyPort::RemoveLink() {
    if (!linkPath_.empty())
        unlink(linkPath_.c_str());
}

}  // namespace kell::sim
