#include "config/band_tables.h"

#include <array>

namespace kell {
namespace {

constexpr std::array<std::uint32_t, 8> kEightBandsZone2 = {1178000, 1280000, 1382000, 1484000,
                                                           1586000, 1688000, 1790000, 1892000};
constexpr std::array<std::uint32_t, 8> kEightBandsZone5 = {1210000, 1420000, 1680000, 2040000,
                                                           1586000, 1688000, 1790000, 1892000};
constexpr std::array<std::uint32_t, 8> kEightBandsOther = {1680000, 1420000, 2040000, 1210000,
                                                           1680000, 1420000, 2040000, 1210000};

// Table B (zone 5) differs from table A only in entries 5 to 16.
constexpr std::array<std::uint32_t, 32> kUserBandsA = {
    1210000, 1420000, 1680000, 2040000,  //
    984000,  1020000, 1056000, 1092000, 1128000, 1164000, 1256000, 1292000,
    1328000, 1364000, 1458000, 1494000,  //
    1530000, 1566000, 1602000, 1638000, 1716000, 1752000, 1788000, 1824000,
    1860000, 1896000, 1932000, 1968000, 2004000, 2076000, 2112000, 2148000};
constexpr std::array<std::uint32_t, 32> kUserBandsB = {
    1210000, 1420000, 1680000, 2040000,  //
    985000,  1050000, 1115000, 1275000, 1340000, 1485000, 1550000, 1615000,
    1745000, 1810000, 1875000, 1940000,  //
    1530000, 1566000, 1602000, 1638000, 1716000, 1752000, 1788000, 1824000,
    1860000, 1896000, 1932000, 1968000, 2004000, 2076000, 2112000, 2148000};

}  // namespace

std::span<const std::uint32_t, 8> EightBandTableKHz(int zone) {
    switch (zone) {
        case 2:
            return kEightBandsZone2;
        case 5:
            return kEightBandsZone5;
        default:
            return kEightBandsOther;
    }
}

std::span<const std::uint32_t, 32> UserBandTableKHz(int zone) {
    return zone == 5 ? kUserBandsB : kUserBandsA;
}

void WriteFrequenciesMHz(RecordWriter& writer, std::span<const std::uint32_t> kHz) {
    for (std::uint32_t frequency : kHz)
        writer.Word(static_cast<std::uint16_t>(frequency / 1000));
}

}  // namespace kell
