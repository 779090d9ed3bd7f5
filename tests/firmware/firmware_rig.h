#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "firmware/diferencial.h"
#include "link/loader_blocks.h"
#include "tests/firmware/scripted_loader.h"
#include "tests/support/hex_records.h"
#include "tests/support/updater_rig.h"

namespace kell::testing {

// `count` bytes counting up from `first`, so that every block's bytes tell where they came from.
inline Bytes Counting(std::size_t count, std::uint8_t first = 0) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}
// `records` data records of `size` bytes from `address` on, without gaps.
inline std::string DataRun(std::uint16_t address, int records, std::size_t size = 32) {
    std::string text;
    for (int i = 0; i < records; ++i) {
        const auto at = static_cast<std::uint16_t>(address + i * size);
        text += HexLine(0x00, at, Counting(size, static_cast<std::uint8_t>(at)));
    }
    return text;
}

// A main-firmware transfer on a scripted loader: the session's fields, the graphics uploader
// and a firmware text, as the main window would lend them. The loader blocks are restored
// afterwards, as a patch in one test would otherwise hold for the next.
struct FirmwareRig : UpdaterRig<ScriptedLoader> {
    explicit FirmwareRig(std::string text = EndOfFileLine(), std::uint32_t baud = 500000)
        : UpdaterRig(kMidSecond, baud), hexText(std::move(text)) {
        reader.recordCount =
            static_cast<std::int32_t>(std::count(hexText.begin(), hexText.end(), '\n'));
        Timer_desconexion.enabled = true;
        ProgressBar_general.SetRange(0, 1000);
    }
    ~FirmwareRig() { TBoot::RestorePristine(); }

    MainWindowLoan Loan() {
        return MainWindowLoan{graficos,      fileOp,          &reader,   pagePresent,
                              plansSelected, plansTypeIsZero, plansType, checkFpga};
    }
    TCDiferencial Make() { return TCDiferencial(session, Loan()); }
    void FlagPages(std::initializer_list<int> flagged) {
        for (int page : flagged)
            pagePresent[static_cast<std::size_t>(page)] = true;
    }
    // The accepted blocks' lengths, in order.
    std::vector<std::size_t> BlockSizes() const {
        std::vector<std::size_t> sizes;
        for (const auto& block : loader.blocks)
            sizes.push_back(block.data.size());
        return sizes;
    }

    ScriptedLoader& loader = instrument;
    std::string hexText;
    TFile_op fileOp{hexText};
    TInterprete_hex reader{fileOp};

    TGraficos graficos;
    PageFlags pagePresent{};
    bool plansSelected = false;
    bool plansTypeIsZero = false;
    int plansType = 0;
    bool checkFpga = false;
};

}  // namespace kell::testing
