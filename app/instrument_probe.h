#pragma once

// The one-byte probe that proves an instrument listens on a port, as the search and the
// reconnection after a restart run it: the same exchange with their own limits.
namespace kell {

enum class ProbeAnswer {
    Listening,  // 0x5D: the instrument's firmware answered
    Bootstrap,  // 0xD5: the processor's bootstrap mode answered
    Busy,       // 0x6D: an instrument that is busy with something else
    Silent,     // no usable answer within the attempts
    Left,       // the window is being closed
};

struct ProbeRule {
    int attempts = 1;
    // Reads of the answer after each probe; with a gap, each is preceded by a pump and a pause.
    int reads = 1;
    unsigned readGapMs = 0;
    // With a window, each read goes on until a byte arrives or the window has passed, instead of
    // the channel's few milliseconds.
    unsigned replyWindowMs = 0;
    bool takesBootstrap = false;
    // A busy answer ends the attempts at once instead of being passed over.
    bool stopsOnBusy = false;
    // A port that is not open, or whose node went away, is looked up and opened again.
    bool reopens = false;
};

}  // namespace kell
