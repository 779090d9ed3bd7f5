#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Toolkit-free models of the controls the windows are made of. The core sets them by name; a
// front end reads them on every pump and draws them; tests assert on them directly.
namespace kell {

struct Control {
    bool visible = true;
    bool enabled = true;
};

struct Label : Control {
    std::string caption;
};

// A label with more to say than its caption: a front end shows the hint on hovering (empty for
// none).
struct HintedLabel : Label {
    std::string hint;
};

struct Button : Control {
    std::string caption;
};

struct CheckBox : Control {
    std::string caption;
    bool checked = false;
};

struct MenuItem : Control {
    std::string caption;
    bool checked = false;
};

struct Panel : Control {
    std::string caption;
};

struct Picture : Control {
    int index = 0;  // which picture of its picture list is shown (where it has one)
};

struct ProgressBar : Control {
    int minimum = 0;
    int maximum = 100;
    int position = 0;

    void SetRange(int min, int max) {
        minimum = min;
        maximum = max;
        position = Clamp(position);
    }
    void SetPosition(int p) { position = Clamp(p); }

  private:
    int Clamp(int p) const {
        if (maximum < minimum)
            return minimum;
        return p < minimum ? minimum : (p > maximum ? maximum : p);
    }
};

struct RadioGroup : Control {
    std::string caption;
    std::vector<std::string> items;
    int itemIndex = -1;
};

struct ComboBox : Control {
    std::string text;
    std::vector<std::string> items;
    int itemIndex = -1;
};

struct Edit : Control {
    std::string text;
};

struct Timer {
    bool enabled = false;
    std::uint32_t intervalMs = 100;
};

}  // namespace kell
