#include "cli/session_record.h"

#include "app/ventana_brisca.h"

namespace kell::cli {

PlanMarks PlanMarks::Of(const Tventana_brisca& w) {
    PlanMarks marks;
    marks.keypad = w.controls.Check_teclado.checked;
    marks.erase = w.controls.Check_borrar.checked;
    marks.plans = w.controls.Check_planes.checked;
    marks.zone = w.controls.Check_configuracion.checked;
    marks.fpga = w.controls.Check_fpga.checked;
    marks.firmware = w.controls.Check_firmware.checked;
    marks.module = w.controls.Check_mpeg4_apl.checked;
    return marks;
}

void SessionRecord::InfoLinesShown(const std::array<std::string, 3>& lines) {
    if (texts_.empty() || texts_.back() != lines)
        texts_.push_back(lines);
}

void SessionRecord::Observe(const Tventana_brisca& w) {
    if (!w.State().sessionRunning) {
        CloseStep();
        return;
    }
    if (!sessionSeen_) {
        sessionSeen_ = true;
        TakeBefore(w);
    }
    // The questions come before the first step, so the marks are final by then.
    if (!plan_ && !steps_.empty())
        plan_ = PlanMarks::Of(w);
}

void SessionRecord::StepStarted(const std::string& component, int index, int total) {
    CloseStep();
    StepRecord record;
    record.index = index;
    record.total = total;
    record.component = component;
    steps_.push_back(record);
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
    before.firmware = w.Identification().instrumentVersion;
    before.plansType = w.Identification().plansType;
    before.plansStoredVersion = w.Identification().plansStoredVersion;
    before.module = w.Identification().ModuleVersions;
    before_ = before;
}

}  // namespace kell::cli
