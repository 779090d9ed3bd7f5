#include "trace/trace_text.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <utility>

namespace kell::trace {
namespace {

// A run of one byte at least this long is written as "FF*200".
constexpr std::size_t kShortestRun = 8;
// Runs and events longer than these are taken for garbage, not for bytes to play.
constexpr std::uint64_t kLongestRun = 1u << 24;
// Events at most this long get their printable characters beside the hexadecimal.
constexpr std::size_t kLongestShown = 16;
constexpr std::int64_t kLongestTimeMs = 1'000'000'000'000;

constexpr std::array<std::pair<std::uint32_t, const char*>, 5> kErrorNames{{
    {kLineErrorOverrun, "overrun"},
    {kLineErrorFraming, "framing"},
    {kLineErrorParity, "parity"},
    {kLineErrorBreak, "break"},
    {kLineErrorDevice, "device"},
}};
constexpr std::array<OpenResult, 5> kOpenResults{OpenResult::Ok, OpenResult::NotFound,
                                                 OpenResult::PermissionDenied, OpenResult::Busy,
                                                 OpenResult::Failed};
constexpr char kParity[] = {'N', 'O', 'E', 'M', 'S'};
constexpr std::array<const char*, 3> kStopBits{"1", "1.5", "2"};

const char kHexDigits[] = "0123456789ABCDEF";

void AppendHex(std::string& text, std::uint8_t byte) {
    text += kHexDigits[byte >> 4];
    text += kHexDigits[byte & 0x0F];
}

std::string BytesText(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    bool inChunk = false;
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t run = 1;
        while (i + run < bytes.size() && bytes[i + run] == bytes[i])
            ++run;
        if (run >= kShortestRun) {
            text += text.empty() ? "" : " ";
            AppendHex(text, bytes[i]);
            text += "*" + std::to_string(run);
            inChunk = false;
            i += run;
            continue;
        }
        if (!inChunk && !text.empty())
            text += ' ';
        inChunk = true;
        AppendHex(text, bytes[i]);
        ++i;
    }
    if (!bytes.empty() && bytes.size() <= kLongestShown) {
        text += "  |";
        for (std::uint8_t b : bytes)
            text += b >= 0x20 && b < 0x7F ? static_cast<char>(b) : '.';
        text += '|';
    }
    return text;
}

// "03001A00 ...+240 crc32=1C291CA3": the first bytes, then the rest by count and checksum.
std::string ElidedText(const TraceEvent& e) {
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08X", e.elidedCrc32);
    std::string text;
    for (std::uint8_t b : e.bytes)
        AppendHex(text, b);
    return text + (text.empty() ? "" : " ") + "...+" + std::to_string(e.elided) + " crc32=" + crc;
}

// The summary on one line: backslashes and line ends escaped.
std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            ++i;
            out += text[i] == 'n' ? '\n' : text[i];
        } else {
            out += text[i];
        }
    }
    return out;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    return text;
}

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// Takes the next word (up to a space) off the front of `text`.
std::string_view NextWord(std::string_view& text) {
    text = TrimLeft(text);
    const std::size_t end = std::min(text.find(' '), text.size());
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(end);
    return word;
}

