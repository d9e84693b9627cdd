#include "IniFile.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>

#if !defined(_WIN32)
#include "ScratchFs.h"
#endif

namespace {

TEST(IniFileTest, ParseInteger) {
    const std::pair<const char*, int> valid[] = {
        {"-5", -5}, {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}, {"0x7FFFFFFF", INT_MAX}};
    for (const auto& [text, expected] : valid) {
        int value = 0;
        EXPECT_TRUE(IniFile::ParseInteger(text, value) && value == expected) << text;
    }
    for (const char* text : {"31", "0x1F", "0X1f", "$1F", "$1f", "031", "0x001F"}) {
        int value = 0;
        EXPECT_TRUE(IniFile::ParseInteger(text, value) && value == 31) << text;
    }
    for (const char* text : {"abc", "", "0x", "$", "-", "+5", " 5", "5 ", "1.5", "-0x5", "0x-5",
                             "$-5", "0x1G", "2147483648", "0x80000000"}) {
        int value = 1;
        EXPECT_FALSE(IniFile::ParseInteger(text, value) || value != 1) << '"' << text << '"';
    }
}

TEST(IniFileTest, ReadsNamesInAnyCaseAndNonIntegersAsAbsent) {
    TempDir dir;
    WriteFile(dir / "a.ini", "[Window]\nLeft=$1F\nTop=abc\nM1=0x1\nM2=yes\nM3=0\n");
    const IniFile ini(dir / "a.ini");
    for (const char* section : {"WINDOW", "window"})
        for (const char* key : {"LEFT", "left", "Left"})
            EXPECT_EQ(ini.ReadInteger(section, key, 7), 31) << section << ' ' << key;
    for (const auto& [section, key] :
         {std::pair{"WINDOW", "TOP"}, {"WINDOW", "NONE"}, {"WINDOWS", "LEFT"}, {"WINDOW", "LEFTX"}})
        EXPECT_EQ(ini.ReadInteger(section, key, 7), 7) << section << ' ' << key;
    EXPECT_TRUE(ini.ReadBool("WINDOW", "M1", false));
    EXPECT_FALSE(ini.ReadBool("WINDOW", "M3", true));
    for (const bool fallback : {false, true})
        EXPECT_EQ(ini.ReadBool("WINDOW", "M2", fallback), fallback);
}

TEST(IniFileTest, ValueIsEverythingAfterTheFirstEquals) {
    TempDir dir;
    WriteFile(dir / "a.ini", "lead=0\r\n[S]\r\nPATH=C:\\a=b \r\nEMPTY=\r\n;C=1\r\n#D=1\r\n"
                             "Dup=first\r\nDup=second\r\n[s]\r\nOther=1\r\n[T]\r\nlast=no end");
    const IniFile ini(dir / "a.ini");
    const std::pair<const char*, const char*> cases[] = {
        {"PATH", "C:\\a=b "}, {"EMPTY", ""},  {"MISSING", "-"}, {";C", "-"}, {"#D", "-"},
        {"Dup", "first"},     {"Other", "-"}, {"lead", "-"}}; // only the first [S] counts
    for (const auto& [key, expected] : cases)
        EXPECT_EQ(ini.ReadString("S", key, "-"), expected) << key;
    EXPECT_EQ(ini.ReadString("", "lead", "-"), "0");
    EXPECT_EQ(ini.ReadString("T", "last", "-"), "no end");
}

TEST(IniFileTest, UnknownContentSurvivesASaveWithCrLf) {
    TempDir dir;
    WriteFile(dir / "a.ini",
              "; settings\n\n[Other]\nKey=Value\r\n\n[window]\nFOO=bar\nTop=1\n\n[Last]\nX=1");
    IniFile ini(dir / "a.ini");
    ini.WriteInteger("WINDOW", "TOP", -4); // keeps its place and spelling
    ini.WriteInteger("WINDOW", "LEFT", 3);
    ini.WriteBool("WINDOW", "MAXIMIZED", true);
    ini.WriteString("New", "PATH", "/tmp/");
    ini.WriteString("Last", "Y", "two\r\nlines");
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(ReadFile(dir / "a.ini"), "; settings\r\n\r\n[Other]\r\nKey=Value\r\n\r\n"
                                       "[window]\r\nFOO=bar\r\nTop=-4\r\nLEFT=3\r\nMAXIMIZED=1\r\n"
                                       "\r\n[Last]\r\nX=1\r\nY=two\r\n[New]\r\nPATH=/tmp/\r\n");
}

TEST(IniFileTest, FirstSaveFromAMissingFileWritesKeysInTheOrderWritten) {
    TempDir dir;
    IniFile ini(dir / "sub/Panel.dat");
    EXPECT_EQ(ini.ReadString("WINDOW", "PATH", "-"), "-");
    for (const char* key : {"LEFT", "TOP", "WIDTH", "HEIGHT", "MAXIMIZED", "COL_NAME_WD"})
        ini.WriteInteger("WINDOW", key, 0);
    ini.WriteString("WINDOW", "PATH", "/opt/x/");
    ini.WriteInteger("WINDOW", "LEFT", 710);
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(ReadFile(dir / "sub/Panel.dat"),
              "[WINDOW]\r\nLEFT=710\r\nTOP=0\r\nWIDTH=0\r\nHEIGHT=0\r\nMAXIMIZED=0\r\n"
              "COL_NAME_WD=0\r\nPATH=/opt/x/\r\n");
}

TEST(IniFileTest, SaveReportsAFileThatCannotBeWritten) {
    TempDir dir;
    WriteFile(dir / "plain", "x");
    fs::create_directory(dir / "folder");
    // Both refuse even the superuser, under whom the tests may run.
    for (const std::string& path : {dir / "plain/a.ini", dir / "folder"}) {
        IniFile ini(path);
        ini.WriteInteger("WINDOW", "LEFT", 1);
        EXPECT_FALSE(ini.Save()) << path;
    }
    EXPECT_EQ(ReadFile(dir / "plain"), "x");
}

TEST(IniFileTest, FileTooLargeToReadIsNotSavedOver) {
    TempDir dir;
    const std::string big = "[Other]\r\nKEY=" + std::string(std::size_t{1} << 20, 'v') + "\r\n";
    WriteFile(dir / "a.ini", big);
    IniFile ini(dir / "a.ini");
    ini.WriteInteger("WINDOW", "LEFT", 1);
    EXPECT_FALSE(ini.Save());
    EXPECT_EQ(ReadFile(dir / "a.ini"), big);
}

#if !defined(_WIN32)

// A settings file of a page whose save needs a few bytes more, on a file system with no page to
// spare: the save fails and the file keeps every byte, other programs' keys included.
TEST(IniFileTest, FullFileSystemKeepsTheSettingsFile) {
    ScratchFs scratch("size=8k");
    ORQ_SKIP_UNLESS_MOUNTED(scratch);
    std::string text = "[WINDOW]\r\nLEFT=10\r\n[Other]\r\n";
    for (int key = 0; text.size() < 4000; ++key)
        text += "KEY" + std::to_string(key) + "=" + std::string(40, 'v') + "\r\n";
    text += "LAST=" + std::string(4096 - text.size() - 7, 'z') + "\r\n";
    ASSERT_EQ(text.size(), 4096u);
    const std::string path = scratch.dir / "Panel.dat";
    WriteFile(path, text);
    WriteFile(scratch.dir / "filler", std::string(4096, 'f'));

    IniFile ini(path);
    ini.WriteInteger("WINDOW", "LEFT", 1234);
    ini.WriteInteger("WINDOW", "MAXIMIZED", 0);
    EXPECT_FALSE(ini.Save());
    EXPECT_EQ(ReadFile(path), text);
}

TEST(IniFileTest, SaveThroughALinkKeepsTheLink) {
    TempDir dir;
    fs::create_directory(dir / "shared");
    WriteFile(dir / "shared/Panel.dat", "[Other]\r\nX=1\r\n");
    fs::create_symlink("shared/Panel.dat", dir / "Panel.dat");
    IniFile ini(dir / "Panel.dat");
    ini.WriteInteger("WINDOW", "LEFT", 5);
    ASSERT_TRUE(ini.Save());
    EXPECT_TRUE(fs::is_symlink(dir / "Panel.dat"));
    EXPECT_EQ(ReadFile(dir / "shared/Panel.dat"), "[Other]\r\nX=1\r\n[WINDOW]\r\nLEFT=5\r\n");
}

#endif

} // namespace
