#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "trace/trace_file.h"

namespace kell::trace {

// Makes a trace small enough to keep with the tests: every long write keeps its first bytes
// (the command and its address, for a reader) and stands for the rest by their count and CRC-32.
// A replay still fails at the first write that changed, naming the event, though no longer the
// byte. The meter's answers stay whole: a replay sends them.
void CompactWrites(Trace& trace);

// The whole trace as text: its header, then an event a line.
std::string FormatTrace(const Trace& trace);

// The CRC-32 (as zlib computes it) of `bytes`, continuing from `crc`.
std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

}  // namespace kell::trace
