#include "config/record_writer.h"
#include "config/zone_records.h"

namespace kell {

// The same for every zone.
void BuildListRecord(ConfigRecordAreas& areas) {
    RecordWriter w(areas.listRecord);
    w.BeginConfigRecord();
    w.Bytes({0x0A, 0xFF, 0x00});
    w.Bytes({53, 59, 71, 73, 76, 77, 84, 87, 91, 94});
    w.Zeros(40);
    w.Bytes({0x00, 0x09});
    w.EndConfigRecord();
}

}  // namespace kell
