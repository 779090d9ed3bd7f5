#pragma once

#include <bitset>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/line_device.h"
#include "platform/scheduler.h"
#include "sim/fault_plan.h"
#include "sim/frame_reader.h"
#include "sim/keypad_procedure.h"
#include "sim/memory_map.h"
#include "sim/scenario.h"
#include "sim/transcript.h"
#include "sim/violations.h"

namespace kell::sim {

// The loader code the PC uploaded, as received.
struct LoaderRecord {
    std::vector<std::uint8_t> bootstrapBlock1;  // 32 bytes through the bootstrap mode
    std::vector<std::uint8_t> bootstrapBlock3;  // 968 bytes through the bootstrap mode
    std::vector<std::uint8_t> stage1Block;      // 144 bytes of 0x04 0x90 0x00
    std::vector<std::uint8_t> stage2Block;      // 968 bytes of 0x04 0xC8 0x03
    int stage1Count = 0;
    int stage2Count = 0;
};

// The MPEG4 module step as the instrument saw it.
struct ModuleRecord {
    bool started = false;                   // 0x0D 0xD0 received
    std::vector<std::uint8_t> lengthFrame;  // the 9-byte frame
    bool finished = false;                  // 0xBB sent
    std::vector<std::uint8_t> application;  // taken from staging when the module finished
    std::vector<std::uint8_t> secondImage;
};

// A 0x02 call frame (the line-speed change among them).
struct CallRecord {
    std::uint8_t selector;
    std::uint16_t word;
    std::vector<std::uint8_t> data;
};

// The simulated instrument: the far end of a serial line. It answers every command family of
// the protocol from its own memory, really changes its flash on a commit, restarts, checks every
// frame it receives and keeps a transcript. It runs on any Clock + Scheduler + DevicePort: the
// virtual line in tests, a pseudo-terminal in the standalone program.
//
//     VirtualClock clock;
//     VirtualLine line(clock);
//     kell::sim::Instrument instrument(clock, clock, line, scenario);
//     line.Attach(&instrument);
class Instrument : public LineDevice {
  public:
    Instrument(Clock& clock, Scheduler& scheduler, DevicePort& port, Scenario scenario);
    ~Instrument() override;
    Instrument(const Instrument&) = delete;
    Instrument& operator=(const Instrument&) = delete;

    // LineDevice
    void OnByteFromHost(std::uint8_t byte) override;
    void OnRtsChanged(bool on) override;
    void OnHostOpened() override;
    void OnHostClosed() override;

    // Misbehaving on purpose, now or at a later event.
    void AddFault(const Fault& fault) { faults_.Add(fault); }
    void LeaveLink();  // sends 0x0A at once
    void Unplug();     // the port disappears for good
    void Restart();    // restarts at once (silent for the scenario's restart time)

    // State.
    const Scenario& GetScenario() const { return scenario_; }
    Mode CurrentMode() const { return mode_; }
    bool Restarting() const { return restarting_; }
    bool LoaderRunning() const { return loaderRunning_; }
    bool LinkUp() const { return linkUp_; }
    bool Unplugged() const { return unplugged_; }
    bool InKeypadProcedure() const { return keypadActive_; }
    std::uint32_t LineSpeed() const { return port_.DeviceBaud(); }
    int Restarts() const { return restarts_; }
    int RtsPulses() const { return rtsPulses_; }

    // Memory.
    const InstrumentMemory& Memory() const { return memory_; }
    std::vector<std::uint8_t> Flash(std::uint32_t address, std::size_t count) const {
        return memory_.flash.Read(address, count);
    }
    std::vector<std::uint8_t> FlashSegment(std::uint8_t segment) const {
        return memory_.flash.Page(segment);
    }
    std::vector<std::uint8_t> Staging(std::uint32_t address, std::size_t count) const {
        return memory_.staging.Read(address, count);
    }
    std::vector<std::uint8_t> Working(std::uint32_t address, std::size_t count) const {
        return memory_.working.Read(address, count);
    }
    std::vector<std::uint8_t> RamBuffer(std::uint32_t address, std::size_t count) const {
        return memory_.ram.Read(address, count);
    }
    std::vector<std::uint8_t> Eeprom(char letter, std::uint8_t bank, std::uint16_t address,
                                     std::size_t count) const {
        return memory_.Eeprom(letter, static_cast<std::uint32_t>(bank) << 16 | address, count);
    }
    std::string FirmwareVersion() const { return memory_.FirmwareVersion(); }

    // What the procedures received.
    const KeypadRecord& Keypad() const { return keypadRecord_; }
    const ModuleRecord& Module() const { return module_; }
    const LoaderRecord& Loader() const { return loader_; }
    const std::vector<CallRecord>& Calls() const { return calls_; }

