// Stands in for the embedded payloads while the program is built without them.
#include "payloads/payloads.h"

namespace kell::testing {
using namespace kell::payloads;

std::span<const std::uint8_t> LoaderBlocks() {
    return {};
}

}  // namespace kell::testing
