#include "tests/modules/keypad_rig.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace kell::testing {

namespace {

constexpr std::int64_t kReplyDelayUs = 50;

Bytes Pattern(std::size_t count, unsigned seed) {
    Bytes bytes(count);
    for (std::size_t j = 0; j < count; ++j)
        bytes[j] = static_cast<std::uint8_t>((seed * 2654435761u + j * 97u) >> 5);
    return bytes;
}

}  // namespace

KeypadImage MakeKeypadImage(unsigned seed) {
    KeypadImage image;
    for (int i = 0; i < 256; ++i) {
        image.blocks.push_back(Pattern(64, seed * 1000 + static_cast<unsigned>(i)));
        image.text += HexLine(0x00, static_cast<std::uint16_t>(i * 64), image.blocks.back(), true);
    }
    image.security = Pattern(64, seed + 7777);
    image.checksum = {0x5d, 0xa3};
    image.text += HexLine(0x04, 0, {0x00, 0x10}, true);
    image.text += HexLine(0x00, 0, image.security, true);
    image.text += HexLine(0x04, 0, {0x00, 0x20}, true);
    image.text += HexLine(0x00, 0, image.checksum, true);
    image.text += HexLine(0x01, 0, {}, true);
    if (image.text.size() != 36301 || image.text.compare(kSecurityLine, 13, ":020000040010") != 0 ||
        image.text.compare(kChecksumLine, 13, ":020000040020") != 0) {
        std::fprintf(stderr, "test keypad image has the wrong layout\n");
        std::abort();
    }
    return image;
}

const std::map<int, std::string>& KeypadTableListings() {
    static const std::map<int, std::string> listings{
        {3,
         "9f82bc 9fcadc dee01c dec01c 9f075c 9f207c dea01c de807c 9f701c df261c df481c de00bc "
         "df001c dfe25c"},
        {5,
         "9f8a9c 9fcadc dee01c dec01c 9f075c 9f207c dea01c de807c 9f701c df261c df481c de005c "
         "df001c dfe25c"},
        {6, "dee01c dec01c 9f075c 9f207c dea01c de807c 9f701c df261c df481c de003c df001c dfe25c"},
        {7,
         "ca0000 000000 000000 000000 000000 000000 dee01c dec01c 9f075c 9f207c dea01c de807c "
         "9f701c df261c df481c de013c df001c dfe25c"},
        {8,
         "dee01c dec01c 9f075c 9f207c dea01c de807c 9f701c df261c df481c 9f403c de00dc df001c "
         "dfe25c"},
        {9,
         "dee01c de807c dea01c dec11c df0a3c df3f1c df461c dfe25c 000000 dee01c de807c dea01c "
         "dec11c df0c1c df3d5c df461c dee21c dfe25c 000000 dee01c de807c dea01c dec11c df0a3c "
         "df3f3c df461c dfe25c 000000 dee01c de807c dea01c dec11c df0c1c df3d1c df461c dee21c "
         "dfe25c 000000"},
        {11,
         "dee21c dc005c dee01c dec01c 9f075c 9f207c dea01c de807c 9f701c df261c df481c 9f401c "
         "de00dc df001c dfe25c"},
        {12,
         "9f8a9c 9fcadc dee01c dec01c 9f075c 9f207c dea01c de807c 9f701c df261c df481c de009c "
         "df001c dfe25c"},
        {13,
         "dee01c dec01c 9f075c 9f207c dea01c de807c 9f701c df261c df481c 9f481c de00fc df001c "
         "dfe25c"},
    };
    return listings;
}

std::vector<Bytes> TablePayloads(int request) {
    std::vector<Bytes> words;
    std::istringstream listing(KeypadTableListings().at(request));
    std::string word;
    while (listing >> word) {
        Bytes bytes;
        for (std::size_t i = 0; i < word.size(); i += 2)
            bytes.push_back(static_cast<std::uint8_t>(std::stoul(word.substr(i, 2), nullptr, 16)));
        words.push_back(bytes);
    }
    return words;
}

void PlanInstrument::OnByteFromHost(std::uint8_t byte) {
    heard.push_back(byte);
    lastHeardUs = voice_.NowUs();
    if (plan_.empty() || plan_.front().say)
        return;
    if (++heardInStep_ < plan_.front().count)
        return;
    plan_.pop_front();
    heardInStep_ = 0;
    SayWhatFollows();
}

void PlanInstrument::SayWhatFollows() {
    while (!plan_.empty() && plan_.front().say) {
        const std::uint8_t byte = plan_.front().byte;
        plan_.pop_front();
        voice_.Say({byte}, kReplyDelayUs);
    }
}

KeypadScript::KeypadScript(PlanInstrument& instrument) : instrument_(instrument) {
    instrument_.Hear(1);  // the start byte
}

void KeypadScript::Table(int request) {
    const std::size_t words = TablePayloads(request).size();
    for (std::size_t k = 0; k < words; ++k) {
        instrument_.Hear(5);
        if (k + 1 < words)
            instrument_.Say(kAck);
    }
}

KeypadScript& KeypadScript::Request(std::uint8_t code) {
    if (code == 14)
        return Blocks(256);
    instrument_.Say(code);
    if (code == 6)
        shortSequence_ = true;
    if (KeypadTableListings().count(code))
        Table(code);
    else if (code == 10 || code == 15)
        instrument_.Hear(4);
    else if (code == 22)
        instrument_.Hear(3);
    else if (code == 16)
        instrument_.Hear(66);
    else if (code == 17)
        instrument_.Hear(4);
    return *this;
}

KeypadScript& KeypadScript::Unanswered(std::uint8_t code) {
    instrument_.Say(code);
    return *this;
}

KeypadScript& KeypadScript::Blocks(int blocks, const std::map<int, int>& nextCode) {
    instrument_.Say(14);
    for (int i = 0; i < blocks; ++i) {
        const bool last = i == 255;
        instrument_.Hear(66);
        if (!shortSequence_ || !last) {
            instrument_.Say(kAck);
            Table(shortSequence_ ? 6 : 5);
        }
        if (last)
            break;
        const auto given = nextCode.find(i);
        const int code = given == nextCode.end() ? 14 : given->second;
        if (code >= 0)
            instrument_.Say(static_cast<std::uint8_t>(code));
    }
    return *this;
}

std::vector<Bytes> Frames(const Bytes& heard) {
    std::vector<Bytes> frames;
    if (heard.empty() || heard[0] != 0xBB) {
        ADD_FAILURE() << "the transcript does not start with 0xBB";
        return frames;
    }
    std::size_t at = 1;
    while (at < heard.size()) {
        if (heard[at] != 0xBC || at + 1 >= heard.size() || at + 2 + heard[at + 1] > heard.size()) {
            ADD_FAILURE() << "no whole frame at offset " << at;
            return frames;
        }
        const std::size_t n = heard[at + 1];
        frames.emplace_back(heard.begin() + static_cast<std::ptrdiff_t>(at + 2),
                            heard.begin() + static_cast<std::ptrdiff_t>(at + 2 + n));
        at += 2 + n;
    }
    return frames;
}

KeypadRig::KeypadRig() {
    Barra_progreso.SetRange(0, 100);
    ProgressBar_general.SetRange(0, 2000);
    Timer_desconexion.enabled = true;
}

}  // namespace kell::testing
