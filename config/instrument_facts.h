#pragma once

#include "config/zone_record_inputs.h"

namespace kell {

// What the defaults window and the configuration writes need to know about the connected
// instrument and the main window, beyond the session view. The main window fills one from its
// own fields in one place, when it creates the window or the session's hidden holder.
struct InstrumentFacts {
    // Identification has run on the connected instrument, so the fields below describe it.
    // Without it no configuration record is built or written.
    bool identified = false;
    // Zone value, USA flag, model, plan facts and stored setting, for the record builders.
    ZoneRecordInputs records;
    // The firmware is older than 1.89.00003 and keeps no list or user-band records.
    bool firmwareBelow189 = false;
    // The connect probe was answered by the processor's boot loader (bootstrapReply).
    bool loaderMode = false;
    // The main window's access letter (optionsMode); 'N' from start-up.
    char accessLetter = 'N';
};

}  // namespace kell
