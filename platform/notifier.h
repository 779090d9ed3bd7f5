#pragma once

#include <string>

namespace kell {

enum class MessageButtons { Ok, OkCancel };
enum class MessageAnswer { Ok, Cancel };

// Sounds and message boxes: the only ways the core speaks to the user outside the window models.
class Notifier {
  public:
    virtual ~Notifier() = default;

    virtual void Beep(int frequencyHz, int durationMs) = 0;
    virtual MessageAnswer MessageBox(const std::string& text, const std::string& caption,
                                     MessageButtons buttons) = 0;
};

}  // namespace kell
