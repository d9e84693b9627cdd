// Opening a unit: the selected row becomes a running control panel, and the unit is closed
// again once the panel has gone.
#include "UnitMain.h"

#include "AppTitle.h"
#include "D2XXUnit_mod.h"
#include "ListView.h"
#include "UnitGPI.h"
#include "UnitSession.h"

#include <QCoreApplication>

void TFormMain::OpenUnit() {
    const QList<QTreeWidgetItem*> selected = LView->selectedItems();
    const int row = selected.isEmpty() ? -1 : LView->indexOfTopLevelItem(selected.first());
    if (row < 0 || row >= UnitCount)
        return;
    unitOpen_ = true;
    RunUnit(Units[static_cast<std::size_t>(row)]);
    unitOpen_ = false;
}

void TFormMain::RunUnit(const TGPIItem& unit) {
    // The operator sees any driver failure while the unit is opened and set up; a failing reset
    // shows its dialog, and the set-up goes on.
    ShowLinkErrors = true;
    if (!OpenForExchange(unit.LocationId)) {
        ShowLinkErrors = false;
        return;
    }
    // The worker owns the link from here on and must never raise a dialog.
    ShowLinkErrors = false;
    hide();

    ModelVariant = unit.ModelVariant;
    DeviceGeneration = unit.DeviceGeneration;
    UnitSerial = unit.SerialNumber;
    auto* panel = new TFormEdit(this);
    panel->setWindowTitle(ApplicationTitle);
    panel->Worker->Start();
    panel->exec();
    panel->Worker->Stop();
    // Messages still on their way to the panel are dropped with it.
    panel->deleteLater();
    show();

    CloseAfterExchange();
}
