#include "image/util.h"

namespace kell {

std::uint8_t TUtil::Xor(const std::uint8_t* data, std::size_t count) {
    std::uint8_t x = 0;
    for (std::size_t i = 0; i < count; ++i)
        x ^= data[i];
    return x;
}

}  // namespace kell
