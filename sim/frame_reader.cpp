#include "sim/frame_reader.h"

namespace kell::sim {
namespace {

// The loader stages are the only frames with a 16-bit length; nothing the PC sends is longer.
constexpr long kLongestStage = 4096;

}  // namespace

long FrameReader::CommandLength(const std::vector<std::uint8_t>& head) {
    if (head.empty())
        return 0;
    switch (head[0]) {
        case 0x00:  // probe
        case 0x0A:  // end of link
        case 0xAA:  // staging prepare
        case 0xBB:  // keypad procedure start
        case 0xBF:  // module identity
        case 0xC0:  // module serial number
        case 0xFF:  // filler of the block resynchronisation
            return 1;
        case 0x01:  // command frame: the parameter read carries one byte more
            if (head.size() < 2)
                return 0;
            return head[1] == 0x42 ? 6 : 5;
        case 0x02:  // call frame or EEPROM write: 0x02, L, L bytes
        case 0x03:  // flash block: 0x03, n + 4, address, bank, n data, XOR
        case 0x09:  // commit: 0x09, 0x41, 64 flags, XOR
        case 0xBC:  // keypad frame outside the procedure: length known all the same
            if (head.size() < 2)
                return 0;
            return 2 + static_cast<long>(head[1]);
        case 0x04: {  // loader stage: 0x04, length low, length high, data
            if (head.size() < 3)
                return 0;
            long n = head[1] | (head[2] << 8);
            return n > kLongestStage ? -2 : 3 + n;
        }
        case 0x07:
            return 5;  // staging erase
        case 0x0C:
            return 2;  // sector erase
        case 0x0D:
            return 2;  // module start
        case 0x0F:
            return 2;  // finish and closing bytes
        case 0x4C:
        case 0xCC:
            return 9;  // module length frame
        case 0x5A:
            return 133;  // loader buffer frame
        case 0x5B:
            return 12;  // loader sector frame
        default:
            return -1;
    }
}

long FrameReader::KeypadLength(const std::vector<std::uint8_t>& head) {
    if (head.empty())
        return 0;
    if (head[0] != 0xBC)
        return -1;
    if (head.size() < 2)
        return 0;
    return 2 + static_cast<long>(head[1]);
}

FrameReader::Result FrameReader::Feed(std::uint8_t byte) {
    if (complete_)
        Reset();
    frame_.push_back(byte);
    if (expected_ == 0) {
        long n = keypad_ ? KeypadLength(frame_) : CommandLength(frame_);
        if (n == -1) {
            Reset();
            return Result::Unknown;
        }
        if (n == -2) {
            Reset();
            return Result::Malformed;
        }
        expected_ = static_cast<std::size_t>(n);
    }
    if (expected_ != 0 && frame_.size() >= expected_) {
        complete_ = true;
        expected_ = 0;
        return Result::Complete;
    }
    return Result::Incomplete;
}

}  // namespace kell::sim
