// The loader: its uploads and stages, the staging memory that 0x03 blocks fill, its erase,
// and the commit that copies staged pages into flash.
#include "sim/hex_text.h"
#include "sim/instrument.h"

namespace kell::sim {
namespace {

constexpr std::uint8_t kBlockAccepted = '0';
constexpr std::uint8_t kRefused = '?';  // not accepted; the loader waits for the frame again
constexpr std::uint8_t kReady = '?';    // answer to the resynchronisation's filler
constexpr std::int64_t kFillerQuietUs = 20'000;  // one '?' per run of fillers
constexpr std::uint16_t kStage1Length = 144;
constexpr std::uint16_t kStage2Length = 968;

}  // namespace

void Instrument::OnBootstrapUploaded() {
    FaultEffect effect = Occur(Event::BootstrapUpload);
    if (effect.unplug)
        return;
    mode_ = Mode::Running;
    loaderRunning_ = true;
    Answer(effect, {0xAD}, T().bootstrapStartUs);
}

// 0x04, length low, length high, code: stage 1 (144 bytes) answers 'J', first bank and base
// address (high byte first) when the instrument takes pictures, else '@'; stage 2 (968 bytes)
// answers a byte and then 0xAD.
void Instrument::OnLoaderStage(const std::vector<std::uint8_t>& f) {
    const std::uint16_t length = static_cast<std::uint16_t>(f[1] | f[2] << 8);
    std::vector<std::uint8_t> code(f.begin() + 3, f.end());
    if (length == kStage1Length) {
        loader_.stage1Block = std::move(code);
        ++loader_.stage1Count;
        FaultEffect effect = Occur(Event::LoaderStage1);
        if (effect.unplug)
            return;
        loaderStage1_ = true;
        const Graphics& g = scenario_.graphics;
        std::vector<std::uint8_t> reply = {'@'};
        if (g.enabled) {
            reply = {'J', g.firstBank, static_cast<std::uint8_t>(g.baseAddress >> 8),
                     static_cast<std::uint8_t>(g.baseAddress)};
        }
        Answer(effect, std::move(reply), T().stage1Us);
        return;
    }
    if (length == kStage2Length) {
        loader_.stage2Block = std::move(code);
        ++loader_.stage2Count;
        if (!loaderStage1_ && !loaderRunning_) {
            Violate(ViolationKind::OutOfSequence, "loader stage 2 before stage 1");
        }
        FaultEffect effect = Occur(Event::LoaderStage2);
        if (effect.unplug)
            return;
        loaderRunning_ = true;
        Answer(effect, {0x01, 0xAD}, T().stage2Us);
        return;
    }
    Violate(ViolationKind::BadLength,
            "loader stage of " + std::to_string(length) + " bytes (144 or 968 expected)");
}

void Instrument::OnStagingPrepare() {
    RequireLoader("staging prepare 0xAA");
    FaultEffect effect = Occur(Event::StagingPrepare);
    if (effect.unplug)
        return;
    Answer(effect, {'f'}, T().stagingPrepareUs);
}

// 0x07, 0x03, first bank, last bank, XOR of the three -> 'p' once the banks are erased.
void Instrument::OnStagingErase(const std::vector<std::uint8_t>& f) {
    RequireLoader("staging erase");
    FaultEffect effect = Occur(Event::StagingErase);
    if (effect.unplug)
        return;
    const std::uint8_t first = f[2], last = f[3];
    bool ok = true;
    if (f[1] != 0x03) {
        Violate(ViolationKind::BadConstant, "staging erase kind " + HexByte(f[1]) + ", not 0x03");
        ok = false;
    }
    const std::uint8_t x = XorOf(f, 1, 4);
    if (f[4] != x) {
        Violate(ViolationKind::BadChecksum,
                "staging erase XOR " + HexByte(f[4]) + ", expected " + HexByte(x));
        ok = false;
    }
    if (first > last || first < kLowestBank) {
        Violate(ViolationKind::BadAddress,
                "staging erase of banks " + HexByte(first) + " to " + HexByte(last));
        ok = false;
    }
    if (!ok || effect.refuse) {
        Answer(effect, {kRefused}, T().answerUs);
        return;
    }
    for (int bank = first; bank <= last; ++bank) {
        memory_.EraseStagingBank(static_cast<std::uint8_t>(bank));
    }
    Answer(effect, {'p'}, T().stagingEraseBankUs * (last - first + 1));
}

bool Instrument::InRaster(std::uint32_t address) const {
    if (!scenario_.graphics.enabled)
        return false;
    const std::uint32_t start = static_cast<std::uint32_t>(scenario_.graphics.firstBank) << 16 |
                                scenario_.graphics.baseAddress;
    return address >= start && address < start + kRasterBytes;
}

// 0x03, n + 4, address low, high, bank, n data, XOR of bytes 1 .. 4 + n -> '0'. The bytes go
// to bank << 16 | address onward (a block may run on into the next bank). A bank that still
// holds what was staged before the last restart was not erased: its stale bytes would be
// committed along with the new ones.
void Instrument::OnBlock(const std::vector<std::uint8_t>& f) {
    RequireLoader("flash block");
    FaultEffect effect = Occur(Event::Block);
    if (effect.unplug)
        return;
    const std::size_t declared = f[1];
    if (declared < 5) {
        Violate(ViolationKind::BadLength, "block with " + std::to_string(declared) +
                                              " as its length byte (n + 4, n at least 1)");
        Answer(effect, {kRefused}, T().answerUs);
        return;
    }
    const std::uint32_t address = static_cast<std::uint32_t>(f[4]) << 16 | f[3] << 8 | f[2];
    bool ok = true;
    const std::uint8_t x = XorOf(f, 1, f.size() - 1);
    if (f.back() != x) {
        Violate(ViolationKind::BadChecksum, "block at " + HexAddress(address) + ": XOR " +
                                                HexByte(f.back()) + ", expected " + HexByte(x));
        ok = false;
    }
    if (ok && f[4] < kLowestBank) {
        Violate(ViolationKind::BadAddress, "block into bank " + HexByte(f[4]) + " (no memory)");
        ok = false;
    }
    if (!ok || effect.refuse) {
        Answer(effect, {kRefused}, T().answerUs);
        return;
    }
    const std::size_t n = declared - 4;
    memory_.staging.Write(address, &f[5], n);
    // The bookkeeping goes by runs of bytes that share a bank and lie all inside or all outside
    // the raster, rather than byte by byte: a whole update stages millions of bytes.
    for (std::size_t i = 0; i < n;) {
        const std::uint32_t a =
            (address + static_cast<std::uint32_t>(i)) & SparseMemory::kAddressMask;
        const bool raster = InRaster(a);
        std::size_t run = 1;
        while (i + run < n) {
            const std::uint32_t b =
                (address + static_cast<std::uint32_t>(i + run)) & SparseMemory::kAddressMask;
            if ((b >> 16) != (a >> 16) || InRaster(b) != raster)
                break;
            ++run;
        }
        const std::uint32_t last =
            (address + static_cast<std::uint32_t>(i + run - 1)) & SparseMemory::kAddressMask;
        i += run;
        if (raster)
            continue;
        const std::uint8_t bank = static_cast<std::uint8_t>(a >> 16);
        const int boot = memory_.stagingBoot[bank];
        if (boot != InstrumentMemory::kErased && boot != restarts_) {
            Violate(ViolationKind::NotErased,
                    "block at " + HexAddress(address) + " into staging bank " + HexByte(bank) +
                        ", which still holds what was staged before a restart");
        }
        memory_.stagingBoot[bank] = restarts_;
        if (bank == (kModuleSecondImageAddress >> 16)) {
            secondImageEnd_ = std::max(secondImageEnd_, (last & 0xFFFF) + 1);
        }
    }
    Answer(effect, {kBlockAccepted}, T().blockUs);
}

// The PC's resynchronisation sends 0xFF one per millisecond until it reads '?' or 'f'. The
// loader answers the first filler of a run; later ones within a short quiet time are already
// answered, so only one '?' reaches the PC before it resends its frame.
void Instrument::OnFiller() {
    FaultEffect effect = Occur(Event::Filler);
    if (effect.unplug)
        return;
    const std::int64_t now = NowUs();
    if (now - lastFillerAnswerUs_ < kFillerQuietUs) {
        lastFillerAnswerUs_ = now;
        return;
    }
    lastFillerAnswerUs_ = now;
    Answer(effect, {kReady}, T().answerUs);
}

// 0x09, 0x41, 64 page flags, XOR of 0x41 and the flags. The loader reports its progress:
// 8A 8A, one byte per page erased (page + 6), 8B 8B, one byte per page written (0xAB + page:
// the bank it copies from), 80 80. Flag k copies staging bank k + 0xAB into flash segment k
// and leaves that staging bank erased.
void Instrument::OnCommit(const std::vector<std::uint8_t>& f) {
    RequireLoader("commit");
    FaultEffect effect = Occur(Event::Commit);
    if (effect.unplug)
        return;
    bool ok = true;
    if (f[1] != 0x41 || f.size() != 67) {
        Violate(ViolationKind::BadLength,
                "commit frame with " + HexByte(f[1]) + " as its count (0x41 expected)");
        ok = false;
    }
    const std::uint8_t x = XorOf(f, 1, f.size() - 1);
    if (ok && f.back() != x) {
        Violate(ViolationKind::BadChecksum,
                "commit XOR " + HexByte(f.back()) + ", expected " + HexByte(x));
        ok = false;
    }
    if (!ok || effect.refuse) {
        Answer(effect, {kRefused}, T().answerUs);
        return;
    }
    std::vector<int> pages;
    for (int k = 0; k < kCommitPages; ++k) {
        const std::uint8_t flag = f[2 + k];
        if (flag == 0)
            continue;
        if (flag != 1) {
            Violate(ViolationKind::BadConstant,
                    "commit flag " + std::to_string(k) + " is " + HexByte(flag));
        }
        if (!memory_.StagingBankWritten(StagingBankOfPage(k))) {
            Violate(ViolationKind::UnwrittenPage,
                    "commit flag " + std::to_string(k) + ": staging bank " +
                        HexByte(StagingBankOfPage(k)) + " holds nothing written");
        }
        pages.push_back(k);
    }
    if (effect.noAnswer)
        return;
    if (effect.replace || effect.leaveLink) {
        Answer(effect, {}, T().answerUs);
        return;
    }
    const std::int64_t step = T().commitPageUs + effect.extraDelayUs;
    std::int64_t t = T().answerUs + effect.extraDelayUs;
    std::vector<std::uint8_t> start = effect.strayBytes;
    start.insert(start.end(), {0x8A, 0x8A});
    SendLater(t, start);
    for (int k : pages) {
        t += step;
        Schedule(t, [this, k] {
            memory_.flash.ErasePage(static_cast<std::uint8_t>(k));
            Transmit({static_cast<std::uint8_t>(k + 6)});
        });
    }
    if (effect.stall)
        return;  // stops after erasing: the pages are lost
    t += step;
    SendLater(t, {0x8B, 0x8B});
    for (int k : pages) {
        t += step;
        Schedule(t, [this, k] {
            const std::uint8_t bank = StagingBankOfPage(k);
            memory_.flash.SetPage(static_cast<std::uint8_t>(k), memory_.staging.Page(bank));
            memory_.EraseStagingBank(bank);
            Transmit({bank});
        });
    }
    t += step;
    SendLater(t, {0x80, 0x80});
}

}  // namespace kell::sim
