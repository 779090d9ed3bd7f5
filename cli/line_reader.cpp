#include "cli/line_reader.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace kell::cli {

void LineReader::Poll() {
    // A bounded number of reads: a writer that never stops must not keep the session here.
    for (int reads = 0; reads < kReadsPerPoll && !atEnd_; ++reads) {
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, 0);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return;
        if (!(p.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)))
            return;
        char buffer[512];
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        if (n <= 0) {
            atEnd_ = true;
            break;
        }
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] == '\n') {
                lines_.push_back(std::move(partial_));
                partial_.clear();
            } else if (partial_.size() < kLongestLine) {
                partial_ += buffer[i];
            }
        }
    }
    if (atEnd_ && !partial_.empty()) {
        lines_.push_back(std::move(partial_));
        partial_.clear();
    }
}

std::optional<std::string> LineReader::TakeLine() {
    if (lines_.empty())
        return std::nullopt;
    std::string line = std::move(lines_.front());
    lines_.pop_front();
    return line;
}

void LineReader::Discard() {
    Poll();
    lines_.clear();
    partial_.clear();
}

}  // namespace kell::cli
