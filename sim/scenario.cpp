#include "sim/scenario.h"

#include <utility>

namespace kell::sim {
namespace {

constexpr std::pair<Event, std::string_view> kEventNames[] = {
    {Event::Probe, "probe"},
    {Event::EndOfLink, "end_of_link"},
    {Event::ReadWords, "read_words"},
    {Event::ReadParameter, "read_parameter"},
    {Event::QueryPeripheral, "query_peripheral"},
    {Event::ModuleIdentity, "module_identity"},
    {Event::ModuleSerial, "module_serial"},
    {Event::BootstrapUpload, "bootstrap_upload"},
    {Event::LoaderStage1, "loader_stage1"},
    {Event::LoaderStage2, "loader_stage2"},
    {Event::StagingPrepare, "staging_prepare"},
    {Event::StagingErase, "staging_erase"},
    {Event::Block, "block"},
    {Event::Filler, "filler"},
    {Event::Commit, "commit"},
    {Event::BufferFrame, "buffer_frame"},
    {Event::SectorFrame, "sector_frame"},
    {Event::CallFrame, "call_frame"},
    {Event::EepromWrite, "eeprom_write"},
    {Event::SectorErase, "sector_erase"},
    {Event::KeypadStart, "keypad_start"},
    {Event::KeypadFrame, "keypad_frame"},
    {Event::ModuleStart, "module_start"},
    {Event::ModuleLength, "module_length"},
    {Event::ModuleFinish, "module_finish"},
    {Event::Finish, "finish"},
    {Event::Closing, "closing"},
    {Event::Restart, "restart"},
};

constexpr std::pair<Action, std::string_view> kActionNames[] = {
    {Action::NoAnswer, "no_answer"},
    {Action::WrongAnswer, "wrong_answer"},
    {Action::StrayBytes, "stray_bytes"},
    {Action::Delay, "delay"},
    {Action::LeaveLink, "leave_link"},
    {Action::Refuse, "refuse"},
    {Action::Stall, "stall"},
    {Action::Unplug, "unplug"},
};

constexpr std::pair<Mode, std::string_view> kModeNames[] = {
    {Mode::Running, "running"}, {Mode::Bootstrap, "bootstrap"}, {Mode::Busy, "busy"}};

template <typename E, typename Table>
std::string_view NameOf(E value, const Table& table) {
    for (const auto& [v, name] : table) {
        if (v == value)
            return name;
    }
    return "?";
}

template <typename E, typename Table>
std::optional<E> ValueOf(std::string_view name, const Table& table) {
    for (const auto& [v, n] : table) {
        if (n == name)
            return v;
    }
    return std::nullopt;
}

}  // namespace

std::string_view EventName(Event event) {
    return NameOf(event, kEventNames);
}
std::string_view ActionName(Action action) {
    return NameOf(action, kActionNames);
}
std::string_view ModeName(Mode mode) {
    return NameOf(mode, kModeNames);
}
std::optional<Event> EventFromName(std::string_view name) {
    return ValueOf<Event>(name, kEventNames);
}
std::optional<Action> ActionFromName(std::string_view name) {
    return ValueOf<Action>(name, kActionNames);
}
std::optional<Mode> ModeFromName(std::string_view name) {
    return ValueOf<Mode>(name, kModeNames);
}

}  // namespace kell::sim
