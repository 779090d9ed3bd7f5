#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "link/serial_channel.h"
#include "tests/support/recording_far_end.h"
#include "tests/support/virtual_world.h"

namespace kell::testing {
namespace {

// Passes every call through to the device under it and writes down what the channel asked.
class SpyDevice : public SerialDevice {
  public:
    explicit SpyDevice(SerialDevice& inner) : inner_(inner) {}

    OpenResult Open(const std::string& path) override {
        log.push_back("open " + path);
        return inner_.Open(path);
    }
    bool IsOpen() const override { return inner_.IsOpen(); }
    void Close() override {
        log.push_back("close");
        inner_.Close();
    }
    bool Apply(const LineSettings& settings) override {
        log.push_back("apply");
        applied.push_back(settings);
        return inner_.Apply(settings);
    }
    bool SetQueueSizes(std::uint32_t input, std::uint32_t output) override {
        log.push_back("queues " + std::to_string(input) + " " + std::to_string(output));
        return inner_.SetQueueSizes(input, output);
    }
    std::size_t Read(std::uint8_t* dest, std::size_t max, std::uint32_t timeoutMs) override {
        readSizes.push_back(max);
        readTimeouts.push_back(timeoutMs);
        return inner_.Read(dest, max, timeoutMs);
    }
    long Write(const std::uint8_t* data, std::size_t count) override {
        writeSizes.push_back(count);
        const long written = inner_.Write(data, count);
        if (afterWrite)
            afterWrite(written);
        return written;
    }
    SerialStatus QueryStatus() override {
        ++statusQueries;
        return inner_.QueryStatus();
    }
    void WaitForOutput(std::uint32_t timeoutMs) override {
        outputWaits.push_back(timeoutMs);
        inner_.WaitForOutput(timeoutMs);
    }
    void Purge(bool input, bool output) override {
        log.push_back(std::string("purge ") + (input ? "in" : "-") + (output ? "out" : "-"));
        inner_.Purge(input, output);
    }
    bool SetRts(bool on) override {
        log.push_back(on ? "rts on" : "rts off");
        return inner_.SetRts(on);
    }

    // Every call of any kind, so a test can see that nothing touched the device.
    std::size_t Calls() const {
        return log.size() + readSizes.size() + writeSizes.size() + outputWaits.size() +
               static_cast<std::size_t>(statusQueries);
    }

    std::vector<std::string> log;  // open, close, apply, queues, purge, rts in call order
    std::vector<LineSettings> applied;
    std::vector<std::size_t> readSizes;
    std::vector<std::uint32_t> readTimeouts;
    std::vector<std::size_t> writeSizes;
    std::vector<std::uint32_t> outputWaits;
    int statusQueries = 0;
    std::function<void(long written)> afterWrite;

  private:
    SerialDevice& inner_;
};

// A device whose input is simply there: every byte a test queues has already arrived.
class ArrivedInputDevice : public SerialDevice {
  public:
    OpenResult Open(const std::string&) override {
        open_ = true;
        return OpenResult::Ok;
    }
    bool IsOpen() const override { return open_; }
    void Close() override { open_ = false; }
    bool Apply(const LineSettings&) override { return open_; }
    bool SetQueueSizes(std::uint32_t, std::uint32_t) override { return open_; }
    std::size_t Read(std::uint8_t* dest, std::size_t max, std::uint32_t) override {
        std::size_t n = 0;
        while (n < max && !input.empty()) {
            dest[n++] = input.front();
            input.pop_front();
        }
        return n;
    }
    long Write(const std::uint8_t*, std::size_t count) override { return static_cast<long>(count); }
    SerialStatus QueryStatus() override { return SerialStatus{open_, 0, 0}; }
    void WaitForOutput(std::uint32_t) override {}  // nothing is ever queued
    void Purge(bool, bool) override {}
    bool SetRts(bool) override { return open_; }

    std::deque<std::uint8_t> input;

