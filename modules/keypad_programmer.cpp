#include "modules/keypad_programmer.h"

#include "link/byte_wait.h"
#include "link/progress_weights.h"
#include "modules/keypad_instructions.h"

namespace kell {

namespace {

constexpr std::uint8_t kStart = 0xBB;
constexpr std::uint8_t kFrameMark = 0xBC;

// Request codes with an action of their own; the others are answered from the tables.
constexpr std::uint8_t kRequestShortSequence = 6;
constexpr std::uint8_t kRequestBlocks = 14;
constexpr std::uint8_t kRequestSecurity = 16;
constexpr std::uint8_t kRequestChecksum = 17;
constexpr std::uint8_t kEndSuccess = 18;
constexpr std::uint8_t kEndSiliconId = 19;
constexpr std::uint8_t kEndVerify = 20;
constexpr std::uint8_t kEndSilent = 21;
// Codes from here on mean nothing; they are ignored and do not count as a request.
constexpr std::uint8_t kFirstUnknownRequest = 23;

// The programming sequences run after each flash block: the full one, or the short one once
// the instrument has asked for it.
constexpr int kAfterBlockTable = 5;
constexpr int kAfterBlockShortTable = 6;

constexpr const char* kHexCorrupt = "Hex corrupto !\n";
constexpr const char* kUnexpectedCode = "Codigo no esperado !\n";

}  // namespace

// The layout every line of the image must have, with the message for each check.
const CTeclado::LineFormat CTeclado::kDataLine{
    .length = "40",
    .lengthMessage = "Longitud de record incorrecto !\n",
    .type = "00",
    .typeMessage = "El record no es de tipo datos !\n",
    .dataDigits = 128,
    .shortMessage = "El record no tiene suficientes datos!\n",
};

const CTeclado::RecordPair CTeclado::kSecurityRecord{
    .address =
        {
            .length = "02",
            .lengthMessage = "Longitud de 1era linea del \nsecurity record incorrecta \n",
            .type = "04",
            .typeMessage = "1era linea del security record \nno es de tipo 0x04 !\n",
            .dataDigits = 4,
            .shortMessage = "1er Record SECURE sin datos suficientes!\n",
            .expectedData = "0010",
            .dataMessage = "Error en los datos SECURE!\n",
        },
    .data =
        {
            .length = "40",
            .lengthMessage = "Longitud de la 2da linea del \nsecurity record incorrecta \n",
            .type = "00",
            .typeMessage = "La 2da linea del \nsecurity record no es de tipo 0x00 !\n",
            .dataDigits = 128,
            .shortMessage = "2do Record SECURE sin datos suficientes!\n",
        },
};

const CTeclado::RecordPair CTeclado::kChecksumRecord{
    .address =
        {
            .length = "02",
            .lengthMessage = "Longitud de 1era linea del \nChecksum record incorrecta \n",
            .type = "04",
            .typeMessage = "1era linea del checksum record \nno es de tipo 0x04 !\n",
            .dataDigits = 4,
            .shortMessage = "1er Record checksum sin datos suficientes!\n",
            .expectedData = "0020",
            .dataMessage = "Error en los datos tipo checksum!\n",
        },
    .data =
        {
            .length = "02",
            .lengthMessage = "Longitud de la 2da linea del \nchecksum record incorrecta \n",
            .type = "00",
            .typeMessage = "La 2da linea del \nchecksum record no es de tipo 0x00 !\n",
            .dataDigits = 4,
            .shortMessage = "2do Record checksum sin datos suficientes!\n",
        },
};

CTeclado::CTeclado(SessionContext& session, std::span<const std::uint8_t> image)
    : session_(session), image_(image) {}

int CTeclado::Program() {
    shortSequence_ = false;
    const std::uint8_t start = kStart;
    SendRaw({&start, 1});
    LinkContext& link = session_.link;
    lastHeardMs_ = link.clock.TickMs();
    for (;;) {
        // An instrument that stopped asking would otherwise hold the step for ever; codes it
        // does not know are noise and do not keep the step alive.
        const PolledByte request = WaitForByteThat(
            link, Deadline::Milliseconds(link.clock, kRequestSilenceMs),
            [](std::uint8_t code) { return code < kFirstUnknownRequest; }, Pace::BackToBack());
        if (!request.Arrived()) {
            session_.RecordResult(kNoRequestCode);
            return -1;
        }
        lastHeardMs_ = link.clock.TickMs();
        const Outcome outcome = Serve(request.value);
        if (outcome != Outcome::Serving)
            return outcome == Outcome::Succeeded ? 0 : -1;
        // Serving stops early when the instrument fell silent meanwhile; it has stopped asking.
        if (InstrumentSilent()) {
            session_.RecordResult(kNoRequestCode);
            return -1;
        }
    }
}

CTeclado::Outcome CTeclado::Serve(std::uint8_t request) {
    switch (request) {
        case kRequestBlocks:
            SendFlashBlocks();
            break;
        case kRequestSecurity:
            SendRecordPair(kSecurityRecord);
            break;
        case kRequestChecksum:
            SendRecordPair(kChecksumRecord);
            break;
        case kEndSuccess:
            return Outcome::Succeeded;
        case kEndSiliconId:
            Complain("Silicon ID error !\n");
            session_.RecordResult(kSiliconIdErrorCode);
            return Outcome::Failed;
        case kEndVerify:
            Complain("Verify error !\n");
            session_.RecordResult(kVerifyErrorCode);
            return Outcome::Failed;
        case kEndSilent:
            return Outcome::Failed;
        case kRequestShortSequence:
            shortSequence_ = true;
            SendTable(request);
            break;
        default:
            // A table or a fixed frame; 0, 1, 2 and 4 have neither and are answered with nothing.
            SendTable(request);
            SendRaw(KeypadFixedFrame(request));
            break;
    }
    return Outcome::Serving;
}

void CTeclado::SendTable(int request) {
    const std::span<const KeypadWord> table = KeypadInstructionTable(request);
    for (std::size_t k = 0; k < table.size(); ++k) {
        const KeypadWord word = table[k];
        const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(word >> 16),
                                       static_cast<std::uint8_t>(word >> 8),
                                       static_cast<std::uint8_t>(word)};
        SendFrame(bytes);
        // The instrument acknowledges each word; after the last its next request follows.
        if (k + 1 < table.size()) {
            if (InstrumentSilent())
                return;
            WaitForAck();
        }
    }
}

