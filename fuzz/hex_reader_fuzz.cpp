// The Intel HEX reader and the start-up check of the firmware text, over any text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "app/ventana_brisca.h"
#include "fuzz/support/require.h"
#include "fuzz/support/virtual_instrument.h"
#include "image/file_op.h"
#include "image/interprete_hex.h"

using kell::fuzz::Require;

namespace {

bool IsDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// Every record the reader hands out was written whole on its line; every call moves on.
void ReadEveryRecord(std::span<const std::uint8_t> text) {
    using namespace kell;
    TFile_op file(text);
    TInterprete_hex reader(file);
    HexRecord record;
    for (;;) {
        const std::int32_t before = file.Position();
        const int result = reader.ReadRecord(record);
        Require(std::strlen(reader.Line()) <= TInterprete_hex::kLineCapacity, "line length");
        Require(file.Position() <= file.Limit(), "cursor past the text");
        if (result == kHexTextEnd)
            break;
        Require(result == kHexRecordOk || result == kHexNoColon || result == kHexBadFormat ||
                    result == kHexBadChecksum,
                "result code");
        Require(file.Position() > before, "no progress");
        if (result != kHexRecordOk)
            continue;
        const char* line = reader.Line();
        const std::size_t digits = 8 + 2 * static_cast<std::size_t>(record.count) + 2;
        Require(line[0] == ':' && std::strlen(line) >= 1 + digits, "record shorter than its count");
        for (std::size_t i = 1; i <= digits; ++i)
            Require(IsDigit(line[i]), "record digit");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> text(data, size);
    ReadEveryRecord(text);

    // The main window checks its firmware text when it is built.
    kell::fuzz::VirtualInstrument world({}, kell::fuzz::VirtualInstrument::StartFromByte(0));
    kell::Tventana_brisca window(world.seams, "/nonexistent/kell-fuzz", text);
    Require(window.EmbeddedVersion().size() <= 10, "version length");
    Require((window.hexReader != nullptr) == world.notifier.messages.empty(),
            "a reader kept after a reported failure, or dropped without one");
    if (window.hexReader)
        Require(window.hexReader->recordCount > 0, "a text accepted without its end record");
    return 0;
}
