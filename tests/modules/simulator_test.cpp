// The module updaters against the simulated instrument: what it holds afterwards.
#include <gtest/gtest.h>

#include <numeric>

#include "link/byte_wait.h"
#include "modules/fpga_dialog.h"
#include "modules/mpeg4_module.h"
#include "sim/instrument.h"
#include "tests/modules/module_rig.h"
#include "tests/support/expected_fpga_set.h"
#include "tests/support/simulated_end.h"

namespace kell::testing {
namespace {

struct SimRig : UpdaterRig<SimulatedEnd> {
    SimRig() { ProgressBar_general.SetRange(0, 2000); }

    Bytes Exchange(Bytes request, std::size_t answerLength) {
        SendBytes(session.link, request);
        const Deadline limit(clock, 5);
        Bytes answer;
        while (answer.size() < answerLength) {
            const PolledByte got = WaitForByte(session.link, limit, Pace::Pumping());
            if (!got.Arrived())
                break;
            answer.push_back(got.value);
        }
        return answer;
    }

    // The main firmware step starts the loader before the module updaters run; here the test
    // does, and takes the picture raster from its answer.
    void StartLoader(TGraficos& graficos) {
        Bytes stage1{0x04, 0x90, 0x00};
        stage1.resize(3 + 144, 0x11);
        const Bytes answer = Exchange(stage1, 4);
        ASSERT_EQ(answer.size(), 4u);
        ASSERT_EQ(answer[0], 'J');
        graficos.enabled = true;
        graficos.firstBank = answer[1];
        graficos.baseAddress = static_cast<std::uint16_t>(answer[2] << 8 | answer[3]);
        Bytes stage2{0x04, 0xC8, 0x03};
        stage2.resize(3 + 968, 0x22);
        ASSERT_EQ(Exchange(stage2, 2), (Bytes{0x01, 0xAD}));
    }

    void ExpectNoViolations() const {
        EXPECT_TRUE(instrument.Violations().Empty()) << instrument.Report(40);
    }
};

TEST(ModulesOnTheSimulatorTest, TheFpgaSetEndsUpInFlashFromSector48) {
    SimRig rig;
    TGraficos graficos;
    rig.StartLoader(graficos);
    TCFpga dialog(rig.session, false);
    dialog.count = 3;
    ASSERT_TRUE(dialog.RunWrite());
    rig.clock.AdvanceBy(100'000);

    EXPECT_EQ(rig.resultCode, 0);
    EXPECT_EQ(rig.instrument.Flash(0x300000, kThreeFpgaSetLength), ExpectedFpgaSet(3));
    EXPECT_FALSE(rig.instrument.LoaderRunning());  // ended by the closing command
    rig.ExpectNoViolations();
}

TEST(ModulesOnTheSimulatorTest, TheModuleTakesBothImagesAndFinishes) {
    SimRig rig;
    TGraficos graficos;
    rig.StartLoader(graficos);
    // An application that crosses a bank boundary; the embedded ones go byte for byte to the
    // scripted instrument.
    Bytes application(70'123);
    std::iota(application.begin(), application.end(), std::uint8_t{7});
    Bytes second(1000, 0x00);
    second.back() = 0x77;
    TMpeg4 module(rig.session, graficos, false, {application, second});
    ASSERT_TRUE(module.Update());

    const sim::ModuleRecord& record = rig.instrument.Module();
    EXPECT_TRUE(record.finished);
    EXPECT_EQ(record.application, application);
    EXPECT_EQ(record.secondImage, second);
    EXPECT_EQ(record.lengthFrame, (Bytes{0xCC, 0x00, 0x00, 0x20, 0x00, 0xEB, 0x11, 0x01, 0x00}));
    rig.ExpectNoViolations();
}

}  // namespace
}  // namespace kell::testing
