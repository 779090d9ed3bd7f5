#include "sim/violations.h"

#include <cstdio>

namespace kell::sim {

std::string_view ViolationKindName(ViolationKind kind) {
    switch (kind) {
        case ViolationKind::UnknownCommand:
            return "unknown-command";
        case ViolationKind::FrameTimeout:
            return "frame-timeout";
        case ViolationKind::BadLength:
            return "bad-length";
        case ViolationKind::BadChecksum:
            return "bad-checksum";
        case ViolationKind::BadConstant:
            return "bad-constant";
        case ViolationKind::BadAddress:
            return "bad-address";
        case ViolationKind::NotErased:
            return "not-erased";
        case ViolationKind::UnwrittenPage:
            return "unwritten-page";
        case ViolationKind::OutOfSequence:
            return "out-of-sequence";
        case ViolationKind::BadRecord:
            return "bad-record";
        case ViolationKind::KeypadProtocol:
            return "keypad-protocol";
    }
    return "?";
}

std::size_t ViolationLog::Count(ViolationKind kind) const {
    std::size_t n = 0;
    for (const Violation& v : entries_)
        n += v.kind == kind ? 1 : 0;
    return n;
}

std::string ViolationLog::Format(std::int64_t originUs) const {
    std::string out;
    char buf[48];
    for (const Violation& v : entries_) {
        std::snprintf(buf, sizeof buf, "%12.3f ms  ", (v.timeUs - originUs) / 1000.0);
        out += buf;
        out += ViolationKindName(v.kind);
        out += ": " + v.text + "\n";
    }
    return out;
}

}  // namespace kell::sim
