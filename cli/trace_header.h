#pragma once

#include <string>

#include "trace/trace_event.h"

namespace kell::cli {

// The header of a trace this program records: its version line ("Version 2.04"), the SHA-256 of
// every embedded payload (names and bytes, in their fixed order), so that a replay can tell a
// build that sends other bytes, and the time now in UTC.
trace::TraceHeader MakeTraceHeader(const std::string& programVersion);

// The SHA-256 of the embedded payloads, in lower-case hexadecimal.
std::string PayloadsSha256();

}  // namespace kell::cli
