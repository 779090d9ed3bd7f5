#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "link/session_context.h"
#include "modules/keypad_image.h"

namespace kell {

// Programs the keypad's microcontroller. The PC only starts the procedure; from then on the
// instrument drives it with one-byte request codes, and each request is answered with
// instruction words, a fixed frame, or records of the keypad image. Every frame sent is 0xBC,
// the payload length and the payload. One instance serves one keypad step.
class CTeclado {
  public:
    static constexpr int kSiliconIdErrorCode = 1;
    static constexpr int kVerifyErrorCode = 2;
    // Stored when the instrument stops asking: the keypad step failed.
    static constexpr int kNoRequestCode = 1;
    static constexpr std::uint32_t kRequestSilenceMs = 60'000;
    // Whole seconds of the calendar clock an acknowledgement byte is waited for.
    static constexpr int kAckWaitSeconds = 2;
    static constexpr int kBlockCount = 256;

    // `image` must outlive the programmer; it is read up to the keypad image's fixed length.
    CTeclado(SessionContext& session, std::span<const std::uint8_t> image);
    // Over the keypad image built into the program.
    explicit CTeclado(SessionContext& session);
    CTeclado(const CTeclado&) = delete;
    CTeclado& operator=(const CTeclado&) = delete;

    // The whole procedure: 0 when the instrument reports success, -1 otherwise. Failures that
    // end the procedure store their result code in the session (only when none is stored).
    // When no request (a code below 23) comes for kRequestSilenceMs, or nothing at all comes
    // for that long while a request is served, the procedure fails with kNoRequestCode.
    int Program();

    std::uint32_t TextPosition() const { return image_.Position(); }
    bool ShortSequence() const { return shortSequence_; }

  private:
    enum class Outcome { Serving, Succeeded, Failed };

    // One line of the image up to its data: ':', the length, the address (not examined), the
    // type, the data digits; then the checksum and the line end are skipped. Address records
    // also name the data they must hold.
    struct LineFormat {
        std::string_view length;
        const char* lengthMessage;
        std::string_view type;
        const char* typeMessage;
        std::size_t dataDigits;
        const char* shortMessage;
        std::string_view expectedData = {};
        const char* dataMessage = nullptr;
    };
    // The security and checksum records: an address record, then the data record that is sent.
    struct RecordPair {
        LineFormat address;
        LineFormat data;
    };

    static const LineFormat kDataLine;
    static const RecordPair kSecurityRecord;
    static const RecordPair kChecksumRecord;

    Outcome Serve(std::uint8_t request);
    void SendTable(int request);
    void SendFlashBlocks();
    void SendRecordPair(const RecordPair& pair);
    // Reads one line; on a format failure it tells the user and returns false.
    bool ReadLine(const LineFormat& format, std::string_view& data);

    void SendFrame(std::span<const std::uint8_t> payload);
    void SendRaw(std::span<const std::uint8_t> bytes);
    // Nothing at all has come from the instrument for kRequestSilenceMs: it has stopped taking
    // part, and the acknowledgements still awaited would only wait out their 2 s each.
    bool InstrumentSilent() const;
    // One byte within kAckWaitSeconds, pumping messages while waiting.
    bool WaitForByte(std::uint8_t& byte);
    void WaitForAck();
    void Complain(const char* message);

    SessionContext& session_;
    KeypadImageCursor image_;
    bool shortSequence_ = false;
    std::uint32_t lastHeardMs_ = 0;  // tick of the last byte from the instrument
    std::vector<std::uint8_t> frame_;
};

}  // namespace kell
