#pragma once

#include <string>

#include "platform/event_pump.h"
#include "platform/notifier.h"

namespace kell {

// The notifier the main window and its updaters speak through. A message box holds the core
// until it is answered, and the window behind it shows what the front end last drew; so the
// front end is pumped once before each box opens, and the box stands over the window as the
// session last set it.
class UpToDateNotifier : public Notifier {
  public:
    UpToDateNotifier(EventPump& pump, Notifier& inner) : pump_(pump), inner_(inner) {}

    void Beep(int frequencyHz, int durationMs) override { inner_.Beep(frequencyHz, durationMs); }
    MessageAnswer MessageBox(const std::string& text, const std::string& caption,
                             MessageButtons buttons) override {
        pump_.PumpOnce();
        return inner_.MessageBox(text, caption, buttons);
    }

  private:
    EventPump& pump_;
    Notifier& inner_;
};

}  // namespace kell
