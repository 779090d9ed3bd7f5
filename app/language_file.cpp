#include "app/language_file.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "app/private_profile.h"

namespace kell {

std::string LanguageName(const PrivateProfile& file) {
    return file.Get("COMUN", "IDIOMA", "EN");
}

Language LoadLanguageFile(const std::string& path) {
    const PrivateProfile file = PrivateProfile::Load(path);
    Language language;
    language.name = LanguageName(file);
    for (const MenuKey& key : kMenuKeys)
        language.menus.*key.field = file.Get(language.name, key.name, key.defaultCaption);
    for (const TextKey& key : kTextKeys)
        language.texts.*key.field = file.Get(language.name, key.name, "");
    return language;
}

std::string LanguageFilePath(const std::string& directory) {
    return directory + "/" + kLanguageFileName;
}

std::string ResolveLanguageFile(const std::string& workingDirectory,
                                const std::string& programDirectory) {
    const std::string inWorkingDirectory = LanguageFilePath(workingDirectory);
    std::vector<std::string> candidates = {inWorkingDirectory};
    if (!programDirectory.empty()) {
        candidates.push_back(LanguageFilePath(programDirectory));
        candidates.push_back(LanguageFilePath(programDirectory + "/../share/kell-updater"));
    }
    for (const std::string& path : candidates) {
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error))
            return path;
    }
    return inWorkingDirectory;
}

}  // namespace kell
