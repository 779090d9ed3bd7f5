#pragma once

#include <cstdint>

namespace kell {

// The line settings record the channel is configured from. It keeps the members of the Win32
// DCB that the program sets, with their values and codes (StopBits 2 means two stop bits).
struct PortSettings {
    std::uint32_t DCBlength = 28;
    std::uint32_t BaudRate = 115200;
    std::uint8_t fBinary = 1;
    std::uint8_t fParity = 0;
    std::uint8_t fOutxCtsFlow = 0;
    std::uint8_t fOutxDsrFlow = 0;
    std::uint8_t fDtrControl = 1;  // DTR on while the port is open
    std::uint8_t fDsrSensitivity = 0;
    std::uint8_t fTXContinueOnXoff = 0;
    std::uint8_t fOutX = 0;
    std::uint8_t fInX = 0;
    std::uint8_t fErrorChar = 0;
    std::uint8_t fNull = 0;
    std::uint8_t fRtsControl = 0;
    std::uint8_t fAbortOnError = 0;
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    std::uint8_t ByteSize = 8;
    std::uint8_t Parity = 0;
    std::uint8_t StopBits = 2;
    std::uint8_t XonChar = 0;
    std::uint8_t XoffChar = 0;
    std::uint8_t ErrorChar = 0;
    std::uint8_t EofChar = 0;
    std::uint8_t EvtChar = 0;
};

}  // namespace kell
