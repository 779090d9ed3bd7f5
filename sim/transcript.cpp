#include "sim/transcript.h"

#include <cstdio>

namespace kell::sim {

void Transcript::Record(Direction direction, std::int64_t timeUs, const std::uint8_t* data,
                        std::size_t count) {
    if (!enabled_ || count == 0)
        return;
    bool join = !entries_.empty() && entries_.back().note.empty() &&
                entries_.back().direction == direction &&
                timeUs - entries_.back().lastTimeUs <= kJoinGapUs;
    if (!join)
        entries_.push_back(Entry{direction, timeUs, timeUs, {}, {}});
    Entry& entry = entries_.back();
    entry.bytes.insert(entry.bytes.end(), data, data + count);
    entry.lastTimeUs = timeUs;
}

void Transcript::Note(std::int64_t timeUs, std::string text) {
    if (!enabled_)
        return;
    entries_.push_back(Entry{Direction::ToHost, timeUs, timeUs, {}, std::move(text)});
}

std::size_t Transcript::ByteCount(Direction direction) const {
    std::size_t n = 0;
    for (const Entry& e : entries_) {
        if (e.direction == direction)
            n += e.bytes.size();
    }
    return n;
}

std::vector<std::uint8_t> Transcript::Bytes(Direction direction) const {
    std::vector<std::uint8_t> out;
    for (const Entry& e : entries_) {
        if (e.direction == direction)
            out.insert(out.end(), e.bytes.begin(), e.bytes.end());
    }
    return out;
}

std::string Transcript::Format(std::size_t lastEntries, std::size_t maxBytesPerEntry) const {
    std::string out;
    std::size_t first = 0;
    if (lastEntries > 0 && entries_.size() > lastEntries) {
        first = entries_.size() - lastEntries;
        out += "  ... " + std::to_string(first) + " earlier entries\n";
    }
    char buf[64];
    for (std::size_t i = first; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        std::snprintf(buf, sizeof buf, "%12.3f ms  ", (e.timeUs - originUs_) / 1000.0);
        out += buf;
        if (!e.note.empty()) {
            out += "--  " + e.note + "\n";
            continue;
        }
        out += e.direction == Direction::FromHost ? "PC> " : "<IN ";
        std::size_t shown = std::min(e.bytes.size(), maxBytesPerEntry);
        for (std::size_t k = 0; k < shown; ++k) {
            std::snprintf(buf, sizeof buf, "%02X ", e.bytes[k]);
            out += buf;
        }
        if (shown < e.bytes.size()) {
            out += "... (" + std::to_string(e.bytes.size()) + " bytes)";
        }
        out += "\n";
    }
    return out;
}

}  // namespace kell::sim
