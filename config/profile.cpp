#include <algorithm>
#include <string>

#include "config/profile_names.h"
#include "config/profile_values.h"
#include "config/record_writer.h"
#include "config/zone_records.h"

namespace kell {
namespace {

constexpr int kNameField = 8;

// A shorter name ends with a zero byte and the field is zero after it; a longer one is cut to
// the field with no terminator.
void WriteName(RecordWriter& w, const std::string& name) {
    const int kept = std::min(static_cast<int>(name.size()), kNameField);
    for (int i = 0; i < kept; ++i)
        w.Byte(static_cast<std::uint8_t>(name[static_cast<std::size_t>(i)]));
    w.Zeros(kNameField - kept);
}

}  // namespace

void BuildProfile(ConfigRecordAreas& areas, const ZoneRecordInputs& inputs, int profile, int zone) {
    profile = ProfileNumber(profile);
    zone = ZoneNumber(zone);

    RecordWriter w(areas.ProfileSlot(profile));
    w.BeginProfile();
    WriteName(w, ProfileName(profile, zone));
    int position = 1;
    for (std::int16_t value : ProfileValues(profile, inputs.usaUnit)) {
        if (inputs.usaUnit && IsUnwrittenUsaPosition(position))
            w.Skip(2);
        else
            w.SignedWord(value);
        ++position;
    }
    w.EndProfile();
}

}  // namespace kell
