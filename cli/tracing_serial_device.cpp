#include "cli/tracing_serial_device.h"

#include <filesystem>

#include "trace/trace_text.h"

namespace kell::cli {

using trace::TraceEvent;
using Kind = trace::TraceEvent::Kind;

std::string ResolvedNode(const std::string& path) {
    std::error_code error;
    const std::filesystem::path node = std::filesystem::canonical(path, error);
    return error ? path : node.string();
}

TracingSerialDevice::TracingSerialDevice(SerialDevice& inner, Clock& clock, std::ostream& out)
    : inner_(inner), clock_(clock), out_(out) {}

void TracingSerialDevice::WriteHeader(const trace::TraceHeader& header) {
    out_ << trace::FormatHeader(header);
    out_.flush();
}

TraceEvent TracingSerialDevice::Event(Kind kind) {
    const std::int64_t now = clock_.MonotonicUs();
    if (!startUs_)
        startUs_ = now;
    TraceEvent event;
    event.kind = kind;
    event.us = now - *startUs_;
    return event;
}

void TracingSerialDevice::Put(const TraceEvent& event) {
    out_ << trace::FormatEvent(event) << "\n";
    out_.flush();
}

OpenResult TracingSerialDevice::Open(const std::string& path) {
    TraceEvent event = Event(Kind::Open);
    event.result = inner_.Open(path);
    event.path = path;
    event.node = ResolvedNode(path);
    Put(event);
    return event.result;
}

void TracingSerialDevice::Close() {
    const bool wasOpen = inner_.IsOpen();
    inner_.Close();
    if (wasOpen)
        Put(Event(Kind::Close));
}

bool TracingSerialDevice::Apply(const LineSettings& settings) {
    TraceEvent event = Event(Kind::Settings);
    event.settings = settings;
    event.refused = !inner_.Apply(settings);
    Put(event);
    return !event.refused;
}

bool TracingSerialDevice::SetQueueSizes(std::uint32_t input, std::uint32_t output) {
    return inner_.SetQueueSizes(input, output);
}

std::size_t TracingSerialDevice::Read(std::uint8_t* dest, std::size_t max,
                                      std::uint32_t timeoutMs) {
    const std::size_t got = inner_.Read(dest, max, timeoutMs);
    if (got > 0) {
        TraceEvent event = Event(Kind::Read);
        event.bytes.assign(dest, dest + got);
        Put(event);
    }
    return got;
}

long TracingSerialDevice::Write(const std::uint8_t* data, std::size_t count) {
    const long taken = inner_.Write(data, count);
    if (taken != 0 && count > 0) {
        TraceEvent event = Event(Kind::Write);
        event.failed = taken < 0;
        event.bytes.assign(data, data + (taken < 0 ? count : static_cast<std::size_t>(taken)));
        Put(event);
    }
    return taken;
}

SerialStatus TracingSerialDevice::QueryStatus() {
    const SerialStatus status = inner_.QueryStatus();
    if (inner_.IsOpen() && (!status.ok || status.errors != 0)) {
        TraceEvent event = Event(Kind::LineStatus);
        event.unreadable = !status.ok;
        event.errors = status.errors;
        Put(event);
    }
    return status;
}

void TracingSerialDevice::Purge(bool input, bool output) {
    inner_.Purge(input, output);
    if (input || output) {
        TraceEvent event = Event(Kind::Purge);
        event.input = input;
        event.output = output;
        Put(event);
    }
}

bool TracingSerialDevice::SetRts(bool on) {
    TraceEvent event = Event(Kind::Rts);
    event.on = on;
    event.refused = !inner_.SetRts(on);
    Put(event);
    return !event.refused;
}

void TracingSerialDevice::WriteAnswer(const std::string& question, bool ok) {
    TraceEvent event = Event(Kind::Answer);
    event.question = question;
    event.on = ok;
    Put(event);
}

void TracingSerialDevice::WriteOutcome(const std::string& name, int exitStatus, int resultCode,
                                       const std::string& summary) {
    TraceEvent event = Event(Kind::Outcome);
    event.outcome = name;
    event.exitStatus = exitStatus;
    event.resultCode = resultCode;
    event.summary = summary;
    Put(event);
}

}  // namespace kell::cli
