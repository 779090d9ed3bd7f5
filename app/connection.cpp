// Connecting to the instrument: the probe, the reconnection after a restart, and the watch
// for the instrument leaving the link.
#include "app/ventana_brisca.h"

namespace kell {
namespace {

constexpr std::uint8_t kProbe = 0x00;
constexpr std::uint8_t kListening = 0x5D;
constexpr std::uint8_t kBootstrapMode = 0xD5;
constexpr std::uint8_t kBusy = 0x6D;
constexpr std::uint8_t kEndOfLink = 0x0A;

constexpr int kProbeAttempts = 4;
constexpr int kReconnectAttempts = 10;
constexpr int kReconnectPolls = 15;
constexpr std::uint32_t kReconnectPollMs = 10;
constexpr std::uint32_t kSettleMs = 100;
constexpr int kWakePulses = 16;
constexpr std::uint32_t kWakeHalfPeriodMs = 20;
// What a reconnection attempt on a port that does not open waits before the next: as long as
// an attempt on an open port that gets no answer (pulses, settling, polls, the 0x0A's pause).
constexpr std::uint32_t kAbsentAttemptMs = kWakePulses * 2 * kWakeHalfPeriodMs + kSettleMs +
                                           kReconnectPolls * kReconnectPollMs + kSettleMs;

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
    Timer_desconexion.enabled = false;
    busyReply = false;
    bootstrapReply = false;

    if (connected) {
        EndLink();
        seams.pump.PumpOnce();
        return;
    }

    monitorPSerie.Close();
    if (!monitorPSerie.Configure(portNumber, PortSettings)) {
        // A port that is there but refused to this user is worth telling apart from silence.
        if (monitorPSerie.LastOpenResult() == OpenResult::PermissionDenied)
            portPermissionRefused = true;
        // Another program (another copy of this one) holds the port: its exchanges are left
        // alone, and the user is told why the meter was not reached.
        if (monitorPSerie.LastOpenResult() == OpenResult::Busy)
            portHeldElsewhere = true;
        monitorPSerie.Close();
        return;
    }

    bool left = false;
    const bool answered = Probe(left);
    if (left)
        return;
    if (!answered) {
        monitorPSerie.Close();
        return;
    }

    if (bootstrapReply) {
        if (startBootstrapLoader)
            startBootstrapLoader();
        else
            StartBootstrapLoader();
    }
    connected = true;
    ReadInstrumentAtConnect();
    seams.pump.PumpOnce();
    // The identification may have lost the link again (a module that needed a reconnection
    // that failed); the watch only runs over a link that is up.
    Timer_desconexion.enabled = connected;
}

bool Tventana_brisca::Probe(bool& left) {
    left = false;
    for (int attempt = 0; attempt < kProbeAttempts; ++attempt) {
        seams.pump.PumpOnce();
        if (exitRequested) {
            left = true;
            return false;
        }
        WakePulse();
        seams.pump.PumpOnce();
        if (exitRequested) {
            left = true;
            return false;
        }
        seams.clock.SleepMs(kSettleMs);
        monitorPSerie.Drain();

        const std::uint8_t probe = kProbe;
        monitorPSerie.Write(&probe, 1);
        std::uint8_t reply = 0;
        const bool got = monitorPSerie.Read(&reply, 1) == 1;
        if (got && reply == kBootstrapMode) {
            bootstrapReply = true;
            return true;
        }
        if (got && reply == kListening)
            return true;

        const std::uint8_t bye = kEndOfLink;
        monitorPSerie.Write(&bye, 1);
        seams.clock.SleepMs(kSettleMs);
        if (got && reply == kBusy) {
            busyReply = true;
            return false;
        }
    }
    return false;
}

void Tventana_brisca::Reconnect() {
    if (!ReconnectQuietly() && !exitRequested)
        TellUsbError();
}

void Tventana_brisca::TellUsbError() {
    seams.notifier.Beep(1000, 500);
    seams.notifier.MessageBox("USB error", kApplicationTitle, MessageButtons::Ok);
}

bool Tventana_brisca::ReconnectQuietly() {
    Timer_desconexion.enabled = false;
    if (connected)
        EndLink();
    monitorPSerie.Close();

    for (int attempt = 0; attempt < kReconnectAttempts; ++attempt) {
        seams.pump.PumpOnce();
        if (exitRequested)
            return false;
        // Each attempt opens the port anew when it is not open: the catalog follows the device
        // to the node it has now (a USB device that restarted may come back under another).
        if (!monitorPSerie.IsOpen() && !monitorPSerie.Configure(portNumber, PortSettings)) {
            monitorPSerie.Close();
            seams.clock.SleepMs(kAbsentAttemptMs);
            continue;
        }
        WakePulse();
        seams.pump.PumpOnce();
        if (exitRequested)
            return false;
        seams.clock.SleepMs(kSettleMs);
        monitorPSerie.Drain();
        const std::uint8_t probe = kProbe;
        if (monitorPSerie.Write(&probe, 1) < 0) {
            // The node went away under the open port (the instrument dropped off the bus):
            // the next attempt looks for it again.
            monitorPSerie.Close();
            seams.clock.SleepMs(kSettleMs);
            continue;
        }
        for (int poll = 0; poll < kReconnectPolls; ++poll) {
            seams.pump.PumpOnce();
            if (exitRequested)
                return false;
            seams.clock.SleepMs(kReconnectPollMs);
            std::uint8_t reply = 0;
            if (monitorPSerie.Read(&reply, 1) == 1 && reply == kListening) {
                connected = true;
                return true;
            }
        }
        const std::uint8_t bye = kEndOfLink;
        monitorPSerie.Write(&bye, 1);
        seams.clock.SleepMs(kSettleMs);
    }
    monitorPSerie.Close();
    return false;
}

void Tventana_brisca::Mira_desconexion() {
    if (!Timer_desconexion.enabled)
        return;
    std::uint8_t byte = 0;
    if (monitorPSerie.Read(&byte, 1) != 1 || byte != kEndOfLink)
        return;
    // Only a link that is up is ended; the toggle would otherwise start a connection.
    if (connected)
        Boton_ConectarClick();
    else
        Timer_desconexion.enabled = false;
}

}  // namespace kell
