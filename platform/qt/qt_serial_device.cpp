#include "platform/qt/qt_serial_device.h"

#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QSerialPort>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <optional>
#include <thread>

namespace kell {

namespace {

using Steady = std::chrono::steady_clock;

std::optional<QSerialPort::DataBits> ToDataBits(std::uint8_t bits) {
    switch (bits) {
        case 5:
            return QSerialPort::Data5;
        case 6:
            return QSerialPort::Data6;
        case 7:
            return QSerialPort::Data7;
        case 8:
            return QSerialPort::Data8;
        default:
            return std::nullopt;
    }
}

// Win32 parity codes: 0 none, 1 odd, 2 even, 3 mark, 4 space.
std::optional<QSerialPort::Parity> ToParity(std::uint8_t code) {
    switch (code) {
        case 0:
            return QSerialPort::NoParity;
        case 1:
            return QSerialPort::OddParity;
        case 2:
            return QSerialPort::EvenParity;
        case 3:
            return QSerialPort::MarkParity;
        case 4:
            return QSerialPort::SpaceParity;
        default:
            return std::nullopt;
    }
}

// Win32 stop-bit codes: 0 one, 1 one and a half, 2 two.
std::optional<QSerialPort::StopBits> ToStopBits(std::uint8_t code) {
    switch (code) {
        case 0:
            return QSerialPort::OneStop;
        case 1:
            return QSerialPort::OneAndHalfStop;
        case 2:
            return QSerialPort::TwoStop;
        default:
            return std::nullopt;
    }
}

int MsUntil(Steady::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Steady::now());
    return static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, INT_MAX));
}

// The poll events of fd right now, without waiting; 0 when the poll fails.
short PollNow(int fd, short events) {
    pollfd p{fd, events, 0};
    return ::poll(&p, 1, 0) > 0 ? p.revents : 0;
}

constexpr short kHangUpEvents = POLLHUP | POLLERR | POLLNVAL;
// How often a wait for output looks at the driver's queue, which wakes no poll() as it drains.
constexpr int kDriverQueueStepMs = 1;

}  // namespace

struct QtSerialDevice::Impl {
    QSerialPort port;
    bool open = false;    // from a good Open to Close, also after the device went away
    bool gone = false;    // the device went away; Qt's port is already closed
    bool failed = false;  // a read or write failed since the last status query
    std::uint32_t baud = 115200;
    serial_icounter_struct counters{};
    bool countersKnown = false;

    Impl() {
        QObject::connect(&port, &QSerialPort::errorOccurred, &port,
                         [this](QSerialPort::SerialPortError e) { OnQtError(e); });
    }

    int Fd() const { return port.isOpen() ? static_cast<int>(port.handle()) : -1; }

    bool HungUp() const {
        const int fd = Fd();
        return fd >= 0 && (PollNow(fd, 0) & kHangUpEvents) != 0;
    }

    // Runs inside Qt's own I/O code (also from an event loop's socket notifier), where the
    // port must not be closed: the release is queued. Without it a hung-up port would keep
    // waking the event loop.
    void OnQtError(QSerialPort::SerialPortError e) {
        if (gone || (e != QSerialPort::ResourceError && !HungUp()))
            return;
        gone = true;
        QMetaObject::invokeMethod(
            &port, [this] { ReleaseGonePort(); }, Qt::QueuedConnection);
    }

    void ReleaseGonePort() {
        if (gone && port.isOpen())
            port.close();
        port.clearError();
    }

    // Folds Qt's error state into ours after each call into Qt, and clears it, so that a
    // time-out or a refused modem line does not linger as an error. Only a failure while
    // moving data counts against the line; a refused setting does not.
    enum class After { Io, Setting };
    void Absorb(After after = After::Io) {
        switch (port.error()) {
            case QSerialPort::ResourceError:
                gone = true;
                break;
            case QSerialPort::ReadError:
            case QSerialPort::WriteError:
            case QSerialPort::UnknownError:
                if (after == After::Io)
                    failed = true;
                break;
            default:
                break;
        }
        port.clearError();
        if (!gone && HungUp())
            gone = true;
        if (gone)
            ReleaseGonePort();
    }

