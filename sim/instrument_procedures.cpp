// The two procedures the instrument drives on the PC's behalf: the keypad microcontroller's
// programming (after 0xBB) and the MPEG4 module's update (after 0x0D 0xD0 and the length frame).
#include "sim/hex_text.h"
#include "sim/instrument.h"

namespace kell::sim {

namespace {
// The module software release that the updater's module image holds.
constexpr std::uint16_t kUpdatedModuleVersion = 162;
}  // namespace
namespace {

constexpr std::uint32_t kNormalBaud = 115200;
constexpr std::uint8_t kModuleDone = 0xBB;
constexpr std::uint8_t kLengthFrame = 0xCC;
constexpr std::uint8_t kLengthFrameUsa = 0x4C;
constexpr std::uint32_t kLongestApplication = 0x440000;  // what the module's banks can hold

}  // namespace

// ---------------------------------------------------------------------------------------------
// Keypad

void Instrument::OnKeypadStart() {
    FaultEffect effect = Occur(Event::KeypadStart);
    if (effect.unplug)
        return;
    keypad_ = std::make_unique<KeypadProcedure>(scenario_.keypadRequests, T());
    keypadActive_ = true;
    keypadStalled_ = effect.stall;
    keypadRecord_ = keypad_->Record();
    reader_.SetKeypadMode(true);
    if (effect.stall) {
        // Never asks for anything; gives up after its time-out like a stalled run.
        keypadTimer_ = Schedule(T().keypadTimeoutUs, [this] {
            keypadTimer_ = 0;
            EmitKeypad(keypad_->Abandon(), FaultEffect{});
        });
        return;
    }
    EmitKeypad(keypad_->Start(), effect);
}

void Instrument::OnKeypadFrame(const std::vector<std::uint8_t>& f) {
    FaultEffect effect = Occur(Event::KeypadFrame);
    if (effect.unplug)
        return;
    if (keypadStalled_)
        return;
    if (effect.stall)
        keypadStalled_ = true;
    KeypadProcedure::Output out = keypad_->OnFrame(f);
    if (keypadStalled_) {
        out.send.clear();
        out.done = false;
    }
    EmitKeypad(out, effect);
}

void Instrument::EmitKeypad(const KeypadProcedure::Output& out, const FaultEffect& effect) {
    for (const std::string& problem : out.problems) {
        Violate(ViolationKind::KeypadProtocol, problem);
    }
    keypadRecord_ = keypad_->Record();
    if (!out.send.empty() || effect.replace || effect.leaveLink || !effect.strayBytes.empty()) {
        Answer(effect, out.send, out.delayUs);
    }
    CancelTimer(keypadTimer_);
    if (out.done) {
        EndKeypad(out.delayUs + T().answerUs);
        return;
    }
    keypadTimer_ = Schedule(T().keypadTimeoutUs, [this] {
        keypadTimer_ = 0;
        Violate(ViolationKind::KeypadProtocol, "keypad procedure: the PC stopped answering");
        keypadStalled_ = false;
        EmitKeypad(keypad_->Abandon(), FaultEffect{});
    });
}

// The keypad is programmed: the instrument restarts once the end code is out.
void Instrument::EndKeypad(std::int64_t afterUs) {
    keypadActive_ = false;
    keypadStalled_ = false;
    reader_.SetKeypadMode(false);
    ScheduleRestart(afterUs);
}

// ---------------------------------------------------------------------------------------------
// MPEG4 module

void Instrument::OnModuleStart(const std::vector<std::uint8_t>& f) {
    if (f[1] != 0xD0) {
        Violate(ViolationKind::BadConstant, "0x0D followed by " + HexByte(f[1]) + ", not 0xD0");
        return;
    }
    RequireLoader("module start");
    FaultEffect effect = Occur(Event::ModuleStart);
    if (effect.unplug)
        return;
    module_.started = true;
    Answer(effect, {scenario_.moduleStartAnswer}, T().moduleStartUs);
}

// 0xCC (0x4C for a "USA" instrument), 00 00 20 00, the application's length (4 bytes, low
// first). The module then takes its images from staging and programs itself; the line goes
// back to 115200 meanwhile, and 0xBB reports the end.
void Instrument::OnModuleLength(const std::vector<std::uint8_t>& f) {
    FaultEffect effect = Occur(Event::ModuleLength);
    if (effect.unplug)
        return;
    if (!module_.started) {
        Violate(ViolationKind::OutOfSequence, "module length frame without 0x0D 0xD0 before it");
    }
    module_.lengthFrame = f;
    if (f[1] != 0x00 || f[2] != 0x00 || f[3] != 0x20 || f[4] != 0x00) {
        Violate(ViolationKind::BadConstant, "module length frame " + HexBytes(f) + "(expected " +
                                                HexByte(f[0]) + " 00 00 20 00 and the length)");
    }
    const bool usa = memory_.RegionText() == "USA";
    const std::uint8_t expected = usa ? kLengthFrameUsa : kLengthFrame;
    if (f[0] != expected) {
        Violate(ViolationKind::BadConstant, "module length frame starts " + HexByte(f[0]) +
                                                " for a region \"" + memory_.RegionText() +
                                                "\" instrument; expected " + HexByte(expected));
    }
    const std::uint32_t length = static_cast<std::uint32_t>(f[5]) | f[6] << 8 | f[7] << 16 |
                                 static_cast<std::uint32_t>(f[8]) << 24;
    if (length == 0 || length > kLongestApplication) {
        Violate(ViolationKind::BadLength,
                "module application length " + std::to_string(length) + " is impossible");
        return;
    }
    Answer(effect, {}, T().answerUs);
    Schedule(T().answerUs, [this] { port_.SetDeviceBaud(kNormalBaud); });
    if (effect.noAnswer || effect.stall)
        return;  // the module never finishes
    Schedule(T().moduleProgramUs + effect.extraDelayUs,
             [this, length] { OnModuleFinished(length); });
}

void Instrument::OnModuleFinished(std::uint32_t applicationLength) {
    FaultEffect effect = Occur(Event::ModuleFinish);
    if (effect.unplug)
        return;
    if (effect.noAnswer || effect.stall) {
        transcript_.Note(NowUs(), "module never finishes");
        return;
    }
    // The module has taken its images: they are kept for the tests and their banks erased.
    module_.application = memory_.staging.Read(kModuleApplicationAddress, applicationLength);
    module_.secondImage = memory_.staging.Read(kModuleSecondImageAddress, secondImageEnd_);
    const std::uint32_t lastBank = (kModuleApplicationAddress + applicationLength - 1) >> 16;
    for (std::uint32_t bank = kModuleApplicationAddress >> 16; bank <= lastBank; ++bank) {
        memory_.EraseStagingBank(static_cast<std::uint8_t>(bank));
    }
    memory_.EraseStagingBank(kModuleSecondImageAddress >> 16);
    secondImageEnd_ = 0;
    // From now on the module runs the software it was given: the release the program carries.
    // Unless it refuses it: it reports done all the same and goes on with its old software.
    if (effect.refuse) {
        transcript_.Note(NowUs(), "module keeps its old software");
    } else {
        scenario_.module.version = kUpdatedModuleVersion;
        scenario_.module.build = 0;
    }
    module_.finished = true;
    module_.started = false;
    Answer(effect, {kModuleDone}, 0);
    ScheduleRestart(T().answerUs + effect.extraDelayUs);
}

}  // namespace kell::sim
