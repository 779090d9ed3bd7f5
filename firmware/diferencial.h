#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "image/file_op.h"
#include "image/interprete_hex.h"
#include "link/loader_blocks.h"
#include "link/session_context.h"
#include "modules/graphics.h"

namespace kell {

inline constexpr int kFlashPages = 64;
using PageFlags = std::array<bool, kFlashPages>;

// What the main window lends a main-firmware transfer besides the session view. The references
// must outlive the TCDiferencial built on them.
struct MainWindowLoan {
    TGraficos& graficos;  // the loader's handshake says whether and where pictures go
    TFile_op& fileOp;     // the cursor hexReader reads through; rewound before the stream
    // The reader of the embedded firmware text; null when the start-up check failed, in which
    // case the stream fails. Its recordCount is the step bar's range during the stream.
    TInterprete_hex* hexReader = nullptr;
    // The pages the embedded firmware fills. Copied at construction; ProgramMainFirmware marks
    // the channel-plan pages 30 and 31 in it (the main window keeps them) and in its copy.
    PageFlags& pagePresent;
    bool plansSelected = false;    // new channel plans were accepted for this session
    bool plansTypeIsZero = false;  // ... and they are of type 0, which spills into page 31
    int plansType = 0;             // the instrument's plan type, 0 to 4
    bool checkFpga = false;        // Check_fpga: the FPGA step started the loader already
};

// One main-firmware transfer: starts the instrument's loader (through the processor's
// bootstrap mode or through the running firmware), erases the loader's staging area, streams
// the embedded Intel HEX firmware into it as flash blocks, adds the channel-plan table and
// commits the marked 64 KiB pages. Every wait is bounded.
//
// The main window builds one for each use and destroys it afterwards:
//   - connection, when the probe was answered from bootstrap mode:  StartBootstrapLoader()
//   - the FPGA step, before it writes:                              PrepareLoader()
//   - the main firmware step:                                       ProgramMainFirmware()
// e.g.  diferencial = std::make_unique<TCDiferencial>(Session(), MainWindowLoan{...});
//       bool ok = diferencial->ProgramMainFirmware();
//       diferencial.reset();
class TCDiferencial {
  public:
    TCDiferencial(const SessionContext& session, const MainWindowLoan& loan);

    // The processor's bootstrap mode takes loader blocks 1 and 3 and answers 0xAD once the
    // loader runs. Another answer beeps; none within 30 s fails.
    bool StartBootstrapLoader();
    // The running firmware takes loader block 2 and answers 'J' with the picture raster's
    // first bank and base address (pictures enabled) or '@' (no pictures). Sets the step start
    // time; its waits end 20 s after it.
    bool LoadLoaderStage1();
    // Loader block 3, sent slowly; the loader answers 0xAD within 20 s of the step start time.
    bool LoadLoaderStage2();
    // Patches the loader block, then runs both loader stages (the FPGA step's preparation).
    // The result of the last stage run.
    bool PrepareLoader();
    // Starts the loader as the main firmware step does when no FPGA step started it: the
    // disconnection watch off, the loader block patched, then both stages, the second whatever
    // the first's result (the next exchange finds out whether the loader runs). False only
    // when the program carries no loader blocks.
    bool RunLoaderStages();

    // Empties the loader's staging area: 0xAA answered 'f' (5 tries), then the erase frame
    // answered 'p' (3 tries).
    bool EraseStaging();
    // Streams the data records of the flagged pages as blocks of just over 200 bytes, moving
    // both bars. False on a bad record, a refused block, or the stop flag.
    bool StreamFirmware();
    // Sends the channel-plan table of plansType to segment 0x1E in 128-byte blocks. False for
    // a refused block or a plan type the program carries no table for.
    bool SendPlanTable();
    // Has the loader copy the flagged pages from the staging area into place, following its
    // progress bytes on both bars; ends on two 0x80 within 10 minutes of sending the frame.
    bool CommitFlash();
    // The loader's closing frame 0x0F 0xF0.
    void SendClosing();
    // One flash block at the current bank byte.
    bool SendBlock(std::span<const std::uint8_t> data, std::uint16_t address);

    // The whole main firmware step. Records the session's result code: 20 for an erase, a
    // stream that failed, or a link that was down when the step began; 21 for the plan table;
    // 22 for a stop request after the stream; 23 for the commit. True when the firmware was
    // committed.
    bool ProgramMainFirmware();

    TBoot boot;
    std::uint8_t bankByte = 0;  // bank of the next block
    PageFlags pages{};          // the pages whose records are streamed and committed

  private:
    LinkContext& Link() { return session_.link; }
    void MarkPlanPages();

    SessionContext session_;
    MainWindowLoan loan_;
};

}  // namespace kell
