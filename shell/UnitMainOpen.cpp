// Opening a unit: the selected row becomes a running control panel, and the unit is closed
// again once the panel has gone.
#include "UnitMain.h"

#include "AppTitle.h"
#include "D2XXUnit_mod.h"
#include "ListView.h"
#include "UnitGPI.h"
#include "UnitLine.h"

#include <QCoreApplication>

namespace {

constexpr ULONG ExchangeTimeoutMs = 2000;

// Applies the stored line settings and the time-outs, stopping at the first failure.
bool ConfigureForExchange() {
    return LinkSetBaudRate() == FT_OK && LinkSetDataCharacteristics() == FT_OK &&
           LinkSetFlowControl() == FT_OK &&
           LinkSetTimeouts(ExchangeTimeoutMs, ExchangeTimeoutMs) == FT_OK &&
           LinkPurgeRx() == FT_OK && LinkPurgeTx() == FT_OK;
}

} // namespace

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
    // The operator sees any driver failure while the unit is opened and set up.
    ShowLinkErrors = true;
    if (Open_USB_Device_By_Device_Location(unit.LocationId) != FT_OK)
        return;
    LinkReset(); // a failure shows its dialog, and the set-up goes on
    StoreUnitLineSettings();
    if (!ConfigureForExchange()) {
        ShowLinkErrors = false;
        LinkClose();
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

    if (LinkGetStatus() == FT_OK) {
        LinkPurgeRx();
        LinkPurgeTx();
    }
    LinkClose();
}
