// Every query the program makes of the instrument, answered with the fuzz input. The first byte
// picks the query, the second where in a second the clock starts; the rest is the instrument's
// script (support/scripted_answers.h). Each query must return within its bound once the
// instrument has fallen silent, must not crash, and must give results of the right shape.
#include <array>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "app/ventana_brisca.h"
#include "firmware/diferencial.h"
#include "fuzz/support/require.h"
#include "fuzz/support/virtual_instrument.h"
#include "link/block_transfer.h"
#include "link/device_queries.h"
#include "link/loader_frames.h"
#include "link/module_versions.h"

namespace kell::fuzz {
namespace {

// A small firmware text with the version 2.04.00012 where the start-up check looks for it.
std::string HexLine(std::uint8_t type, std::uint16_t address, const std::string& data) {
    unsigned sum = static_cast<unsigned>(data.size()) + (address >> 8) + (address & 0xFF) + type;
    std::string line(":");
    char digits[3];
    auto put = [&](unsigned byte) {
        std::snprintf(digits, sizeof digits, "%02X", byte & 0xFF);
        line += digits;
    };
    put(static_cast<unsigned>(data.size()));
    put(address >> 8);
    put(address);
    put(type);
    for (char c : data) {
        put(static_cast<unsigned char>(c));
        sum += static_cast<unsigned char>(c);
    }
    put(0x100 - (sum & 0xFF));
    return line + "\r\n";
}

const std::string& FirmwareText() {
    static const std::string text = HexLine(0x04, 0, std::string("\x00\x18", 2)) +
                                    HexLine(0x00, 0x0010, "2.04") + HexLine(0x00, 0x0016, "00012") +
                                    HexLine(0x01, 0, "");
    return text;
}

std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::vector<std::uint8_t> Pattern(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 37 + 5);
    return bytes;
}

// The main window on the virtual instrument, with the link up or down as a query expects.
struct Rig {
    Rig(std::span<const std::uint8_t> script, std::int64_t startUs)
        : world(script, startUs),
          window(std::make_unique<Tventana_brisca>(world.seams, "/nonexistent/kell-fuzz",
                                                   Bytes(FirmwareText()))) {
        window->controls.Com_extended.text = "COM" + std::to_string(kInstrumentPort);
        window->Com_extended_select();
    }
    ~Rig() {
        // The window ends its link while the instrument is still there to hear it.
        window.reset();
    }

    void LinkUp() {
        window->monitorPSerie.Configure(kInstrumentPort, window->Connection().PortSettings);
        window->Session().connected = true;
    }

    std::unique_ptr<TCDiferencial> Transfer() {
        return std::make_unique<TCDiferencial>(window->Session(), window->Loan());
    }

