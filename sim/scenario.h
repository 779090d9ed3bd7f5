#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a simulated instrument is: every identity fact it reports, every delay it takes, and the
// faults it commits on purpose. A plain value: tests build one in code, the standalone program
// reads one from a JSON file (scenario_json.h).
namespace kell::sim {

// How the instrument answers the link probe 0x00.
enum class Mode {
    Running,    // firmware listening: 0x5D
    Bootstrap,  // processor in its bootstrap mode: 0xD5, waits for the loader upload
    Busy,       // the third state: 0x6D, nothing else is answered
};

// The moments a fault can be attached to: each is one thing the instrument receives or does.
enum class Event {
    Probe,            // 0x00
    EndOfLink,        // 0x0A from the PC
    ReadWords,        // 0x01 with a memory function
    ReadParameter,    // 0x01 0x42
    QueryPeripheral,  // 0x01 0x50
    ModuleIdentity,   // 0xBF
    ModuleSerial,     // 0xC0
    BootstrapUpload,  // the answer 0xAD to the bootstrap uploads
    LoaderStage1,     // 0x04 0x90 0x00 + 144 bytes
    LoaderStage2,     // 0x04 0xC8 0x03 + 968 bytes
    StagingPrepare,   // 0xAA
    StagingErase,     // 0x07 0x03 ...
    Block,            // 0x03 flash block
    Filler,           // 0xFF of the PC's resynchronisation
    Commit,           // 0x09 0x41 ...
    BufferFrame,      // 0x5A
    SectorFrame,      // 0x5B
    CallFrame,        // 0x02 without 'P' (line speed among them)
    EepromWrite,      // 0x02 N+5 'P' ...
    SectorErase,      // 0x0C n
    KeypadStart,      // 0xBB, answered by the first request code
    KeypadFrame,      // each 0xBC frame of the keypad procedure
    ModuleStart,      // 0x0D 0xD0
    ModuleLength,     // the 9-byte 0xCC / 0x4C frame
    ModuleFinish,     // the 0xBB that reports the module finished
    Finish,           // 0x0F 0x00 (restarts the instrument)
    Closing,          // 0x0F 0xF0
    Restart,          // the instrument coming back after a restart
};

enum class Action {
    NoAnswer,     // the event is handled but nothing is sent (a restart does not happen)
    WrongAnswer,  // `bytes` are sent instead of the answer
    StrayBytes,   // `bytes` are sent before the answer
    Delay,        // the answer comes `delayMs` later (each progress byte of a commit); a
                  // restart lasts `delayMs` longer
    LeaveLink,    // 0x0A is sent instead of the answer
    Refuse,       // a block, EEPROM write, buffer or sector frame is refused as if it were bad;
                  // a module that finishes reports done but keeps running its old software
    Stall,        // a procedure starts and stops half-way: a commit after its erase phase,
                  // the keypad procedure after the request, the module never finishing
    Unplug,       // the port disappears as a USB unplug makes it
};

struct Fault {
    Event event = Event::Probe;
    Action action = Action::NoAnswer;
    int occurrence = 1;  // the first occurrence of the event it applies to, from 1; 0 = every one
    int times = 1;       // how many occurrences in a row from there
    std::vector<std::uint8_t> bytes;
    std::uint32_t delayMs = 0;

    bool operator==(const Fault&) const = default;
};

// Delays of the instrument, in microseconds. The defaults are well inside every limit the PC
// allows, and the restart is shorter than each of the PC's pauses (5 s at the least).
struct Timing {
    std::int64_t answerUs = 300;               // reaction to a command before its answer
    std::int64_t frameGapUs = 100'000;         // a half-received frame is dropped after this
    std::int64_t bootstrapGapUs = 500'000;     // the same for the bootstrap uploads
    std::int64_t bootstrapStartUs = 200'000;   // upload received until 0xAD
    std::int64_t stage1Us = 100'000;           // loader stage 1 until its answer
    std::int64_t stage2Us = 200'000;           // loader stage 2 until its answer
    std::int64_t stagingPrepareUs = 20'000;    // 0xAA until 'f'
    std::int64_t stagingEraseBankUs = 10'000;  // per 64 KiB bank of a 0x07 erase
    std::int64_t blockUs = 200;                // 0x03 block until '0'
    std::int64_t commitPageUs = 10'000;        // per page and phase of a commit
    std::int64_t bufferFrameUs = 200;          // 0x5A until 0xA5
    std::int64_t sectorEraseUs = 50'000;       // 0x5B erase, 0x0C erase
    std::int64_t sectorProgramUs = 100'000;    // 0x5B program
    std::int64_t eepromWriteUs = 5'000;        // 'P' write until 0x20
    std::int64_t lineSpeedUs = 1'000;          // call frame until the new speed is in force
    std::int64_t keypadAnswerUs = 300;         // keypad acknowledgements and request codes
    std::int64_t keypadProgramUs = 50'000;     // checksum record until the end code
    std::int64_t keypadTimeoutUs = 5'000'000;  // the procedure gives up waiting for the PC
    std::int64_t moduleStartUs = 1'000;        // 0x0D 0xD0 until its answer byte
    std::int64_t moduleProgramUs = 5'000'000;  // length frame until the module's 0xBB
    std::int64_t restartUs = 2'000'000;        // silent time of a restart

