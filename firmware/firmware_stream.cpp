// Streaming the embedded Intel HEX firmware into the loader's staging area.
#include <vector>

#include "firmware/diferencial.h"
#include "link/progress_weights.h"

namespace kell {

namespace {

// A run is sent as soon as it holds more than this many bytes.
constexpr std::size_t kRunThreshold = 200;
constexpr std::uint32_t kStopPauseMs = 300;

// Contiguous data records gathered into one block.
class Run {
  public:
    Run() { bytes_.reserve(kRunThreshold + HexRecord::kMaxData); }

    bool Empty() const { return bytes_.empty(); }
    bool Continues(const HexRecord& record) const {
        return std::size_t{start_} + bytes_.size() == record.address;
    }
    void Start(const HexRecord& record) {
        bytes_.clear();
        start_ = record.address;
        Append(record);
    }
    void Append(const HexRecord& record) {
        bytes_.insert(bytes_.end(), record.data.begin(), record.data.begin() + record.count);
    }
    bool Full() const { return bytes_.size() > kRunThreshold; }
    void Clear() { bytes_.clear(); }

    std::uint16_t Address() const { return start_; }
    std::span<const std::uint8_t> Bytes() const { return bytes_; }

  private:
    std::uint16_t start_ = 0;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace

bool TCDiferencial::StreamFirmware() {
    LinkContext& link = Link();
    if (!loan_.hexReader) {
        link.Beep();
        return false;
    }
    TInterprete_hex& reader = *loan_.hexReader;
    loan_.fileOp.Seek(0);
    const std::int32_t records = reader.recordCount;
    session_.Barra_progreso.SetRange(0, records);
    bankByte = 0;
    bool bankKnown = false;  // records before the first extended address belong to no page

    Run run;
    auto flush = [&] {
        if (run.Empty())
            return true;
        const bool accepted = SendBlock(run.Bytes(), run.Address());
        run.Clear();
        return accepted;
    };
    auto pageFlagged = [&] {
        const int page = static_cast<std::uint8_t>(bankByte - BankByte(0));
        return bankKnown && page < kFlashPages && pages[static_cast<std::size_t>(page)];
    };

    HexRecord record;
    for (std::int32_t i = 0;; ++i) {
        if (reader.ReadRecord(record) != kHexRecordOk) {
            link.Beep();
            return false;
        }
        if (record.type == kHexEndOfFile) {
            if (!flush())
                return false;
        } else if (record.type == kHexExtendedLinearAddress) {
            if (!flush())
                return false;
            bankByte = BankByte(record.count >= 2 ? record.data[1] : 0);
            bankKnown = true;
        } else if (record.type == kHexData && pageFlagged()) {
            if (run.Empty()) {
                run.Start(record);
            } else if (run.Continues(record)) {
                run.Append(record);
                if (run.Full() && !flush())
                    return false;
            } else {
                if (!flush())
                    return false;
                run.Start(record);
            }
        }

        session_.Barra_progreso.SetPosition(i);
        // A reader that never counted its records leaves the overall bar at the step's base.
        const int share = records > 0 ? static_cast<int>(static_cast<std::int64_t>(i) *
                                                         weights::kFirmwareStream / records)
                                      : 0;
        session_.ProgressBar_general.SetPosition(share + session_.overallPosition);
        link.pump.PumpOnce();
        if (session_.stopSession) {
            link.clock.SleepMs(kStopPauseMs);
            return false;
        }
        if (record.type == kHexEndOfFile)
            return true;
    }
}

}  // namespace kell
