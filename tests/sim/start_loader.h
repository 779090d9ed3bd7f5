#pragma once

#include "sim/virtual_rig.h"
#include "tests/support/bytes.h"

namespace kell::testing {

// Loader stages 1 and 2 as the running firmware takes them (their contents are filler: the
// simulator checks their lengths and acknowledges them).
inline void StartLoader(sim::VirtualRig& rig) {
    Bytes stage1 = {0x04, 0x90, 0x00};
    stage1.resize(3 + 144, 0x11);
    rig.Exchange(stage1, 4);
    Bytes stage2 = {0x04, 0xC8, 0x03};
    stage2.resize(3 + 968, 0x22);
    rig.Exchange(stage2, 2);
}

}  // namespace kell::testing
