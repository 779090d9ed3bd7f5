// The FPGA dialog's editor of the set, and the directory entry it feeds.
#include <gtest/gtest.h>

#include "modules/fpga_dialog.h"
#include "tests/modules/module_rig.h"

namespace kell::testing {
namespace {

struct EditorRig : ModuleRig {
    void SetCount(const std::string& text) {
        dialog.Edit_n_configuraciones.text = text;
        dialog.Edit_num_configuraciones();
    }
    void Describe(const std::string& text) {
        dialog.Edit_descripcion.text = text;
        dialog.Editar_descripcion();
    }
    TCFpga dialog{session, false};
};

TEST(FpgaEditorTest, TheCountIsTakenUnlessItHasNoBitstreamsOrIsNoNumber) {
    EditorRig rig;
    EXPECT_EQ(rig.dialog.Label_cantidad_configuraciones.caption, "00");
    rig.SetCount("2");
    EXPECT_EQ(rig.dialog.count, 2);
    EXPECT_EQ(rig.dialog.Label_configuracion_actual.caption, "1");
    rig.SetCount("4");  // only three bitstreams exist
    EXPECT_EQ(rig.dialog.count, 2);
    EXPECT_EQ(rig.dialog.Edit_n_configuraciones.text, "2");
    rig.SetCount("-1");
    EXPECT_EQ(rig.dialog.count, 2);
    rig.SetCount("2x");
    EXPECT_EQ(rig.dialog.count, 2);
    EXPECT_EQ(rig.dialog.Edit_n_configuraciones.text, "2x");
    rig.SetCount("99999999999999999999");
    EXPECT_EQ(rig.dialog.count, 2);
    rig.SetCount("");
    EXPECT_EQ(rig.dialog.count, 2);
    EXPECT_EQ(rig.dialog.Label_cantidad_configuraciones.caption, "2");
}

TEST(FpgaEditorTest, StepsBetweenConfigurationsShowingTheirDescriptionsCutToEight) {
    EditorRig rig;
    rig.SetCount("3");
    rig.Describe("Television");
    EXPECT_EQ(rig.dialog.descriptions[1], "Televisi");
    rig.dialog.But_siguienteClick();
    rig.Describe("DFT");
    rig.dialog.But_siguienteClick();
    rig.dialog.But_siguienteClick();  // already at the last
    EXPECT_EQ(rig.dialog.currentConfiguration, 3);
    EXPECT_EQ(rig.dialog.Edit_descripcion.text, "");

    rig.dialog.But_anteriorClick();
    EXPECT_EQ(rig.dialog.Label_configuracion_actual.caption, "2");
    EXPECT_EQ(rig.dialog.Edit_descripcion.text, "DFT");
    rig.dialog.But_anteriorClick();
    rig.dialog.But_anteriorClick();  // already at the first
    EXPECT_EQ(rig.dialog.currentConfiguration, 1);
    EXPECT_EQ(rig.dialog.Edit_descripcion.text, "Televisi");
}

TEST(FpgaEditorTest, AChosenFileIsRecordedAndShownFromItsLastSeparator) {
    EditorRig rig;
    std::string filterSeen;
    rig.dialog.chooseFile = [&](const OpenFileDialog& d) {
        filterSeen = d.filter;
        return std::string("C:\\fpga\\tv.rbf");
    };
    rig.dialog.But_nombre_ficheroClick();  // nothing selected yet
    EXPECT_TRUE(filterSeen.empty());

    rig.SetCount("2");
    rig.dialog.But_nombre_ficheroClick();
    EXPECT_EQ(filterSeen, ".rbf|*.rbf");
    EXPECT_EQ(rig.dialog.filePaths[1], "C:\\fpga\\tv.rbf");
    EXPECT_EQ(rig.dialog.Label_nombre.caption, "\\tv.rbf");

    rig.dialog.chooseFile = [](const OpenFileDialog&) { return std::string(); };
    rig.dialog.But_siguienteClick();
    rig.dialog.But_nombre_ficheroClick();  // cancelled
    EXPECT_EQ(rig.dialog.filePaths[2], "");
    rig.dialog.But_anteriorClick();
    EXPECT_EQ(rig.dialog.Label_nombre.caption, "\\tv.rbf");
}

TEST(FpgaEditorTest, TheDescriptionsFirstFourCharactersGoIntoTheDirectory) {
    EditorRig rig;
    rig.SetCount("2");
    rig.dialog.But_siguienteClick();
    rig.Describe("ECOS_DVBT2");
    ASSERT_TRUE(rig.dialog.RunWrite());
    const auto entry = rig.instrument.modules.Memory(0xDB0000 + 2 + 16, 16);
    // Its first four characters; the first entry's description is empty.
    EXPECT_EQ(Bytes(entry.begin() + 10, entry.end()), (Bytes{'E', 'C', 'O', 'S', 0xFF, 0xFF}));
    const auto first = rig.instrument.modules.Memory(0xDB0000 + 2, 16);
    EXPECT_EQ(Bytes(first.begin() + 10, first.end()), (Bytes{0, 0, 0, 0, 0xFF, 0xFF}));
}

TEST(FpgaSetImageTest, MoreConfigurationsThanTheDirectoryHoldsOrThanFitAreRefused) {
    std::vector<std::uint8_t> image(4096);
    const std::uint8_t bitstream[100] = {};
    std::vector<FpgaConfiguration> configurations(17, FpgaConfiguration{bitstream, ""});
    EXPECT_EQ(AssembleFpgaSet(image, configurations), 0u);
    configurations.resize(16);
    EXPECT_EQ(AssembleFpgaSet(image, configurations), 258u + 15 * 100 + 100);
    std::vector<std::uint8_t> small(1000);
    EXPECT_EQ(AssembleFpgaSet(small, configurations), 0u);
}

}  // namespace
}  // namespace kell::testing
