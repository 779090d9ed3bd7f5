#include "sim/instrument.h"

#include <algorithm>
#include <cstdio>

#include "sim/hex_text.h"

// The instrument's core: taking bytes, cutting them into frames, handing each frame to its
// family, sending answers at their times, restarting. The families live in instrument_*.cpp.
namespace kell::sim {
namespace {

constexpr std::uint32_t kBootBlock1 = 32;
constexpr std::uint32_t kBootBlock3 = 968;
constexpr std::uint32_t kNormalBaud = 115200;
// How long after a restart begins a USB device is off the bus.
constexpr std::int64_t kBusDropUs = 50'000;

}  // namespace

Instrument::Instrument(Clock& clock, Scheduler& scheduler, DevicePort& port, Scenario scenario)
    : clock_(clock),
      scheduler_(scheduler),
      port_(port),
      scenario_(std::move(scenario)),
      originUs_(clock.MonotonicUs()),
      mode_(scenario_.mode),
      faults_(scenario_.faults),
      transcript_(originUs_) {
    transcript_.SetEnabled(scenario_.keepTranscript);
    memory_.Load(scenario_);
    port_.SetDeviceBaud(kNormalBaud);
}

Instrument::~Instrument() {
    CancelAllTimers();
}

// ---------------------------------------------------------------------------------------------
// Intake

void Instrument::OnByteFromHost(std::uint8_t byte) {
    if (unplugged_)
        return;
    const std::int64_t now = NowUs();
    transcript_.Record(Transcript::Direction::FromHost, now, &byte, 1);
    if (restarting_)
        return;  // nobody listens while the instrument restarts
    lastByteUs_ = now;
    switch (mode_) {
        case Mode::Busy:
            if (byte == 0x00)
                Answer(Occur(Event::Probe), {0x6D}, T().answerUs);
            return;
        case Mode::Bootstrap:
            BootstrapByte(byte);
            return;
        case Mode::Running:
            CommandByte(byte);
            return;
    }
}

void Instrument::OnRtsChanged(bool on) {
    if (on)
        ++rtsPulses_;
}

void Instrument::OnHostOpened() {
    transcript_.Note(NowUs(), "PC opened the port");
}
void Instrument::OnHostClosed() {
    transcript_.Note(NowUs(), "PC closed the port");
}

// The processor's bootstrap mode: a probe byte, then 32 bytes of a small loader that takes the
// 968 bytes of the real one and starts it.
void Instrument::BootstrapByte(std::uint8_t byte) {
    if (bootStage_ == BootStage::WaitSync) {
        if (byte != 0x00)
            return;
        FaultEffect effect = Occur(Event::Probe);
        if (effect.unplug)
            return;
        Answer(effect, {0xD5}, T().answerUs);
        if (effect.noAnswer || effect.replace || effect.leaveLink)
            return;
        bootStage_ = BootStage::Block1;
        bootBytes_.clear();
        WatchFrameGap();
        return;
    }
    bootBytes_.push_back(byte);
    WatchFrameGap();
    if (bootStage_ == BootStage::Block1 && bootBytes_.size() == kBootBlock1) {
        loader_.bootstrapBlock1 = bootBytes_;
        bootBytes_.clear();
        bootStage_ = BootStage::Block3;
    } else if (bootStage_ == BootStage::Block3 && bootBytes_.size() == kBootBlock3) {
        loader_.bootstrapBlock3 = bootBytes_;
        bootBytes_.clear();
        bootStage_ = BootStage::WaitSync;
        OnBootstrapUploaded();
    }
}

void Instrument::CommandByte(std::uint8_t byte) {
    switch (reader_.Feed(byte)) {
        case FrameReader::Result::Incomplete:
            WatchFrameGap();
            return;
        case FrameReader::Result::Complete: {
            const std::vector<std::uint8_t> frame = reader_.Frame();
            Dispatch(frame);
            return;
        }
        case FrameReader::Result::Unknown:
            Violate(ViolationKind::UnknownCommand,
                    keypadActive_ ? "byte " + HexByte(byte) + " where a keypad frame was expected"
                                  : "byte " + HexByte(byte) + " starts no command; ignored");
            return;
        case FrameReader::Result::Malformed:
            Violate(ViolationKind::BadLength, "loader stage announces an impossible length");
            return;
    }
}

// A frame that stops half-way is dropped after a silence, so that the next command is read
// from its first byte again. One timer serves a whole frame: it looks at the time of the last
// byte when it fires and waits again when bytes came meanwhile.
void Instrument::WatchFrameGap() {
    if (frameTimer_ != 0)
        return;
    const std::int64_t gap = mode_ == Mode::Bootstrap ? T().bootstrapGapUs : T().frameGapUs;
    const std::int64_t wait = gap - (NowUs() - lastByteUs_);
    frameTimer_ = Schedule(wait > 0 ? wait : 0, [this, gap] {
        frameTimer_ = 0;
        const std::int64_t quiet = NowUs() - lastByteUs_;
        const bool pending =
            mode_ == Mode::Bootstrap ? bootStage_ != BootStage::WaitSync : reader_.Pending() > 0;
        if (!pending)
            return;
        if (quiet < gap) {
            WatchFrameGap();
            return;
        }
        if (mode_ == Mode::Bootstrap) {
            Violate(ViolationKind::FrameTimeout,
                    "bootstrap upload stopped after " +
                        std::to_string(bootBytes_.size() +
                                       (bootStage_ == BootStage::Block3 ? kBootBlock1 : 0)) +
                        " bytes");
            bootStage_ = BootStage::WaitSync;
            bootBytes_.clear();
            return;
        }
        Violate(ViolationKind::FrameTimeout,
                "frame " + HexBytes(reader_.Frame(), 6) + "stopped after " +
                    std::to_string(reader_.Pending()) + " of " +
                    (reader_.Expected() ? std::to_string(reader_.Expected()) : "?") + " bytes");
        reader_.Reset();
    });
}

void Instrument::Dispatch(const std::vector<std::uint8_t>& f) {
    if (keypadActive_) {
        OnKeypadFrame(f);
        return;
    }
    switch (f[0]) {
        case 0x00:
            OnProbe();
            break;
        case 0x0A:
            OnEndOfLink();
            break;
        case 0x01:
            OnCommand01(f);
            break;
        case 0x02:
            OnFrame02(f);
            break;
        case 0x03:
            OnBlock(f);
            break;
        case 0x04:
            OnLoaderStage(f);
            break;
        case 0x07:
            OnStagingErase(f);
            break;
        case 0x09:
            OnCommit(f);
            break;
        case 0x0C:
            OnSectorErase(f);
            break;
        case 0x0D:
            OnModuleStart(f);
            break;
        case 0x0F:
            OnFinishOrClosing(f);
            break;
        case 0x4C:
        case 0xCC:
            OnModuleLength(f);
            break;
        case 0x5A:
            OnBufferFrame(f);
            break;
        case 0x5B:
            OnSectorFrame(f);
            break;
        case 0xAA:
            OnStagingPrepare();
            break;
        case 0xBB:
            OnKeypadStart();
            break;
        case 0xBC:
            Violate(ViolationKind::OutOfSequence, "keypad frame outside the keypad procedure");
            break;
        case 0xBF:
            OnModuleIdentity();
            break;
        case 0xC0:
            OnModuleSerial();
            break;
        case 0xFF:
            OnFiller();
            break;
        default:
            break;  // the reader knows no other first byte
    }
}

// ---------------------------------------------------------------------------------------------
// Link

void Instrument::OnProbe() {
    FaultEffect effect = Occur(Event::Probe);
    if (effect.unplug)
        return;
    linkUp_ = true;
    Answer(effect, {0x5D}, T().answerUs);
}

void Instrument::OnEndOfLink() {
    FaultEffect effect = Occur(Event::EndOfLink);
    if (effect.unplug)
        return;
    linkUp_ = false;
    Answer(effect, {}, T().answerUs);
}

void Instrument::LeaveLink() {
    if (unplugged_)
        return;
    linkUp_ = false;
    Transmit({0x0A});
}

void Instrument::Unplug() {
    if (unplugged_)
        return;
    unplugged_ = true;
    transcript_.Note(NowUs(), "port unplugged");
    CancelAllTimers();
    port_.Unplug();
}

void Instrument::Restart() {
    BeginRestart();
}

void Instrument::OnFinishOrClosing(const std::vector<std::uint8_t>& f) {
    if (f[1] == 0x00) {
        FaultEffect effect = Occur(Event::Finish);
        if (effect.unplug)
            return;
        Answer(effect, {}, T().answerUs);
        if (!effect.noAnswer)
            ScheduleRestart(T().answerUs);
        return;
    }
    if (f[1] == 0xF0) {
        FaultEffect effect = Occur(Event::Closing);
        if (effect.unplug)
            return;
        loaderRunning_ = false;  // back to the firmware
        loaderStage1_ = false;
        Answer(effect, {}, T().answerUs);
        return;
    }
    Violate(ViolationKind::BadConstant, "0x0F followed by " + HexByte(f[1]));
}

// ---------------------------------------------------------------------------------------------
// Answers and timers

FaultEffect Instrument::Occur(Event event) {
    FaultEffect effect = faults_.Next(event);
    if (effect.Any()) {
        transcript_.Note(NowUs(), "fault at " + std::string(EventName(event)) + " #" +
                                      std::to_string(faults_.Occurrences(event)));
    }
    if (effect.unplug)
        Unplug();
    return effect;
}

void Instrument::Answer(const FaultEffect& effect, std::vector<std::uint8_t> bytes,
                        std::int64_t delayUs) {
    if (effect.noAnswer || effect.unplug)
        return;
    std::vector<std::uint8_t> out = effect.strayBytes;
    if (effect.leaveLink) {
        linkUp_ = false;
        out.push_back(0x0A);
    } else if (effect.replace) {
        out.insert(out.end(), effect.wrongAnswer.begin(), effect.wrongAnswer.end());
    } else {
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    if (!out.empty())
        SendLater(delayUs + effect.extraDelayUs, std::move(out));
}

void Instrument::SendLater(std::int64_t delayUs, std::vector<std::uint8_t> bytes) {
    Schedule(delayUs, [this, bytes = std::move(bytes)] { Transmit(bytes); });
}

void Instrument::Transmit(const std::vector<std::uint8_t>& bytes) {
    if (unplugged_ || restarting_ || bytes.empty())
        return;
    transcript_.Record(Transcript::Direction::ToHost, NowUs(), bytes.data(), bytes.size());
    port_.SendToHost(bytes.data(), bytes.size());
}

Scheduler::EventId Instrument::Schedule(std::int64_t delayUs, std::function<void()> action) {
    auto slot = std::make_shared<Scheduler::EventId>(0);
    const Scheduler::EventId id =
        scheduler_.After(delayUs < 0 ? 0 : delayUs, [this, slot, action = std::move(action)] {
            timers_.erase(*slot);
            action();
        });
    *slot = id;
    timers_.insert(id);
    return id;
}

void Instrument::CancelTimer(Scheduler::EventId& id) {
    if (id == 0)
        return;
    scheduler_.Cancel(id);
    timers_.erase(id);
    id = 0;
}

void Instrument::CancelAllTimers() {
    for (Scheduler::EventId id : timers_)
        scheduler_.Cancel(id);
    timers_.clear();
    frameTimer_ = 0;
    keypadTimer_ = 0;
}

void Instrument::ScheduleRestart(std::int64_t afterUs) {
    Schedule(afterUs, [this] { BeginRestart(); });
}

void Instrument::BeginRestart() {
    if (restarting_ || unplugged_)
        return;
    restarting_ = true;
    ++restarts_;
    transcript_.Note(NowUs(), "instrument restarts");
    CancelAllTimers();
    reader_.SetKeypadMode(false);
    reader_.Reset();
    keypadActive_ = false;
    linkUp_ = false;
    loaderRunning_ = false;
    loaderStage1_ = false;
    module_.started = false;
    bootStage_ = BootStage::WaitSync;
    bootBytes_.clear();
    memory_.ram.Clear();
    port_.SetDeviceBaud(kNormalBaud);
    // A USB device drops off the bus a moment after its restart begins, so what it sent last
    // (the module's 0xBB, the finish's answer) reaches the PC before its port goes.
    Schedule(std::min(kBusDropUs, T().restartUs / 2), [this] { port_.LeaveBus(); });
    Schedule(T().restartUs, [this] { EndRestart(); });
}

void Instrument::EndRestart() {
    FaultEffect effect = Occur(Event::Restart);
    if (effect.unplug)
        return;
    if (effect.noAnswer || effect.stall) {
        transcript_.Note(NowUs(), "instrument does not come back");
        return;
    }
    if (effect.extraDelayUs > 0) {
        // A restart that takes longer than it should: silent for the extra time as well.
        transcript_.Note(
            NowUs(), "restart takes " + std::to_string(effect.extraDelayUs / 1000) + " ms longer");
        const std::int64_t extra = effect.extraDelayUs;
        effect.extraDelayUs = 0;
        Schedule(extra, [this, effect] { ComeBack(effect); });
        return;
    }
    ComeBack(effect);
}

void Instrument::ComeBack(const FaultEffect& effect) {
    restarting_ = false;
    port_.JoinBus();
    mode_ = scenario_.modeAfterRestart;
    if (restarts_ == 1 && scenario_.identityAfterRestart) {
        memory_.SetIdentity(*scenario_.identityAfterRestart);
    }
    transcript_.Note(NowUs(), "instrument back (" + std::string(ModeName(mode_)) + ")");
    Answer(effect, {}, T().answerUs);
}

void Instrument::Violate(ViolationKind kind, std::string text) {
    transcript_.Note(
        NowUs(), std::string("violation: ") + std::string(ViolationKindName(kind)) + ": " + text);
    violations_.Add(NowUs(), kind, std::move(text));
}

void Instrument::RequireLoader(const char* what) {
    if (!loaderRunning_) {
        Violate(ViolationKind::OutOfSequence,
                std::string(what) + " while the loader is not running");
    }
}

// ---------------------------------------------------------------------------------------------
// Report

std::string Instrument::Report(std::size_t transcriptTail) const {
    std::string out = "simulated instrument \"" + scenario_.name + "\"\n";
    auto plan = memory_.ReadFunction(kPlanSegment, 0, 5);
    auto fpga = memory_.ReadFunction(kFpgaSegment, 0, 16);
    char buf[160];
    std::snprintf(buf, sizeof buf,
                  "  mode %s%s, line %u baud, %d restart(s), loader %s\n"
                  "  firmware %s, FPGA %u.%u, plan type %u version %u, region \"%s\"\n",
                  std::string(ModeName(mode_)).c_str(), restarting_ ? " (restarting)" : "",
                  port_.DeviceBaud(), restarts_, loaderRunning_ ? "running" : "not running",
                  memory_.FirmwareVersion().c_str(), fpga[11], fpga[10], plan[4],
                  plan[2] << 8 | plan[3], memory_.RegionText().c_str());
    out += buf;
    std::snprintf(buf, sizeof buf,
                  "  keypad: %zu block(s), end code %d; module: %s, %zu + %zu byte(s) taken\n",
                  keypadRecord_.blocks.size(), keypadRecord_.endCode,
                  module_.finished ? "finished" : (module_.started ? "started" : "idle"),
                  module_.application.size(), module_.secondImage.size());
    out += buf;
    out += "  " + std::to_string(transcript_.ByteCount(Transcript::Direction::FromHost)) +
           " byte(s) received, " +
           std::to_string(transcript_.ByteCount(Transcript::Direction::ToHost)) + " sent\n";
    out += "violations (" + std::to_string(violations_.Entries().size()) + "):\n";
    out += violations_.Format(originUs_);
    out += "transcript:\n";
    out += transcript_.Format(transcriptTail);
    return out;
}

}  // namespace kell::sim
