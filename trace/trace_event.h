#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/serial_device.h"

namespace kell::trace {

// The version of the trace text this program writes; a reader takes every version from the
// first to this one and refuses newer ones. 2 added the answers to the session's questions.
inline constexpr int kFormatVersion = 2;
inline constexpr int kOldestFormatVersion = 1;

// Who made a trace, with what, and when: the first lines of the file.
struct TraceHeader {
    int version = 0;             // 0: the file had no "kell-trace" line
    std::string program;         // "Version 2.04"
    std::string payloadsSha256;  // of every embedded payload, names and bytes
    std::string recorded;        // UTC, ISO 8601
};

// One thing that happened on the serial device, at its time since the trace began.
struct TraceEvent {
    enum class Kind { Open, Close, Settings, Rts, Purge, LineStatus, Write, Read, Answer, Outcome };

    Kind kind = Kind::Close;
    std::int64_t us = 0;
    int line = 0;  // where it stands in the file (0 for one not read from a file)

    // Open: the path asked for, the device node it led to, and what happened.
    std::string path;
    std::string node;
    OpenResult result = OpenResult::Ok;
    // Settings, and RTS (`on`); `refused` for either when the device said no.
    LineSettings settings;
    bool on = false;
    bool refused = false;
    // Purge.
    bool input = false;
    bool output = false;
    // LineStatus: the pending errors, and whether the status could be read at all.
    std::uint32_t errors = 0;
    bool unreadable = false;
    // Write (the bytes the device took; `failed` when it took none and refused), Read.
    std::vector<std::uint8_t> bytes;
    bool failed = false;
    // A write of a compact trace keeps its first bytes and stands for the rest by their count
    // and CRC-32: enough to see that they changed, not to say which one did.
    std::size_t elided = 0;
    std::uint32_t elidedCrc32 = 0;
    // Answer: the session's question by its kind ("time", "plans", "erase", "repress") and the
    // user's answer (`on`: OK), so that a replay answers as the user did.
    std::string question;
    // Outcome: how the program judged the session, as its console said it.
    std::string outcome;
    int exitStatus = 0;
    int resultCode = 0;
    std::string summary;
};

}  // namespace kell::trace
