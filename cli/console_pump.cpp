#include "cli/console_pump.h"

#include <algorithm>

#include "app/ventana_brisca.h"

namespace kell::cli {
namespace {

bool OnAttentionPanel(Question question) {
    return question == Question::Plans || question == Question::Erase ||
           question == Question::Other;
}

std::string JoinLines(std::initializer_list<const std::string*> lines) {
    std::string text;
    const char* separator = "";
    for (const std::string* line : lines) {
        text += separator + *line;
        separator = "\n";
    }
    return text;
}

}  // namespace

ConsolePump::ConsolePump(EventPump& inner, Clock& clock, ConsoleView& view, QuestionDesk& desk,
                         SessionRecord& record, std::function<int()> interrupts)
    : inner_(inner),
      clock_(clock),
      view_(view),
      desk_(desk),
      record_(record),
      interrupts_(std::move(interrupts)) {}

void ConsolePump::PumpOnce() {
    Tend();
    inner_.PumpOnce();
}

void ConsolePump::WaitForEvent(std::uint32_t maxWaitMs) {
    Tend();
    inner_.WaitForEvent(UntilWatchMs(maxWaitMs));
    // What woke the wait (a typed line, an interrupt) is answered before the caller looks.
    Tend();
}

void ConsolePump::Observe() {
    if (!window_)
        return;
    record_.Observe(*window_);
}

void ConsolePump::Tend() {
    if (!window_)
        return;
    Tventana_brisca& w = *window_;
    Observe();
    if (tending_)
        return;
    tending_ = true;
    TakeInterrupts(w);
    TendAttention(w);
    TendRePress(w);
    TendWatch(w);
    tending_ = false;
    Observe();
}

void ConsolePump::TakeInterrupts(Tventana_brisca& w) {
    const int count = interrupts_ ? interrupts_() : 0;
    if (count > interruptsSeen_) {
        if (interruptsSeen_ == 0)
            view_.Say(view_.Words().CLI_STOPPING, ConsoleView::Channel::Messages);
        interruptsSeen_ = count;
    }
    if (interruptsSeen_ == 0)
        return;
    // Kept set: a step that records its result must not clear it again.
    w.BCancelarClick();
    // Outside the update sequence the stop flag is not looked at; the connection loops give
    // up on the window's closing instead.
    if (!w.State().sessionRunning)
        w.Salir();
}

void ConsolePump::TendAttention(Tventana_brisca& w) {
    const std::optional<Question> current = desk_.Current();
    if (!w.controls.Panel_atencion.visible) {
        if (current && OnAttentionPanel(*current))
            desk_.Abandon();
        return;
    }
    if (!current) {
        desk_.Begin({desk_.Announced(), w.controls.Label_atencion.caption,
                     JoinLines({&w.controls.Label_atencion_linea1.caption,
                                &w.controls.Label_atencion_linea2.caption,
                                &w.controls.Label_atencion_linea3.caption}),
                     w.controls.Button_atencion_ok.caption,
                     w.controls.Button_atencion_cancel.caption});
    } else if (!OnAttentionPanel(*current)) {
        return;
    }
    if (const std::optional<bool> ok = desk_.Poll()) {
        if (*ok)
            w.Button_atencion_okClick();
        else
            w.Button_atencion_cancelClick();
    }
}

void ConsolePump::TendRePress(Tventana_brisca& w) {
    const std::optional<Question> current = desk_.Current();
    const bool waiting = desk_.Announced() == Question::RePress && !w.State().rePressed;
    if (!waiting) {
        if (current == Question::RePress)
            desk_.Abandon();
        return;
    }
    if (!current) {
        QuestionDesk::Asked asked;
        asked.question = Question::RePress;
        asked.text = JoinLines({&w.controls.Label_info1.caption, &w.controls.Label_info2.caption,
                                &w.controls.Label_info3.caption});
        asked.okCaption = "press";
        asked.cancelCaption = "stop";
        asked.textOnScreen = true;
        desk_.Begin(std::move(asked));
    } else if (current != Question::RePress) {
        return;
    }
    if (const std::optional<bool> ok = desk_.Poll()) {
        if (!*ok) {
            // Leaving instead of going on: the press then ends the wait, and the reconnection
            // that would follow gives up at once, so the session stops without writing more.
            w.BCancelarClick();
            w.Salir();
        }
        w.Button_buscar_puertoClick();
    }
}

void ConsolePump::TendWatch(Tventana_brisca& w) {
    if (!w.controls.Timer_desconexion.enabled) {
        lastWatchMs_.reset();
        return;
    }
    const std::uint32_t now = clock_.TickMs();
    if (!lastWatchMs_) {
        lastWatchMs_ = now;
        return;
    }
    if (now - *lastWatchMs_ < w.controls.Timer_desconexion.intervalMs)
        return;
    lastWatchMs_ = now;
    w.Mira_desconexion();
}

std::uint32_t ConsolePump::UntilWatchMs(std::uint32_t maxWaitMs) {
    if (!window_ || !window_->controls.Timer_desconexion.enabled || !lastWatchMs_)
        return maxWaitMs;
    const std::uint32_t since = clock_.TickMs() - *lastWatchMs_;
    const std::uint32_t interval = window_->controls.Timer_desconexion.intervalMs;
    return std::min(maxWaitMs, since >= interval ? 0u : interval - since);
}

}  // namespace kell::cli
