// kell-check-payloads FOLDER: checks a folder of payload files before the build embeds them.
// Prints one line per unusable file and exits with 1 when there is any.
#include <cstdio>

#include "payloads/check/payload_check.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kell-check-payloads FOLDER\n");
        return 2;
    }
    const std::vector<std::string> problems = kell::payloads::CheckPayloadFolder(argv[1]);
    for (const std::string& problem : problems) {
        std::printf("%s\n", problem.c_str());
    }
    return problems.empty() ? 0 : 1;
}
