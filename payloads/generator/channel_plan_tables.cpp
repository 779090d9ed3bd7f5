// The placeholder channel-plan tables. Format (made up for the placeholders; the real tables are
// the instrument maker's):
//   header, 5 bytes: 0, number of plans, 0, version, plan type
//   per plan: name (16 bytes, ASCII, zero padded), channel count n, channel bandwidth in MHz,
//             then n channels of 8 bytes: label (4 bytes, ASCII, zero padded), frequency in kHz
//             (4 bytes, little-endian)
//   0xFF up to the table's length, as erased flash reads.
#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "payloads/generator/generated_payloads.h"

namespace kell::payloads {
namespace {

struct Band {
    char prefix;
    int first;
    int last;
    int firstKhz;
    int stepKhz;
};

struct Plan {
    const char* name;
    std::uint8_t bandwidthMhz;
    std::vector<Band> bands;
};

std::vector<Plan> PlansOfType(int planType) {
    switch (planType) {
        case 0:
            return {
                {"CCIR", 7, {{'E', 2, 4, 48250, 7000}, {'E', 5, 12, 175250, 7000}}},
                {"CCIR UHF", 8, {{'E', 21, 69, 471250, 8000}}},
                {"CCIR CABLE", 7, {{'S', 1, 10, 105250, 7000}, {'S', 11, 20, 231250, 7000}}},
                {"HYPERBAND", 8, {{'S', 21, 41, 303250, 8000}}},
                {"OIRT", 8, {{'R', 1, 2, 49750, 9500}, {'R', 6, 12, 175250, 8000}}},
                {"FRANCE", 8, {{'F', 2, 10, 55750, 8000}, {'F', 21, 69, 471250, 8000}}},
                {"ITALY", 7, {{'I', 1, 9, 53750, 7000}, {'I', 21, 69, 471250, 8000}}},
                {"UK", 8, {{'U', 21, 68, 471250, 8000}}},
            };
        case 1:
            return {
                {"FCC", 6, {{'A', 2, 4, 55250, 6000}, {'A', 5, 6, 77250, 6000}}},
                {"FCC VHF HIGH", 6, {{'A', 7, 13, 175250, 6000}}},
                {"FCC UHF", 6, {{'A', 14, 69, 471250, 6000}}},
                {"FCC CATV", 6, {{'C', 14, 22, 121250, 6000}, {'C', 23, 94, 217250, 6000}}},
                {"HRC", 6, {{'H', 1, 125, 72000, 6000}}},
                {"IRC", 6, {{'K', 1, 125, 73250, 6000}}},
            };
        case 2:
            return {
                {"JAPAN", 6, {{'J', 1, 3, 91250, 6000}, {'J', 4, 12, 171250, 6000}}},
                {"JAPAN UHF", 6, {{'J', 13, 62, 471250, 6000}}},
                {"JAPAN CATV", 6, {{'M', 13, 63, 109250, 6000}}},
                {"KOREA", 6, {{'K', 2, 13, 55250, 6000}, {'K', 14, 69, 471250, 6000}}},
                {"TAIWAN", 6, {{'T', 7, 13, 175250, 6000}, {'T', 14, 69, 471250, 6000}}},
            };
        case 3:
            return {
                {"OIRT D/K", 8, {{'R', 1, 12, 49750, 8000}}},
                {"OIRT UHF", 8, {{'R', 21, 69, 471250, 8000}}},
                {"CHINA", 8, {{'D', 1, 12, 49750, 8000}, {'D', 13, 57, 471250, 8000}}},
                {"CHINA CATV", 8, {{'Z', 1, 37, 111000, 8000}}},
                {"POLAND", 8, {{'P', 1, 12, 49750, 8000}, {'P', 21, 69, 471250, 8000}}},
                {"CZECH", 8, {{'Q', 1, 12, 49750, 8000}, {'Q', 21, 69, 471250, 8000}}},
                {"HUNGARY", 8, {{'V', 1, 12, 49750, 8000}}},
            };
        case 4:
            return {
                {"AUSTRALIA", 7, {{'A', 0, 12, 46250, 7000}, {'A', 28, 69, 527250, 7000}}},
                {"NEW ZEALAND", 7, {{'N', 1, 11, 45250, 7000}, {'N', 21, 69, 471250, 8000}}},
                {"IRELAND", 8, {{'I', 1, 9, 45750, 8000}, {'I', 21, 68, 471250, 8000}}},
                {"SOUTH AFRICA", 8, {{'W', 4, 13, 175250, 8000}, {'W', 21, 68, 471250, 8000}}},
            };
        default:
            return {};
    }
}

void Append32(std::vector<std::uint8_t>& table, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        table.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void AppendText(std::vector<std::uint8_t>& table, const std::string& text, std::size_t width) {
    std::string field = text.substr(0, width);
    field.resize(width, '\0');
    table.insert(table.end(), field.begin(), field.end());
}

void AppendPlan(std::vector<std::uint8_t>& table, const Plan& plan) {
    AppendText(table, plan.name, 16);
    const std::size_t countAt = table.size();
    table.push_back(0);
    table.push_back(plan.bandwidthMhz);
    int channels = 0;
    for (const Band& band : plan.bands) {
        for (int number = band.first; number <= band.last; ++number) {
            AppendText(table, band.prefix + std::to_string(number), 4);
            Append32(table, static_cast<std::uint32_t>(band.firstKhz +
                                                       (number - band.first) * band.stepKhz));
            ++channels;
        }
    }
    table[countAt] = static_cast<std::uint8_t>(channels);
}

}  // namespace

std::vector<std::uint8_t> GenerateChannelPlan(int planType) {
    const std::vector<Plan> plans = PlansOfType(planType);
    std::vector<std::uint8_t> table = {0, static_cast<std::uint8_t>(plans.size()), 0,
                                       kChannelPlanVersions[planType],
                                       static_cast<std::uint8_t>(planType)};
    for (const Plan& plan : plans) {
        AppendPlan(table, plan);
    }
    const std::size_t length = kChannelPlanLengths[planType];
    if (table.size() > length) {
        throw std::logic_error("channel plans do not fit their table");
    }
    table.resize(length, 0xFF);
    return table;
}

}  // namespace kell::payloads
