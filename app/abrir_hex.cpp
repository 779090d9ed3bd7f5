// The start-up check of the embedded main firmware text.
#include <algorithm>
#include <new>
#include <optional>
#include <string>

#include "app/ventana_brisca.h"
#include "image/hex_record.h"

namespace kell {
namespace {

// The firmware's version text lies in bank 0xC3: the release at offset 0x0010, the build at
// offset 0x0016.
constexpr std::uint8_t kVersionBank = 0xC3;
constexpr std::uint16_t kReleaseOffset = 0x0010;
constexpr std::uint16_t kBuildOffset = 0x0016;
constexpr std::size_t kReleaseLength = 4;
constexpr std::size_t kBuildLength = 5;

std::string FailureMessage(int result, int lineIndex) {
    const std::string line = "La linea: " + std::to_string(lineIndex);
    switch (result) {
        case kHexNoColon:
            return line + " NO es un record";
        case kHexBadChecksum:
            return line + " tiene un checksum incorrecto";
        case kHexTextEnd:
            return std::string("El fichero ha terminado ") + "antes de lo esperado";
        default:
            return line + " tiene un formato incorrecto";
    }
}

// Copies the bytes a record has (at most length) into the version text at start.
void CopyVersionPart(std::array<char, 11>& version, std::size_t start, std::size_t length,
                     const HexRecord& record) {
    const std::size_t n = std::min<std::size_t>(length, record.count);
    std::copy_n(record.data.begin(), n, version.begin() + static_cast<std::ptrdiff_t>(start));
}

}  // namespace

void Tventana_brisca::Abrir_hex() {
    pagePresent.fill(false);
    fileOp.Rewind();

    hexReader.reset();
    hexReader.reset(new (std::nothrow) TInterprete_hex(fileOp));
    if (!hexReader) {
        seams.notifier.Beep(1000, 500);
        seams.notifier.MessageBox("No he podido crear el objeto que interpreta el .hex",
                                  kApplicationTitle, MessageButtons::Ok);
        fileOp.Rewind();
        return;
    }

    std::optional<std::uint8_t> bank;
    HexRecord record;
    int lineIndex = 0;
    for (;;) {
        const int result = hexReader->ReadRecord(record);
        if (result != kHexRecordOk) {
            seams.notifier.Beep(1000, 500);
            seams.notifier.MessageBox(FailureMessage(result, lineIndex), kApplicationTitle,
                                      MessageButtons::Ok);
            // Without a sound image the main firmware step has nothing to send.
            hexReader.reset();
            return;
        }
        ++lineIndex;
        if (record.type == kHexEndOfFile)
            break;
        if (record.type == kHexExtendedLinearAddress && record.count >= 2) {
            const std::uint8_t upper = record.data[1];
            bank = BankByte(upper);
            if (upper < pagePresent.size())
                pagePresent[upper] = true;
        } else if (record.type == kHexData && bank == kVersionBank) {
            if (record.address == kReleaseOffset) {
                CopyVersionPart(embeddedVersion, 0, kReleaseLength, record);
                embeddedVersion[kReleaseLength] = '.';
            } else if (record.address == kBuildOffset) {
                CopyVersionPart(embeddedVersion, kReleaseLength + 1, kBuildLength, record);
                embeddedVersion[kReleaseLength + 1 + kBuildLength] = '\0';
            }
        }
    }
    hexReader->recordCount = lineIndex;
}

}  // namespace kell
