#include "modules/fpga_dialog.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

#include "link/block_transfer.h"
#include "link/progress_weights.h"
#include "link/shared_frames.h"
#include "modules/fpga_staging.h"
#include "payloads/payloads.h"

namespace kell {

namespace {

constexpr std::size_t kBlockLength = 250;

}  // namespace

TCFpga::TCFpga(SessionContext& session, bool mainFirmwareSelected)
    : mainFirmwareSelected(mainFirmwareSelected), session_(session) {}

bool TCFpga::RunWrite() {
    successFlag = false;
    Button_okClick();
    return successFlag;
}

void TCFpga::Button_okClick() {
    if (WriteSet()) {
        successFlag = true;
        Close();
    }
    imageBuffer.reset();
}

void TCFpga::Button_cancelClick() {
    SendLoaderClosing(session_.link);
    Close();
}

bool TCFpga::WriteSet() {
    if (count <= 0 || count > kMaxConfigurations)
        return false;
    if (!AssembleImage()) {
        Close();
        return false;
    }
    LinkContext& link = session_.link;
    if (!EraseFpgaStaging(link, imageLength, Lbl_estado_fpga)) {
        session_.RecordResult(kResultEraseFailed);
        return false;
    }
    if (!SendImage()) {
        session_.RecordResult(kResultBlockFailed);
        return false;
    }
    if (mainFirmwareSelected)
        return true;
    // A failed copy into flash leaves the instrument with its old set (or none): the step has
    // failed, and the session must not go on as if it had not.
    const bool committed = CommitFpgaSet(link, imageLength, Lbl_estado_fpga);
    if (!committed)
        session_.RecordResult(kResultCommitFailed);
    SendLoaderClosing(link);
    return committed;
}

bool TCFpga::AssembleImage() {
    imageBuffer.reset(new (std::nothrow) std::uint8_t[kFpgaImageBufferSize]);
    if (!imageBuffer)
        return false;
    std::vector<FpgaConfiguration> configurations;
    for (int i = 0; i < count; ++i) {
        const std::span<const std::uint8_t> bitstream = payloads::FpgaBitstream(i);
        if (bitstream.empty())
            return false;
        configurations.push_back({bitstream, descriptions[i + 1]});
    }
    imageLength = AssembleFpgaSet({imageBuffer.get(), kFpgaImageBufferSize}, configurations);
    return imageLength != 0;
}

bool TCFpga::SendImage() {
    LinkContext& link = session_.link;
    session_.Barra_progreso.SetRange(0, static_cast<int>(imageLength));
    session_.Barra_progreso.SetPosition(0);
    for (std::size_t offset = 0; offset < imageLength; offset += kBlockLength) {
        char text[48];
        std::snprintf(text, sizeof text, "Enviando : %i / %i", static_cast<int>(offset),
                      static_cast<int>(imageLength));
        Lbl_estado_fpga.caption = text;
        link.pump.PumpOnce();

        bankByte = static_cast<std::uint8_t>(kFpgaStagingBank + (offset >> 16));
        const std::size_t n = std::min(kBlockLength, imageLength - offset);
        // A block that runs past the end of a bank is sent whole at its start, as the staging
        // area is one run of banks.
        if (!SendBlock(link, bankByte, static_cast<std::uint16_t>(offset & 0xFFFF),
                       {imageBuffer.get() + offset, n}, kFpgaBlocks))
            return false;

        session_.Barra_progreso.SetPosition(static_cast<int>(offset));
        session_.ProgressBar_general.SetPosition(static_cast<int>(offset) * weights::kFpga /
                                                     session_.Barra_progreso.maximum +
                                                 session_.overallPosition);
    }
    return true;
}

}  // namespace kell
