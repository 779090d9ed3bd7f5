#include "cli/tracing_serial_device.h"

#include <cstdio>

namespace kell::cli {
namespace {

constexpr std::size_t kBytesPerLine = 16;
constexpr const char* kToMeter = "->";
constexpr const char* kFromMeter = "<-";

std::string ErrorsText(std::uint32_t errors) {
    std::string text;
    const std::pair<std::uint32_t, const char*> names[] = {
        {kLineErrorOverrun, "overrun"}, {kLineErrorFraming, "framing"},
        {kLineErrorParity, "parity"},   {kLineErrorBreak, "break"},
        {kLineErrorDevice, "device"},
    };
    for (auto [bit, name] : names) {
        if (errors & bit)
            text += std::string(text.empty() ? "" : " ") + name;
    }
    return text;
}

}  // namespace

const char* OpenResultText(OpenResult result) {
    switch (result) {
        case OpenResult::Ok:
            return "ok";
        case OpenResult::NotFound:
            return "not found";
        case OpenResult::PermissionDenied:
            return "permission denied";
        case OpenResult::Busy:
            return "busy";
        case OpenResult::Failed:
            break;
    }
    return "failed";
}

std::string SettingsText(const LineSettings& s) {
    static constexpr char kParity[] = {'N', 'O', 'E', 'M', 'S'};
    static constexpr const char* kStop[] = {"1", "1.5", "2"};
    std::string text = std::to_string(s.baudRate) + " " + std::to_string(s.byteSize) +
                       (s.parity < sizeof kParity ? kParity[s.parity] : '?') +
                       (s.stopBits < 3 ? kStop[s.stopBits] : "?") + ", DTR " +
                       (s.dtrOn ? "on" : "off");
    if (s.ctsFlow)
        text += ", CTS flow";
    if (s.xonXoffOutput)
        text += ", XON/XOFF";
    return text;
}

TracingSerialDevice::TracingSerialDevice(SerialDevice& inner, Clock& clock, std::ostream& out)
    : inner_(inner), clock_(clock), out_(out) {}

void TracingSerialDevice::Line(const std::string& text) {
    FlushRts();
    Line(clock_.MonotonicUs(), text);
}

void TracingSerialDevice::Line(std::int64_t atUs, const std::string& text) {
    if (!startUs_) {
        startUs_ = atUs;
        out_ << "# milliseconds since the first line; -> to the meter, <- from the meter\n";
    }
    const std::int64_t us = atUs - *startUs_;
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%10lld.%03lld  ", static_cast<long long>(us / 1000),
                  static_cast<long long>(us % 1000));
    out_ << stamp << text << "\n";
    out_.flush();
}

void TracingSerialDevice::Bytes(const char* direction, const std::uint8_t* data, std::size_t count,
                                const std::string& note) {
    const std::string lead = direction;
    std::size_t at = 0;
    do {
        std::string hex = lead;
        std::string ascii;
        for (std::size_t i = at; i < count && i < at + kBytesPerLine; ++i) {
            char cell[4];
            std::snprintf(cell, sizeof cell, " %02X", data[i]);
            hex += cell;
            ascii += data[i] >= 0x20 && data[i] < 0x7F ? static_cast<char>(data[i]) : '.';
        }
        hex.resize(lead.size() + 3 * kBytesPerLine + 2, ' ');
        std::string line = hex + "|" + ascii + "|";
        if (at == 0 && !note.empty())
            line += "  " + note;
        Line(line);
        at += kBytesPerLine;
    } while (at < count);
}

OpenResult TracingSerialDevice::Open(const std::string& path) {
    const OpenResult result = inner_.Open(path);
    Line("open " + path + ": " + OpenResultText(result));
    return result;
}

void TracingSerialDevice::Close() {
    const bool wasOpen = inner_.IsOpen();
    inner_.Close();
    if (wasOpen)
        Line("close");
}

bool TracingSerialDevice::Apply(const LineSettings& settings) {
    const bool ok = inner_.Apply(settings);
    Line("settings " + SettingsText(settings) + (ok ? "" : " (refused)"));
    return ok;
}

bool TracingSerialDevice::SetQueueSizes(std::uint32_t input, std::uint32_t output) {
    return inner_.SetQueueSizes(input, output);
}

std::size_t TracingSerialDevice::Read(std::uint8_t* dest, std::size_t max,
                                      std::uint32_t timeoutMs) {
    const std::size_t got = inner_.Read(dest, max, timeoutMs);
    if (got > 0)
        Bytes(kFromMeter, dest, got);
    return got;
}

long TracingSerialDevice::Write(const std::uint8_t* data, std::size_t count) {
    const long taken = inner_.Write(data, count);
    if (taken < 0) {
        Bytes(kToMeter, data, count, "(write failed)");
    } else if (taken > 0) {
        const auto written = static_cast<std::size_t>(taken);
        Bytes(kToMeter, data, written,
              written < count
                  ? "(" + std::to_string(written) + " of " + std::to_string(count) + " taken)"
                  : std::string());
    }
    return taken;
}

SerialStatus TracingSerialDevice::QueryStatus() {
    const SerialStatus status = inner_.QueryStatus();
    if (inner_.IsOpen() && (!status.ok || status.errors != 0))
        Line("line status: " + std::string(status.ok ? "" : "unreadable ") +
             ErrorsText(status.errors));
    return status;
}

void TracingSerialDevice::Purge(bool input, bool output) {
    inner_.Purge(input, output);
    if (input || output)
        Line(std::string("purge") + (input ? " input" : "") + (output ? " output" : ""));
}

bool TracingSerialDevice::SetRts(bool on) {
    const bool ok = inner_.SetRts(on);
    const std::int64_t now = clock_.MonotonicUs();
    if (rtsChanges_ == 0) {
        rtsFirstUs_ = now;
        rtsRefused_ = false;
    }
    ++rtsChanges_;
    rtsLastUs_ = now;
    rtsOn_ = on;
    rtsRefused_ = rtsRefused_ || !ok;
    return ok;
}

void TracingSerialDevice::FlushRts() {
    if (rtsChanges_ == 0)
        return;
    const std::string refused = rtsRefused_ ? " (refused)" : "";
    if (rtsChanges_ == 1) {
        Line(rtsFirstUs_, std::string("RTS ") + (rtsOn_ ? "on" : "off") + refused);
    } else {
        Line(rtsFirstUs_, "RTS: " + std::to_string(rtsChanges_) + " changes in " +
                              std::to_string((rtsLastUs_ - rtsFirstUs_) / 1000) + " ms, ends " +
                              (rtsOn_ ? "on" : "off") + refused);
    }
    rtsChanges_ = 0;
}

}  // namespace kell::cli
