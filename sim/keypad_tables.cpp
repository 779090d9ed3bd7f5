#include "sim/keypad_tables.h"

#include <map>
#include <sstream>
#include <string>

namespace kell::sim {
namespace {

std::vector<KeypadWord> Parse(const char* text) {
    std::vector<KeypadWord> words;
    std::istringstream in(text);
    std::string w;
    while (in >> w) {
        unsigned long v = std::stoul(w, nullptr, 16);
        words.push_back({static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
                         static_cast<std::uint8_t>(v)});
    }
    return words;
}

const std::map<std::uint8_t, std::vector<KeypadWord>>& Tables() {
    static const std::map<std::uint8_t, std::vector<KeypadWord>> tables = {
        {3, Parse("9f82bc 9fcadc dee01c dec01c 9f075c 9f207c dea01c de807c 9f701c df261c df481c "
                  "de00bc df001c dfe25c")},
        {5, Parse("9f8a9c 9fcadc dee01c dec01c 9f075c 9f207c dea01c de807c 9f701c df261c df481c "
                  "de005c df001c dfe25c")},
        {6, Parse("dee01c dec01c 9f075c 9f207c dea01c de807c 9f701c df261c df481c de003c df001c "
                  "dfe25c")},
        {7, Parse("ca0000 000000 000000 000000 000000 000000 dee01c dec01c 9f075c 9f207c dea01c "
                  "de807c 9f701c df261c df481c de013c df001c dfe25c")},
        {8, Parse("dee01c dec01c 9f075c 9f207c dea01c de807c 9f701c df261c df481c 9f403c de00dc "
                  "df001c dfe25c")},
        {9, Parse("dee01c de807c dea01c dec11c df0a3c df3f1c df461c dfe25c 000000 "
                  "dee01c de807c dea01c dec11c df0c1c df3d5c df461c dee21c dfe25c 000000 "
                  "dee01c de807c dea01c dec11c df0a3c df3f3c df461c dfe25c 000000 "
                  "dee01c de807c dea01c dec11c df0c1c df3d1c df461c dee21c dfe25c 000000")},
        {11, Parse("dee21c dc005c dee01c dec01c 9f075c 9f207c dea01c de807c 9f701c df261c df481c "
                   "9f401c de00dc df001c dfe25c")},
        {12, Parse("9f8a9c 9fcadc dee01c dec01c 9f075c 9f207c dea01c de807c 9f701c df261c df481c "
                   "de009c df001c dfe25c")},
        {13, Parse("dee01c dec01c 9f075c 9f207c dea01c de807c 9f701c df261c df481c 9f481c de00fc "
                   "df001c dfe25c")},
    };
    return tables;
}

}  // namespace

const std::vector<KeypadWord>& KeypadTable(std::uint8_t code) {
    static const std::vector<KeypadWord> none;
    auto it = Tables().find(code);
    return it == Tables().end() ? none : it->second;
}

}  // namespace kell::sim
