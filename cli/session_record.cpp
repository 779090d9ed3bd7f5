#include "cli/session_record.h"

#include <charconv>

#include "app/ventana_brisca.h"

namespace kell::cli {
namespace {

// Reads a decimal number at `at`, moving past it.
std::optional<int> NumberAt(const std::string& text, std::size_t& at) {
    int value = 0;
    const char* first = text.data() + at;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end == first)
        return std::nullopt;
    at = static_cast<std::size_t>(end - text.data());
    return value;
}

}  // namespace

PlanMarks PlanMarks::Of(const Tventana_brisca& w) {
    PlanMarks marks;
    marks.keypad = w.Check_teclado.checked;
    marks.erase = w.Check_borrar.checked;
    marks.plans = w.Check_planes.checked;
    marks.zone = w.Check_configuracion.checked;
    marks.fpga = w.Check_fpga.checked;
    marks.firmware = w.Check_firmware.checked;
    marks.module = w.Check_mpeg4_apl.checked;
    return marks;
}

std::vector<std::string> PlanMarks::StepNames() const {
    std::vector<std::string> names;
    const std::pair<bool, const char*> order[] = {
        {keypad, "keypad"}, {erase, "erase"}, {plans && !firmware, "plans"},
        {zone, "zone"},     {fpga, "fpga"},   {firmware, "firmware"},
        {module, "module"},
    };
    for (auto [marked, name] : order) {
        if (marked)
            names.emplace_back(name);
    }
    return names;
}

std::optional<std::pair<int, int>> ParseStepText(const std::string& text,
                                                 const std::string& prefix) {
    const std::string lead = prefix + ": ";
    if (text.compare(0, lead.size(), lead) != 0)
        return std::nullopt;
    std::size_t at = lead.size();
    const std::optional<int> index = NumberAt(text, at);
    if (!index || at >= text.size() || text[at] != '/')
        return std::nullopt;
    ++at;
    const std::optional<int> total = NumberAt(text, at);
    if (!total || at != text.size())
        return std::nullopt;
    return std::pair{*index, *total};
}

void SessionRecord::Observe(const Tventana_brisca& w) {
    const std::array<std::string, 3> lines = {w.Label_info1.caption, w.Label_info2.caption,
                                              w.Label_info3.caption};
    if (texts_.empty() || texts_.back() != lines)
        texts_.push_back(lines);

    if (!w.sessionRunning) {
        CloseStep();
        return;
    }
    if (!sessionSeen_) {
        sessionSeen_ = true;
        TakeBefore(w);
    }
    const std::string& text = w.Label_info3.caption;
    if (text == stepText_)
        return;
    const auto step = ParseStepText(text, w.texts.PASO4_L3);
    if (!step)
        return;
    // The questions come before the first step, so the marks are final by now.
    if (!plan_)
        plan_ = PlanMarks::Of(w);
    CloseStep();
    StepRecord record;
    record.index = step->first;
    record.total = step->second;
    const std::vector<std::string> names = plan_->StepNames();
    if (record.index >= 1 && static_cast<std::size_t>(record.index) <= names.size())
        record.component = names[static_cast<std::size_t>(record.index) - 1];
    steps_.push_back(record);
    stepText_ = text;
    stepStartUs_ = clock_.MonotonicUs();
}

void SessionRecord::Finish(const Tventana_brisca& w) {
    Observe(w);
    CloseStep();
    if (!plan_)
        plan_ = PlanMarks::Of(w);
    if (!before_)
        TakeBefore(w);
}

void SessionRecord::CloseStep() {
    if (!stepStartUs_ || steps_.empty())
        return;
    steps_.back().seconds = static_cast<double>(clock_.MonotonicUs() - *stepStartUs_) / 1'000'000.0;
    stepStartUs_.reset();
}

void SessionRecord::TakeBefore(const Tventana_brisca& w) {
    VersionsBefore before;
    before.firmware = w.instrumentVersion;
    before.plansType = w.plansType;
    before.plansStoredVersion = w.plansStoredVersion;
    before.module = w.ModuleVersions;
    before_ = before;
}

}  // namespace kell::cli