template <typename Number>
bool ToNumber(std::string_view text, Number& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// "1234.567" milliseconds, to microseconds.
bool ParseTime(std::string_view text, std::int64_t& us) {
    const std::size_t dot = text.find('.');
    std::int64_t ms = 0;
    if (!ToNumber(text.substr(0, dot), ms) || ms < 0 || ms > kLongestTimeMs)
        return false;
    std::int64_t fraction = 0;
    if (dot != std::string_view::npos) {
        const std::string_view digits = text.substr(dot + 1);
        if (digits.size() != 3 || !ToNumber(digits, fraction) || fraction < 0)
            return false;
    }
    us = ms * 1000 + fraction;
    return true;
}

// "03001A FF*200 7C  |...|  (write failed)": the bytes, and the notes after them.
bool ParseBytes(std::string_view text, TraceEvent& event, std::string* error) {
    while (true) {
        const std::string_view word = NextWord(text);
        if (word.empty() || word.front() == '|' || word.front() == '(')
            break;
        if (StartsWith(word, "...+")) {
            if (!ToNumber(word.substr(4), event.elided) || event.elided == 0 ||
                event.elided > kLongestRun) {
                *error = "a bad count of bytes left out: " + std::string(word);
                return false;
            }
            const std::string_view crc = NextWord(text);
            if (!StartsWith(crc, "crc32=") || crc.size() != 14 ||
                std::from_chars(crc.data() + 6, crc.data() + 14, event.elidedCrc32, 16).ptr !=
                    crc.data() + 14) {
                *error = "no crc32 for the bytes left out";
                return false;
            }
            continue;
        }
        const std::size_t star = word.find('*');
        if (star != std::string_view::npos) {
            std::uint64_t count = 0;
            if (star != 2 || HexValue(word[0]) < 0 || HexValue(word[1]) < 0 ||
                !ToNumber(word.substr(3), count) || count == 0 || count > kLongestRun ||
                event.bytes.size() + count > kLongestRun) {
                *error = "a bad run of bytes: " + std::string(word);
                return false;
            }
            event.bytes.insert(
                event.bytes.end(), count,
                static_cast<std::uint8_t>(HexValue(word[0]) << 4 | HexValue(word[1])));
            continue;
        }
        if (word.size() % 2 != 0 || event.bytes.size() + word.size() / 2 > kLongestRun) {
            *error = "an odd number of hexadecimal digits";
            return false;
        }
        for (std::size_t i = 0; i < word.size(); i += 2) {
            const int high = HexValue(word[i]);
            const int low = HexValue(word[i + 1]);
            if (high < 0 || low < 0) {
                *error = "not hexadecimal: " + std::string(word);
                return false;
            }
            event.bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
        }
    }
    event.failed = text.find("(write failed)") != std::string_view::npos;
    if (event.bytes.empty() && event.elided == 0) {
        *error = "no bytes";
        return false;
    }
    return true;
}

bool ParseOpen(std::string_view text, TraceEvent& event) {
    const std::size_t colon = text.rfind(": ");
    if (colon == std::string_view::npos)
        return false;
    const std::string_view result = text.substr(colon + 2);
    bool known = false;
    for (OpenResult r : kOpenResults) {
        if (result == OpenResultText(r)) {
            event.result = r;
            known = true;
        }
    }
    std::string_view where = text.substr(0, colon);
    const std::size_t paren = where.rfind(" (");
    if (paren != std::string_view::npos && where.back() == ')') {
        event.node = std::string(where.substr(paren + 2, where.size() - paren - 3));
        where = where.substr(0, paren);
    }
    event.path = std::string(where);
    if (event.node.empty())
        event.node = event.path;
    return known && !event.path.empty();
}

bool ParseSettings(std::string_view text, TraceEvent& event) {
    LineSettings& s = event.settings;
    const std::string_view baud = NextWord(text);
    std::string_view frame = NextWord(text);
    if (!ToNumber(baud, s.baudRate) || frame.size() < 3 || frame.back() != ',')
        return false;
    frame.remove_suffix(1);
    if (frame[0] < '5' || frame[0] > '8')
        return false;
    s.byteSize = static_cast<std::uint8_t>(frame[0] - '0');
    const std::string_view parity(kParity, sizeof kParity);
    const std::size_t p = parity.find(frame[1]);
    if (p == std::string_view::npos)
        return false;
    s.parity = static_cast<std::uint8_t>(p);
    bool stopKnown = false;
    for (std::size_t i = 0; i < kStopBits.size(); ++i) {
        if (frame.substr(2) == kStopBits[i]) {
            s.stopBits = static_cast<std::uint8_t>(i);
            stopKnown = true;
        }
    }
    if (!stopKnown)
        return false;
    text = TrimLeft(text);
    if (StartsWith(text, "DTR on"))
        s.dtrOn = true;
    else if (StartsWith(text, "DTR off"))
        s.dtrOn = false;
    else
        return false;
    s.ctsFlow = text.find("CTS flow") != std::string_view::npos;
    s.xonXoffOutput = text.find("XON/XOFF") != std::string_view::npos;
    event.refused = text.find("(refused)") != std::string_view::npos;
    return true;
}

bool ParseLineStatus(std::string_view text, TraceEvent& event) {
    while (true) {
        const std::string_view word = NextWord(text);
        if (word.empty())
            return true;
        if (word == "unreadable") {
            event.unreadable = true;
            continue;
        }
        bool known = false;
        for (auto [bit, name] : kErrorNames) {
            if (word == name) {
                event.errors |= bit;
                known = true;
            }
        }
        if (!known)
            return false;
    }
}

// "erase: cancel"
bool ParseAnswer(std::string_view text, TraceEvent& event) {
    const std::size_t colon = text.find(": ");
    if (colon == std::string_view::npos || colon == 0)
        return false;
    event.question = std::string(text.substr(0, colon));
    const std::string_view answer = text.substr(colon + 2);
    event.on = answer == "ok";
    return event.on || answer == "cancel";
}

bool ParseOutcome(std::string_view text, TraceEvent& event) {
    event.outcome = std::string(NextWord(text));
    if (event.outcome.empty() || !ToNumber(NextWord(text), event.exitStatus) ||
        !ToNumber(NextWord(text), event.resultCode))
        return false;
    if (!text.empty())
        text.remove_prefix(1);
    event.summary = Unescape(text);
    return true;
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
    std::string text = std::to_string(s.baudRate) + " " + std::to_string(s.byteSize) +
                       (s.parity < sizeof kParity ? kParity[s.parity] : '?') +
                       (s.stopBits < kStopBits.size() ? kStopBits[s.stopBits] : "?") + ", DTR " +
                       (s.dtrOn ? "on" : "off");
    if (s.ctsFlow)
        text += ", CTS flow";
    if (s.xonXoffOutput)
        text += ", XON/XOFF";
    return text;
}

std::string FormatHeader(const TraceHeader& header) {
    return "# kell-trace " + std::to_string(kFormatVersion) + "\n# program " + header.program +
           "\n# payloads sha256 " + header.payloadsSha256 + "\n# recorded " + header.recorded +
           "\n# milliseconds since the first event; -> bytes to the meter, <- bytes from the "
           "meter, in hexadecimal (FF*200: FF two hundred times)\n";
}

std::string FormatEvent(const TraceEvent& e) {
    const std::int64_t us = std::max<std::int64_t>(e.us, 0);
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, "%12lld.%03lld  ", static_cast<long long>(us / 1000),
                  static_cast<long long>(us % 1000));
    std::string text = stamp;
    const std::string refused = e.refused ? " (refused)" : "";
    switch (e.kind) {
        case TraceEvent::Kind::Open:
            text += "open " + e.path +
                    (e.node.empty() || e.node == e.path ? "" : " (" + e.node + ")") + ": " +
                    OpenResultText(e.result);
            break;
        case TraceEvent::Kind::Close:
            text += "close";
            break;
        case TraceEvent::Kind::Settings:
            text += "settings " + SettingsText(e.settings) + refused;
            break;
        case TraceEvent::Kind::Rts:
            text += std::string("RTS ") + (e.on ? "on" : "off") + refused;
            break;
        case TraceEvent::Kind::Purge:
            text += std::string("purge") + (e.input ? " input" : "") + (e.output ? " output" : "");
            break;
        case TraceEvent::Kind::LineStatus:
            text += "line status:";
            if (e.unreadable)
                text += " unreadable";
            for (auto [bit, name] : kErrorNames) {
                if (e.errors & bit)
                    text += std::string(" ") + name;
            }
            break;
        case TraceEvent::Kind::Write:
            text += "-> " + (e.elided == 0 ? BytesText(e.bytes) : ElidedText(e)) +
                    (e.failed ? "  (write failed)" : "");
            break;
        case TraceEvent::Kind::Read:
            text += "<- " + BytesText(e.bytes);
            break;
        case TraceEvent::Kind::Answer:
            text += "answer " + e.question + ": " + (e.on ? "ok" : "cancel");
            break;
        case TraceEvent::Kind::Outcome:
            text += "outcome " + e.outcome + " " + std::to_string(e.exitStatus) + " " +
                    std::to_string(e.resultCode) + " " + Escape(e.summary);
            break;
    }
    return text;
}

