#include "config/band_tables.h"
#include "config/record_writer.h"
#include "config/zone_records.h"

namespace kell {

void BuildUserBandRecord(ConfigRecordAreas& areas, std::uint8_t zoneValue) {
    RecordWriter w(areas.userBandRecord);
    w.BeginConfigRecord();
    w.Byte(0x00);
    WriteFrequenciesMHz(w, UserBandTableKHz(ZoneNumber(zoneValue)));
    w.EndConfigRecord();
}

}  // namespace kell
