#include "trace/trace_file.h"

#include <algorithm>
#include <istream>

#include "trace/gzip_file.h"
#include "trace/trace_text.h"

namespace kell::trace {
namespace {

// Lines longer than this are garbage (a full-length event line is far shorter: the longest
// write the program makes is a few kilobytes).
constexpr std::size_t kLongestLine = 64u << 20;
// Problems beyond these are counted, not kept.
constexpr std::size_t kProblemsKept = 20;

void Note(Trace& trace, std::size_t& dropped, std::string problem) {
    if (trace.problems.size() < kProblemsKept)
        trace.problems.push_back(std::move(problem));
    else
        ++dropped;
}

}  // namespace

std::string Trace::Refusal() const {
    if (header.version == 0)
        return "not a trace (no \"# kell-trace\" line)";
    if (header.version < kOldestFormatVersion || header.version > kFormatVersion)
        return "a trace of format " + std::to_string(header.version) + ", this program reads " +
               std::to_string(kOldestFormatVersion) + " to " + std::to_string(kFormatVersion);
    if (events.empty())
        return "the trace holds no events";
    return {};
}

std::string RecordedAnswers(const Trace& trace) {
    std::string text;
    std::vector<std::string> seen;
    for (const TraceEvent& e : trace.events) {
        if (e.kind != TraceEvent::Kind::Answer ||
            std::find(seen.begin(), seen.end(), e.question) != seen.end())
            continue;
        seen.push_back(e.question);
        text += (text.empty() ? "" : ",") + e.question + "=" + (e.on ? "ok" : "cancel");
    }
    return text;
}

Trace ReadTrace(std::istream& in) {
    Trace trace;
    std::size_t dropped = 0;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const bool unfinished = in.eof();
        if (line.size() > kLongestLine) {
            Note(trace, dropped, "line " + std::to_string(number) + ": too long");
            continue;
        }
        if (line.empty() || line[0] == '#') {
            ParseHeaderLine(line, trace.header);
            continue;
        }
        std::string error;
        std::optional<TraceEvent> event = ParseEvent(line, &error);
        if (unfinished)
            trace.cutShort = true;
        if (!event) {
            if (!unfinished)
                Note(trace, dropped, "line " + std::to_string(number) + ": " + error);
            continue;
        }
        event->line = number;
        trace.events.push_back(std::move(*event));
    }
    if (dropped > 0)
        trace.problems.push_back(std::to_string(dropped) + " more lines left out");
    return trace;
}

Trace ReadTraceFile(const std::string& path) {
    GzipFileReader file(path);
    if (!file.IsOpen()) {
        Trace trace;
        trace.problems.push_back("cannot read " + path);
        return trace;
    }
    std::istream in(&file);
    return ReadTrace(in);
}

}  // namespace kell::trace
