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
#include "platform/virtual/test_doubles.h"
#include "platform/virtual/virtual_clock.h"
#include "platform/virtual/virtual_line.h"

namespace kell::cli::testing {

// Answers as --answer and --yes give them: Answers("erase=cancel"), Answers("", true).
inline AnswerOptions Answers(const std::string& given, bool yes = false) {
    AnswerOptions answers;
    answers.yes = yes;
    std::string error;
    if (!given.empty())
        ParseAnswers(given, answers, &error);
    return answers;
}

// The far end of port 1: records what the PC sends.
struct Recorder : LineDevice {
    void OnByteFromHost(std::uint8_t byte) override { received.push_back(byte); }
    std::vector<std::uint8_t> received;
};

// The console's parts over a main window on virtual seams: what the console prints lands in
// two string streams, typed answers come through a pipe, interrupts are a counter.
struct CliRig {
    static constexpr const char* kPort = "/dev/ttyV0";

    explicit CliRig(AnswerOptions answers = {}, bool canAsk = false,
                    const std::string& languageFile = KELL_LANGUAGE_FILE_FOR_TESTS)
        : desk(answers, canAsk ? &input : nullptr, view, record, [this] { return interrupts > 0; }),
          pump(inner, clock, view, desk, record, [this] { return interrupts; }),
          notifier(view, desk, pump, record, false) {
        lines.Add(kPort, &line);
        line.Attach(&device);
        ports.Set(1, kPort);
        window = std::make_unique<Tventana_brisca>(Seams{clock, serial, pump, notifier, ports},
                                                   "/nonexistent", payloads::MainFirmwareHex(),
                                                   languageFile);
        window->SetSessionEvents(&events);
        pump.Attach(window.get());
    }
    ~CliRig() {
        pump.Attach(nullptr);
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

    // Declared first so that it outlives the serial device, which tells it when it closes.
    Recorder device;
    VirtualClock clock;
    VirtualLine line{clock};
    VirtualLineSet lines;
    VirtualSerialDevice serial{lines};
    ScriptedEventPump inner{&clock};
    FixedPortCatalog ports;
    std::ostringstream screen;
    std::ostringstream messages;
    int typed[2] = {-1, -1};
    bool pipeMade = ::pipe(typed) == 0;
    LineReader input{typed[0]};
    int interrupts = 0;
    SessionRecord record{clock};
    ConsoleView view{screen, messages, false, clock};
    QuestionDesk desk;
    ConsoleEvents events{desk, record, &view};
    ConsolePump pump;
    ConsoleNotifier notifier;
    std::unique_ptr<Tventana_brisca> window;
};

}  // namespace kell::cli::testing
