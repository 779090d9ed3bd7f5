#include "app/version_rules.h"

#include <gtest/gtest.h>

namespace kell::testing {
namespace {

TEST(FirmwareUpdateRule, AReleaseProgramComparesTheReleaseOnly) {
    const char* program = "2.04.00000";
    EXPECT_FALSE(FirmwareUpdateNeeded(program, "2.04.00000"));
    EXPECT_TRUE(FirmwareUpdateNeeded(program, "2.04.00007"));  // a test build is always updated
    EXPECT_TRUE(FirmwareUpdateNeeded(program, "1.89.00000"));
    EXPECT_FALSE(FirmwareUpdateNeeded(program, "2.05.00000"));
    EXPECT_FALSE(FirmwareUpdateNeeded(program, "3.00.00000"));
    // Even a newer test build is brought back to the program's release.
    EXPECT_TRUE(FirmwareUpdateNeeded(program, "2.05.00001"));
}

TEST(FirmwareUpdateRule, ATestBuildProgramComparesTheWholeText) {
    const char* program = "2.04.00004";
    EXPECT_TRUE(FirmwareUpdateNeeded(program, "2.04.00003"));
    EXPECT_FALSE(FirmwareUpdateNeeded(program, "2.04.00005"));
    EXPECT_FALSE(FirmwareUpdateNeeded(program, "2.04.00004"));
    EXPECT_TRUE(FirmwareUpdateNeeded(program, "2.03.00000"));
    EXPECT_TRUE(FirmwareUpdateNeeded(program, "2.04.00000"));
}

TEST(FirmwareUpdateRule, AVersionThatWasNotReadCountsAsATestBuild) {
    // Both reads failed: the text is just the joining point.
    EXPECT_TRUE(FirmwareUpdateNeeded("2.04.00000", "."));
    EXPECT_FALSE(IsReleaseBuild("2.04.0000"));
    EXPECT_TRUE(IsReleaseBuild("2.04.00000"));
}

TEST(FirmwareThresholds, Above180FollowsItsPositionalRule) {
    EXPECT_TRUE(FirmwareAbove180("1.84.00003"));
    EXPECT_FALSE(FirmwareAbove180("1.80.00014"));
    EXPECT_TRUE(FirmwareAbove180("1.80.00020"));
    // '7' < '8' and '9' > '0': a greater character anywhere in the release sets it.
    EXPECT_TRUE(FirmwareAbove180("1.79.00020"));
    EXPECT_FALSE(FirmwareAbove180("1.70.00099"));  // only smaller in the release
    // The build's first digit is not compared.
    EXPECT_FALSE(FirmwareAbove180("1.80.90014"));
    EXPECT_FALSE(FirmwareAbove180("."));
}

TEST(FirmwareThresholds, Below189FollowsItsPositionalRule) {
    EXPECT_TRUE(FirmwareBelow189("1.84.00003"));
    EXPECT_FALSE(FirmwareBelow189("1.89.00003"));
    EXPECT_TRUE(FirmwareBelow189("1.89.00002"));
    // The release walk stops at the first greater character.
    EXPECT_FALSE(FirmwareBelow189("2.04.00000"));
    EXPECT_FALSE(FirmwareBelow189("1.90.00000"));
    // With an equal release any smaller build character sets it, wherever it stands.
    EXPECT_TRUE(FirmwareBelow189("1.89.00010"));
    EXPECT_FALSE(FirmwareBelow189("1.89.00004"));
    EXPECT_FALSE(FirmwareBelow189("1.89.20003"));
}

TEST(FpgaRule, OnlyTheExactTextOfTheCarriedSetPasses) {
    EXPECT_EQ(FpgaVersionText(3, 4), "3.4");
    EXPECT_FALSE(FpgaUpdateNeeded(3, 4));
    EXPECT_EQ(FpgaVersionText(3, 40), "3.40");
    EXPECT_TRUE(FpgaUpdateNeeded(3, 40));
    EXPECT_TRUE(FpgaUpdateNeeded(0, 0));
    EXPECT_TRUE(FpgaUpdateNeeded(4, 3));
    EXPECT_EQ(FpgaVersionText(255, 255), "255.255");
}

TEST(PlanRule, TypesAndTheirExpectedVersions) {
    EXPECT_EQ(PlansExpectedVersion(0), 112);
    EXPECT_EQ(PlansExpectedVersion(1), 103);
    EXPECT_EQ(PlansExpectedVersion(2), 122);
    EXPECT_EQ(PlansExpectedVersion(3), 102);
    EXPECT_EQ(PlansExpectedVersion(4), 111);
    EXPECT_EQ(PlansTypeFromByte(4), 4);
    EXPECT_EQ(PlansTypeFromByte(5), 0);
    EXPECT_EQ(PlansTypeFromByte(0xFF), 0);
}

TEST(ModuleRule, ReleasedVersionsNeedAnUpdateOnlyOnATestBuild) {
    auto versions = [](std::uint16_t version, std::uint16_t build) {
        ModuleVersions v;
        v.softwareVersion = version;
        v.build = build;
        v.bootVersion = 1;
        v.decodersVersion = 1;
        return v;
    };
    EXPECT_FALSE(ModuleUpdateNeeded(versions(162, 0)));
    EXPECT_TRUE(ModuleUpdateNeeded(versions(162, 5)));
    EXPECT_TRUE(ModuleUpdateNeeded(versions(161, 0)));
    EXPECT_FALSE(ModuleUpdateNeeded(versions(0, 0)));
    // A module that did not answer is left alone.
    EXPECT_FALSE(ModuleUpdateNeeded(ModuleVersions{}));
    ModuleVersions silentBoot = versions(100, 0);
    silentBoot.bootVersion = 0xFF;
    EXPECT_FALSE(ModuleUpdateNeeded(silentBoot));
}

TEST(PortNameRule, TheNumberFollowsComUpToTheFirstNonDigit) {
    EXPECT_EQ(PortNumberFromName("COM12:"), 12);
    EXPECT_EQ(PortNumberFromName("COM3"), 3);
    EXPECT_EQ(PortNumberFromName("COM20 (ttyUSB0)"), 20);
    EXPECT_EQ(PortNumberFromName("LPT1:"), std::nullopt);
    EXPECT_EQ(PortNumberFromName("com4"), std::nullopt);
    EXPECT_EQ(PortNumberFromName("COM"), std::nullopt);
    EXPECT_EQ(PortNumberFromName("COMx"), std::nullopt);
    EXPECT_EQ(PortNumberFromName("COM0"), std::nullopt);
    EXPECT_EQ(PortNumberFromName("COM-3"), std::nullopt);
    EXPECT_EQ(PortNumberFromName("COM99999999999999"), std::nullopt);
}

}  // namespace
}  // namespace kell::testing
