#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "link/loader_blocks.h"
#include "link/session_context.h"
#include "modules/graphics.h"

namespace kell {

// The two images the module update sends, byte for byte.
struct Mpeg4Images {
    std::span<const std::uint8_t> application;
    std::span<const std::uint8_t> second;

    // The images compiled into the program.
    static Mpeg4Images Embedded();
};

// Replaces the software of the instrument's MPEG4 decoder module: clears a staging area, sends
// the module application and a second image, starts the module's own update and waits for it
// to report that it has finished. Pictures 3 and 4 show on the instrument meanwhile.
class TMpeg4 {
  public:
    static constexpr int kResultApplicationFailed = 12;
    static constexpr int kResultSecondImageFailed = 13;
    static constexpr int kResultStoppedBeforeStart = 14;
    static constexpr int kResultModuleSilent = 15;

    static constexpr std::uint8_t kApplicationBank = 0xB0;
    static constexpr std::uint8_t kSecondImageBank = 0x81;
    static constexpr std::size_t kApplicationBlock = 200;
    static constexpr std::size_t kSecondImageBlock = 32;
    // The module takes about this long to write itself; the bars move against it.
    static constexpr std::int64_t kNominalModuleSeconds = 950;
    static constexpr std::int64_t kModuleLimitSeconds = 1900;
    // How long the instrument may take to answer the module's start command.
    static constexpr std::int64_t kStartAnswerLimitSeconds = 60;

    // `usaUnit`: the instrument reported the region "USA"; its module takes another start frame.
    TMpeg4(SessionContext& session, TGraficos& graficos, bool usaUnit,
           Mpeg4Images images = Mpeg4Images::Embedded());

    // The whole module update; false with a result code recorded on failure.
    bool Update();

    // Sets the three bytes of the third loader block that the module's presence needs. The
    // blocks are shared, so the patch holds for every later sending of them. True.
    bool PatchLoaderBlock();

    std::uint32_t applicationLength = 0;
    std::uint32_t bytesSent = 0;
    std::uint8_t bankByte = 0;
    TBoot loaderTables;

  private:
    bool ClearStaging();
    bool SendApplication();
    bool SendSecondImage();
    bool StartModule();
    bool WaitForModule();
    // Moves the overall bar to part / whole of `weight` units above the step's base.
    void ShowOverall(std::int64_t part, std::int64_t whole, int weight);

    SessionContext& session_;
    TGraficos& graficos_;
    bool usaUnit_;
    Mpeg4Images images_;
};

}  // namespace kell
