// The main window's settings file: defaults, limits, the maximized state, and what survives.
#include "ShellFixture.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>

#include <regex>

namespace {

using WindowSettings = ShellTest;

std::vector<std::string> KeysOf(const std::string& text) {
    std::vector<std::string> keys;
    const std::regex line("([A-Z_]+)=[^\r\n]*\r\n");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), line);
         it != std::sregex_iterator(); ++it)
        keys.push_back((*it)[1]);
    return keys;
}

TEST_F(WindowSettings, WithoutAFileTheWindowIsCentredAndTheFirstSaveWritesEveryKeyInOrder) {
    const QSize screen = QGuiApplication::primaryScreen()->size();
    TFormMain& w = Window();
    EXPECT_EQ(w.pos(), QPoint((screen.width() - 500) / 2, (screen.height() - 300) / 2));
    EXPECT_EQ(w.size(), QSize(500, 300));
    EXPECT_FALSE(w.isMaximized());
    EXPECT_EQ(w.LView->columnWidth(0), w.LView->contentsRect().width() / 2);
    EXPECT_TRUE(w.LView->header()->stretchLastSection()) << "S/N fills the rest";

    w.close();
    const std::string text = ReadFile(SettingsFile);
    EXPECT_EQ(text.rfind("[WINDOW]\r\n", 0), 0u) << text;
    EXPECT_EQ(KeysOf(text), (std::vector<std::string>{"LEFT", "TOP", "WIDTH", "HEIGHT", "MAXIMIZED",
                                                      "COL_NAME_WD", "PATH"}));
    EXPECT_NE(text.find("\r\nPATH=" + PresetDir + "\r\n"), std::string::npos);
}

struct StoredSize {
    const char* name;
    const char* file;
    QSize size;
    bool maximized;
};

class StoredSettings : public ShellTest, public testing::WithParamInterface<StoredSize> {};

TEST_P(StoredSettings, AreTakenWithinTheirLimits) {
    WriteFile(SettingsFile, GetParam().file);
    EXPECT_EQ(Window().size(), GetParam().size);
    EXPECT_EQ(Window().isMaximized(), GetParam().maximized);
}

INSTANTIATE_TEST_SUITE_P(
    Files, StoredSettings,
    testing::Values(
        StoredSize{"hexHeight", "[WINDOW]\r\nWIDTH=640\r\nHEIGHT=0x1E0\r\n", {640, 480}, false},
        StoredSize{"lowerCaseNames", "[window]\nwidth=$280\nHeight=480\n", {640, 480}, false},
        StoredSize{
            "beyondTheScreen", "[WINDOW]\r\nWIDTH=5000\r\nHEIGHT=5000\r\n", {500, 300}, false},
        StoredSize{"belowTheMinimum", "[WINDOW]\r\nWIDTH=100\r\nHEIGHT=100\r\n", {400, 200}, false},
        StoredSize{"notANumber", "[WINDOW]\r\nWIDTH=wide\r\n", {500, 300}, false},
        StoredSize{"maximizedHex", "[WINDOW]\r\nMAXIMIZED=0x1\r\n", {500, 300}, true},
        StoredSize{"maximizedYes", "[WINDOW]\r\nMAXIMIZED=yes\r\n", {500, 300}, false}),
    [](const auto& info) { return std::string(info.param.name); });

// WIDTH and HEIGHT are the outer size, frame included, like LEFT and TOP are the frame's place.
TEST_F(WindowSettings, SizesAreTheOuterSizeWhenReadAndWhenWritten) {
    WriteFile(SettingsFile, "[WINDOW]\r\nLEFT=30\r\nTOP=40\r\nWIDTH=640\r\nHEIGHT=480\r\n");
    Window().show();
    QCoreApplication::processEvents();
    const QRect frame = Window().frameGeometry();
    ASSERT_NE(frame, Window().geometry()) << "the platform gives windows a frame";
    EXPECT_EQ(frame, QRect(30, 40, 640, 480));

    Window().resize(Window().width() + 20, Window().height() + 10);
    Window().close();
    const std::string text = ReadFile(SettingsFile);
    for (const char* key : {"LEFT=30\r\n", "TOP=40\r\n", "WIDTH=660\r\n", "HEIGHT=490\r\n"})
        EXPECT_NE(text.find(key), std::string::npos) << key << " in\n" << text;
}

TEST_F(WindowSettings, AStoredPositionIsUsedEvenOffTheScreen) {
    WriteFile(SettingsFile, "[WINDOW]\r\nLEFT=-4000\r\nTOP=9000\r\nCOL_NAME_WD=180\r\n");
    EXPECT_EQ(Window().pos(), QPoint(-4000, 9000));
    EXPECT_EQ(Window().LView->columnWidth(0), 180);
}

TEST_F(WindowSettings, AMaximizedCloseKeepsTheNormalGeometryAndOtherKeys) {
    WriteFile(SettingsFile, "; kept\r\n[WINDOW]\r\nLEFT=10\r\nTOP=20\r\nWIDTH=640\r\n"
                            "HEIGHT=480\r\nMAXIMIZED=1\r\nCUSTOM=x\r\n[OTHER]\r\nA=1\r\n");
    ASSERT_TRUE(Window().isMaximized());
    Window().close();
    const std::string text = ReadFile(SettingsFile);
    for (const char* kept :
         {"; kept\r\n", "LEFT=10\r\n", "TOP=20\r\n", "WIDTH=640\r\n", "HEIGHT=480\r\n",
          "MAXIMIZED=1\r\n", "CUSTOM=x\r\n", "[OTHER]\r\nA=1\r\n"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept << " in\n" << text;
}

TEST_F(WindowSettings, APathThatIsGoneLeavesThePresetDirectoryWhereItWas) {
    const std::string gone = dir / "gone";
    std::filesystem::create_directory(gone);
    const std::string kept = dir / "kept";
    std::filesystem::create_directory(kept);

    WriteFile(SettingsFile, "[WINDOW]\r\nPATH=" + kept + "\r\n");
    Window();
    EXPECT_EQ(PresetDir, kept + PathDelimiter) << "the system's delimiter is appended";
    window.reset();

    PresetDir = AppDir;
    WriteFile(SettingsFile, "[WINDOW]\r\nPATH=" + gone + "/\r\n");
    std::filesystem::remove(gone);
    Window();
    EXPECT_EQ(PresetDir, AppDir);
    Window().close();
    EXPECT_NE(ReadFile(SettingsFile).find("PATH=" + AppDir + "\r\n"), std::string::npos);
}

} // namespace
