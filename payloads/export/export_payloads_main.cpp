// kell-export-payloads FOLDER: writes the embedded payloads and their SHA-256 manifest.
#include <cstdio>
#include <string>

#include "payloads/export/payload_export.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kell-export-payloads FOLDER\n");
        return 2;
    }
    std::string error;
    if (!kell::payloads::ExportPayloads(argv[1], &error)) {
        std::fprintf(stderr, "kell-export-payloads: %s\n", error.c_str());
        return 1;
    }
    std::printf("Wrote the payloads and SHA256SUMS to %s\n", argv[1]);
    return 0;
}
