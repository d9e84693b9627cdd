#include "Screenshot.h"

#include "UnitMain.h"

#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace {

constexpr int PollMs = 100;
constexpr int GiveUpMs = 30000;

TFormMain* ListedMainWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* window = qobject_cast<TFormMain*>(widget);
        // A running timer means the pass that listed the units is over.
        if (window && window->isVisible() && window->UnitCount > 0 && window->Timer->isActive())
            return window;
    }
    return nullptr;
}

void Photograph(QWidget* window, const QString& file) {
    QPixmap shot;
    if (QScreen* screen = window->screen())
        shot = screen->grabWindow(window->winId());
    if (shot.isNull())
        shot = window->grab();
    if (shot.save(file, "PNG"))
        std::printf("%s\n", qPrintable(file));
    else
        std::fprintf(stderr, "Cannot write the screenshot %s\n", qPrintable(file));
    std::fflush(stdout);
}

} // namespace

void ArrangeScreenshotIfAsked() {
    const QString file = qEnvironmentVariable("ORQ_SYV_SCREENSHOT");
    if (file.isEmpty())
        return;
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, qApp, [poll, file, waited = 0]() mutable {
        waited += PollMs;
        TFormMain* window = ListedMainWindow();
        if (!window && waited < GiveUpMs)
            return;
        poll->stop();
        if (window)
            Photograph(window, file);
        else
            std::fprintf(stderr, "No unit was listed within %d ms\n", GiveUpMs);
        QApplication::closeAllWindows();
    });
    poll->start(PollMs);
}
