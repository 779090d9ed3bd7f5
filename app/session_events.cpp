#include "app/session_events.h"

namespace kell {

const char* QuestionKindName(QuestionKind kind) {
    switch (kind) {
        case QuestionKind::Time:
            return "time";
        case QuestionKind::Plans:
            return "plans";
        case QuestionKind::Erase:
            return "erase";
        case QuestionKind::RePress:
            return "repress";
    }
    return "other";
}

const char* StepComponentName(StepComponent component) {
    switch (component) {
        case StepComponent::Keypad:
            return "keypad";
        case StepComponent::Erase:
            return "erase";
        case StepComponent::Plans:
            return "plans";
        case StepComponent::Zone:
            return "zone";
        case StepComponent::Fpga:
            return "fpga";
        case StepComponent::Firmware:
            return "firmware";
        case StepComponent::Module:
            return "module";
    }
    return "other";
}

const char* InstrumentModelName(InstrumentModel model) {
    return model == InstrumentModel::Tesk ? "Tesk" : "Orvo";
}

}  // namespace kell
