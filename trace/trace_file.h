#pragma once

#include <istream>
#include <string>
#include <vector>

#include "trace/trace_event.h"

namespace kell::trace {

// A trace as read back: what it says, and what in it could not be read. Traces come from users,
// so the reader takes what it can from a file cut short (the program killed, the disk full) or
// partly garbage and says where it stopped understanding, but never fails on it.
struct Trace {
    TraceHeader header;
    std::vector<TraceEvent> events;  // in file order; each knows its line
    // "line 12: not hexadecimal: 0G" for each line left out; empty for a sound file.
    std::vector<std::string> problems;
    bool cutShort = false;  // the last line was unfinished (no newline) and left out or short

    // A trace a replay can go by: the format known and at least one event.
    bool Usable() const {
        return header.version >= kOldestFormatVersion && header.version <= kFormatVersion &&
               !events.empty();
    }
    // Why it is not usable, or "".
    std::string Refusal() const;
};

// The session's answers as the recording has them, in the words of the console's --answer:
// "time=ok,erase=cancel" (the first answer to each question; empty when none was recorded).
std::string RecordedAnswers(const Trace& trace);

Trace ReadTrace(std::istream& in);
// A file that cannot be opened reads as an empty trace with the reason among its problems. A
// gzip-compressed file (the traces kept with the tests) is read as the text it holds.
Trace ReadTraceFile(const std::string& path);

}  // namespace kell::trace