    // Checks and transcript.
    const ViolationLog& Violations() const { return violations_; }
    const Transcript& GetTranscript() const { return transcript_; }
    std::int64_t OriginUs() const { return originUs_; }
    // A readable account for a failing test: state, violations and the transcript's tail
    // (transcriptTail entries; 0 for all of it).
    std::string Report(std::size_t transcriptTail = 200) const;

  private:
    enum class BootStage { WaitSync, Block1, Block3 };

    // Intake.
    void BootstrapByte(std::uint8_t byte);
    void CommandByte(std::uint8_t byte);
    void WatchFrameGap();
    void Dispatch(const std::vector<std::uint8_t>& frame);

    // Command families (one file each).
    void OnProbe();
    void OnEndOfLink();
    void OnCommand01(const std::vector<std::uint8_t>& f);
    void OnReadParameter(const std::vector<std::uint8_t>& f);
    void OnQueryPeripheral(const std::vector<std::uint8_t>& f);
    void OnReadWords(const std::vector<std::uint8_t>& f);
    void OnModuleIdentity();
    void OnModuleSerial();
    void OnBootstrapUploaded();
    void OnLoaderStage(const std::vector<std::uint8_t>& f);
    void OnStagingPrepare();
    void OnStagingErase(const std::vector<std::uint8_t>& f);
    void OnBlock(const std::vector<std::uint8_t>& f);
    void OnFiller();
    void OnCommit(const std::vector<std::uint8_t>& f);
    void OnBufferFrame(const std::vector<std::uint8_t>& f);
    void OnSectorFrame(const std::vector<std::uint8_t>& f);
    void OnFrame02(const std::vector<std::uint8_t>& f);
    void OnCallFrame(const std::vector<std::uint8_t>& f);
    void OnEepromWrite(const std::vector<std::uint8_t>& f);
    void OnSectorErase(const std::vector<std::uint8_t>& f);
    void OnKeypadStart();
    void OnKeypadFrame(const std::vector<std::uint8_t>& f);
    void OnModuleStart(const std::vector<std::uint8_t>& f);
    void OnModuleLength(const std::vector<std::uint8_t>& f);
    void OnModuleFinished(std::uint32_t applicationLength);
    void OnFinishOrClosing(const std::vector<std::uint8_t>& f);

    // Helpers of the families.
    void CheckRecordsAfterWrite(char letter, std::uint8_t bank, std::uint16_t address,
                                std::size_t count);
    bool InRaster(std::uint32_t address) const;
    void EmitKeypad(const KeypadProcedure::Output& out, const FaultEffect& effect);
    void EndKeypad(std::int64_t afterUs);
    void RequireLoader(const char* what);

    // Answers, timers, restarts.
    FaultEffect Occur(Event event);
    void Answer(const FaultEffect& effect, std::vector<std::uint8_t> bytes, std::int64_t delayUs);
    void SendLater(std::int64_t delayUs, std::vector<std::uint8_t> bytes);
    void Transmit(const std::vector<std::uint8_t>& bytes);
    Scheduler::EventId Schedule(std::int64_t delayUs, std::function<void()> action);
    void CancelTimer(Scheduler::EventId& id);
    void CancelAllTimers();
    void ScheduleRestart(std::int64_t afterUs);
    void BeginRestart();
    void EndRestart();
    void ComeBack(const FaultEffect& effect);
    void Violate(ViolationKind kind, std::string text);
    std::int64_t NowUs() const { return clock_.MonotonicUs(); }
    const Timing& T() const { return scenario_.timing; }

    Clock& clock_;
    Scheduler& scheduler_;
    DevicePort& port_;
    Scenario scenario_;
    std::int64_t originUs_;

    Mode mode_;
    bool restarting_ = false;
    bool unplugged_ = false;
    bool linkUp_ = false;
    bool loaderRunning_ = false;
    bool loaderStage1_ = false;
    int restarts_ = 0;
    int rtsPulses_ = 0;

    BootStage bootStage_ = BootStage::WaitSync;
    std::vector<std::uint8_t> bootBytes_;

    FrameReader reader_;
    std::int64_t lastByteUs_ = 0;
    Scheduler::EventId frameTimer_ = 0;
    std::int64_t lastFillerAnswerUs_ = -1'000'000'000;

    InstrumentMemory memory_;
    std::uint32_t secondImageEnd_ = 0;  // end of what was staged for the second module image
    std::map<std::uint32_t, std::bitset<256>> pendingRecords_;  // letter << 24 | bank << 16 | base

    std::unique_ptr<KeypadProcedure> keypad_;
    bool keypadActive_ = false;
    bool keypadStalled_ = false;
    Scheduler::EventId keypadTimer_ = 0;
    KeypadRecord keypadRecord_;

    ModuleRecord module_;
    LoaderRecord loader_;
    std::vector<CallRecord> calls_;

    FaultPlan faults_;
    ViolationLog violations_;
    Transcript transcript_;
    std::set<Scheduler::EventId> timers_;
};

}  // namespace kell::sim
