#include "payloads/payloads.h"

#include <algorithm>
#include <array>

#include "payloads/payload_files.h"

// The assembler file made from payloads/embedded_payloads.S.in defines a start and an end symbol
// for every payload file; embedded_payloads.inc names them.
#define KELL_EMBEDDED_PAYLOAD(file, symbol) \
    extern "C" const std::uint8_t symbol[]; \
    extern "C" const std::uint8_t symbol##_end[];
#include "embedded_payloads.inc"
#undef KELL_EMBEDDED_PAYLOAD

namespace kell::payloads {
namespace {

static_assert(KELL_PAYLOAD_PADDING >= kTrailingBytes);

struct Embedded {
    std::string_view fileName;
    const std::uint8_t* begin;
    const std::uint8_t* end;
};

constexpr std::string_view kEmbeddedNames[] = {
#define KELL_EMBEDDED_PAYLOAD(file, symbol) file,
#include "embedded_payloads.inc"
#undef KELL_EMBEDDED_PAYLOAD
};

constexpr bool SameNames() {
    if (std::size(kEmbeddedNames) != std::size(kPayloadFiles)) {
        return false;
    }
    return std::all_of(std::begin(kPayloadFiles), std::end(kPayloadFiles), [](const auto& f) {
        return std::find(std::begin(kEmbeddedNames), std::end(kEmbeddedNames), f.name) !=
               std::end(kEmbeddedNames);
    });
}
static_assert(SameNames(), "payloads/CMakeLists.txt and kPayloadFiles name different files");

const Embedded kEmbedded[] = {
#define KELL_EMBEDDED_PAYLOAD(file, symbol) {file, symbol, symbol##_end},
#include "embedded_payloads.inc"
#undef KELL_EMBEDDED_PAYLOAD
};

std::span<const std::uint8_t> BytesOf(std::string_view fileName) {
    for (const Embedded& e : kEmbedded) {
        if (e.fileName == fileName) {
            return {e.begin, e.end};
        }
    }
    return {};
}

// The payload of a kind and index, or empty bytes when there is no such payload.
std::span<const std::uint8_t> Find(PayloadKind kind, int index) {
    for (const PayloadFile& file : kPayloadFiles) {
        if (file.kind == kind && file.index == index) {
            return BytesOf(file.name);
        }
    }
    return {};
}

}  // namespace

std::span<const std::uint8_t> MainFirmwareHex() {
    return Find(PayloadKind::kMainFirmwareHex, 0);
}
std::span<const std::uint8_t> KeypadHex() {
    return Find(PayloadKind::kKeypadHex, 0);
}
std::span<const std::uint8_t> LoaderBlocks() {
    return Find(PayloadKind::kLoaderBlocks, 0);
}
std::span<const std::uint8_t> ChannelPlan(int planType) {
    return Find(PayloadKind::kChannelPlan, planType);
}
std::span<const std::uint8_t> FpgaBitstream(int index) {
    return Find(PayloadKind::kFpgaBitstream, index);
}
std::span<const std::uint8_t> Mpeg4Application() {
    return Find(PayloadKind::kMpeg4Application, 0);
}
std::span<const std::uint8_t> Mpeg4SecondImage() {
    return Find(PayloadKind::kMpeg4SecondImage, 0);
}
std::span<const std::uint8_t> PictureCells(int number) {
    return Find(PayloadKind::kPicture, number);
}

std::span<const NamedPayload> AllPayloads() {
    static const auto all = [] {
        std::array<NamedPayload, std::size(kPayloadFiles)> named{};
        for (std::size_t i = 0; i < named.size(); ++i) {
            named[i] = {kPayloadFiles[i].name, BytesOf(kPayloadFiles[i].name)};
        }
        return named;
    }();
    return all;
}

}  // namespace kell::payloads
