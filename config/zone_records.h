#pragma once

#include <cstdint>

#include "config/config_record_areas.h"
#include "config/zone_record_inputs.h"

namespace kell {

// Builders of the instrument's configuration records. Each lays its record out at the start of
// its area and leaves the rest of the area as it was. Record lengths, checksum included:
//   general record   225 bytes (USA unit 238); 3 fewer when the model is not known
//   list record       61 bytes
//   user-band record  71 bytes
//   profile          206 bytes (USA unit 194), in a 256-byte slot of the profile table
//
// zoneValue is the zone parameter as read: its low six bits select the zone, the general
// record also carries all eight bits.
void BuildGeneralRecord(ConfigRecordAreas& areas, const ZoneRecordInputs& inputs,
                        std::uint8_t zoneValue);
void BuildListRecord(ConfigRecordAreas& areas);
void BuildUserBandRecord(ConfigRecordAreas& areas, std::uint8_t zoneValue);
// Builds profile 0 to 3 (any other number builds profile 0) into its slot; zone is the zone
// number (only its low six bits are used). Zones without names of their own (10 and up) give
// empty names. A USA unit's profile leaves its values 41 and 42 (bytes 92-95) unwritten.
void BuildProfile(ConfigRecordAreas& areas, const ZoneRecordInputs& inputs, int profile, int zone);

}  // namespace kell