    // Hands Qt's buffered output to the driver when it can take some, so the write never
    // waits (a write into a full driver queue would fail with EAGAIN, which Qt reports as if
    // the device had gone).
    void PushOutput() {
        const int fd = Fd();
        if (fd < 0 || port.bytesToWrite() == 0)
            return;
        if (PollNow(fd, POLLOUT) & POLLOUT)
            port.flush();
    }

    // Waits up to timeoutMs for bytes to read, pushing output meanwhile. Qt's own wait would
    // spin on a hung-up device until its time-out; this one returns at once.
    void WaitReadable(std::uint32_t timeoutMs) {
        const Steady::time_point deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            PushOutput();
            const int fd = Fd();
            if (fd < 0)
                return;
            const short events = POLLIN | (port.bytesToWrite() > 0 ? POLLOUT : 0);
            pollfd p{fd, events, 0};
            const int waitMs = MsUntil(deadline);
            const int ready = ::poll(&p, 1, waitMs);
            if (ready < 0 && errno != EINTR)
                return;
            if (ready > 0 && (p.revents & POLLIN)) {
                port.waitForReadyRead(0);  // moves what has arrived into Qt's buffer
                return;
            }
            if (ready > 0 && (p.revents & kHangUpEvents)) {
                gone = true;
                return;
            }
            if (waitMs == 0 || MsUntil(deadline) == 0)
                return;
        }
    }

    // Waits until the output queued now (Qt's buffer and the driver's queue) is smaller, the
    // device goes away, or timeoutMs passes. Without poll events asked for, poll() is a sleep
    // that still ends at a hang-up.
    void WaitOutputLeaves(std::uint32_t timeoutMs) {
        const std::uint32_t before = OutQueued();
        if (before == 0 || gone)
            return;
        const Steady::time_point deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const int fd = Fd();
            if (fd < 0)
                return;
            const bool ownBytes = port.bytesToWrite() > 0;
            const int waitMs = MsUntil(deadline);
            pollfd p{fd, static_cast<short>(ownBytes ? POLLOUT : 0), 0};
            const int ready =
                ::poll(&p, 1, ownBytes ? waitMs : std::min(waitMs, kDriverQueueStepMs));
            if (ready < 0 && errno != EINTR)
                return;
            if (ready > 0 && (p.revents & kHangUpEvents)) {
                gone = true;
                return;
            }
            if (ready > 0 && (p.revents & POLLOUT))
                port.flush();  // hands Qt's buffer to the driver without blocking
            if (gone || OutQueued() < before || waitMs == 0 || MsUntil(deadline) == 0)
                return;
        }
    }

    std::uint32_t DriverOutQueued() {
        const int fd = Fd();
        int queued = 0;
        if (fd < 0)
            return 0;
        if (::ioctl(fd, TIOCOUTQ, &queued) != 0) {
            // A hung-up tty answers every query with EIO.
            if (errno == EIO || errno == ENXIO || errno == ENODEV)
                gone = true;
            return 0;
        }
        return queued > 0 ? static_cast<std::uint32_t>(queued) : 0;
    }

    std::uint32_t OutQueued() {
        const auto own = static_cast<std::uint64_t>(std::max<qint64>(port.bytesToWrite(), 0));
        return static_cast<std::uint32_t>(
            std::min<std::uint64_t>(own + DriverOutQueued(), UINT32_MAX));
    }

    // New line errors since the last call, from the driver's counters. Drivers without
    // counters (pseudo-terminals, some USB adapters) report none.
    std::uint32_t TakeLineErrors() {
        const int fd = Fd();
        serial_icounter_struct now{};
        if (fd < 0 || ::ioctl(fd, TIOCGICOUNT, &now) != 0)
            return kLineErrorNone;
        std::uint32_t errors = kLineErrorNone;
        if (countersKnown) {
            if (now.frame != counters.frame)
                errors |= kLineErrorFraming;
            if (now.overrun != counters.overrun || now.buf_overrun != counters.buf_overrun)
                errors |= kLineErrorOverrun;
            if (now.parity != counters.parity)
                errors |= kLineErrorParity;
            if (now.brk != counters.brk)
                errors |= kLineErrorBreak;
        }
        counters = now;
        countersKnown = true;
        return errors;
    }

    // A USB serial adapter holds the bytes it receives until its latency timer runs out (16 ms
    // by default) unless its driver is in low-latency mode, and every answer of the instrument
    // would wait that long. Drivers without the setting (a pseudo-terminal) refuse it; the port
    // works as it is then.
    void AskForLowLatency() {
        const int fd = Fd();
        serial_struct serial{};
        if (fd < 0 || ::ioctl(fd, TIOCGSERIAL, &serial) != 0 ||
            (serial.flags & ASYNC_LOW_LATENCY) != 0)
            return;
        serial.flags |= ASYNC_LOW_LATENCY;
        ::ioctl(fd, TIOCSSERIAL, &serial);
    }

    void SetFlowCharacters(std::uint8_t xon, std::uint8_t xoff) {
        const int fd = Fd();
        termios tio{};
        if (fd < 0 || ::tcgetattr(fd, &tio) != 0)
            return;
        if (tio.c_cc[VSTART] == xon && tio.c_cc[VSTOP] == xoff)
            return;
        tio.c_cc[VSTART] = xon;
        tio.c_cc[VSTOP] = xoff;
        ::tcsetattr(fd, TCSANOW, &tio);
    }

    // Gives queued output its wire time (11 bits a byte, twice over, plus a margin, at most a
    // second) and drops what is left, so that the system's close does not wait for a device
    // that stopped taking data.
    void LetOutputLeave() {
        std::uint64_t queued = OutQueued();
        if (queued == 0 || gone)
            return;
        const std::uint64_t wireMs = queued * 11 * 1000 / std::max<std::uint32_t>(baud, 1);
        const auto deadline = Steady::now() + std::chrono::milliseconds(
                                                  std::min<std::uint64_t>(50 + 2 * wireMs, 1000));
        while (queued > 0 && !gone && Steady::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            PushOutput();
            Absorb();
            queued = gone ? 0 : OutQueued();
        }
        if (queued > 0 && port.isOpen())
            port.clear(QSerialPort::Output);
    }
};

