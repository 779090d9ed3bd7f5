#include "image/interprete_hex.h"

#include "image/util.h"

namespace kell {

int TInterprete_hex::ReadRecord(HexRecord& record) {
    switch (file_.ReadLine(line_, sizeof line_)) {
        case LineRead::kExhausted:
            return kHexTextEnd;
        case LineRead::kTooLong:
            return line_[0] == ':' ? kHexBadFormat : kHexNoColon;
        case LineRead::kLine:
            break;
    }
    if (line_[0] != ':')
        return kHexNoColon;

    // The line is zero-terminated and every conversion stops at the first character that is
    // not a digit, so a short line never makes it read past its end.
    std::uint8_t high = 0, low = 0;
    if (TUtil::HexByte(line_ + 1, record.count) != TUtil::kOk ||
        TUtil::HexByte(line_ + 3, high) != TUtil::kOk ||
        TUtil::HexByte(line_ + 5, low) != TUtil::kOk ||
        TUtil::HexByte(line_ + 7, record.type) != TUtil::kOk)
        return kHexBadFormat;
    record.address = static_cast<std::uint16_t>(high * 256 + low);

    unsigned sum = record.count + high + low + record.type;
    const char* digits = line_ + 9;
    for (unsigned i = 0; i < record.count; ++i, digits += 2) {
        if (TUtil::HexByte(digits, record.data[i]) != TUtil::kOk)
            return kHexBadFormat;
        sum += record.data[i];
    }
    std::uint8_t checksum = 0;
    if (TUtil::HexByte(digits, checksum) != TUtil::kOk)
        return kHexBadFormat;
    if (((sum + checksum) & 0xFF) != 0)
        return kHexBadChecksum;
    return kHexRecordOk;
}

}  // namespace kell
