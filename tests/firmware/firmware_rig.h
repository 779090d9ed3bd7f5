#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "firmware/diferencial.h"
#include "link/loader_blocks.h"
#include "tests/firmware/loader_line.h"
#include "tests/support/session_rig.h"

namespace kell::test {

// One Intel HEX line with its checksum and CR LF.
inline std::string HexLine(std::uint8_t type, std::uint16_t address, const Bytes& data) {
    std::string line = ":";
    auto put = [&line](unsigned byte) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", byte & 0xFF);
        line += digits;
    };
    unsigned sum = static_cast<unsigned>(data.size()) + (address >> 8) + (address & 0xFF) + type;
    put(static_cast<unsigned>(data.size()));
    put(address >> 8);
    put(address & 0xFF);
    put(type);
    for (std::uint8_t b : data) {
        put(b);
        sum += b;
    }
    put(0x100 - (sum & 0xFF));
    return line + "\r\n";
}
inline std::string Segment(std::uint8_t segment) {
    return HexLine(0x04, 0, {0x00, segment});
}
inline std::string EndOfFile() {
    return HexLine(0x01, 0, {});
}
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
struct FirmwareRig : SessionRig<LoaderEnd> {
    explicit FirmwareRig(std::string text = EndOfFile(), std::uint32_t baud = 500000)
        : SessionRig(kMidSecond, baud), hexText(std::move(text)) {
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

}  // namespace kell::test
