// The main firmware text compiled into the program passes the start-up check.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/ventana_brisca.h"
#include "payloads/payloads.h"
#include "tests/support/virtual_world.h"

namespace kell::testing {
namespace {

TEST(EmbeddedImageTest, GivesItsVersionAndPages) {
    VirtualWorld world;
    // A directory without a language file.
    const std::string nowhere = (std::filesystem::temp_directory_path() / "kell-no-texts").string();

    Tventana_brisca window(world.seams, nowhere, payloads::MainFirmwareHex());

    EXPECT_TRUE(world.notifier.messages.empty());
    EXPECT_EQ(window.EmbeddedVersion(), "2.04.00000");
    EXPECT_EQ(window.controls.Label1.caption, "Version 2.04");
    for (int page = 0; page < 64; ++page) {
        const bool expected =
            page == 0 || (page >= 2 && page <= 22) || (page >= 24 && page <= 28) || page == 30;
        EXPECT_EQ(window.pagePresent[page], expected) << "page " << page;
    }
    ASSERT_NE(window.hexReader, nullptr);
    EXPECT_GT(window.hexReader->recordCount, 50000);
    EXPECT_EQ(window.fileOp.Limit(), static_cast<std::int32_t>(payloads::kMainFirmwareHexLength));
}

}  // namespace
}  // namespace kell::testing
