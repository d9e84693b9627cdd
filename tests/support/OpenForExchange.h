// Opens a unit of the installed simulated bus through the link layer and sets its line up as
// the program does before an exchange; the caller's test fails when any step does.
#pragma once

#include "D2XXUnit_mod.h"
#include "SimDriver.h"
#include "UnitLine.h"

#include <gtest/gtest.h>

inline void OpenForExchange(DWORD location) {
    SetD2xxApi(sim::SimApi());
    ShowLinkErrors = false;
    LinkStatus = 0;
    StoreUnitLineSettings();
    ASSERT_EQ(Open_USB_Device_By_Device_Location(location), FT_OK);
    LinkReset();
    ASSERT_EQ(LinkSetBaudRate() | LinkSetDataCharacteristics() | LinkSetFlowControl() |
                  LinkSetTimeouts(2000, 2000) | LinkPurgeRx() | LinkPurgeTx(),
              FT_OK);
}
