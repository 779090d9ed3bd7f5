#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "trace/trace_event.h"

namespace kell::trace {

// A trace is text, one event a line, readable by a person:
//
//     # kell-trace 1
//     # program Version 2.04
//     # payloads sha256 5f0c…
//     # recorded 2024-05-02T09:14:03Z
//             0.000  open /dev/serial/by-id/usb-Kell… (/dev/ttyACM0): ok
//             0.412  settings 115200 8N2, DTR on
//             0.530  RTS on
//           757.035  -> 00  |.|
//           758.002  <- 5D  |]|
//          9012.250  -> 03001A00 FF*200 7C
//         12000.020  answer erase: cancel
//
// The time is in milliseconds since the first event, to the microsecond. "->" are bytes the
// program wrote to the meter, "<-" bytes it read from it, in hexadecimal; "FF*200" is the byte
// FF two hundred times. Short runs are followed by their printable characters. Lines that begin
// with '#' are comments, the header's among them. "answer" is a question of the session (by its
// kind: time, plans, erase, repress) and how it was answered (ok or cancel); format 1 had none.

// One event as its line (no newline).
std::string FormatEvent(const TraceEvent& event);
// The header's lines, each ending in a newline, with the legend a reader needs.
std::string FormatHeader(const TraceHeader& header);

// The event on one line, or nothing with the reason in *error. Never trusts the line.
std::optional<TraceEvent> ParseEvent(std::string_view line, std::string* error);
// Takes a header comment ("# program …") into `header`; false for any other line.
bool ParseHeaderLine(std::string_view line, TraceHeader& header);

// "ok", "not found", "permission denied", "busy", "failed".
const char* OpenResultText(OpenResult result);
// "115200 8N2, DTR on" and the flow control when there is one.
std::string SettingsText(const LineSettings& settings);

}  // namespace kell::trace
