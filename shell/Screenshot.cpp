#include "Screenshot.h"

#include "ListView.h"
#include "UnitGPI.h"
#include "UnitMain.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int PollMs = 100;
constexpr int GiveUpMs = 30000;
// Time for a freshly shown panel to be painted before it is photographed.
constexpr int SettleMs = 500;

TFormMain* ListedMainWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* window = qobject_cast<TFormMain*>(widget);
        // A running timer means the pass that listed the units is over.
        if (window && window->isVisible() && window->UnitCount > 0 && window->Timer->isActive())
            return window;
    }
    return nullptr;
}

TFormEdit* ShownPanel() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* panel = qobject_cast<TFormEdit*>(widget);
        if (panel && panel->isVisible() && panel->GroupsShown)
            return panel;
    }
    return nullptr;
}

void Photograph(QWidget* window, const QString& file) {
    // The window paints itself into the picture: what a screen grab would show, without waiting
    // for the display server to catch up with a window that has just grown.
    const QPixmap shot = window->grab();
    if (shot.save(file, "PNG"))
        std::printf("%s\n", qPrintable(file));
    else
        std::fprintf(stderr, "Cannot write the screenshot %s\n", qPrintable(file));
    std::fflush(stdout);
}

// Photographs the list, then, when asked, opens the first unit and photographs its panel once
// the unit's first reply is on it; then ends the program.
class Photographer : public QObject {
public:
    Photographer(QString listFile, QString panelFile)
        : listFile_(std::move(listFile)), panelFile_(std::move(panelFile)) {
        connect(&poll_, &QTimer::timeout, this, [this] { Step(); });
        poll_.start(PollMs);
    }

private:
    void Step() {
        waited_ += PollMs;
        if (waited_ > GiveUpMs) {
            std::fprintf(stderr, "Nothing to photograph within %d ms\n", GiveUpMs);
            Finish();
        } else if (!listTaken_) {
            if (TFormMain* window = ListedMainWindow()) {
                listTaken_ = true;
                if (!listFile_.isEmpty())
                    Photograph(window, listFile_);
                if (panelFile_.isEmpty())
                    return Finish();
                window->LView->setCurrentItem(window->LView->topLevelItem(0));
                // OpenSelected runs the panel modally; this timer goes on inside its loop.
                QTimer::singleShot(0, window, [window] { window->OpenSelected(); });
            }
        } else if (TFormEdit* panel = ShownPanel()) {
            if ((settled_ += PollMs) < SettleMs)
                return;
            Photograph(panel, panelFile_);
            panel->reject();
            QTimer::singleShot(SettleMs, this, [this] { Finish(); });
            poll_.stop();
        }
    }

    void Finish() {
        poll_.stop();
        QApplication::closeAllWindows();
    }

    QString listFile_;
    QString panelFile_;
    QTimer poll_;
    int waited_ = 0;
    int settled_ = 0;
    bool listTaken_ = false;
};

} // namespace

void ArrangeScreenshotIfAsked() {
    const QString listFile = qEnvironmentVariable("ORQ_SYV_SCREENSHOT");
    const QString panelFile = qEnvironmentVariable("ORQ_SYV_SCREENSHOT_PANEL");
    if (listFile.isEmpty() && panelFile.isEmpty())
        return;
    (new Photographer(listFile, panelFile))->setParent(qApp);
}
