// Connecting to the instrument: the probe, the reconnection after a restart, and the watch
// for the instrument leaving the link.
#include "app/ventana_brisca.h"
#include "link/byte_wait.h"
#include "link/shared_frames.h"

namespace kell {
namespace {

constexpr std::uint8_t kProbe = 0x00;
constexpr std::uint8_t kListening = 0x5D;
constexpr std::uint8_t kBootstrapMode = 0xD5;
constexpr std::uint8_t kBusy = 0x6D;

constexpr int kProbeAttempts = 4;
constexpr int kReconnectAttempts = 10;
constexpr int kReconnectPolls = 15;
constexpr std::uint32_t kReconnectPollMs = 10;
constexpr std::uint32_t kSettleMs = 100;
// How long the search listens for the probe's answer. The channel's own read waits only a few
// milliseconds, which an instrument behind a USB adapter's latency timer (up to 16 ms) or on a
// busy machine misses; its late answer would then be drained before the next attempt, every
// time. Only a port that does not answer pays for it.
constexpr std::uint32_t kProbeReplyWindowMs = 100;
constexpr int kWakePulses = 16;
constexpr std::uint32_t kWakeHalfPeriodMs = 20;
// What a reconnection attempt on a port that does not open waits before the next: as long as
// an attempt on an open port that gets no answer (pulses, settling, polls, the 0x0A's pause).
constexpr std::uint32_t kAbsentAttemptMs = kWakePulses * 2 * kWakeHalfPeriodMs + kSettleMs +
                                           kReconnectPolls * kReconnectPollMs + kSettleMs;

// The search's probe listens once, with the channel's read time-out, and takes the bootstrap
// mode's answer and the busy answer too; the reconnection after a restart listens longer, for
// the listening answer only, and looks the device up again while it is off the bus.
constexpr ProbeRule kSearchProbe{.attempts = kProbeAttempts,
                                 .reads = 1,
                                 .readGapMs = 0,
                                 .replyWindowMs = kProbeReplyWindowMs,
                                 .takesBootstrap = true,
                                 .stopsOnBusy = true,
                                 .reopens = false};
constexpr ProbeRule kReconnectProbe{.attempts = kReconnectAttempts,
                                    .reads = kReconnectPolls,
                                    .readGapMs = kReconnectPollMs,
                                    .takesBootstrap = false,
                                    .stopsOnBusy = false,
                                    .reopens = true};

}  // namespace

void Tventana_brisca::WakePulse() {
    for (int i = 0; i < kWakePulses; ++i) {
        monitorPSerie.SetRts(1);
        seams.clock.SleepMs(kWakeHalfPeriodMs);
        monitorPSerie.SetRts(0);
        seams.clock.SleepMs(kWakeHalfPeriodMs);
    }
}

void Tventana_brisca::Boton_ConectarClick(int) {
    controls.Timer_desconexion.enabled = false;
    connection_.busyReply = false;
    connection_.bootstrapReply = false;

    if (connection_.connected) {
        EndLink();
        seams.pump.PumpOnce();
        return;
    }

    monitorPSerie.Close();
    if (!monitorPSerie.Configure(connection_.portNumber, connection_.PortSettings)) {
        // A port that is there but refused to this user is worth telling apart from silence.
        if (monitorPSerie.LastOpenResult() == OpenResult::PermissionDenied)
            connection_.portPermissionRefused = true;
        // Another program (another copy of this one) holds the port: its exchanges are left
        // alone, and the user is told why the meter was not reached.
        if (monitorPSerie.LastOpenResult() == OpenResult::Busy)
            connection_.portHeldElsewhere = true;
        monitorPSerie.Close();
        return;
    }

    const ProbeAnswer answer = ProbeInstrument(kSearchProbe);
    if (answer == ProbeAnswer::Left)
        return;  // the window is being closed; the port stays as it is
    connection_.busyReply = answer == ProbeAnswer::Busy;
    connection_.bootstrapReply = answer == ProbeAnswer::Bootstrap;
    if (answer != ProbeAnswer::Listening && !connection_.bootstrapReply) {
        monitorPSerie.Close();
        return;
    }

    if (connection_.bootstrapReply) {
        if (startBootstrapLoader)
            startBootstrapLoader();
        else
            StartBootstrapLoader();
    }
    connection_.connected = true;
    ReadInstrumentAtConnect();
    seams.pump.PumpOnce();
    // The identification may have lost the link again (a module that needed a reconnection
    // that failed); the watch only runs over a link that is up.
    controls.Timer_desconexion.enabled = connection_.connected;
}

ProbeAnswer Tventana_brisca::ProbeInstrument(const ProbeRule& rule) {
    for (int attempt = 0; attempt < rule.attempts; ++attempt) {
        seams.pump.PumpOnce();
        if (state_.exitRequested)
            return ProbeAnswer::Left;
        // Each attempt opens the port anew when it is not open: the catalog follows the device
        // to the node it has now (a USB device that restarted may come back under another).
        if (rule.reopens && !monitorPSerie.IsOpen() &&
            !monitorPSerie.Configure(connection_.portNumber, connection_.PortSettings)) {
            monitorPSerie.Close();
            seams.clock.SleepMs(kAbsentAttemptMs);
            continue;
        }
        WakePulse();
        seams.pump.PumpOnce();
        if (state_.exitRequested)
            return ProbeAnswer::Left;
        seams.clock.SleepMs(kSettleMs);
        monitorPSerie.Drain();

        const std::uint8_t probe = kProbe;
        if (monitorPSerie.Write(&probe, 1) < 0 && rule.reopens) {
            // The node went away under the open port (the instrument dropped off the bus):
            // the next attempt looks for it again.
            monitorPSerie.Close();
            seams.clock.SleepMs(kSettleMs);
            continue;
        }
        bool busy = false;
        for (int read = 0; read < rule.reads; ++read) {
            if (rule.readGapMs != 0) {
                seams.pump.PumpOnce();
                if (state_.exitRequested)
                    return ProbeAnswer::Left;
                seams.clock.SleepMs(rule.readGapMs);
            }
            // A window of 0 is one read of the channel.
            LinkContext link = Link();
            const PolledByte reply = WaitForByte(
                link, Deadline::Milliseconds(seams.clock, rule.replyWindowMs), Pace::BackToBack());
            if (!reply.Arrived())
                continue;
            if (reply.value == kListening)
                return ProbeAnswer::Listening;
            if (reply.value == kBootstrapMode && rule.takesBootstrap)
                return ProbeAnswer::Bootstrap;
            busy = reply.value == kBusy;
        }

        const std::uint8_t bye = kEndOfLink;
        monitorPSerie.Write(&bye, 1);
        seams.clock.SleepMs(kSettleMs);
        if (busy && rule.stopsOnBusy)
            return ProbeAnswer::Busy;
    }
    return ProbeAnswer::Silent;
}

void Tventana_brisca::Reconnect() {
    if (!ReconnectQuietly() && !state_.exitRequested)
        TellUsbError();
}

void Tventana_brisca::TellUsbError() {
    seams.notifier.Beep(1000, 500);
    seams.notifier.MessageBox("USB error", kApplicationTitle, MessageButtons::Ok);
}

bool Tventana_brisca::ReconnectQuietly() {
    controls.Timer_desconexion.enabled = false;
    if (connection_.connected)
        EndLink();
    monitorPSerie.Close();

    if (ProbeInstrument(kReconnectProbe) == ProbeAnswer::Listening) {
        connection_.connected = true;
        return true;
    }
    monitorPSerie.Close();
    return false;
}

void Tventana_brisca::Mira_desconexion() {
    if (!controls.Timer_desconexion.enabled)
        return;
    std::uint8_t byte = 0;
    if (monitorPSerie.Read(&byte, 1) != 1 || byte != kEndOfLink)
        return;
    // Only a link that is up is ended; the toggle would otherwise start a connection.
    if (connection_.connected)
        Boton_ConectarClick();
    else
        controls.Timer_desconexion.enabled = false;
}

}  // namespace kell
