#include <gtest/gtest.h>

#include "link/module_versions.h"
#include "tests/link/link_rig.h"

namespace kell::testing {
namespace {

const Bytes kVersionReply = {0xFB, 0x5A, 0x01, 0x02, 0x00, 0x10, 0x03, 0x04};

Bytes SerialReply() {
    Bytes reply = {0x0C, 0x00};
    reply.resize(2 + 64, 0x31);
    return reply;
}

TEST(ReadModuleVersionsTest, StoresTheFourFieldsAndAsksForTheSerialNumber) {
    LinkRig rig;
    rig.farEnd.On({0xBF}, kVersionReply).On({0xC0}, SerialReply());
    ModuleVersions versions;
    ReadModuleVersions(rig.link, versions);
    EXPECT_EQ(versions.softwareVersion, 258);
    EXPECT_EQ(versions.build, 16);
    EXPECT_EQ(versions.decodersVersion, 3);
    EXPECT_EQ(versions.bootVersion, 4);
    EXPECT_EQ(rig.farEnd.received, (Bytes{0xBF, 0xC0}));
}

TEST(ReadModuleVersionsTest, AWrongFirstByteLeavesTheInitialValues) {
    LinkRig rig;
    rig.farEnd.On({0xBF}, {0xFA, 0x00, 0x01, 0x02, 0x00, 0x10, 0x03, 0x04});
    ModuleVersions versions{1, 2, 3, 4};
    ReadModuleVersions(rig.link, versions);
    EXPECT_EQ(versions.softwareVersion, 0x00FF);
    EXPECT_EQ(versions.build, 0x00FF);
    EXPECT_EQ(versions.bootVersion, 0xFF);
    EXPECT_EQ(versions.decodersVersion, 0xFF);
    EXPECT_EQ(rig.farEnd.received, (Bytes{0xBF}));
}

TEST(ReadModuleVersionsTest, KeepsWhatCameBeforeTheFirstMissingByte) {
    LinkRig rig(kEarlyInSecond);
    rig.farEnd.On({0xBF}, {0xFB, 0x00, 0x01, 0x02, 0x00});
    const std::int64_t start = rig.clock.NowUs();
    ModuleVersions versions;
    ReadModuleVersions(rig.link, versions);
    EXPECT_EQ(versions.softwareVersion, 258);
    EXPECT_EQ(versions.build, 0x00FF);
    EXPECT_EQ(versions.bootVersion, 0xFF);
    EXPECT_LE(rig.SecondsSince(start), 10.1);  // one 10-second limit covers the whole reply
    EXPECT_EQ(rig.farEnd.received, (Bytes{0xBF}));
}

TEST(ReadModuleVersionsTest, ConnectsFirstAndStopsWhenThatFails) {
    LinkRig rig;
    int connects = 0;
    ModuleVersions versions{1, 2, 3, 4};
    ReadModuleVersions(rig.link, versions, [&] {
        ++connects;
        return false;
    });
    EXPECT_EQ(connects, 1);
    EXPECT_EQ(versions.softwareVersion, 0x00FF);
    rig.clock.AdvanceBy(kSecondUs);
    EXPECT_TRUE(rig.farEnd.received.empty());
}

}  // namespace
}  // namespace kell::testing
