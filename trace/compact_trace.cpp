#include "trace/compact_trace.h"

#include <zlib.h>

#include "trace/trace_text.h"

namespace kell::trace {
namespace {

// Writes up to this long stay whole: the protocol's commands and short frames.
constexpr std::size_t kLongestWhole = 32;
// What a long write keeps of its start.
constexpr std::size_t kKeptBytes = 8;

}  // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc) {
    // zlib takes at most a uInt at a time.
    constexpr std::size_t kPiece = 1u << 30;
    uLong value = crc;
    for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
        const std::size_t n = std::min(kPiece, bytes.size() - at);
        value = crc32(value, bytes.data() + at, static_cast<uInt>(n));
    }
    return static_cast<std::uint32_t>(value);
}

void CompactWrites(Trace& trace) {
    for (TraceEvent& e : trace.events) {
        if (e.kind != TraceEvent::Kind::Write || e.elided > 0 || e.bytes.size() <= kLongestWhole)
            continue;
        const std::span<const std::uint8_t> rest(e.bytes.data() + kKeptBytes,
                                                 e.bytes.size() - kKeptBytes);
        e.elided = rest.size();
        e.elidedCrc32 = Crc32(rest);
        e.bytes.resize(kKeptBytes);
    }
}

std::string FormatTrace(const Trace& trace) {
    std::string text = FormatHeader(trace.header);
    for (const TraceEvent& e : trace.events)
        text += FormatEvent(e) + "\n";
    return text;
}

}  // namespace kell::trace
