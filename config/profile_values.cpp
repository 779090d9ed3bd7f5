#include "config/profile_values.h"

#include <array>
#include <cstddef>

namespace kell {
namespace {

using PlainValues = std::array<std::int16_t, 96>;
using UsaValues = std::array<std::int16_t, 90>;

// Profiles 0, 2 and 3.
constexpr PlainValues kPlain = {
    570, 750, 470, 800, 430, 350, 80,  200, 50,   250, 400, 350, 450, 650, 350, 700,
    250, 200, 470, 730, 400, 770, 110, 60,  470,  730, 400, 770, 450, 650, 400, 700,
    380, 330, 250, 200, 450, 350, 590, 420, 230,  200, 190, 150, 550, 450, 250, 230,
    110, 60,  450, 350, 590, 420, 90,  70,  110,  60,  15,  30,  450, 350, 450, 350,
    90,  70,  450, 350, 20,  5,   -15, -20, 670,  850, 570, 900, 250, 200, 450, 350,
    590, 420, 230, 200, 60,  30,  -50, 50,  -150, 150, 520, 500, 520, 500, 200, 500};

constexpr UsaValues kUsa = {
    570, 750, 470, 800, 430, 350, 80,  200, 50,  250, 400,  350, 450, 650, 350, 700, 250, 200,
    470, 730, 400, 770, 110, 60,  470, 730, 400, 770, 450,  650, 400, 700, 380, 330, 250, 200,
    590, 420, 200, 170, 0,   0,   190, 150, 550, 450, 250,  230, 110, 60,  450, 350, 590, 420,
    90,  70,  110, 60,  15,  30,  450, 350, 450, 350, 90,   70,  450, 350, 590, 420, 50,  30,
    20,  5,   -15, -20, 670, 850, 570, 900, -50, 50,  -150, 150, 520, 500, 520, 500, 200, 500};

// Profile 1 raises ten values, the same positions (counted from 1) in both lists.
struct Change {
    int position;
    std::int16_t value;
};
constexpr std::array<Change, 10> kProfile1Changes = {{{2, 1150},
                                                      {4, 1200},
                                                      {14, 1150},
                                                      {16, 1200},
                                                      {30, 1150},
                                                      {32, 1200},
                                                      {20, 1050},
                                                      {22, 1100},
                                                      {26, 1050},
                                                      {28, 1100}}};

template <std::size_t N>
constexpr std::array<std::int16_t, N> WithProfile1Changes(std::array<std::int16_t, N> values) {
    for (const Change& change : kProfile1Changes)
        values[static_cast<std::size_t>(change.position - 1)] = change.value;
    return values;
}

constexpr PlainValues kPlainProfile1 = WithProfile1Changes(kPlain);
constexpr UsaValues kUsaProfile1 = WithProfile1Changes(kUsa);

}  // namespace

std::span<const std::int16_t> ProfileValues(int profile, bool usaUnit) {
    if (usaUnit)
        return profile == 1 ? std::span<const std::int16_t>(kUsaProfile1) : kUsa;
    return profile == 1 ? std::span<const std::int16_t>(kPlainProfile1) : kPlain;
}

}  // namespace kell