bool ParseHeaderLine(std::string_view line, TraceHeader& header) {
    line = TrimRight(line);
    if (!StartsWith(line, "# "))
        return false;
    line.remove_prefix(2);
    const std::string_view key = NextWord(line);
    line = TrimLeft(line);
    if (key == "kell-trace")
        return ToNumber(line, header.version);
    if (key == "program")
        header.program = std::string(line);
    else if (key == "payloads" && StartsWith(line, "sha256 "))
        header.payloadsSha256 = std::string(line.substr(7));
    else if (key == "recorded")
        header.recorded = std::string(line);
    else
        return false;
    return true;
}

std::optional<TraceEvent> ParseEvent(std::string_view line, std::string* error) {
    line = TrimRight(line);
    TraceEvent event;
    if (!ParseTime(NextWord(line), event.us)) {
        *error = "no time at the start";
        return std::nullopt;
    }
    line = TrimLeft(line);
    bool ok = false;
    if (StartsWith(line, "-> ") || StartsWith(line, "<- ")) {
        event.kind = line[0] == '-' ? TraceEvent::Kind::Write : TraceEvent::Kind::Read;
        if (!ParseBytes(line.substr(3), event, error))
            return std::nullopt;
        if (event.kind == TraceEvent::Kind::Read && event.elided > 0) {
            *error = "bytes from the meter left out";
            return std::nullopt;
        }
        return event;
    }
    const std::string_view keyword = NextWord(line);
    line = TrimLeft(line);
    if (keyword == "open") {
        event.kind = TraceEvent::Kind::Open;
        ok = ParseOpen(line, event);
    } else if (keyword == "close") {
        event.kind = TraceEvent::Kind::Close;
        ok = line.empty();
    } else if (keyword == "settings") {
        event.kind = TraceEvent::Kind::Settings;
        ok = ParseSettings(line, event);
    } else if (keyword == "RTS") {
        event.kind = TraceEvent::Kind::Rts;
        event.on = StartsWith(line, "on");
        event.refused = line.find("(refused)") != std::string_view::npos;
        ok = event.on || StartsWith(line, "off");
    } else if (keyword == "purge") {
        event.kind = TraceEvent::Kind::Purge;
        event.input = line.find("input") != std::string_view::npos;
        event.output = line.find("output") != std::string_view::npos;
        ok = event.input || event.output;
    } else if (keyword == "line" && StartsWith(line, "status:")) {
        event.kind = TraceEvent::Kind::LineStatus;
        ok = ParseLineStatus(line.substr(7), event);
    } else if (keyword == "answer") {
        event.kind = TraceEvent::Kind::Answer;
        ok = ParseAnswer(line, event);
    } else if (keyword == "outcome") {
        event.kind = TraceEvent::Kind::Outcome;
        ok = ParseOutcome(line, event);
    }
    if (!ok) {
        *error = "not an event: " + std::string(keyword);
        return std::nullopt;
    }
    return event;
}

}  // namespace kell::trace
