// Language files as they turn up on a technician's PC: cut short, overwritten, renamed, edited
// by hand. Each gives the built-in defaults, or the texts it still holds, and never a crash.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "app/language_file.h"
#include "app/private_profile.h"
#include "app/text_encoding.h"
#include "tests/app/test_support.h"

namespace kell::testing {
namespace {

struct DamagedLanguageFileTest : ::testing::Test {
    TempDir dir;

    Language Load(const std::string& bytes) {
        return LoadLanguageFile(dir.Write(kLanguageFileName, bytes));
    }

    // The menus keep their built-in captions and every text is empty.
    static void ExpectDefaults(const Language& language) {
        EXPECT_EQ(language.name, "EN");
        const MenuCaptions builtIn;
        for (const MenuKey& key : kMenuKeys)
            EXPECT_EQ(language.menus.*key.field, builtIn.*key.field) << key.name;
        for (const TextKey& key : kTextKeys)
            EXPECT_EQ(language.texts.*key.field, "") << key.name;
    }

    static void ExpectUtf8(const Language& language) {
        for (const MenuKey& key : kMenuKeys)
            EXPECT_TRUE(IsValidUtf8(language.menus.*key.field)) << key.name;
        for (const TextKey& key : kTextKeys)
            EXPECT_TRUE(IsValidUtf8(language.texts.*key.field)) << key.name;
    }
};

// Bytes of every value in a fixed pseudo-random order, with no line that could be a section.
std::string Garbage(std::size_t size) {
    std::string bytes;
    std::uint32_t state = 12345;
    while (bytes.size() < size) {
        state = state * 1664525u + 1013904223u;
        const char c = static_cast<char>(state >> 24);
        if (c != '[')
            bytes += c;
    }
    return bytes;
}

TEST_F(DamagedLanguageFileTest, BinaryGarbageGivesTheDefaults) {
    ExpectDefaults(Load(Garbage(64 * 1024)));
    // NUL bytes, a lone byte-order mark, a file of line ends only.
    ExpectDefaults(Load(std::string(4096, '\0')));
    ExpectDefaults(Load("\xEF\xBB\xBF"));
    ExpectDefaults(Load(std::string(10000, '\n') + std::string(10000, '\r')));
}

TEST_F(DamagedLanguageFileTest, GarbageAroundASectionLeavesItsTextsReadable) {
    const Language language =
        Load(Garbage(5000) + "\n[EN]\nPASO1_L1=still read\nMENU1=Fichero\n" + Garbage(5000));
    EXPECT_EQ(language.texts.PASO1_L1, "still read");
    EXPECT_EQ(language.menus.MENU1, "Fichero");
    ExpectUtf8(language);
}

TEST_F(DamagedLanguageFileTest, EmptyOrMissingFileGivesTheDefaults) {
    ExpectDefaults(Load(""));
    ExpectDefaults(LoadLanguageFile(dir.Path() + "/no-such-directory/" + kLanguageFileName));
    ExpectDefaults(LoadLanguageFile(""));
    // A directory where the file should be cannot be read either.
    TempDir other;
    std::filesystem::create_directory(LanguageFilePath(other.Path()));
    ExpectDefaults(LoadLanguageFile(LanguageFilePath(other.Path())));
}

TEST_F(DamagedLanguageFileTest, KeysOutsideAnySectionAreNotTexts) {
    ExpectDefaults(Load("PASO1_L1=Hello\nMENU1=File\nIDIOMA=ES\n"));
    ExpectDefaults(Load("[]\nPASO1_L1=Hello\n"));
}

TEST_F(DamagedLanguageFileTest, LinesWithoutAnEqualsSignAreSkipped) {
    const Language language = Load(
        "[EN]\n"
        "PASO1_L1\n"
        "PASO1_L2 Hello\n"
        "=no key\n"
        "PASO1_L3=kept\n"
        "MENU1\n");
    EXPECT_EQ(language.texts.PASO1_L1, "");
    EXPECT_EQ(language.texts.PASO1_L2, "");
    EXPECT_EQ(language.texts.PASO1_L3, "kept");
    EXPECT_EQ(language.menus.MENU1, "Archivo");
}

// Only '=' ends a key. A line whose first separator is ':' (the habit of other file formats)
// defines nothing, not even a key that a later line defines again; a ':' before the '=' is part
// of the key's name, one after it part of the value.
TEST_F(DamagedLanguageFileTest, AColonDoesNotSeparateAKeyFromItsValue) {
    const Language language = Load(
        "[COMUN]\n"
        "IDIOMA: ES\n"
        "[EN]\n"
        "PASO1_L1: Hello\n"
        "PASO1_L1=kept\n"
        "MENU1:File\n"
        "PASO1_L2=a:b\n"
        "PASO1_L3:x=y\n"
        "PASO2_L1 = time: 5 min\n");
    EXPECT_EQ(language.name, "EN");
    EXPECT_EQ(language.texts.PASO1_L1, "kept");
    EXPECT_EQ(language.menus.MENU1, "Archivo");
    EXPECT_EQ(language.texts.PASO1_L2, "a:b");
    EXPECT_EQ(language.texts.PASO1_L3, "");
    EXPECT_EQ(language.texts.PASO2_L1, "time: 5 min");

    const PrivateProfile names = PrivateProfile::Parse("[A:B]\nX:Y=z\n");
    EXPECT_EQ(names.Get("A:B", "X:Y", "none"), "z");
    EXPECT_EQ(names.Get("A:B", "X", "none"), "none");
}

TEST_F(DamagedLanguageFileTest, AWindows1252FileCutOffMidwayKeepsWhatItHolds) {
    const std::string whole = "[EN]\nPASO1_L1=Versi\xF3n\nPASO1_L3=Atenci\xF3n al bot\xF3n\n";
    const Language language = Load(whole.substr(0, whole.find("bot") + 4));
    EXPECT_EQ(language.texts.PASO1_L1, "Versi\xC3\xB3n");
    EXPECT_EQ(language.texts.PASO1_L3, "Atenci\xC3\xB3n al bot\xC3\xB3");
    // Cut inside the key of the last line: that line is lost, the rest is not.
    const Language cutInKey = Load(whole.substr(0, whole.find("PASO1_L3") + 5));
    EXPECT_EQ(cutInKey.texts.PASO1_L1, "Versi\xC3\xB3n");
    EXPECT_EQ(cutInKey.texts.PASO1_L3, "");
}

TEST_F(DamagedLanguageFileTest, AUtf8FileCutInsideACharacterStaysUtf8) {
    // "ó" is two bytes in UTF-8, "€" three: the file ends after the first byte of each.
    for (const std::string& cut : {std::string("\xC3"), std::string("\xE2\x82")}) {
        const Language language = Load("[EN]\nPASO1_L1=Versi\xC3\xB3n\nPASO1_L3=Atenci" + cut);
        EXPECT_EQ(language.texts.PASO1_L1, "Versi\xC3\xB3n");
        EXPECT_EQ(language.texts.PASO1_L3, "Atenci");
        ExpectUtf8(language);
    }
    // Without a whole UTF-8 character before it, a last high byte is a Windows-1252 letter.
    EXPECT_EQ(Load("[EN]\nPASO1_L1=Caf\xE9").texts.PASO1_L1, "Caf\xC3\xA9");
}

TEST_F(DamagedLanguageFileTest, AOneMegabyteLineCostsItsOwnKeyOnly) {
    const std::string before = "[EN]\nPASO1_L1=Hello\nMENU1=Fichero\nPASO2_L1=";
    const Language language = Load(before + std::string(1 << 20, 'x') + "\nPASO3_L1=after\n");
    EXPECT_EQ(language.texts.PASO1_L1, "Hello");
    EXPECT_EQ(language.menus.MENU1, "Fichero");
    // The value keeps its start; what lies past the read limit is not read.
    EXPECT_FALSE(language.texts.PASO2_L1.empty());
    EXPECT_EQ(language.texts.PASO2_L1.find_first_not_of('x'), std::string::npos);
    EXPECT_EQ(language.texts.PASO3_L1, "");
}

TEST_F(DamagedLanguageFileTest, TheTailOfAnOverlongLineIsNotReadAsLinesOfItsOwn) {
    // Whatever length the line reader works in, some cut of these lines lands on a section
    // header or on a key of their tail.
    for (std::size_t pad = 0; pad < 16; ++pad) {
        SCOPED_TRACE(pad);
        std::string section = "PASO2_L1=" + std::string(pad, 'x');
        std::string key = section;
        while (section.size() < 100'000) {
            section += "[ES]";
            key += "PASO4_L1=injected ";
        }
        const Language language =
            Load("[EN]\n" + section + "\n" + key + "\nPASO3_L1=after\n[ES]\nPASO3_L1=wrong\n");
        EXPECT_EQ(language.texts.PASO3_L1, "after");
        EXPECT_EQ(language.texts.PASO4_L1, "");
    }
}

TEST_F(DamagedLanguageFileTest, AnOverlongValueIsCutBetweenCharacters) {
    std::string value;
    while (value.size() < 1000)
        value += "\xC3\xB3\xE2\x82\xAC";  // "ó€", two and three bytes
    const Language language = Load("[EN]\nPASO1_L1=" + value + "\nPASO1_L3=next\n");
    EXPECT_FALSE(language.texts.PASO1_L1.empty());
    EXPECT_EQ(value.rfind(language.texts.PASO1_L1, 0), 0u);
    EXPECT_EQ(language.texts.PASO1_L3, "next");
    ExpectUtf8(language);
}

}  // namespace
}  // namespace kell::testing
