#include <gtest/gtest.h>

#include "platform/qt/manual_port_catalog.h"
#include "tests/app/search_rig.h"

namespace kell::testing {
namespace {

TEST(GivenDevicePath, TheSearchAndThePanelReachTheDeviceAsPortOne) {
    SearchRig rig;
    rig.AddSilentPort(1);
    rig.AddInstrument(9);
    ManualPortCatalog given(rig.ports, rig.PathOf(9));
    rig.SeePortsThrough(given);
    Tventana_brisca& w = rig.Window();
    w.Com_extendedChange();
    EXPECT_EQ(w.controls.Com_extended.items, std::vector<std::string>{"COM1 (/dev/ttyV9)"});
    rig.Search();
    EXPECT_EQ(rig.opened, std::vector<int>{9});  // the machine's own port 1 stays hidden
    EXPECT_EQ(w.Connection().portNumber, 1);
    EXPECT_EQ(w.State().failedSearches, 0);
}

}  // namespace
}  // namespace kell::testing
