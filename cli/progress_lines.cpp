#include "cli/progress_lines.h"

#include <algorithm>
#include <sstream>

namespace kell::cli {
namespace {

// Far above any session's steps, percent or estimate: a number beyond is not from a session.
constexpr int kLargestNumber = 1'000'000;

bool InRange(int value, int lowest) {
    return value >= lowest && value <= kLargestNumber;
}

}  // namespace

void ProgressLineWriter::Line(const std::string& text) {
    out_ << '@' << text << '\n';
    out_.flush();
}

void ProgressLineWriter::StepStarted(StepComponent component, int index, int total) {
    inner_.StepStarted(component, index, total);
    sent_.step = index;
    sent_.steps = total;
    sent_.component = StepComponentName(component);
    Line("step " + std::to_string(index) + " " + std::to_string(total) + " " + sent_.component);
}

void ProgressLineWriter::ProgressChanged(const SessionProgress& progress) {
    inner_.ProgressChanged(progress);
    if (!progress.shown || progress.overall.maximum <= progress.overall.minimum)
        return;
    const long long span = progress.overall.maximum - progress.overall.minimum;
    const long long done = progress.overall.position - progress.overall.minimum;
    const int percent = static_cast<int>(std::clamp(done * 100 / span, 0LL, 100LL));
    const int secondsLeft = progress.SecondsLeft();
    // Told at every pump: a line only when what it says changed.
    if (percent == sent_.percent && secondsLeft == sent_.secondsLeft)
        return;
    sent_.percent = percent;
    sent_.secondsLeft = secondsLeft;
    Line("progress " + std::to_string(percent) + " " + std::to_string(secondsLeft));
}

void ProgressLineWriter::InstrumentIdentified(InstrumentModel model) {
    inner_.InstrumentIdentified(model);
    const std::string name = InstrumentModelName(model);
    if (name == sent_.model)
        return;
    sent_.model = name;
    Line("model " + name);
}

bool ReadProgressLine(const std::string& line, InstrumentProgress& progress) {
    if (line.empty() || line.front() != '@')
        return false;
    std::istringstream in(line.substr(1));
    std::string kind;
    in >> kind;
    InstrumentProgress read = progress;
    if (kind == "model") {
        if (!(in >> read.model) || read.model.size() > 32)
            return false;
    } else if (kind == "step") {
        if (!(in >> read.step >> read.steps >> read.component) || !InRange(read.step, 1) ||
            !InRange(read.steps, read.step) || read.component.size() > 32)
            return false;
    } else if (kind == "progress") {
        if (!(in >> read.percent >> read.secondsLeft) || !InRange(read.percent, 0) ||
            read.percent > 100 || !InRange(read.secondsLeft, 0))
            return false;
    } else {
        return false;
    }
    std::string extra;
    if (in >> extra)
        return false;
    progress = read;
    return true;
}

}  // namespace kell::cli
