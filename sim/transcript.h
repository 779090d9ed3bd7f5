#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kell::sim {

// Every byte that crossed the line, both ways, with the time the instrument took or sent it.
// Bytes in the same direction that follow each other closely form one entry, which keeps a
// whole update (millions of bytes) small and its printout readable.
class Transcript {
  public:
    enum class Direction { FromHost, ToHost };

    struct Entry {
        Direction direction;
        std::int64_t timeUs;      // time of the entry's first byte
        std::int64_t lastTimeUs;  // time of its last byte
        std::vector<std::uint8_t> bytes;
        std::string note;  // what the instrument made of it, when it says so
    };

    // Bytes more than this apart start a new entry.
    static constexpr std::int64_t kJoinGapUs = 2'000;

    explicit Transcript(std::int64_t originUs = 0) : originUs_(originUs) {}

    void SetEnabled(bool enabled) { enabled_ = enabled; }
    void Record(Direction direction, std::int64_t timeUs, const std::uint8_t* data,
                std::size_t count);
    // A remark in the transcript (a restart, a violation), printed on its own line.
    void Note(std::int64_t timeUs, std::string text);

    const std::vector<Entry>& Entries() const { return entries_; }
    std::size_t ByteCount(Direction direction) const;
    // All bytes of one direction, in order (for tests that compare what was sent).
    std::vector<std::uint8_t> Bytes(Direction direction) const;

    // Readable text: one line per entry, "  12.345 ms  PC> 01 00 30 60 10", at most
    // maxBytesPerEntry bytes shown per line. lastEntries > 0 prints only the tail.
    std::string Format(std::size_t lastEntries = 0, std::size_t maxBytesPerEntry = 32) const;

  private:
    std::int64_t originUs_;
    bool enabled_ = true;
    std::vector<Entry> entries_;
};

}  // namespace kell::sim