QtSerialDevice::QtSerialDevice() : impl_(std::make_unique<Impl>()) {}

QtSerialDevice::~QtSerialDevice() {
    Close();
}

bool QtSerialDevice::IsOpen() const {
    return impl_->open;
}

bool QtSerialDevice::Gone() const {
    return impl_->gone;
}

OpenResult QtSerialDevice::Open(const std::string& path) {
    Close();
    Impl& d = *impl_;
    if (path.empty())
        return OpenResult::NotFound;
    struct stat st {};
    if (path.front() == '/' && ::stat(path.c_str(), &st) != 0)
        return errno == EACCES ? OpenResult::PermissionDenied : OpenResult::NotFound;

    d.port.setPortName(QString::fromStdString(path));
    if (d.port.open(QIODevice::ReadWrite)) {
        d.open = true;
        d.gone = d.failed = d.countersKnown = false;
        d.AskForLowLatency();
        d.TakeLineErrors();
        d.port.clearError();
        return OpenResult::Ok;
    }
    const QSerialPort::SerialPortError error = d.port.error();
    d.port.clearError();
    switch (error) {
        case QSerialPort::DeviceNotFoundError:
            return OpenResult::NotFound;
        case QSerialPort::PermissionError:
            // Qt reports a held lock file and an exclusive open elsewhere (EBUSY) as a
            // permission error too; if we may read and write the node, someone else has it.
            return ::access(path.c_str(), R_OK | W_OK) == 0 ? OpenResult::Busy
                                                            : OpenResult::PermissionDenied;
        case QSerialPort::OpenError:
            return OpenResult::Busy;
        default:
            return OpenResult::Failed;
    }
}

void QtSerialDevice::Close() {
    Impl& d = *impl_;
    if (d.port.isOpen()) {
        d.LetOutputLeave();
        if (d.port.isOpen())
            d.port.close();
    }
    d.port.clearError();
    d.open = d.gone = d.failed = false;
}

