#include "cli/json_report.h"

#include <QJsonArray>
#include <cmath>

#include "app/ventana_brisca.h"

namespace kell::cli {
namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QJsonArray Lines(const std::array<std::string, 3>& lines) {
    QJsonArray array;
    for (const std::string& line : lines)
        array.append(Q(line));
    return array;
}

QJsonObject Plan(const PlanMarks& m) {
    return {{"keypad", m.keypad}, {"erase", m.erase},       {"plans", m.plans},  {"zone", m.zone},
            {"fpga", m.fpga},     {"firmware", m.firmware}, {"module", m.module}};
}

QJsonObject Module(const ModuleVersions& m) {
    return {{"software", m.softwareVersion},
            {"build", m.build},
            {"boot", m.bootVersion},
            {"decoders", m.decodersVersion}};
}

QJsonObject Before(const VersionsBefore& b) {
    return {{"firmware", Q(b.firmware)},
            {"plans", QJsonObject{{"type", b.plansType}, {"version", b.plansStoredVersion}}},
            {"module", Module(b.module)}};
}

QJsonObject After(const VersionCheck& after) {
    QJsonObject object{{"answered", after.answered}};
    QJsonObject components;
    for (const ComponentCheck& check : after.checks) {
        QJsonObject component{{"reported", Q(check.reported)},
                              {"current", check.current},
                              {"planned", check.planned}};
        if (!check.carried.empty())
            component["carried"] = Q(check.carried);
        components[Q(check.component)] = component;
    }
    object["components"] = components;
    object["verified"] = after.Verified();
    return object;
}

}  // namespace

QJsonObject BuildReport(const Outcome& outcome, const Tventana_brisca& w,
                        const SessionRecord& record, const std::string& port,
                        const std::optional<VersionCheck>& after) {
    QJsonObject report;
    report["outcome"] = Q(outcome.name);
    report["exitStatus"] = outcome.exitStatus;
    report["summary"] = Q(outcome.summary);
    report["resultCode"] = w.State().resultCode;
    report["eraseRefused"] = w.State().eraseRefused;
    report["actionPicture"] = w.controls.Image_accion.index;
    report["version"] = Q(w.controls.Label1.caption);
    report["port"] = Q(port);
    report["texts"] =
        Lines(record.Texts().empty() ? std::array<std::string, 3>{} : record.Texts().back());

    QJsonArray shown;
    for (const auto& lines : record.Texts())
        shown.append(Lines(lines));
    report["textsShown"] = shown;

    QJsonArray messages;
    for (const std::string& message : record.Messages())
        messages.append(Q(message));
    report["messages"] = messages;
    report["beeps"] = record.Beeps();

    QJsonArray questions;
    for (const QuestionRecord& q : record.Questions())
        questions.append(QJsonObject{{"question", Q(q.question)},
                                     {"text", Q(q.text)},
                                     {"answer", q.ok ? "ok" : "cancel"},
                                     {"answeredBy", Q(q.source)}});
    report["questions"] = questions;

    QJsonArray steps;
    for (const StepRecord& s : record.Steps()) {
        QJsonObject step{{"index", s.index},
                         {"total", s.total},
                         {"seconds", std::round(s.seconds * 1000) / 1000}};
        step["component"] = s.component.empty() ? QJsonValue() : QJsonValue(Q(s.component));
        steps.append(step);
    }
    report["steps"] = steps;

    // Before and plan only mean something once an instrument answered.
    const bool instrumentAnswered =
        record.HowItEnded() != Ending::NotFound && record.HowItEnded() != Ending::None;
    if (record.Plan() && instrumentAnswered)
        report["plan"] = Plan(*record.Plan());
    if (record.Before() && instrumentAnswered)
        report["before"] = Before(*record.Before());
    report["after"] = after ? QJsonValue(After(*after)) : QJsonValue();
    return report;
}

}  // namespace kell::cli
