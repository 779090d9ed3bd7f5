// The language file, in memory and read from disk as the main window reads it.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "app/language_file.h"
#include "app/private_profile.h"
#include "app/text_encoding.h"
#include "fuzz/support/require.h"

using kell::fuzz::Require;

namespace {

// One file per process, rewritten for every input.
const std::string& ScratchFile() {
    static const std::string path = [] {
        std::string name = "/tmp/kell-fuzz-language-XXXXXX";
        const int fd = mkstemp(name.data());
        Require(fd >= 0, "no scratch file");
        close(fd);
        std::atexit([] { std::remove(ScratchFile().c_str()); });
        return name;
    }();
    return path;
}

// What a window would show is UTF-8 and never longer than the file (a value may be the
// built-in default, which is short).
void CheckText(std::string_view text, std::size_t fileSize, std::string_view key) {
    Require(kell::IsValidUtf8(text), "text is not UTF-8:", key);
    Require(text.size() <= 3 * fileSize + 16, "text longer than the file:", key);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kell;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const PrivateProfile profile = PrivateProfile::Parse(bytes);
    const std::string language = profile.Get("COMUN", "IDIOMA", "EN");
    CheckText(language, size, "IDIOMA");
    for (const TextKey& key : kTextKeys)
        CheckText(profile.Get(language, key.name, ""), size, key.name);

    {
        std::ofstream file(ScratchFile(), std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    const Language loaded = LoadLanguageFile(ScratchFile());
    Require(loaded.name == language, "the file and the bytes give different languages");
    for (const MenuKey& key : kMenuKeys)
        CheckText(loaded.menus.*key.field, size, key.name);
    for (const TextKey& key : kTextKeys) {
        CheckText(loaded.texts.*key.field, size, key.name);
        Require(loaded.texts.*key.field == profile.Get(language, key.name, ""),
                "the file and the bytes disagree:", key.name);
    }
    return 0;
}
