#include <gtest/gtest.h>
#include <ini.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

// The stand-in that the Windows build links as ini_parse_string.
extern "C" int compat_ini_parse_string(const char* string, ini_handler handler, void* user);

namespace kell::testing {
namespace {

using Parser = int (*)(const char*, ini_handler, void*);

// Every call of the handler, and the parser's result.
std::vector<std::string> Parse(Parser parser, const std::string& text) {
    std::vector<std::string> calls;
    auto handler = [](void* user, const char* section, const char* name, const char* value) {
        static_cast<std::vector<std::string>*>(user)->push_back(std::string(section) + "|" + name +
                                                                "|" + value);
        return 1;
    };
    const int result = parser(text.c_str(), handler, &calls);
    calls.push_back("result " + std::to_string(result));
    return calls;
}

// Names the first call in which the two differ.
void ExpectSameAsInih(const std::string& text) {
    const std::vector<std::string> standIn = Parse(&compat_ini_parse_string, text);
    const std::vector<std::string> inih = Parse(&ini_parse_string, text);
    for (std::size_t i = 0; i < std::max(standIn.size(), inih.size()); ++i) {
        const std::string a = i < standIn.size() ? standIn[i] : "(none)";
        const std::string b = i < inih.size() ? inih[i] : "(none)";
        if (a != b) {
            ADD_FAILURE() << "call " << i << ": stand-in \"" << a << "\", inih \"" << b
                          << "\"\ntext: " << ::testing::PrintToString(text);
            return;
        }
    }
}

TEST(InihStandIn, ReadsTheLanguageFileAsInihDoes) {
    ExpectSameAsInih(
        "\xEF\xBB\xBF; comment\n[COMUN]\nIDIOMA=EN\n\n[EN]\r\nMENU1 = File \r\n"
        "PASO3_L2=\"Trying USB port \"\n# other comment\nkey: colon\n  continued\n"
        "[no end\nbare line\n=no name\nvalue=with ; comment\nvalue2=semi;colon\n"
        "[ spaced ]\nx=1\n[" +
        std::string(60, 's') + "]\ny=2\n" + std::string(450, 'k') + "=long\n");
}

TEST(InihStandIn, AgreesWithInihOnSeededRandomTexts) {
    const std::string alphabet = "[]=:;# \t\r\n\nab\xC3\xA9\"";
    std::mt19937 draw(20240101);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int length = std::uniform_int_distribution<int>(0, 600)(draw);
        for (int i = 0; i < length; ++i) {
            // Long runs of one letter make lines longer than inih reads at once.
            if (draw() % 40 == 0)
                text += std::string(draw() % 260, 'x');
            text += alphabet[draw() % alphabet.size()];
        }
        ExpectSameAsInih(text);
        if (::testing::Test::HasFailure())
            return;
    }
}

}  // namespace
}  // namespace kell::testing
