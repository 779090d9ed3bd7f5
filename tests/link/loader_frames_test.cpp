#include <gtest/gtest.h>

#include <vector>

#include "link/loader_frames.h"
#include "tests/link/link_rig.h"

namespace kell::testing {
namespace {

// A buffer frame as the loader expects it, built here byte by byte.
Bytes BufferFrame(std::uint32_t address, const Bytes& data128) {
    Bytes frame = {0x5A, static_cast<std::uint8_t>(address >> 16),
                   static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
    frame.insert(frame.end(), data128.begin(), data128.end());
    frame.push_back(XorOf(std::span(frame).subspan(1)));
    return frame;
}

Bytes Slice(const Bytes& bytes, std::size_t from, std::size_t count) {
    return Bytes(bytes.begin() + from, bytes.begin() + from + count);
}

Bytes Counting(std::size_t count) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
    return bytes;
}

// --- SendLoaderBlocks -------------------------------------------------------------------------

// Sending 128-byte frames straight from the caller's buffer would read past a short one (such
// as the 2-byte line-speed code); the last frame is padded with zeros from a copy instead.
TEST(SendLoaderBlocksTest, PadsTheLastFrameInsteadOfReadingPastAShortBuffer) {
    LinkRig rig;
    const std::vector<std::uint8_t> data = Counting(130);  // on the heap: asan sees an overrun
    Bytes second = Slice(data, 128, 2);
    second.resize(128, 0x00);
    ProgressBar bar;
    std::vector<int> positionsSeen;
    rig.farEnd
        .OnDo(BufferFrame(0, Slice(data, 0, 128)),
              [&] {
                  positionsSeen.push_back(bar.position);
                  rig.farEnd.Say({0xA5}, 1000);
              })
        .OnDo(BufferFrame(128, second), [&] {
            positionsSeen.push_back(bar.position);
            rig.farEnd.Say({0xA5}, 1000);
        });
    EXPECT_TRUE(SendLoaderBlocks(rig.link, 130, data, bar));
    EXPECT_EQ(rig.farEnd.received.size(), 2u * 133);
    EXPECT_EQ(bar.maximum, 130);
    EXPECT_EQ(positionsSeen, (std::vector<int>{128, 130}));  // moved before each frame
}

TEST(SendLoaderBlocksTest, TheTwoByteSpeedCodeGoesInOneFrame) {
    LinkRig rig;
    const std::vector<std::uint8_t> code = {0x07, 0xA1};
    Bytes padded = code;
    padded.resize(128, 0x00);
    rig.farEnd.On(BufferFrame(0, padded), {0xA5});
    ProgressBar bar;
    EXPECT_TRUE(SendLoaderBlocks(rig.link, 2, code, bar));
    EXPECT_EQ(rig.farEnd.received, BufferFrame(0, padded));
}

TEST(SendLoaderBlocksTest, ABufferThatReachesTheNextFrameBoundarySendsItsOwnBytes) {
    LinkRig rig;
    std::vector<std::uint8_t> table = Counting(200);
    table.resize(256, 0xFF);  // as the channel-plan buffer is filled
    rig.farEnd.On(BufferFrame(0, Slice(table, 0, 128)), {0xA5})
        .On(BufferFrame(128, Slice(table, 128, 128)), {0xA5});
    ProgressBar bar;
    EXPECT_TRUE(SendLoaderBlocks(rig.link, 200, table, bar));
    EXPECT_EQ(rig.farEnd.received.size(), 2u * 133);
}

TEST(SendLoaderBlocksTest, RetriesAFrameAndFailsAfterTenTries) {
    LinkRig rig;
    const Bytes data = Counting(128);
    rig.farEnd.On(BufferFrame(0, data), {0x5A}, 1000, 9).On(BufferFrame(0, data), {0xA5});
    ProgressBar bar;
    EXPECT_TRUE(SendLoaderBlocks(rig.link, 128, data, bar));
    EXPECT_EQ(rig.farEnd.Count(BufferFrame(0, data)), 10);

    LinkRig silent;
    EXPECT_FALSE(SendLoaderBlocks(silent.link, 256, Counting(256), bar));
    EXPECT_EQ(silent.farEnd.received.size(), 10u * 133);  // the second frame is never sent
}

TEST(SendLoaderBlocksTest, AnAcknowledgementAfterTheSecondChangedIsAFailedTry) {
    // Polls of 4 ms from .501 on: the one from .997 to 1.001 receives the answer that the far
    // end sends just after the second changed, while the first try still waits for it.
    LinkRig rig(kBaseUs + 501'000);
    const Bytes data = Counting(128);
    rig.farEnd
        .OnDo(
            BufferFrame(0, data),
            [&] { rig.clock.At(kBaseUs + kSecondUs + 50, [&] { rig.farEnd.Say({0xA5}); }); }, 1)
        .On(BufferFrame(0, data), {0xA5});
    ProgressBar bar;
    EXPECT_TRUE(SendLoaderBlocks(rig.link, 128, data, bar));
    EXPECT_EQ(rig.farEnd.Count(BufferFrame(0, data)), 2);
}

// An answer that comes after its try gave up must not be taken as the answer to the resend,
// or every later frame is judged by its predecessor's answer: a frame the loader never took
// would then pass as accepted.
TEST(SendLoaderBlocksTest, ALateAnswerIsNotTakenForTheNextFrame) {
    LinkRig rig(kEarlyInSecond);
    const Bytes data = Counting(256);
    const Bytes first = BufferFrame(0, Slice(data, 0, 128));
    const Bytes second = BufferFrame(128, Slice(data, 128, 128));
    rig.farEnd
        .OnDo(
            first, [&] { rig.farEnd.Say({0xA5}, 1'030'000); }, 1)  // after the try gave up
        .OnDo(
            first, [&] { rig.farEnd.Say({0xA5}, 60'000); }, 1)
        .OnDo(
            second, [] {}, 1)  // lost: the loader never saw it
        .On(second, {0xA5});
    ProgressBar bar;
    EXPECT_TRUE(SendLoaderBlocks(rig.link, 256, data, bar));
    EXPECT_EQ(rig.farEnd.Count(first), 2);
    EXPECT_EQ(rig.farEnd.Count(second), 2) << "the lost frame is sent again";
}

// A frame queued just before the second changes is still on the wire when its one-second limit
// runs out. Its answer then comes during the next try; taken for the answer to the following
// frame, it would let that frame count as accepted though the loader refused it, and the sector
// would be programmed from a buffer that lacks it.
TEST(SendLoaderBlocksTest, TheLateAnswerOfAnEarlierTryIsNotTakenForTheNextFrame) {
    LinkRig rig(kBaseUs + 995'000);  // 133 bytes at 115200 baud take 12.7 ms
    const Bytes data = Counting(256);
    const Bytes first = BufferFrame(0, Slice(data, 0, 128));
    const Bytes second = BufferFrame(128, Slice(data, 128, 128));
    rig.farEnd.On(first, {0xA5}, 200)
        .On(second, {0x3F}, 200, 1)  // its first copy is refused
        .On(second, {0xA5}, 200);
    ProgressBar bar;
    EXPECT_TRUE(SendLoaderBlocks(rig.link, 256, data, bar));
    EXPECT_EQ(rig.farEnd.Count(first), 2);
    EXPECT_EQ(rig.farEnd.Count(second), 2);
}

// The same with a doubled acknowledgement: the second 0xA5 arrives while the next frame is
// going out and must not count as that frame's.
TEST(SendLoaderBlocksTest, ADoubledAnswerIsNotTakenForTheNextFrame) {
    LinkRig rig;
    const Bytes data = Counting(256);
    const Bytes first = BufferFrame(0, Slice(data, 0, 128));
    const Bytes second = BufferFrame(128, Slice(data, 128, 128));
    rig.farEnd.On(first, {0xA5, 0xA5}, 200).On(second, {0x3F}, 200, 1).On(second, {0xA5}, 200);
    ProgressBar bar;
    EXPECT_TRUE(SendLoaderBlocks(rig.link, 256, data, bar));
    EXPECT_EQ(rig.farEnd.Count(first), 1);
    EXPECT_EQ(rig.farEnd.Count(second), 2);
}

// --- The single frames ------------------------------------------------------------------------

TEST(SendLoaderCallTest, SendsTheCallFrameUnanswered) {
    LinkRig rig;
    const std::vector<std::uint8_t> code = {0x12, 0x34};
    EXPECT_TRUE(SendLoaderCall(rig.link, 2, code, 0x07, 0xBEEF));
    rig.clock.AdvanceBy(kSecondUs);
    EXPECT_EQ(rig.farEnd.received, (Bytes{0x02, 0x05, 0x07, 0xEF, 0xBE, 0x12, 0x34}));
}

TEST(SendLoaderCallTest, ALengthBeyondTheDataIsPaddedAndOneBeyondTheFrameRefused) {
    LinkRig rig;
    const std::vector<std::uint8_t> one = {0x99};
    EXPECT_TRUE(SendLoaderCall(rig.link, 3, one, 0x01, 0x0002));
    EXPECT_FALSE(SendLoaderCall(rig.link, 253, one, 0x01, 0x0002));
    rig.clock.AdvanceBy(kSecondUs);
    EXPECT_EQ(rig.farEnd.received, (Bytes{0x02, 0x06, 0x01, 0x02, 0x00, 0x99, 0x00, 0x00}));
}

TEST(BlankLoaderBlockTest, SendsOneFrameOfFFWithCheckByteZero) {
    LinkRig rig;
    const Bytes frame = Cat({{0x5A, 0x00, 0x00, 0x00}, Bytes(128, 0xFF), {0x00}});
    rig.farEnd.On(frame, {0xA5});
    EXPECT_TRUE(BlankLoaderBlock(rig.link));
    EXPECT_EQ(rig.farEnd.received, frame);
}

TEST(BlankLoaderBlockTest, OneTryOnlyAndAnAnswerUpToOneSecondLate) {
    LinkRig early(kEarlyInSecond);
    early.farEnd.On({0x00}, {0xA5}, 1'500'000);  // the check byte ends the frame
    EXPECT_TRUE(BlankLoaderBlock(early.link));

    LinkRig silent;
    EXPECT_FALSE(BlankLoaderBlock(silent.link));
    EXPECT_EQ(silent.farEnd.received.size(), 133u);
}

TEST(EraseFlashSectorTest, SendsTheSectorFrameWhoseCheckIsTheSector) {
    LinkRig rig;
    const Bytes frame = {0x5B, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x20};
    rig.farEnd.On(frame, {0xB5}, 3'000'000);
    EXPECT_TRUE(EraseFlashSector(rig.link, 0x20));
    EXPECT_EQ(rig.farEnd.received, frame);
}

TEST(EraseFlashSectorTest, OneTryWithinTenSeconds) {
    LinkRig rig(kEarlyInSecond);
    const std::int64_t start = rig.clock.NowUs();
    rig.farEnd.On({0x5B, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00, 0x1F}, {0x5B});
    EXPECT_FALSE(EraseFlashSector(rig.link, 0x1F));
    EXPECT_EQ(rig.farEnd.received.size(), 12u);
    EXPECT_LT(rig.SecondsSince(start), 0.1);  // a wrong answer ends the wait at once
}

TEST(ProgramFlashSectorTest, CarriesTheLengthAndTheXorOfTheData) {
    LinkRig rig;
    const std::vector<std::uint8_t> data = {0x01, 0x02, 0x04, 0x08, 0xF0};
    // length 0x010004 most significant byte first; check of the first 4 data bytes is 0x0F.
    Bytes frame = {0x5B, 0x00, 0x00, 0x00, 0x01, 0x00, 0x04, 0x1E, 0x11, 0x22, 0x0F};
    frame.push_back(XorOf(std::span(frame).subspan(1)));
    rig.farEnd.On(frame, {}, 0, 2).On(frame, {0xB5});
    // Only 4 bytes exist for the check: the rest of the length lies in the loader's buffer.
    const std::vector<std::uint8_t> firstFour(data.begin(), data.begin() + 4);
    EXPECT_TRUE(ProgramFlashSector(rig.link, 0x010004, firstFour, 0x1E, 0x11, 0x22));
    EXPECT_EQ(rig.farEnd.Count(frame), 3);
}

TEST(ProgramFlashSectorTest, GivesUpAfterTenTries) {
    LinkRig rig;
    const std::vector<std::uint8_t> data(256, 0x3C);
    EXPECT_FALSE(ProgramFlashSector(rig.link, 256, data, 30, 0, 0));
    EXPECT_EQ(rig.farEnd.received.size(), 10u * 12);
}

}  // namespace
}  // namespace kell::testing
