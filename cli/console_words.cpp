#include "cli/console_words.h"

#include "app/language_file.h"
#include "app/private_profile.h"

namespace kell::cli {

ConsoleWords ConsoleWords::Load(const std::string& languageFile) {
    const PrivateProfile file = PrivateProfile::Load(languageFile);
    const std::string language = LanguageName(file);
    ConsoleWords words;
#define KELL_CONSOLE_WORD_READ(key, english) words.key = file.Get(language, #key, english);
    KELL_CONSOLE_WORDS(KELL_CONSOLE_WORD_READ)
#undef KELL_CONSOLE_WORD_READ
    return words;
}

}  // namespace kell::cli
