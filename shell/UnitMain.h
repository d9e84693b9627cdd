// The device list window: the program's main window. It lists the free units of the family,
// keeps the list current with a refresh pass every 2000 ms, and opens the unit the operator
// picks.
#pragma once

#include "D2xxTypes.h"
#include "UnitSession.h"

#include <QSize>
#include <QWidget>

#include <cstdint>
#include <string>
#include <vector>

class QTimer;
class TListView;

// One listed unit.
struct TGPIItem {
    std::int32_t ListIndex = 0; // position in DeviceInfoList during the pass that listed it
    DWORD LocationId = 0;       // the unit is opened by it
    std::string SerialNumber;   // up to 16 characters
    std::string Description;    // up to 64 characters
    std::uint16_t ModelNumber = 0;
    std::uint8_t ModelVariant = 0;
    int DeviceGeneration = 0; // 1 or 2
};

class TFormMain : public QWidget {
    Q_OBJECT

public:
    // Builds the window, switches the link layer's dialogs off, reads the window settings and
    // arranges for the first refresh pass at the first idle moment.
    explicit TFormMain(QWidget* parent = nullptr);
    ~TFormMain() override;

    // One refresh pass. `sender` is the timer when it ticked, null when run directly; a tick
    // that arrives while the timer is off is ignored.
    void TimerTimer(QObject* sender);

    // Whether entry i of DeviceInfoList is a free unit of the family; probes it on the way.
    bool AcceptUnit(int i, ProbedIdentity& identity);
    // Opens entry i, sends one poll and reads the identity bytes of the reply; always closes
    // what it opened and leaves ShowLinkErrors off.
    bool ProbeUnit(int i, ProbedIdentity& identity);
    // Waits up to 2000 ms for n bytes and reads them into InBuffer; on failure LinkStatus holds
    // the driver status, 31 for a short read or 32 for a time-out.
    bool WaitForReply(DWORD n);
    // Probes every entry and tells whether the accepted ones are the listed ones, in order.
    bool ListUnchanged();
    void RebuildList();
    void ClearList();
    // Double click, Enter or Space: stops the timer, opens the selected unit's panel and, once
    // it has closed, runs a refresh pass at once.
    void OpenSelected();
    // Opens and sets up the selected unit, runs its panel modally with this window hidden, and
    // closes the unit again. Does nothing without a selected row; a failing driver call while
    // the unit is opened shows its dialog and no panel.
    void OpenUnit();

    void LoadWindowSettings();
    void SaveWindowSettings();

    TListView* LView = nullptr;
    QTimer* Timer = nullptr;
    std::vector<TGPIItem> Units;
    std::int32_t UnitCount = 0;

signals:
    // The window has agreed to close: the program ends.
    void Closed();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AppIdle();
    // OpenUnit's work once the row is chosen.
    void RunUnit(const TGPIItem& unit);
    void FormCloseQuery(bool& canClose);
    // Gives the window the outer size LoadWindowSettings read once the window manager has
    // framed it; until then the frame's width is unknown and the size is the inner one.
    void FitOuterSize();
    QSize outerSize_;
    bool outerSizePending_ = false;
    // True while OpenUnit runs: the link then belongs to the unit being opened or its worker,
    // and no refresh pass may touch it.
    bool unitOpen_ = false;
    // The accepted entries of DeviceInfoList, probing each candidate; `show` adds each one to
    // the list view as it is found.
    std::vector<TGPIItem> CollectUnits(bool show);
};
