#include "bench/find_instrument/responder.h"

namespace kell::bench {
namespace {

// Bytes a frame beginning with these takes in all; 0 while that is not yet known.
std::size_t FrameLength(const std::vector<std::uint8_t>& f) {
    if (f[0] != 0x01)
        return 1;
    return f.size() < 2 ? 0 : (f[1] == 0x42 ? 6 : 5);
}

}  // namespace

std::vector<std::uint8_t> Responder::Take(std::uint8_t byte) {
    frame_.push_back(byte);
    const std::size_t length = FrameLength(frame_);
    if (length == 0 || frame_.size() < length)
        return {};
    const std::vector<std::uint8_t> f = std::move(frame_);
    frame_.clear();
    switch (f[0]) {
        case 0x00:
            return {0x5D};
        case 0x01: {
            std::vector<std::uint8_t> reply = {0x10};
            if (f[1] == 0x42) {
                reply.resize(6, 0x00);
            } else if (f[1] == 0x50) {
                reply.insert(reply.end(), {0x02, f[3], 0x00});
            } else {
                reply.push_back(f[4]);
                reply.resize(2u + f[4], 0x00);
            }
            return reply;
        }
        case 0xBF:
            return {0xFB, 0x06, 0x00, 162, 0x00, 0x00, 0x01, 0x01};
        case 0xC0: {
            std::vector<std::uint8_t> reply = {0x0C, 0x40};
            reply.resize(2 + 64, 0x00);
            return reply;
        }
        default:
            return {};
    }
}

}  // namespace kell::bench
