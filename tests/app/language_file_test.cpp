#include "app/language_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "app/private_profile.h"
#include "tests/app/test_support.h"

namespace kell::testing {
namespace {

struct LanguageFileTest : ::testing::Test {
    TempDir dir;

    Language Load(const std::string& bytes) {
        return LoadLanguageFile(dir.Write(kLanguageFileName, bytes));
    }
};

TEST_F(LanguageFileTest, NoFileGivesTheBuiltInMenusAndEmptyTexts) {
    const Language language = LoadLanguageFile(LanguageFilePath(dir.Path()));
    EXPECT_EQ(language.name, "EN");
    const MenuCaptions builtIn;
    const std::vector<std::string> expected = {"Archivo",    "Actualizar", "Salir",
                                               "Configurar", "Auto",       "Manual",
                                               "Ayuda",      "Ayuda",      "Acerca de"};
    std::vector<std::string> menus;
    for (const MenuKey& key : kMenuKeys)
        menus.push_back(language.menus.*key.field);
    EXPECT_EQ(menus, expected);
    for (const TextKey& key : kTextKeys)
        EXPECT_EQ(language.texts.*key.field, "") << key.name;
}

TEST_F(LanguageFileTest, TheCommonSectionPicksTheLanguageAndMissingKeysStayEmpty) {
    const Language language = Load(
        "[COMUN]\nIDIOMA=FR\n"
        "[EN]\nMENU1=File\nMENU2=Settings\nPASO1_L1=Hello\nPASO1_L3=Press\n"
        "[FR]\nMENU1=Fichier\nPASO1_L1=Bonjour\n");
    EXPECT_EQ(language.name, "FR");
    EXPECT_EQ(language.menus.MENU1, "Fichier");
    EXPECT_EQ(language.menus.MENU2, "Configurar");  // absent from FR: the built-in caption
    EXPECT_EQ(language.texts.PASO1_L1, "Bonjour");
    EXPECT_EQ(language.texts.PASO1_L3, "");  // absent from FR, although EN has it
}

TEST_F(LanguageFileTest, WithoutTheCommonSectionEnglishIsRead) {
    EXPECT_EQ(Load("[EN]\nPASO2_L1=Arm\n").texts.PASO2_L1, "Arm");
    EXPECT_EQ(Load("[COMUN]\nOTHER=1\n[EN]\nPASO2_L1=Arm\n").texts.PASO2_L1, "Arm");
}

TEST_F(LanguageFileTest, AMissingLanguageSectionIsLikeAMissingFile) {
    const Language language = Load("[COMUN]\nIDIOMA=DE\n[EN]\nMENU1=File\nPASO1_L1=Hello\n");
    EXPECT_EQ(language.menus.MENU1, "Archivo");
    EXPECT_EQ(language.texts.PASO1_L1, "");
}

TEST_F(LanguageFileTest, NamesMatchWithoutRegardToCaseAndTheFirstOccurrenceWins) {
    const Language language = Load(
        "[comun]\nidioma = es\n"
        "[Es]\nPaso1_l1=first\nPASO1_L1=second\nmenu1=Archivo propio\n"
        "[OTHER]\nX=1\n"
        "[ES]\nPASO1_L3=from a second ES section\n");
    EXPECT_EQ(language.texts.PASO1_L1, "first");
    EXPECT_EQ(language.menus.MENU1, "Archivo propio");
    EXPECT_EQ(language.texts.PASO1_L3, "");
}

TEST_F(LanguageFileTest, ValuesAreTrimmedAndKeepWhatWindowsKeeps) {
    const Language language = Load(
        "\xEF\xBB\xBF[EN]\r\n"
        "  PASO1_L1 =   spaced out   \r\n"
        "PASO3_L2=\"Trying port \"\r\n"
        "PASO4_L3='Step'\r\n"
        "PASO5_L1=one; two ;three\r\n"
        "\tPASO5_L2=indented line\r\n"
        "; PASO5_L3=commented out\r\n"
        "AVISOACT=\r\n"
        "PASO6_L1=\"unbalanced\r\n"
        "not a key line\r\n"
        "PASO6_L2=a=b\r\n");
    EXPECT_EQ(language.texts.PASO1_L1, "spaced out");
    EXPECT_EQ(language.texts.PASO3_L2, "Trying port ");
    EXPECT_EQ(language.texts.PASO4_L3, "Step");
    EXPECT_EQ(language.texts.PASO5_L1, "one; two ;three");
    EXPECT_EQ(language.texts.PASO5_L2, "indented line");
    EXPECT_EQ(language.texts.PASO5_L3, "");
    EXPECT_EQ(language.texts.AVISOACT, "");
    EXPECT_EQ(language.texts.PASO6_L1, "\"unbalanced");
    EXPECT_EQ(language.texts.PASO6_L2, "a=b");
}

TEST_F(LanguageFileTest, Windows1252AndUtf8FilesBothGiveUtf8) {
    // "Versión" and "Atención" written in Windows-1252, and the same in UTF-8.
    const Language cp1252 = Load("[EN]\nPASO1_L1=Versi\xF3n\nAVISO_HEAD=Atenci\xF3n \x80\n");
    EXPECT_EQ(cp1252.texts.PASO1_L1, "Versi\xC3\xB3n");
    EXPECT_EQ(cp1252.texts.AVISO_HEAD, "Atenci\xC3\xB3n \xE2\x82\xAC");
    const Language utf8 = Load("[EN]\nPASO1_L1=Versi\xC3\xB3n\n");
    EXPECT_EQ(utf8.texts.PASO1_L1, "Versi\xC3\xB3n");
    // Bytes that Windows-1252 leaves undefined do not stop the conversion.
    EXPECT_EQ(Load("[EN]\nPASO1_L1=a\x81z\xE9\n").texts.PASO1_L1, "a\xEF\xBF\xBDz\xC3\xA9");
}

TEST_F(LanguageFileTest, BinaryJunkGivesDefaultsAndDoesNotCrash) {
    std::string junk;
    for (int i = 0; i < 5000; ++i)
        junk += static_cast<char>((i * 7919) & 0xFF);
    const Language language = Load(junk + "\n[EN]\nPASO1_L1=still read\n");
    EXPECT_EQ(language.texts.PASO1_L1, "still read");
}

TEST_F(LanguageFileTest, ResolveLooksInTheWorkingDirectoryFirstThenBesideTheProgram) {
    TempDir program;
    const std::string inWorking = LanguageFilePath(dir.Path());
    EXPECT_EQ(ResolveLanguageFile(dir.Path(), program.Path()), inWorking);
    EXPECT_EQ(ResolveLanguageFile(dir.Path(), ""), inWorking);

    std::filesystem::create_directories(program.Path() + "/bin");
    std::filesystem::create_directories(program.Path() + "/share/kell-updater");
    const std::string installed =
        program.Write("share/kell-updater/idiomas.ini", "[EN]\nPASO1_L1=x\n");
    EXPECT_EQ(ResolveLanguageFile(dir.Path(), program.Path() + "/bin"),
              program.Path() + "/bin/../share/kell-updater/idiomas.ini");
    const std::string beside = program.Write("bin/idiomas.ini", "[EN]\n");
    EXPECT_EQ(ResolveLanguageFile(dir.Path(), program.Path() + "/bin"), beside);
    dir.Write(kLanguageFileName, "[EN]\n");
    EXPECT_EQ(ResolveLanguageFile(dir.Path(), program.Path() + "/bin"), inWorking);
}

// The file shipped with the program holds every key in each of its languages.
TEST(ShippedLanguageFileTest, EveryLanguageHasEveryKey) {
    const std::string path = std::string(KELL_DATA_DIR) + "/idiomas.ini";
    ASSERT_TRUE(std::filesystem::is_regular_file(path));
    const PrivateProfile file = PrivateProfile::Load(path);
    EXPECT_EQ(file.Get("COMUN", "IDIOMA", ""), "EN");
    const char* kAbsent = "(absent)";
    // Keys that the window never shows from the file may be empty.
    const std::set<std::string> mayBeEmpty = {"PASO1_L2", "PASO5_L3"};
    for (const char* language : {"EN", "ES"}) {
        ASSERT_TRUE(file.HasSection(language));
        for (const MenuKey& key : kMenuKeys)
            EXPECT_NE(file.Get(language, key.name, ""), "") << language << " " << key.name;
        for (const TextKey& key : kTextKeys) {
            const std::string text = file.Get(language, key.name, kAbsent);
            EXPECT_NE(text, kAbsent) << language << " " << key.name;
            if (!mayBeEmpty.count(key.name)) {
                EXPECT_NE(text, "") << language << " " << key.name;
            }
        }
    }
    // Texts that are followed by a number or a word keep their trailing space.
    EXPECT_EQ(file.Get("EN", "PASO3_L2", "").back(), ' ');
    EXPECT_EQ(file.Get("EN", "TIEMPO_TOTAL1", "").back(), ' ');
    EXPECT_EQ(file.Get("ES", "P6_E3_L2", "").find(';') != std::string::npos, true);
}

}  // namespace
}  // namespace kell::testing
