#pragma once

#include <unistd.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/ventana_brisca.h"
#include "cli/console_events.h"
#include "cli/console_notifier.h"
#include "cli/console_pump.h"
#include "cli/console_view.h"
#include "cli/line_reader.h"
#include "cli/options.h"
#include "cli/question_desk.h"
#include "cli/session_record.h"
#include "payloads/payloads.h"
#include "tests/support/recording_far_end.h"
#include "tests/support/virtual_world.h"

namespace kell::testing {

// Answers as --answer and --yes give them: Answers("erase=cancel"), Answers("", true).
inline cli::AnswerOptions Answers(const std::string& given, bool yes = false) {
    cli::AnswerOptions answers;
    answers.yes = yes;
    std::string error;
    if (!given.empty())
        cli::ParseAnswers(given, answers, &error);
    return answers;
}

// The console's parts over a main window on a virtual world, whose pump is the console's inner
// one: what the console prints lands in two string streams, typed answers come through a pipe,
// interrupts are a counter. The far end of port 1 records what the PC sends.
struct CliRig : VirtualWorld {
    static constexpr const char* kPort = "/dev/ttyV0";

    explicit CliRig(cli::AnswerOptions answers = {}, bool canAsk = false,
                    const std::string& languageFile = KELL_LANGUAGE_FILE_FOR_TESTS)
        : desk(answers, canAsk ? &input : nullptr, view, record, [this] { return interrupts > 0; }),
          consolePump(pump, clock, view, desk, record, [this] { return interrupts; }),
          consoleNotifier(view, desk, consolePump, record, false) {
        window = std::make_unique<Tventana_brisca>(
            Seams{clock, serial, consolePump, consoleNotifier, ports}, "/nonexistent",
            payloads::MainFirmwareHex(), languageFile);
        window->SetSessionEvents(&events);
        consolePump.Attach(window.get());
    }
    ~CliRig() override {
        consolePump.Attach(nullptr);
        window.reset();
        CloseTyping();
        ::close(typed[0]);
    }

    void Type(const std::string& text) {
        [[maybe_unused]] ssize_t n = ::write(typed[1], text.data(), text.size());
    }
    void CloseTyping() {
        if (typed[1] >= 0)
            ::close(typed[1]);
        typed[1] = -1;
    }
    Tventana_brisca& w() { return *window; }

    VirtualLine& line = AddPort(1, kPort);
    RecordingFarEnd& device = Attach<RecordingFarEnd>(1);
    std::ostringstream screen;
    std::ostringstream messages;
    int typed[2] = {-1, -1};
    bool pipeMade = ::pipe(typed) == 0;
    cli::LineReader input{typed[0]};
    int interrupts = 0;
    cli::SessionRecord record{clock};
    cli::ConsoleView view{screen, messages, false, clock};
    cli::QuestionDesk desk;
    cli::ConsoleEvents events{desk, record, &view};
    cli::ConsolePump consolePump;
    cli::ConsoleNotifier consoleNotifier;
    std::unique_ptr<Tventana_brisca> window;
};

}  // namespace kell::testing
