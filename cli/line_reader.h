#pragma once

#include <deque>
#include <optional>
#include <string>

namespace kell::cli {

// Lines typed on a descriptor (the terminal), read without ever blocking: Poll takes what is
// there when the descriptor is readable and returns at once otherwise. The descriptor's own
// flags are left alone (a terminal is shared with the shell).
class LineReader {
  public:
    explicit LineReader(int fd) : fd_(fd) {}

    int Fd() const { return fd_; }
    void Poll();
    std::optional<std::string> TakeLine();
    // Drops whatever was typed ahead, so that an old Enter cannot answer a new question.
    void Discard();
    // The input was closed (end of file, or the descriptor failed); complete lines before it
    // are still taken first.
    bool AtEnd() const { return atEnd_ && lines_.empty(); }
    // Nothing more will come from the descriptor.
    bool Closed() const { return atEnd_; }

  private:
    static constexpr std::size_t kLongestLine = 4096;
    static constexpr int kReadsPerPoll = 8;

    int fd_;
    std::string partial_;
    std::deque<std::string> lines_;
    bool atEnd_ = false;
};

}  // namespace kell::cli