void CTeclado::SendFlashBlocks() {
    image_.Rewind();
    session_.Barra_progreso.SetRange(0, kBlockCount);
    for (int i = 0; i < kBlockCount; ++i) {
        if (InstrumentSilent())
            return;
        const bool last = i == kBlockCount - 1;
        session_.Barra_progreso.SetPosition(i);
        session_.ProgressBar_general.SetPosition(i * weights::kKeypadProgramming / kBlockCount +
                                                 session_.overallPosition);
        session_.link.pump.PumpOnce();

        std::string_view data;
        if (!ReadLine(kDataLine, data))
            return;
        SendFrame(KeypadHexToBytes(data));

        // The short sequence is not needed after the last block; the full one always is.
        if (!shortSequence_) {
            WaitForAck();
            SendTable(kAfterBlockTable);
        } else if (!last) {
            WaitForAck();
            SendTable(kAfterBlockShortTable);
        }
        if (!last) {
            // The instrument asks for the next block; anything else is reported, and the
            // transfer goes on all the same.
            std::uint8_t code = 0;
            if (!WaitForByte(code) || code != kRequestBlocks)
                Complain(kUnexpectedCode);
        }
    }
}

void CTeclado::SendRecordPair(const RecordPair& pair) {
    std::string_view data;
    if (!ReadLine(pair.address, data) || !ReadLine(pair.data, data))
        return;
    SendFrame(KeypadHexToBytes(data));
}

bool CTeclado::ReadLine(const LineFormat& format, std::string_view& data) {
    // A read past the end of the image fails the check it belongs to.
    const auto mark = image_.Take(1);
    if (!mark || *mark != ":") {
        Complain(kHexCorrupt);
        return false;
    }
    const auto length = image_.Take(format.length.size());
    if (!length || *length != format.length) {
        Complain(format.lengthMessage);
        return false;
    }
    image_.Take(4);  // the address is not used
    const auto type = image_.Take(format.type.size());
    if (!type || *type != format.type) {
        Complain(format.typeMessage);
        return false;
    }
    const auto digits = image_.Take(format.dataDigits);
    if (!digits) {
        Complain(format.shortMessage);
        return false;
    }
    if (format.dataMessage && *digits != format.expectedData) {
        Complain(format.dataMessage);
        return false;
    }
    image_.Take(2);  // record checksum, not verified
    image_.Take(2);  // CR LF
    data = *digits;
    return true;
}

void CTeclado::SendFrame(std::span<const std::uint8_t> payload) {
    frame_.assign({kFrameMark, static_cast<std::uint8_t>(payload.size())});
    frame_.insert(frame_.end(), payload.begin(), payload.end());
    SendRaw(frame_);
}

void CTeclado::SendRaw(std::span<const std::uint8_t> bytes) {
    if (!bytes.empty())
        session_.link.serial.Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

bool CTeclado::InstrumentSilent() const {
    return session_.link.clock.TickMs() - lastHeardMs_ >= kRequestSilenceMs;
}

bool CTeclado::WaitForByte(std::uint8_t& byte) {
    LinkContext& link = session_.link;
    const PolledByte answer =
        kell::WaitForByte(link, Deadline(link.clock, kAckWaitSeconds), Pace::Pumping());
    if (!answer.Arrived())
        return false;
    byte = answer.value;
    lastHeardMs_ = link.clock.TickMs();
    return true;
}

void CTeclado::WaitForAck() {
    // Its value means nothing, and a missing one only ends the wait.
    std::uint8_t ignored = 0;
    WaitForByte(ignored);
}

void CTeclado::Complain(const char* message) {
    session_.link.Beep();
    session_.link.notifier.MessageBox(message, "", MessageButtons::Ok);
}

}  // namespace kell