  private:
    bool open_ = false;
};

std::vector<std::uint8_t> Counting(std::size_t n) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    return v;
}

std::shared_ptr<PortLock> TestLock() {
    return std::make_shared<PortLock>(::testing::TempDir() + "/kell-channel-test.lock");
}

constexpr std::int64_t kMs = 1000;

// A channel on a virtual line at port 1, with the calls it makes on its device in view.
struct ChannelOnLine : ::testing::Test, VirtualWorld {
    VirtualLine& line = AddPort(1);
    RecordingFarEnd& instrument = Attach<RecordingFarEnd>(1);
    SpyDevice spy{serial};
    TMonitorPSerie channel{spy, ports, clock, TestLock()};

    bool Connect(std::uint32_t baud = 115200) {
        PortSettings settings;
        settings.BaudRate = baud;
        return channel.Configure(1, settings);
    }
};

// --- Writing ---------------------------------------------------------------------------------

TEST_F(ChannelOnLine, WriteLargerThanTheQueueIsCutToTheFreeRoom) {
    ASSERT_TRUE(Connect());
    const auto data = Counting(3000);
    EXPECT_EQ(channel.Write(data), 3000);
    ASSERT_FALSE(spy.writeSizes.empty());
    EXPECT_EQ(spy.writeSizes.front(), 2048u);
    std::size_t total = 0;
    for (std::size_t n : spy.writeSizes) {
        EXPECT_LE(n, 2048u);
        total += n;
    }
    EXPECT_EQ(total, 3000u);
    clock.AdvanceBy(1000 * kMs);
    EXPECT_EQ(instrument.received, data);
}

TEST_F(ChannelOnLine, StallGuardRunsFromTheLastProgressNotFromTheStart) {
    ASSERT_TRUE(Connect());
    std::int64_t lastProgressUs = 0;
    spy.afterWrite = [&](long written) {
        if (written > 0)
            lastProgressUs = clock.NowUs();
    };
    // The instrument takes data for 1.5 s, then stops; the write is far longer than that.
    clock.After(1500 * kMs, [&] { line.SetAcceptingInput(false); });
    const std::int64_t start = clock.NowUs();
    const auto data = Counting(40000);
    EXPECT_EQ(channel.Write(data), -1);
    EXPECT_GE(lastProgressUs - start, 1500 * kMs);
    const std::int64_t sinceProgress = clock.NowUs() - lastProgressUs;
    EXPECT_GE(sinceProgress, 4000 * kMs);
    EXPECT_LE(sinceProgress, 4010 * kMs);
    // A full queue is not a broken line: the port stays open.
    EXPECT_TRUE(channel.IsOpen());
}

TEST_F(ChannelOnLine, UnderlyingWriteReturningAfterTheTimeOutClosesThePort) {
    ASSERT_TRUE(Connect());
    spy.afterWrite = [&](long) { clock.AdvanceBy(4001 * kMs); };
    const std::uint8_t byte = 0x41;
    EXPECT_EQ(channel.Write(&byte, 1), -1);
    EXPECT_FALSE(channel.IsOpen());
}

TEST_F(ChannelOnLine, WriteOfNothingTouchesNothing) {
    ASSERT_TRUE(Connect());
    const std::size_t before = spy.Calls();
    const std::uint8_t byte = 0;
    EXPECT_EQ(channel.Write(&byte, 0), 0);
    EXPECT_EQ(spy.Calls(), before);
}

// --- Waiting for room in the output queue ----------------------------------------------------

TEST_F(ChannelOnLine, AStalledWriteWaitsOnTheQueueUntilTheGuardEnds) {
    ASSERT_TRUE(Connect());
    line.SetAcceptingInput(false);
    const std::int64_t start = clock.NowUs();
    EXPECT_EQ(channel.Write(Counting(3000)), -1);
    // The queue filled at once; the guard ran from there.
    EXPECT_GE(clock.NowUs() - start, 4000 * kMs);
    EXPECT_LE(clock.NowUs() - start, 4010 * kMs);
    // It slept on the queue: polling the status would have taken thousands of queries.
    EXPECT_LT(spy.statusQueries, 200);
    EXPECT_EQ(line.HostOutQueued(), 2048u);
    EXPECT_TRUE(channel.IsOpen());
}

TEST_F(ChannelOnLine, AWriteToASlowLineGoesOnAsTheQueueEmpties) {
    line.SetDeviceBaud(9600);
    ASSERT_TRUE(Connect(9600));
    const auto data = Counting(6000);  // 6.9 s on the wire, longer than the stall guard
    const std::int64_t start = clock.NowUs();
    EXPECT_EQ(channel.Write(data), 6000);
    // It returns as the last byte is queued, with a queue's worth still to go.
    const std::int64_t byteUs = ByteTimeUs(9600);
    EXPECT_GE(clock.NowUs() - start, (6000 - 2048) * byteUs);
    EXPECT_LE(clock.NowUs() - start, (6000 - 2048 + 1) * byteUs);
    clock.AdvanceBy(3000 * kMs);
    EXPECT_EQ(instrument.received, data);
}

TEST_F(ChannelOnLine, AFarEndPausingShorterThanTheGuardOnlyDelaysTheWrite) {
    ASSERT_TRUE(Connect());
    clock.After(100 * kMs, [&] { line.SetAcceptingInput(false); });
    clock.After(3100 * kMs, [&] { line.SetAcceptingInput(true); });
    const auto data = Counting(20000);
    const std::int64_t start = clock.NowUs();
    EXPECT_EQ(channel.Write(data), 20000);
    EXPECT_GT(clock.NowUs() - start, 3100 * kMs);
    clock.AdvanceBy(1000 * kMs);
    EXPECT_EQ(instrument.received, data);
}

// --- Line errors and output room -------------------------------------------------------------

TEST_F(ChannelOnLine, ALineErrorFailsExactlyOneRoomQuery) {
    ASSERT_TRUE(Connect(500000));  // the instrument still talks at 115200
    EXPECT_EQ(channel.OutputRoom(), 2048);
    const std::uint8_t byte = 0x5D;
    line.SendToHost(&byte, 1);
    clock.AdvanceBy(10 * kMs);
    EXPECT_EQ(channel.OutputRoom(), TMonitorPSerie::kRoomFailure);
    EXPECT_EQ(channel.OutputRoom(), 2048);
}

TEST_F(ChannelOnLine, StillSendingWhileBytesAreQueuedAndItKeepsTheLineErrorItFinds) {
    ASSERT_TRUE(Connect(500000));  // the instrument still talks at 115200
    EXPECT_FALSE(channel.StillSending());
    const std::uint8_t frame[64] = {};
    ASSERT_EQ(channel.Write(frame, sizeof frame), 64);
    EXPECT_TRUE(channel.StillSending());
    const std::uint8_t byte = 0x5D;
    line.SendToHost(&byte, 1);
    clock.AdvanceBy(10 * kMs);
    EXPECT_FALSE(channel.StillSending());
    // The error that query found is still reported, once, by the room query after it.
    EXPECT_EQ(channel.OutputRoom(), TMonitorPSerie::kRoomFailure);
    EXPECT_EQ(channel.OutputRoom(), 2048);
}

TEST_F(ChannelOnLine, WriteDuringAPendingLineErrorFailsAndKeepsThePortOpen) {
    ASSERT_TRUE(Connect(500000));
    const std::uint8_t byte = 0x5D;
    line.SendToHost(&byte, 1);
    clock.AdvanceBy(10 * kMs);
    EXPECT_EQ(channel.Write(&byte, 1), -1);
    EXPECT_TRUE(channel.IsOpen());
    EXPECT_EQ(channel.Write(&byte, 1), 1);
}

TEST_F(ChannelOnLine, UnpluggedDeviceFailsWritesAndReadsNothing) {
    ASSERT_TRUE(Connect());
    line.Unplug();
    const std::uint8_t byte = 1;
    EXPECT_EQ(channel.OutputRoom(), TMonitorPSerie::kRoomFailure);
    EXPECT_EQ(channel.Write(&byte, 1), -1);
    std::uint8_t in[4] = {9, 9, 9, 9};
    EXPECT_EQ(channel.Read(in, 1), 0u);
}

// A device that fails at once must not turn the callers' poll loops into a spin: an empty read
// takes its few milliseconds whether the device waited or not, and the channel is closed too.
TEST_F(ChannelOnLine, AnEmptyReadTakesItsTimeEvenWhenTheDeviceFailsAtOnce) {
    ASSERT_TRUE(Connect());
    line.Unplug();
    std::uint8_t in = 0;
    std::int64_t before = clock.NowUs();
    EXPECT_EQ(channel.Read(&in, 1), 0u);
    EXPECT_GE(clock.NowUs() - before, 4000);

    channel.Close();
    before = clock.NowUs();
    EXPECT_EQ(channel.Read(&in, 1), 0u);
    EXPECT_GE(clock.NowUs() - before, 4000);
}

// --- Reading ---------------------------------------------------------------------------------

TEST(ChannelReads, ArrivedDataIsServedInChunksOfAtMostTheReceiveSize) {
    VirtualClock clock;
    ArrivedInputDevice input;
    SpyDevice spy{input};
    FixedPortCatalog ports;
    ports.Set(1, "/dev/ttyV1");
    TMonitorPSerie channel{spy, ports, clock, TestLock()};
    ASSERT_TRUE(channel.Configure(1, PortSettings{}));
    const auto data = Counting(5000);
    input.input.assign(data.begin(), data.end());
    std::vector<std::uint8_t> dest(5000);
    EXPECT_EQ(channel.Read(dest.data(), 5000), 5000u);
    EXPECT_EQ(dest, data);
    EXPECT_EQ(spy.readSizes, (std::vector<std::size_t>{2048, 2048, 904}));
}

TEST_F(ChannelOnLine, ReadOfNothingClearsTheFirstByteAndAsksTheDeviceNothing) {
    ASSERT_TRUE(Connect());
    std::uint8_t dest = 0x55;
    EXPECT_EQ(channel.Read(&dest, 0), 0u);
    EXPECT_EQ(dest, 0);
    EXPECT_TRUE(spy.readSizes.empty());
}

TEST_F(ChannelOnLine, ReadAvailableAsksForUpToTheReceiveSizeWithAShortWait) {
    ASSERT_TRUE(Connect());
    const std::uint8_t reply[3] = {0x5D, 0x01, 0x02};
    line.SendToHost(reply, 3);
    clock.AdvanceBy(5 * kMs);
    std::vector<std::uint8_t> dest(2048);
    EXPECT_EQ(channel.Read(dest.data(), TMonitorPSerie::kReadAvailable), 3u);
    EXPECT_EQ(dest[0], 0x5D);
    EXPECT_EQ(dest[2], 0x02);
    ASSERT_FALSE(spy.readSizes.empty());
    EXPECT_EQ(spy.readSizes.front(), 2048u);
    EXPECT_EQ(spy.readTimeouts.front(), 2u + 2u * 2048u);
}

TEST_F(ChannelOnLine, ReadReturnsWhatArrivedWithinItsShortWait) {
    ASSERT_TRUE(Connect());
    const std::uint8_t reply[2] = {0x5D, 0x0A};
    line.SendToHost(reply, 2);
    std::uint8_t dest[8] = {};
    const std::int64_t start = clock.NowUs();
    // One byte asked: the read waits at most 2 + 2 ms for it.
    EXPECT_EQ(channel.Read(dest, 1), 1u);
    EXPECT_EQ(dest[0], 0x5D);
    EXPECT_LE(clock.NowUs() - start, 4 * kMs);
    EXPECT_EQ(channel.Read(dest, 1), 1u);
    EXPECT_EQ(dest[0], 0x0A);
    const std::int64_t idle = clock.NowUs();
    EXPECT_EQ(channel.Read(dest, 1), 0u);
    EXPECT_EQ(clock.NowUs() - idle, 4 * kMs);
}

TEST_F(ChannelOnLine, DrainDiscardsWhatArrivedAndNeverWaits) {
    ASSERT_TRUE(Connect());
    const std::int64_t start = clock.NowUs();
    EXPECT_EQ(channel.Drain(), 0u);
    EXPECT_EQ(clock.NowUs(), start);

    const std::uint8_t noise[5] = {1, 2, 3, 4, 5};
    line.SendToHost(noise, 5);
    clock.AdvanceBy(10 * kMs);
    const std::int64_t arrived = clock.NowUs();
    EXPECT_EQ(channel.Drain(), 5u);
    EXPECT_EQ(clock.NowUs(), arrived);
    std::uint8_t dest = 0xEE;
    EXPECT_EQ(channel.Read(&dest, 1), 0u);
}

// --- Opening and configuring -----------------------------------------------------------------

TEST_F(ChannelOnLine, ConfigureOpensAppliesPurgesAndSizesTheQueues) {
    ASSERT_TRUE(Connect());
    EXPECT_EQ(spy.log, (std::vector<std::string>{"open /dev/ttyV1", "apply", "purge inout",
                                                 "queues 2048 2048"}));
    EXPECT_EQ(channel.LastOpenResult(), OpenResult::Ok);
    EXPECT_EQ(channel.DeviceName(), "/dev/ttyV1");
}

TEST_F(ChannelOnLine, ConfigureOnAnOpenChannelClosesAndReopens) {
    ASSERT_TRUE(Connect());
    spy.log.clear();
    ASSERT_TRUE(Connect(500000));
    ASSERT_GE(spy.log.size(), 2u);
    EXPECT_EQ(spy.log[0], "close");
    EXPECT_EQ(spy.log[1], "open /dev/ttyV1");
    EXPECT_EQ(line.HostBaud(), 500000u);
    EXPECT_TRUE(channel.IsOpen());
}

TEST_F(ChannelOnLine, ConfigureOnAMissingPortFailsAndLeavesTheChannelClosed) {
    ASSERT_TRUE(Connect());
    EXPECT_FALSE(channel.Configure(7, PortSettings{}));  // no port 7 in the catalog
    EXPECT_FALSE(channel.IsOpen());
    EXPECT_EQ(channel.LastOpenResult(), OpenResult::NotFound);
    EXPECT_EQ(channel.PortNumber(), 7);

    ports.Set(3, "/dev/ttyGone");  // listed, but no device behind it
    EXPECT_FALSE(channel.Configure(3, PortSettings{}));
    EXPECT_FALSE(channel.IsOpen());
    EXPECT_EQ(channel.LastOpenResult(), OpenResult::NotFound);
}

TEST_F(ChannelOnLine, OpenOnAnOpenChannelDoesNotOpenTwice) {
    ASSERT_TRUE(Connect());
    spy.log.clear();
    EXPECT_TRUE(channel.Open());
    EXPECT_TRUE(spy.log.empty());
}

TEST_F(ChannelOnLine, LastOpenResultSaysWhyTheOpenFailed) {
    lines.Deny("/dev/ttyV1");
    EXPECT_FALSE(Connect());
    EXPECT_EQ(channel.LastOpenResult(), OpenResult::PermissionDenied);

    VirtualLineSet otherLines;
    otherLines.Add("/dev/ttyV2", &line);
    VirtualSerialDevice otherProgram{otherLines};
    ASSERT_EQ(otherProgram.Open("/dev/ttyV2"), OpenResult::Ok);
    ports.Set(2, "/dev/ttyV2");
    lines.Add("/dev/ttyV2", &line);
    EXPECT_FALSE(channel.Configure(2, PortSettings{}));
    EXPECT_EQ(channel.LastOpenResult(), OpenResult::Busy);
}

TEST_F(ChannelOnLine, OnlyTheAllowedSettingsComeFromTheCaller) {
    PortSettings junk;
    junk.DCBlength = 99;
    junk.BaudRate = 250000;
    junk.fBinary = 0;
    junk.fParity = 1;
    junk.fOutxCtsFlow = 1;
    junk.fOutxDsrFlow = 1;
    junk.fDtrControl = 0x7;  // two bits are kept
    junk.fDsrSensitivity = 1;
    junk.fTXContinueOnXoff = 0;
    junk.fOutX = 1;
    junk.fInX = 1;
    junk.fErrorChar = 1;
    junk.fNull = 1;
    junk.fRtsControl = 2;
    junk.fAbortOnError = 1;
    junk.XonLim = 7;
    junk.XoffLim = 7;
    junk.ByteSize = 7;
    junk.Parity = 2;
    junk.StopBits = 0;
    junk.XonChar = 'a';
    junk.XoffChar = 'b';
    junk.ErrorChar = 'c';
    junk.EofChar = 'd';
    junk.EvtChar = 'e';
    ASSERT_TRUE(channel.Configure(1, junk));

    const PortSettings& s = channel.LineSettingsApplied();
    // From the caller.
    EXPECT_EQ(s.BaudRate, 250000u);
    EXPECT_EQ(s.fParity, 1);
    EXPECT_EQ(s.fOutxCtsFlow, 1);
    EXPECT_EQ(s.fDtrControl, 3);
    EXPECT_EQ(s.fOutX, 1);
    EXPECT_EQ(s.ByteSize, 7);
    EXPECT_EQ(s.Parity, 2);
    EXPECT_EQ(s.StopBits, 0);
    // Fixed by the channel.
    EXPECT_EQ(s.DCBlength, 28u);
    EXPECT_EQ(s.fBinary, 1);
    EXPECT_EQ(s.fOutxDsrFlow, 0);
    EXPECT_EQ(s.fDsrSensitivity, 0);
    EXPECT_EQ(s.fTXContinueOnXoff, 1);
    EXPECT_EQ(s.fInX, 0);
    EXPECT_EQ(s.fErrorChar, 0);
    EXPECT_EQ(s.fNull, 0);
    EXPECT_EQ(s.fRtsControl, 0);
    EXPECT_EQ(s.fAbortOnError, 0);
    EXPECT_EQ(s.XonLim, 512);
    EXPECT_EQ(s.XoffLim, 1);
    EXPECT_EQ(s.XonChar, 0x11);
    EXPECT_EQ(s.XoffChar, 0x13);
    EXPECT_EQ(s.ErrorChar, 0);
    EXPECT_EQ(s.EofChar, 0);
    EXPECT_EQ(s.EvtChar, 0);

    // What reached the device.
    ASSERT_EQ(spy.applied.size(), 1u);
    const LineSettings& line = spy.applied[0];
    EXPECT_EQ(line.baudRate, 250000u);
    EXPECT_EQ(line.byteSize, 7);
    EXPECT_EQ(line.parity, 2);
    EXPECT_EQ(line.stopBits, 0);
    EXPECT_TRUE(line.ctsFlow);
    EXPECT_TRUE(line.xonXoffOutput);
    EXPECT_EQ(line.xonChar, 0x11);
    EXPECT_EQ(line.xoffChar, 0x13);
}

TEST_F(ChannelOnLine, DefaultSettingsAreTwoStopBitsDtrOnNoFlowControl) {
    ASSERT_TRUE(Connect());
    ASSERT_EQ(spy.applied.size(), 1u);
    const LineSettings& line = spy.applied[0];
    EXPECT_EQ(line.baudRate, 115200u);
    EXPECT_EQ(line.byteSize, 8);
    EXPECT_EQ(line.parity, 0);
    EXPECT_EQ(line.stopBits, 2);
    EXPECT_TRUE(line.dtrOn);
    EXPECT_FALSE(line.ctsFlow);
    EXPECT_FALSE(line.xonXoffOutput);
}

TEST_F(ChannelOnLine, EveryOperationOnAClosedChannelIsHarmless) {
    const std::uint8_t out[4] = {1, 2, 3, 4};
    std::uint8_t in[4] = {0x55, 0x55, 0x55, 0x55};
    EXPECT_EQ(channel.Write(out, 4), 0);
    EXPECT_EQ(channel.Read(in, 4), 0u);
    EXPECT_EQ(channel.Read(in, TMonitorPSerie::kReadAvailable), 0u);
    EXPECT_EQ(in[0], 0x55);  // untouched
    EXPECT_EQ(channel.OutputRoom(), TMonitorPSerie::kRoomFailure);
    EXPECT_EQ(channel.Drain(), 0u);
    channel.Purge(1, 1);
    channel.SetRts(1);
    channel.Close();
    EXPECT_EQ(spy.Calls(), 0u);
    EXPECT_FALSE(channel.IsOpen());
}

TEST_F(ChannelOnLine, PurgeAndRtsReachTheOpenDevice) {
    ASSERT_TRUE(Connect());
    spy.log.clear();
    channel.Purge(1, 0);
    channel.Purge(0, 1);
    channel.SetRts(1);
    channel.SetRts(0);
    channel.Close();
    EXPECT_EQ(spy.log,
              (std::vector<std::string>{"purge in-", "purge -out", "rts on", "rts off", "close"}));
}

}  // namespace
}  // namespace kell::testing
