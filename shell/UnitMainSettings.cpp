// The main window's settings: geometry, name column width and the last preset directory, kept
// in the WINDOW section of the settings file from one run to the next.
#include "UnitMain.h"

#include "IniFile.h"
#include "ListView.h"
#include "ProgramPaths.h"
#include "Utf8Path.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QLayout>
#include <QScreen>
#include <QWindow>

#include <cstdio>
#include <filesystem>

namespace {

constexpr const char* Section = "WINDOW";
constexpr int DefaultWidth = 500;
constexpr int DefaultHeight = 300;
constexpr QSize MinimumOuterSize(400, 200);

QSize ScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(DefaultWidth, DefaultHeight);
}

} // namespace

void TFormMain::LoadWindowSettings() {
    const IniFile ini(SettingsFile);
    const QSize screen = ScreenSize();
    move(ini.ReadInteger(Section, "LEFT", (screen.width() - DefaultWidth) / 2),
         ini.ReadInteger(Section, "TOP", (screen.height() - DefaultHeight) / 2));
    // A size beyond the screen falls back to the default; the position is used as stored, even
    // off the screen.
    int width = ini.ReadInteger(Section, "WIDTH", DefaultWidth);
    int height = ini.ReadInteger(Section, "HEIGHT", DefaultHeight);
    // WIDTH and HEIGHT are the outer size, frame included. The frame is known only once the
    // window is on the screen: until then the window has that size inside.
    outerSize_ = QSize(width > screen.width() ? DefaultWidth : width,
                       height > screen.height() ? DefaultHeight : height);
    outerSizePending_ = true;
    resize(outerSize_);
    if (ini.ReadBool(Section, "MAXIMIZED", false))
        setWindowState(windowState() | Qt::WindowMaximized);

    LView->header()->setMinimumSectionSize(100);
    // The list fills the window: lay it out now so that its width is known before the window
    // is first shown.
    layout()->activate();
    LView->setColumnWidth(
        0, ini.ReadInteger(Section, "COL_NAME_WD", LView->contentsRect().width() / 2));

    const std::string path = WithTrailingDelimiter(ini.ReadString(Section, "PATH", PresetDir));
    std::error_code error;
    if (std::filesystem::is_directory(PathFromUtf8(path), error))
        PresetDir = path;
}

void TFormMain::FitOuterSize() {
    // A maximized window keeps its normal size for later: it is fitted when it is restored.
    if (!outerSizePending_ || !windowHandle() ||
        (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        return;
    const QMargins frame = windowHandle()->frameMargins();
    if (frame.isNull())
        return;
    outerSizePending_ = false;
    const QSize frameSize(frame.left() + frame.right(), frame.top() + frame.bottom());
    setMinimumSize(MinimumOuterSize - frameSize);
    resize(outerSize_ - frameSize);
}

void TFormMain::SaveWindowSettings() {
    IniFile ini(SettingsFile);
    // A maximized window keeps the normal geometry already in the file, so the next run comes
    // back at that size and then maximizes.
    const bool maximized = isMaximized();
    if (!maximized) {
        ini.WriteInteger(Section, "LEFT", x());
        ini.WriteInteger(Section, "TOP", y());
        ini.WriteInteger(Section, "WIDTH", frameGeometry().width());
        ini.WriteInteger(Section, "HEIGHT", frameGeometry().height());
    }
    ini.WriteBool(Section, "MAXIMIZED", maximized);
    ini.WriteInteger(Section, "COL_NAME_WD", LView->columnWidth(0));
    ini.WriteString(Section, "PATH", PresetDir);
    if (!ini.Save())
        std::fprintf(stderr, "Cannot write the settings file %s\n", SettingsFile.c_str());
}