bool QtSerialDevice::Apply(const LineSettings& settings) {
    Impl& d = *impl_;
    if (!d.open || d.gone)
        return false;
    QSerialPort& port = d.port;
    bool ok = settings.baudRate > 0 && settings.baudRate <= INT32_MAX &&
              port.setBaudRate(static_cast<qint32>(settings.baudRate));
    const auto bits = ToDataBits(settings.byteSize);
    ok = bits && port.setDataBits(*bits) && ok;
    const auto parity = ToParity(settings.parity);
    ok = parity && port.setParity(*parity) && ok;
    const auto stop = ToStopBits(settings.stopBits);
    ok = stop && port.setStopBits(*stop) && ok;
    const QSerialPort::FlowControl flow = settings.ctsFlow         ? QSerialPort::HardwareControl
                                          : settings.xonXoffOutput ? QSerialPort::SoftwareControl
                                                                   : QSerialPort::NoFlowControl;
    ok = port.setFlowControl(flow) && ok;
    d.SetFlowCharacters(settings.xonChar, settings.xoffChar);
    // DTR as asked, RTS off. A device without modem lines refuses both; that is no fault.
    port.setDataTerminalReady(settings.dtrOn);
    if (flow != QSerialPort::HardwareControl)
        port.setRequestToSend(false);
    if (ok)
        d.baud = settings.baudRate;
    d.Absorb(Impl::After::Setting);
    return ok && !d.gone;
}

bool QtSerialDevice::SetQueueSizes(std::uint32_t, std::uint32_t) {
    return impl_->open && !impl_->gone;
}

std::size_t QtSerialDevice::Read(std::uint8_t* dest, std::size_t max, std::uint32_t timeoutMs) {
    Impl& d = *impl_;
    if (!d.open || d.gone || max == 0)
        return 0;
    if (d.port.bytesAvailable() == 0) {
        d.WaitReadable(timeoutMs);
        d.Absorb();
    }
    if (d.gone)
        return 0;
    const qint64 got = d.port.read(reinterpret_cast<char*>(dest),
                                   static_cast<qint64>(std::min<std::size_t>(max, INT64_MAX)));
    return got > 0 ? static_cast<std::size_t>(got) : 0;
}

long QtSerialDevice::Write(const std::uint8_t* data, std::size_t count) {
    Impl& d = *impl_;
    if (!d.open || d.gone)
        return -1;
    if (count == 0)
        return 0;
    const qint64 taken = d.port.write(reinterpret_cast<const char*>(data),
                                      static_cast<qint64>(std::min<std::size_t>(count, LONG_MAX)));
    d.PushOutput();
    d.Absorb();
    if (d.gone || taken < 0)
        return -1;
    return static_cast<long>(taken);
}

void QtSerialDevice::WaitForOutput(std::uint32_t timeoutMs) {
    Impl& d = *impl_;
    if (!d.open || d.gone)
        return;
    d.WaitOutputLeaves(timeoutMs);
    d.Absorb();
}

SerialStatus QtSerialDevice::QueryStatus() {
    Impl& d = *impl_;
    if (!d.open)
        return SerialStatus{};
    SerialStatus status;
    if (!d.gone) {
        d.PushOutput();
        d.Absorb();
    }
    if (!d.gone) {
        status.outQueued = d.OutQueued();
        status.errors = d.TakeLineErrors();
    }
    if (d.gone) {
        d.ReleaseGonePort();
        d.failed = false;
        return SerialStatus{false, kLineErrorDevice, 0};
    }
    status.ok = !d.failed;
    if (d.failed)
        status.errors |= kLineErrorDevice;
    d.failed = false;
    return status;
}

void QtSerialDevice::Purge(bool input, bool output) {
    Impl& d = *impl_;
    if (!d.open || d.gone || (!input && !output))
        return;
    QSerialPort::Directions directions;
    if (input)
        directions |= QSerialPort::Input;
    if (output)
        directions |= QSerialPort::Output;
    d.port.clear(directions);
    d.Absorb(Impl::After::Setting);
}

bool QtSerialDevice::SetRts(bool on) {
    Impl& d = *impl_;
    if (!d.open || d.gone)
        return false;
    const bool ok = d.port.setRequestToSend(on);
    d.Absorb(Impl::After::Setting);
    return ok && !d.gone;
}

}  // namespace kell