    VirtualInstrument world;
    std::unique_ptr<Tventana_brisca> window;
};

// How long a write may wait on a full output queue before the channel gives it up.
constexpr std::int64_t kWrite = 4;

struct Query {
    const char* name;
    // Seconds the query may still run once the instrument has fallen silent: its waits and
    // retries as the protocol bounds them, each attempt's write allowed the channel's stall
    // guard (an instrument that stopped taking bytes fills the output queue), and a second of
    // room.
    std::int64_t boundSeconds;
    bool linkUp;
    void (*run)(Rig&);
};

bool IsUpperHex(const std::string& text) {
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)) ||
            std::islower(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

void Parameter(Rig& rig, std::uint16_t identifier) {
    LinkContext link = rig.window->Link();
    bool succeeded = false;
    const int value = ReadParameter(link, identifier, &succeeded);
    Require(value >= -1 && value <= 0xFFFF, "parameter value");
}

void Peripheral(Rig& rig, bool above180) {
    LinkContext link = rig.window->Link();
    CheckPeripheralStatus(link, above180);
}

const Query kQueries[] = {
    {"ReadParameter(526)", 5 * (kWrite + 2) + 1, true,
     [](Rig& rig) { Parameter(rig, kParameterZone); }},
    {"ReadParameter(562)", 5 * (kWrite + 2) + 1, true,
     [](Rig& rig) { Parameter(rig, kParameter562); }},
    {"ReadParameter(571)", 5 * (kWrite + 2) + 1, true,
     [](Rig& rig) { Parameter(rig, kParameter571); }},
    {"ReadIdentity", 5 * (kWrite + 2) + 1, true,
     [](Rig& rig) {
         LinkContext link = rig.window->Link();
         const std::string identity = ReadIdentity(link);
         Require(identity.size() == 14 && IsUpperHex(identity), "identity text");
     }},
    {"ReadLevelAverage", 4 * 5 * (kWrite + 2) + 1, true,
     [](Rig& rig) {
         LinkContext link = rig.window->Link();
         const int level = ReadLevelAverage(link);
         Require(level >= 0 && level <= 255, "level");
     }},
    {"CheckPeripheralStatus(above 1.80)", 5 * (kWrite + 6) + 1, true,
     [](Rig& rig) { Peripheral(rig, true); }},
    {"CheckPeripheralStatus(older)", 2 * 5 * (kWrite + 6) + 1, true,
     [](Rig& rig) { Peripheral(rig, false); }},
    {"QueryPeripheral(7 bytes into 2)", 5 * (kWrite + 6) + 1, true,
     [](Rig& rig) {
         LinkContext link = rig.window->Link();
         std::array<std::uint8_t, 2> buffer = {1, 0};
         QueryPeripheral(link, 0x3F, buffer, 12, 1, 7);
     }},
    {"ReadModuleVersions", 2 * kWrite + 34 + 1, true,
     [](Rig& rig) {
         LinkContext link = rig.window->Link();
         ModuleVersions versions;
         ReadModuleVersions(link, versions);
     }},
    {"SendBlock(main flash)", 3 * kWrite + 9 + 1, true,
     [](Rig& rig) {
         LinkContext link = rig.window->Link();
         SendBlock(link, 0xC3, 0x0100, Pattern(kMaxBlockData));
     }},
    {"SendBlock(pictures)", 3 * kWrite + 9 + 1, true,
     [](Rig& rig) {
         LinkContext link = rig.window->Link();
         SendBlock(link, 0x90, 0x0000, Pattern(64), kGraphicsBlocks);
     }},
    {"SendLoaderBlocks", 10 * (kWrite + 1) + 1, true,
     [](Rig& rig) {
         LinkContext link = rig.window->Link();
         const std::vector<std::uint8_t> data = Pattern(1000);
         ProgressBar bar;
         SendLoaderBlocks(link, static_cast<std::uint32_t>(data.size()), data, bar);
         Require(bar.position <= 1000, "step bar past the data");
     }},
    {"BlankLoaderBlock", kWrite + 2 + 1, true,
     [](Rig& rig) {
         LinkContext link = rig.window->Link();
         BlankLoaderBlock(link);
     }},
    {"EraseFlashSector", kWrite + 10 + 1, true,
     [](Rig& rig) {
         LinkContext link = rig.window->Link();
         EraseFlashSector(link, 33);
     }},
    {"ProgramFlashSector", 10 * (kWrite + 10) + 1, true,
     [](Rig& rig) {
         LinkContext link = rig.window->Link();
         ProgramFlashSector(link, 4096, Pattern(4096), 33, 1, 2);
     }},
    {"StartBootstrapLoader", 2 * kWrite + 30 + 1, true,
     [](Rig& rig) { rig.Transfer()->StartBootstrapLoader(); }},
    {"LoadLoaderStage1", 2 * kWrite + 21 + 2 + 1, true,
     [](Rig& rig) { rig.Transfer()->LoadLoaderStage1(); }},
    {"LoadLoaderStage2", 21 + 2 + 1, true, [](Rig& rig) { rig.Transfer()->LoadLoaderStage2(); }},
    // The window's own exchanges. A connection identifies the instrument: some twenty queries
    // of the above, the module asked twice around a reconnection.
    {"Boton_ConectarClick", 300, false, [](Rig& rig) { rig.window->Boton_ConectarClick(); }},
    {"Reconnect", 10 * (2 * kWrite + 1) + 1, false, [](Rig& rig) { rig.window->Reconnect(); }},
    {"ReadInstrumentAtConnect", 300, true, [](Rig& rig) { rig.window->ReadInstrumentAtConnect(); }},
    {"CheckModule", 2 * (2 * kWrite + 34) + 5 + 10 * (2 * kWrite + 1) + 1, true,
     [](Rig& rig) { rig.window->CheckModule(); }},
    {"CheckUpdateAllowed", 5 * (kWrite + 2) + 1, true,
     [](Rig& rig) { rig.window->CheckUpdateAllowed(); }},
    {"EraseMemory", 10 * (kWrite + 10) + 1, true, [](Rig& rig) { rig.window->EraseMemory(); }},
    {"SetInstrumentBaud(500000)", 10 * (kWrite + 1) + kWrite + 1 + 1, true,
     [](Rig& rig) { rig.window->SetInstrumentBaud(500000); }},
    {"SendFinish", kWrite + 1 + 1, true, [](Rig& rig) { rig.window->SendFinish(); }},
    {"Mira_desconexion", 10 + kWrite + 1 + 1, true,
     [](Rig& rig) {
         // The disconnection watch as the front end's timer runs it, for ten seconds.
         Tventana_brisca& window = *rig.window;
         window.controls.Timer_desconexion.enabled = true;
         for (int tick = 0; tick < 100 && window.controls.Timer_desconexion.enabled; ++tick) {
             window.Mira_desconexion();
             rig.world.clock.SleepMs(window.controls.Timer_desconexion.intervalMs);
         }
     }},
};

}  // namespace
}  // namespace kell::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kell::fuzz;
    if (size < 2)
        return 0;
    const Query& query = kQueries[data[0] % std::size(kQueries)];
    Rig rig({data + 2, size - 2}, VirtualInstrument::StartFromByte(data[1]));
    if (query.linkUp)
        rig.LinkUp();
    rig.world.instrument.Start();
    // The write under way when the last byte came may still wait out its stall guard.
    rig.world.instrument.ExpectDoneWithin(kWrite + query.boundSeconds, query.name);
    query.run(rig);
    rig.world.instrument.Done();
    return 0;
}
