#pragma once

#include <string>

#include "app/texts.h"

namespace kell {

inline constexpr const char* kLanguageFileName = "idiomas.ini";

// The texts of one language, as the main window takes them at construction.
struct Language {
    std::string name;  // the section the texts came from
    MenuCaptions menus;
    LocalisedTexts texts;
};

class PrivateProfile;

// The section of the language the file chooses: IDIOMA in [COMUN], EN by default.
std::string LanguageName(const PrivateProfile& file);

// Reads the language named by IDIOMA in [COMUN] (default EN) from the file. A missing file,
// section or key leaves the built-in menu captions and empty texts; nothing is reported.
Language LoadLanguageFile(const std::string& path);

// The language file of a directory: directory + "/idiomas.ini".
std::string LanguageFilePath(const std::string& directory);

// Where a front end finds the language file: the working directory's when it has one, else
// the copy installed with the program (beside it, or in ../share/kell-updater), else the
// working directory's path (which then gives the defaults).
std::string ResolveLanguageFile(const std::string& workingDirectory,
                                const std::string& programDirectory);

}  // namespace kell
