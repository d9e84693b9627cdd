#include "UnitMain.h"

#include "AppTitle.h"
#include "D2XXUnit_mod.h"
#include "ListView.h"
#include "MainWindowAccessible.h"
#include "MessageSeam.h"
#include "QtWindowOwner.h"
#include "RegisterTexts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int RefreshIntervalMs = 2000;
constexpr int MinimumColumnWidth = 100;

} // namespace

TFormMain::TFormMain(QWidget* parent) : QWidget(parent) {
    InstallMainWindowAccessibility();
    setObjectName("FormMain");
    setWindowTitle(QString::fromUtf8(ApplicationTitle) + " v1.1");
    setWindowIcon(QApplication::windowIcon());
    setMinimumSize(400, 200);
    setAutoFillBackground(true);
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, QColor(237, 237, 237));
    setPalette(windowPalette);
    QFont windowFont("MS Sans Serif");
    windowFont.setPointSize(8);
    setFont(windowFont);

    LView = new TListView("LView", this);
    QFont listFont("Tahoma");
    listFont.setPixelSize(12);
    LView->setFont(listFont);
    LView->header()->setMinimumSectionSize(MinimumColumnWidth);
    LView->header()->setStretchLastSection(true);
    LView->installEventFilter(this);
    LView->viewport()->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(LView);

    Timer = new QTimer(this);
    Timer->setInterval(RefreshIntervalMs);
    connect(Timer, &QTimer::timeout, this, [this] { TimerTimer(Timer); });

    // The first pass runs once the window is on the screen and the event queue is empty.
    QTimer::singleShot(0, this, [this] { AppIdle(); });
    UnitCount = 0;
    Units.clear();
    LView->setHeaderLabels({"Name", "S/N"});
    ShowLinkErrors = false;
    // The driver's error boxes come up while this window probes and opens units.
    SetLinkErrorOwner(OwnerOf(this));
    LoadWindowSettings();
}

TFormMain::~TFormMain() {
    SetLinkErrorOwner({});
}

void TFormMain::AppIdle() {
    TimerTimer(nullptr);
}

void TFormMain::TimerTimer(QObject* sender) {
    if ((!Timer->isActive() && sender) || unitOpen_)
        return;
    Timer->stop();
    if (LinkCreateDeviceList() != FT_OK || LinkGetDeviceList() != FT_OK) {
        ShowMessage({"Cannot get USB Device List", "Error", MessageIcon::Error, MessageButtons::Ok,
                     OwnerOf(this)});
        return;
    }
    if (!ListUnchanged())
        RebuildList();
    Timer->start();
}

std::vector<TGPIItem> TFormMain::CollectUnits(bool show) {
    std::vector<TGPIItem> found;
    for (DWORD i = 0; i < DeviceInfoCount && i < DeviceInfoList.size(); ++i) {
        ProbedIdentity identity;
        if (!AcceptUnit(static_cast<int>(i), identity))
            continue;
        const FT_DEVICE_LIST_INFO_NODE& node = DeviceInfoList[i];
        TGPIItem item;
        item.ListIndex = static_cast<std::int32_t>(i);
        item.LocationId = node.LocId;
        item.SerialNumber.assign(node.SerialNumber,
                                 strnlen(node.SerialNumber, sizeof node.SerialNumber));
        item.Description.assign(node.Description,
                                strnlen(node.Description, sizeof node.Description));
        item.ModelNumber = identity.ModelNumber;
        item.ModelVariant = identity.ModelVariant;
        item.DeviceGeneration = identity.DeviceGeneration;
        found.push_back(item);
        if (!show)
            continue;
        Units.push_back(item);
        UnitCount = static_cast<std::int32_t>(Units.size());
        auto* row = new QTreeWidgetItem(LView);
        row->setText(0, QString::fromStdString(UnitName(item.ModelNumber, item.ModelVariant)));
        row->setText(1, QString::fromStdString(item.SerialNumber));
        // The pass holds the event loop: paint each row now, while later candidates are probed.
        LView->viewport()->repaint();
    }
    return found;
}

bool TFormMain::ListUnchanged() {
    const std::vector<TGPIItem> found = CollectUnits(false);
    if (found.size() != Units.size())
        return false;
    for (std::size_t i = 0; i < found.size(); ++i) {
        const TGPIItem& a = found[i];
        const TGPIItem& b = Units[i];
        if (a.ListIndex != b.ListIndex || a.LocationId != b.LocationId ||
            a.SerialNumber != b.SerialNumber || a.Description != b.Description)
            return false;
    }
    return true;
}

void TFormMain::RebuildList() {
    ClearList();
    LView->viewport()->repaint();
    CollectUnits(true);
}

void TFormMain::ClearList() {
    LView->clear();
    UnitCount = 0;
    Units.clear();
}

void TFormMain::OpenSelected() {
    Timer->stop();
    OpenUnit();
    ShowLinkErrors = false;
    TimerTimer(nullptr);
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == LView && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)
            OpenSelected();
    } else if (watched == LView->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        OpenSelected();
    }
    // The list view goes on to handle every key and click as usual.
    return QWidget::eventFilter(watched, event);
}

bool TFormMain::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    // The frame comes with the window manager's answer to the window's first showing: a move of
    // the inner window into the frame, an activation, or a state change.
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowActivate:
    case QEvent::WindowStateChange:
        FitOuterSize();
        break;
    default:
        break;
    }
    return handled;
}

void TFormMain::closeEvent(QCloseEvent* event) {
    bool canClose = true;
    FormCloseQuery(canClose);
    if (canClose) {
        event->accept();
        emit Closed();
    } else {
        event->ignore();
    }
}

void TFormMain::FormCloseQuery(bool& canClose) {
    ClearList();
    SaveWindowSettings();
    canClose = true;
}
