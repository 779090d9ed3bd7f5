#pragma once

#include <memory>
#include <sstream>
#include <string>

#include "cli/console_session.h"
#include "cli/options.h"
#include "link/loader_blocks.h"
#include "sim/trace_replayer.h"
#include "tests/cli/cli_rig.h"
#include "trace/trace_file.h"

namespace kell::testing {

// The questions answered as the recording answered them; those it does not name (every one in a
// trace of the first format, which were recorded with --yes) OK.
inline cli::AnswerOptions RecordedAnswerOptions(const trace::Trace& trace) {
    cli::AnswerOptions answers;
    answers.yes = true;
    for (const trace::TraceEvent& e : trace.events) {
        if (e.kind != trace::TraceEvent::Kind::Answer)
            continue;
        std::string error;
        if (e.question == "repress")
            answers.yes = e.on;
        else
            cli::ParseAnswers(e.question + (e.on ? "=ok" : "=cancel"), answers, &error);
    }
    return answers;
}

// The console program's core on the virtual line, with a recorded meter at the far end: a
// trace played back on virtual time, the session run as the console runs it, its questions
// answered as they were in the recording.
struct ReplayRig {
    // seesOpens: false plays the far end of a pseudo-terminal, which the opens do not reach.
    explicit ReplayRig(const trace::Trace& trace, double speed = 1.0, bool seesOpens = true)
        : pristine(),
          answers(RecordedAnswerOptions(trace)),
          cli(answers),
          replayer(cli.clock, cli.clock, cli.line, trace.events,
                   {speed, seesOpens, trace.cutShort}) {
        cli.line.Attach(&replayer);
    }
    ~ReplayRig() { cli.line.Attach(&cli.device); }

    cli::Outcome Run() {
        cli::Options options;
        options.answers = answers;
        std::ostringstream json;
        return cli::RunAndJudge(
            {cli.clock, cli.w(), cli.consolePump, cli.view, cli.desk, cli.record}, options,
            CliRig::kPort, json);
    }

    // The recording was made by a program that had just started: the loader block carries none
    // of the patches an earlier session in this process may have made to it.
    struct PristineLoaderBlocks {
        PristineLoaderBlocks() { TBoot::RestorePristine(); }
    } pristine;
    cli::AnswerOptions answers;
    CliRig cli;
    sim::TraceReplayer replayer;
};

// The program's verdict the recording ends with; a default event when it has none.
inline trace::TraceEvent RecordedOutcome(const trace::Trace& trace) {
    for (const trace::TraceEvent& e : trace.events) {
        if (e.kind == trace::TraceEvent::Kind::Outcome)
            return e;
    }
    return {};
}

inline trace::Trace ReadShippedTrace(const std::string& name) {
    return trace::ReadTraceFile(std::string(KELL_TRACES_DIR) + "/" + name);
}

}  // namespace kell::testing