    bool operator==(const Timing&) const = default;
};

struct ModuleIdentity {
    bool present = true;  // without a module 0xBF and 0xC0 go unanswered
    std::uint16_t version = 162;
    std::uint16_t build = 0;
    std::uint8_t decoders = 1;
    std::uint8_t boot = 1;
    std::vector<std::uint8_t> serial;  // 64 bytes answered to 0xC0 (padded with zeros)

    bool operator==(const ModuleIdentity&) const = default;
};

// Where the instrument's screen raster lies, announced in the answer to loader stage 1.
struct Graphics {
    bool enabled = true;  // 'J' with bank and base; '@' when false
    std::uint8_t firstBank = 0x98;
    std::uint16_t baseAddress = 0x0000;

    bool operator==(const Graphics&) const = default;
};

struct Scenario {
    std::string name = "up-to-date";
    Mode mode = Mode::Running;
    Mode modeAfterRestart = Mode::Running;

    // Working memory (read with function 0x00).
    std::vector<std::uint8_t> identity = {0x4B, 0x45, 0x4C, 0x00, 0x12, 0x34, 0x56};  // at 0x6000
    std::optional<std::vector<std::uint8_t>> identityAfterRestart;  // from the first restart on
    std::array<std::uint8_t, 2> hardwareType = {0x02, 0x04};  // at 0x6030: Orvo 02 04, Tesk xx 03
    bool threeFpgaConfigurations = true;  // bit 5 of byte 26 of the option block clear
    std::uint8_t level = 40;              // low byte at 0xFEA0

    // Flash and the region store (functions 0x18, 0x1E, 0x30).
    std::string region = "EUR";  // at 0x18:0x000C, at most 3 characters
    std::string firmwareRelease = "2.04";
    std::string firmwareBuild = "00000";
    std::uint8_t fpgaMajor = 3;
    std::uint8_t fpgaMinor = 4;
    std::uint8_t planType = 1;
    std::uint16_t planVersion = 103;

    // Parameters (0x01 0x42).
    std::uint8_t zone = 1;            // parameter 526, reply byte 4
    std::uint8_t setting562 = 0;      // parameter 562, reply byte 5
    std::uint16_t setting571 = 5500;  // parameter 571, reply bytes 4 (low) and 5 (high)

    // Peripheral status (0x01 0x50 0x3F): the status byte of registers 8 and 12.
    std::uint8_t peripheralStatus8 = 0x00;
    std::uint8_t peripheralStatus12 = 0x00;

    ModuleIdentity module;
    Graphics graphics;

    // Request codes the instrument sends in the keypad procedure; the last should be an end
    // code (18 success, 19 silicon ID, 20 verify error, 21 silent failure).
    std::vector<std::uint8_t> keypadRequests = {3, 14, 16, 17, 18};
    std::uint8_t moduleStartAnswer = 0x0D;  // the byte that answers 0x0D 0xD0

    Timing timing;
    std::vector<Fault> faults;
    bool keepTranscript = true;

    bool operator==(const Scenario&) const = default;
};

// Names used in scenario files and reports ("read_words", "refuse" ...).
std::string_view EventName(Event event);
std::string_view ActionName(Action action);
std::string_view ModeName(Mode mode);
std::optional<Event> EventFromName(std::string_view name);
std::optional<Action> ActionFromName(std::string_view name);
std::optional<Mode> ModeFromName(std::string_view name);

}  // namespace kell::sim
